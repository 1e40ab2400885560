// Transfer files through the console program: a spreadsheet's full-width names into the records
// of a transfer file, the refusal of a name that cannot be made half-width, the check of a file
// whose name holds double-byte characters, and each shipped bank layout from its spreadsheet's
// CSV to the file checked by hand and back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include "platform/codepage.h"
#include "platform/half_width.h"
#include "support/bytes_equal.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

// Transfer records "2": a payee's name of 10 half-width capitals and an amount.
const char kTransferDefinition[] =
    "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=1\r\nName=T\r\n"
    "Size=0\r\nClassPos=1\r\nDelimiter=,\r\nTitleLine=False\r\n"
    "[Record_1]\r\nName=D\r\nSize=16\r\nClass=2\r\nParent=0\r\nChild=0\r\nMaxFieldIndex=2\r\n"
    "Field_0=K,X,1,1,0,-1,\r\nField_1=NAME,X,2,10,0,-1,\r\nField_2=AMOUNT,9,12,5,0,-1,\r\n"
    "[Character Width]\r\nField_1_1=half-width,upper-case\r\n";

struct CliOutcome {
    int status;
    std::string out;
    std::string err;
};

CliOutcome runCli(const TempDir& dir, const std::string& args) {
    const std::string command = "cd '" + dir.path() + "' && '" +
                                std::string(std::getenv("SORVEK_TEST_CLI")) + "' " + args + " >'" +
                                dir.file(".stdout") + "' 2>'" + dir.file(".stderr") + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir.file(".stdout")),
            readFile(dir.file(".stderr"))};
}

TEST(HalfWidthCli, FullWidthNamesBecomeHalfWidthRecordsAndTheCheckFindsWideOnes) {
    ASSERT_NE(nullptr, std::getenv("SORVEK_TEST_CLI"));
    TempDir dir;
    dir.write("t.trd", utf8ToCp932(kTransferDefinition));
    // As a spreadsheet saves it: UTF-8 with a mark, amounts without leading zeros.
    dir.write("in.csv",
              "\xEF\xBB\xBF"
              "2,ヤマダ　タロウ,1200\r\n2,ｶ)ガイシャ　パ,35\r\n"
              "2,ｅｘａｍｐｌｅ,7\r\n");
    CliOutcome r = runCli(dir, "/R in.csv out.dat t.trd");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_BYTES_EQ(utf8ToCp932("2ﾔﾏﾀﾞ ﾀﾛｳ  012002ｶ)ｶﾞｲｼｬ ﾊﾟ000352EXAMPLE   00007"),
                    readFile(dir.file("out.dat")));

    dir.write("bad.csv",
              "\xEF\xBB\xBF"
              "2,ﾔﾏﾀﾞ,1\r\n2,山田　太郎,2\r\n");
    r = runCli(dir, "/R bad.csv bad.dat t.trd");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos,
              r.err.find("CSV の値をフィールドに入れられません。\n行 = 2、列 = 2\n"
                         "フィールド = NAME\n値 = 山田　太郎\n"
                         "半角にできない文字があります (「山」)。"))
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.dat")));  // nothing written

    // The third record's name in full width, as a file made without the mark would hold it.
    dir.write("wide.dat", readFile(dir.file("out.dat")).substr(0, 32) +
                              utf8ToCp932("2ｴｷｻﾝﾌﾟﾙ   000072山田　    00008"));
    r = runCli(dir, "--check wide.dat t.trd");
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("D.NAME: 半角のフィールドに全角の文字: 1 件")) << r.out;
    r = runCli(dir, "--check --json wide.dat t.trd");
    EXPECT_EQ(1, r.status) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    ASSERT_EQ(1u, j["full_width_characters"].size()) << r.out;
    EXPECT_EQ("NAME", j["full_width_characters"][0]["field"]);
    EXPECT_EQ(1, j["full_width_characters"][0]["count"]);
    EXPECT_EQ(nlohmann::json::array({49}), j["full_width_characters"][0]["first_offsets"]);
    EXPECT_EQ(true, j["problems"]);
}

// The values of each line of a text without quotes, its byte order mark and title line left out.
std::vector<std::vector<std::string>> csvValues(std::string text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::vector<std::vector<std::string>> lines;
    std::size_t at = text.find("\r\n") + 2;  // past the title line
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        const std::string line = text.substr(at, end - at);
        std::vector<std::string>& values = lines.emplace_back();
        for (std::size_t from = 0;;) {
            const std::size_t comma = line.find(',', from);
            values.push_back(line.substr(from, comma - from));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
        at = end + 2;
    }
    return lines;
}

TEST(BankLayoutsCli, EachSpreadsheetsCsvBecomesTheFileCheckedByHandAndComesBack) {
    ASSERT_NE(nullptr, std::getenv("SORVEK_TEST_CLI"));
    ASSERT_NE(nullptr, std::getenv("SORVEK_SOURCE_DIR"));
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/layouts/samples/";
    for (const std::string layout : {"zengin-sogo", "zengin-kyuyo", "zengin-furikae"}) {
        SCOPED_TRACE(layout);
        TempDir dir;
        const std::string csv = samples + layout + ".csv";
        const std::string expected = readFile(samples + layout + ".dat");
        // UTF-8 with a mark, full-width カナ, amounts without leading zeros, trailer totals empty.
        CliOutcome r = runCli(dir, "/R '" + csv + "' out.dat " + layout);
        ASSERT_EQ(0, r.status) << r.err;
        EXPECT_BYTES_EQ(expected, readFile(dir.file("out.dat")));

        // Back to text: every value given comes back, numbers with their leading zeros and
        // text in its half-width form; the totals left empty come back filled.
        r = runCli(dir, "/C out.dat back.csv " + layout);
        ASSERT_EQ(0, r.status) << r.err;
        EXPECT_EQ("", r.err);
        const auto given = csvValues(readFile(csv));
        const auto back = csvValues(readFile(dir.file("back.csv")));
        ASSERT_EQ(given.size(), back.size());
        for (std::size_t i = 0; i < given.size(); ++i) {
            ASSERT_EQ(given[i].size(), back[i].size()) << "line " << i + 2;
            for (std::size_t j = 0; j < given[i].size(); ++j) {
                const std::string& g = given[i][j];
                const std::string& b = back[i][j];
                if (g.empty()) {
                    EXPECT_TRUE(b.empty() ||
                                b.find_first_not_of("0123456789") == std::string::npos);
                    continue;
                }
                std::string half;
                ASSERT_EQ(kAllHalfWidth, appendHalfWidth(g, true, half));
                const bool number = g.find_first_not_of("0123456789") == std::string::npos;
                EXPECT_EQ(half, number ? b.substr(b.find_first_not_of('0') == std::string::npos
                                                      ? b.size() - 1
                                                      : b.find_first_not_of('0'))
                                       : b)
                    << "line " << i + 2 << ", value " << j + 1;
            }
        }

        // A trailer put wrong: the conversion warns and writes what the file holds; the check
        // calls it a problem.
        std::string wrong = expected;
        std::size_t trailer = 0;
        while (expected[trailer] != '8') trailer += 120;
        wrong[trailer + 6] += 1;  // the first trailer's count, its last digit
        dir.write("wrong.dat", wrong);
        r = runCli(dir, "/C wrong.dat wrong.csv " + layout);
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_NE(std::string::npos, r.err.find("トレーラー.合計件数 の集計が合いません")) << r.err;
        r = runCli(dir, "--check wrong.dat " + layout);
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.out.find("トレーラー.合計件数: 集計が合いません")) << r.out;
    }
}

}  // namespace
}  // namespace sorvek::testing
