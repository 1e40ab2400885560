// The console program as users run it: exit status, standard output and standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// The console program, and the desktop program where no display can be reached: both run the
// one console front end, so every case runs against both.
std::vector<std::string> programsUnderTest() {
    std::vector<std::string> programs;
    if (const char* cli = std::getenv("SORVEK_TEST_CLI")) programs.emplace_back(cli);
    if (const char* desktop = std::getenv("SORVEK_TEST_DESKTOP")) {
        programs.push_back(std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '") +
                           desktop + "'");
    }
    return programs;
}

class CliTest : public ::testing::TestWithParam<std::string> {
  protected:
    // Runs the program with `args` (already quoted for the shell) in the temporary folder.
    CliRun cli(const std::string& args) {
        std::string program = GetParam();
        if (program.find('\'') == std::string::npos) program = "'" + program + "'";
        std::string command = "cd '" + dir.path() + "' && " + program + " " + args + " >'" +
                              dir.file(".stdout") + "' 2>'" + dir.file(".stderr") + "'";
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir.file(".stdout")),
                readFile(dir.file(".stderr"))};
    }
    TempDir dir;
};

std::string programName(const ::testing::TestParamInfo<std::string>& program) {
    return program.param.find("env ") == 0 ? "sorvek" : "sorvek_cli";
}

INSTANTIATE_TEST_SUITE_P(Programs, CliTest, ::testing::ValuesIn(programsUnderTest()), programName);

TEST(ConsolePrograms, BothAreUnderTest) {
    ASSERT_NE(nullptr, std::getenv("SORVEK_TEST_CLI")) << "SORVEK_TEST_CLI names sorvek-cli";
}

TEST_P(CliTest, ConvertsQuietlyWithPathsContainingSpaces) {
    dir.write("in put.txt", "a\r\nb\rc\n");
    CliRun r = cli("/e 'in put.txt' 'out put.txt' Lf");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("", r.err);  // no progress bar when standard error is no terminal
    EXPECT_EQ("a\nb\nc\n", readFile(dir.file("out put.txt")));

    r = cli("/L 'in put.txt' rec.txt ' 2 '");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("ab\r\nc", readFile(dir.file("rec.txt")));
}

TEST_P(CliTest, RefusedCommandLinesExitWithTwo) {
    dir.write("in.txt", "x");
    const std::pair<const char*, const char*> cases[] = {
        {"/X in.txt out.txt 1", "パラメータに誤りがあります。\n"},
        {"/L in.txt out.txt", "パラメータの数が違います\n"},
        {"/C in.txt out.txt a b", "パラメータの数が違います。\n"},
        {"/L in.txt out.txt 12.5", "レコード長の指定に誤りがあります。\nレコード長 = 12.5\n"},
        {"/L in.txt out.txt 99999999999",
         "レコード長の指定に誤りがあります。\nレコード長 = 99999999999\n"},
    };
    for (const auto& [args, text] : cases) {
        CliRun r = cli(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_EQ("", r.out) << args;
        EXPECT_EQ(text, r.err) << args;
    }
    EXPECT_FALSE(std::system(("test -e '" + dir.file("out.txt") + "'").c_str()) == 0);
}

TEST_P(CliTest, FailedJobsExitWithOneAndSayWhy) {
    CliRun r = cli("/L missing.txt out.txt 80");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("入力ファイルが存在しません。\nfni = " + dir.file("missing.txt") + "\n", r.err);

    dir.write("in.txt", "x");
    r = cli("/E in.txt ./in.txt 'CR LF'");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("改行コードの指定に誤りがあります。\n改行コード = CR LF\n", r.err);

    r = cli("/E in.txt ./in.txt CR");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + dir.file("in.txt") + "\n", r.err);
    EXPECT_EQ("x", readFile(dir.file("in.txt")));

    r = cli("/L in.txt no-folder/out.txt 1");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + dir.file("no-folder/out.txt") + "\n",
              r.err);
}

TEST_P(CliTest, DefinitionThatCannotBeLoadedEndsWithOne) {
    dir.write("in.dat", "x");
    CliRun r = cli("/C in.dat out.csv no-such.trd");
    EXPECT_EQ(1, r.status);
    const std::string path = dir.file("no-such.trd");
    EXPECT_EQ(path + " はレコード定義ファイルではありません。\n" + path +
                  " の読み込み中にエラーが発生しました。\n",
              r.err);

    dir.write("empty.RCDEF", "");
    r = cli("/c in.dat out.csv empty.RCDEF");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(dir.file("empty.RCDEF") + " の読み込み中にエラーが発生しました。\n", r.err);
    EXPECT_FALSE(std::system(("test -e '" + dir.file("out.csv") + "'").c_str()) == 0);
}

TEST_P(CliTest, ConvertsRecordsWithADefinitionFileOrAnImportedLayout) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    CliRun r = cli("/C '" + samples + "orders.dat' orders.csv '" + samples + "orders.trd'");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(readFile(samples + "orders.csv"), readFile(dir.file("orders.csv")));

    // A SEWB3 layout of three items: text, zoned and packed; the import writes a title line.
    auto tagged = [](const std::string& tag, const std::string& value) {
        return tag + "=\"" + value + "\";\r\n";
    };
    dir.write("layout.Rcdef", "HEAD=\"SEWB3\";\r\nRNUM=0003;\r\n" + tagged("JPNM", "LINE") +
                                  tagged("ADSZ", "8") + tagged("JPNM", "a") + tagged("DTAT", "X") +
                                  tagged("BULO", "1") + tagged("ADSZ", "3") + tagged("JPNM", "b") +
                                  tagged("DTAT", "9") + tagged("BULO", "4") + tagged("ADSZ", "3") +
                                  tagged("JPNM", "c") + tagged("DTAT", "P") + tagged("BULO", "7") +
                                  tagged("ADSZ", "2") + "ENDT\r\n");
    dir.write("records.dat", std::string("ABC045\x12\x3C\r\nXYZ999\x00\x9D\r\n", 20));
    r = cli("/C records.dat records.csv layout.Rcdef");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("a,b,c\r\nABC,045, 123\r\nXYZ,999,-009\r\n", readFile(dir.file("records.csv")));
}

TEST_P(CliTest, HelpVersionAndNoArguments) {
    CliRun r = cli("--help");
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("使い方"));
    EXPECT_EQ("", r.err);

    r = cli("--version");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(0u, r.out.rfind("Sorvek ", 0));
    EXPECT_EQ("", r.err);

    r = cli("");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, r.err.find("使い方"));
}

// A header H (number) with details D (text, packed amount), variable length, class code in
// column 1.
const char kCheckDefinition[] =
    "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=2\r\nName=T\r\n"
    "Size=0\r\nClassPos=1\r\nDelimiter=,\r\nTitleLine=True\r\n"
    "[Record_1]\r\nName=H\r\nSize=4\r\nClass=H\r\nParent=0\r\nChild=2\r\nMaxFieldIndex=1\r\n"
    "Field_0=K,X,1,1,0,0,\r\nField_1=N,9,2,3,0,-1,\r\n"
    "[Record_2]\r\nName=D\r\nSize=5\r\nClass=D\r\nParent=1\r\nChild=0\r\nMaxFieldIndex=2\r\n"
    "Field_0=K,X,1,1,0,0,\r\nField_1=T,X,2,2,0,-1,\r\nField_2=A,P,4,2,0,-1,\r\n";

TEST_P(CliTest, CheckReportsInJapaneseAndWritesNothing) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    CliRun r = cli("--check '" + samples + "orders.dat' '" + samples + "orders.trd'");
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_NE(std::string::npos, r.out.find("ファイルサイズ: 354 バイト")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("書き出される行数: 7 行 (見出し行を含む)")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("問題は見つかりませんでした。")) << r.out;
    EXPECT_TRUE(
        std::system(("test -z \"$(ls -A '" + dir.path() + "' | grep -v '^\\.std')\"").c_str()) ==
        0);
}

TEST_P(CliTest, CheckAsJsonGivesTheFindingsAndExitsWithOneOnProblems) {
    dir.write("t.trd", kCheckDefinition);
    // H001 D(A, 82 | 1A 3C) H002 H003 D(BC, 12 3C) and a stray X at the end: a split character
    // and an invalid packed value in the first detail, a header without detail, a trailing byte.
    dir.write("in.dat", std::string("H001DA\x82\x1A\x3CH002H003DBC\x12\x3CX"));
    CliRun r = cli("--check --json in.dat t.trd");
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_EQ("", r.err);
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(23, j["file_size"]);
    EXPECT_EQ((nlohmann::json{{"crlf", 0}, {"lf", 0}, {"cr", 0}}), j["line_endings"]);
    EXPECT_TRUE(j["looks_binary"].is_boolean());
    EXPECT_TRUE(j["record_length_suggestions"].is_array());
    EXPECT_EQ(23, j["invalid_sjis"]["bytes_examined"]);
    EXPECT_EQ((nlohmann::json{{"H", 3}, {"D", 2}}), j["records_by_kind"]);
    EXPECT_EQ(0, j["unknown_kind"]["count"]);
    EXPECT_TRUE(j["unknown_kind"]["first_offsets"].is_array());
    EXPECT_EQ(1, j["trailing_bytes"]);
    EXPECT_EQ(22, j["trailing_offset"]);
    EXPECT_EQ(3, j["lines_written"]);
    EXPECT_EQ((nlohmann::json{{"H", 1}, {"D", 0}}), j["records_without_line"]);
    ASSERT_EQ(1u, j["invalid_fields"].size());
    EXPECT_EQ("D", j["invalid_fields"][0]["record_kind"]);
    EXPECT_EQ("A", j["invalid_fields"][0]["field"]);
    EXPECT_EQ(1, j["invalid_fields"][0]["count"]);
    EXPECT_EQ(nlohmann::json::array({7}), j["invalid_fields"][0]["first_offsets"]);
    ASSERT_EQ(1u, j["split_characters"].size());
    EXPECT_EQ("D", j["split_characters"][0]["record_kind"]);
    EXPECT_EQ("T", j["split_characters"][0]["field"]);
    EXPECT_EQ(true, j["problems"]);

    // Without a definition only the bytes are judged: nothing is wrong.
    r = cli("--json --check in.dat");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_FALSE(nlohmann::json::parse(r.out).contains("records_by_kind"));
}

TEST_P(CliTest, CheckRefusesWrongCommandLinesWithTwoAndMissingFilesWithOne) {
    dir.write("in.dat", "x");
    const std::pair<const char*, const char*> refused[] = {
        {"--check", "パラメータの数が違います。\n"},
        {"--check in.dat a.trd b", "パラメータの数が違います。\n"},
        {"--json in.dat", "パラメータに誤りがあります。\n"},
        {"--check --frob in.dat", "パラメータに誤りがあります。\n--frob\n"},
    };
    for (const auto& [args, text] : refused) {
        CliRun r = cli(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_EQ("", r.out) << args;
        EXPECT_EQ(text, r.err) << args;
    }
    CliRun r = cli("--check missing.dat");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("入力ファイルが存在しません。\nfni = " + dir.file("missing.dat") + "\n", r.err);
    r = cli("--check in.dat missing.trd");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("missing.trd")) << r.err;
}

TEST_P(CliTest, LineBreakJobsOnRecordDataWarnAndStillRun) {
    // A packed amount holds 0D: the line-ending job turns it into 0A, as asked, after a warning.
    std::string records;
    for (int i = 0; i < 20; ++i) records += std::string("D001\x00\x0D\x3C", 7) + "\r\n";
    dir.write("in.dat", records);
    CliRun r = cli("/E in.dat out.dat LF");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(0u, r.err.rfind(
                      "警告: 入力ファイルは固定長のレコードデータのようです。改行コード変換は", 0))
        << r.err;
    EXPECT_NE(std::string::npos, r.err.find("\n・テキストに現れない制御コードが ")) << r.err;
    EXPECT_EQ(std::string::npos, r.err.find("実行しますか")) << r.err;
    EXPECT_EQ(records.size() - 20, readFile(dir.file("out.dat")).size());

    r = cli("/L in.dat out2.dat 9");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(0u, r.err.rfind(
                      "警告: 入力ファイルは固定長のレコードデータのようです。レコード長変換は", 0))
        << r.err;
}

}  // namespace
}  // namespace sorvek::testing
