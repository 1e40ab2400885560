// The console program as users run it: exit status, standard output and standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include "platform/codepage.h"
#include "support/bytes_equal.h"

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
    // Runs the program with `args` (already quoted for the shell) in the temporary folder;
    // `before`: shell commands run first in the same shell (a limit).
    CliRun cli(const std::string& args, const std::string& before = "") {
        std::string program = GetParam();
        if (program.find('\'') == std::string::npos) program = "'" + program + "'";
        std::string command = "cd '" + dir.path() + "' && " + before + program + " " + args +
                              " >'" + dir.file(".stdout") + "' 2>'" + dir.file(".stderr") + "'";
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
        {"/X in.txt out.txt 1", "パラメータに誤りがあります。\nスイッチ = /X\n"},
        {"/L in.txt out.txt", "パラメータの数が違います\n"},
        {"/C in.txt out.txt a b", "パラメータの数が違います。\n"},
        {"/L in.txt out.txt 12.5", "レコード長の指定に誤りがあります。\nレコード長 = 12.5\n"},
        {"/L in.txt out.txt 99999999999",
         "レコード長の指定に誤りがあります。\nレコード長 = 99999999999\n"},
        // A line ending the job cannot take is a refused parameter like a bad record length.
        {"/E in.txt out.txt 'cr lf'", "改行コードの指定に誤りがあります。\n改行コード = CR LF\n"},
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
    r = cli("/E in.txt ./in.txt CR");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + dir.file("in.txt") +
                  "\n入力ファイルと同じファイルです。\n",
              r.err);
    EXPECT_EQ("x", readFile(dir.file("in.txt")));

    r = cli("/L in.txt no-folder/out.txt 1");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + dir.file("no-folder/out.txt") +
                  "\nフォルダが存在しません。\n",
              r.err);
}

TEST_P(CliTest, DefinitionThatCannotBeLoadedEndsWithOne) {
    dir.write("in.dat", "x");
    CliRun r = cli("/C in.dat out.csv no-such.trd");
    EXPECT_EQ(1, r.status);
    const std::string path = dir.file("no-such.trd");
    EXPECT_EQ(path + " はレコード定義ファイルではありません。\n" + path +
                  " の読み込み中にエラーが発生しました。\nファイルまたはフォルダが存在しません。\n",
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

TEST_P(CliTest, ShippedLayoutsAreListedAndNamedInsteadOfADefinitionFile) {
    const char listing[] =
        "zengin-sogo     総合振込\nzengin-kyuyo    給与振込\nzengin-furikae  口座振替\n";
    CliRun r = cli("--layouts");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(listing, r.out);
    EXPECT_EQ("", r.err);
    EXPECT_NE(std::string::npos, cli("--help").out.find("--layouts"));

    const std::string source = std::getenv("SORVEK_SOURCE_DIR");
    const std::string samples = source + "/layouts/samples/";
    r = cli("-v /C '" + samples + "zengin-sogo.dat' out.csv zengin-sogo");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos,
              r.err.find("定義ファイル: " + source + "/layouts/zengin-sogo.trd\n"))
        << r.err;
    const std::string csv = readFile(dir.file("out.csv"));
    const std::string sample = readFile(samples + "zengin-sogo.csv");
    EXPECT_EQ(sample.substr(0, sample.find('\n')), csv.substr(0, csv.find('\n')));
    EXPECT_NE(std::string::npos, csv.find("\r\n000003,000001250547\r\n")) << csv;
    r = cli("--check '" + samples + "zengin-kyuyo.dat' zengin-kyuyo");
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_NE(std::string::npos, r.out.find("問題は見つかりませんでした。")) << r.out;

    // Installed: the layouts beside the program's prefix, wherever that is.
    if (GetParam().find("env ") == 0) return;
    const std::string prefix = dir.file("usr");
    ASSERT_EQ(0, std::system(("mkdir -p '" + prefix + "/bin' '" + prefix +
                              "/share/sorvek/layouts' && cp '" + GetParam() + "' '" + prefix +
                              "/bin/' && cp '" + source + "/layouts/'*.trd '" + prefix +
                              "/share/sorvek/layouts/'")
                                 .c_str()));
    const std::string installed =
        prefix + "/bin/" + std::filesystem::path(GetParam()).filename().string();
    auto runInstalled = [&](const std::string& args) {
        const std::string out = dir.file(".installed");
        const int raw = std::system(
            ("cd '" + dir.path() + "' && '" + installed + "' " + args + " >'" + out + "' 2>&1")
                .c_str());
        return std::make_pair(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out));
    };
    auto [status, out] = runInstalled("--layouts");
    EXPECT_EQ(0, status);
    EXPECT_EQ(listing, out);
    std::tie(status, out) =
        runInstalled("--check '" + samples + "zengin-furikae.dat' zengin-furikae");
    EXPECT_EQ(0, status) << out;
    EXPECT_NE(std::string::npos, out.find(prefix + "/share/sorvek/layouts/zengin-furikae.trd"))
        << out;
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
    EXPECT_TRUE(j["framing_error"].is_null());
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

// The name the program puts before its own messages (defined below).
std::string nameOf(const std::string& program);

// A copybook of two layouts has no class-code position: every record is read as the first
// layout. The output stays what it was; -v, the check and its JSON say that the second layout is
// never used.
TEST_P(CliTest, KindsThatCannotBeToldApartAreSaid) {
    dir.write("two.cpy", "01 HEAD.\n   05 H-NO PIC X(4).\n01 LINE.\n   05 L-QTY PIC 9(4).\n");
    dir.write("in.dat", "AB12CD34");
    const std::string note =
        "識別区分の開始位置が指定されていないため、すべてのレコードを最初のレコード定義 (HEAD) "
        "として変換します。ほかの 1 件のレコード定義は使われません。使うには、ファイル定義で"
        "識別区分の開始位置を、各レコード定義で識別区分を指定してください。";
    CliRun r = cli("/C in.dat plain.csv two.cpy");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err);
    r = cli("-v /C in.dat told.csv two.cpy");
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.err.find(nameOf(GetParam()) + ": 注意: " + note + "\n"))
        << r.err;
    EXPECT_EQ("H-NO\r\nAB12\r\nCD34\r\n", readFile(dir.file("told.csv")));
    EXPECT_EQ(readFile(dir.file("plain.csv")), readFile(dir.file("told.csv")));

    r = cli("--check in.dat two.cpy");
    EXPECT_EQ(0, r.status) << r.out << r.err;
    EXPECT_NE(std::string::npos, r.out.find("\n  注意: " + note + "\n")) << r.out;
    r = cli("--check --json in.dat two.cpy");
    EXPECT_EQ(0, r.status) << r.err;
    nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(note, j["kinds_not_told_apart"]);
    EXPECT_EQ(false, j["problems"]);

    // Kinds told apart by their class codes: nothing to say.
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    r = cli("--check --json '" + samples + "orders.dat' '" + samples + "orders.trd'");
    EXPECT_TRUE(nlohmann::json::parse(r.out)["kinds_not_told_apart"].is_null()) << r.out;
    r = cli("-v /C '" + samples + "orders.dat' orders.csv '" + samples + "orders.trd'");
    EXPECT_EQ(std::string::npos, r.err.find("注意")) << r.err;
}

// A copybook cannot say how its records are stored: the input options say it, to the
// conversion and to the check alike.
TEST_P(CliTest, InputOptionsGoOverACopybookGivenAsTheDefinition) {
    dir.write("rec.cpy", "01 REC.\n   05 NAME PIC X(4).\n   05 QTY PIC 9(3).\n");
    // IBM037 text and zoned digits, each record behind a little-endian descriptor word that
    // counts only the bytes after it.
    dir.write("in.dat", std::string("\x07\x00\x00\x00\xC1\xC2\xC3\xC4\xF1\xF2\xF3"
                                    "\x07\x00\x00\x00\xE6\xE7\xE8\xE9\xF4\xF5\xF6",
                                    22));
    const std::string options =
        "--input-code-page IBM037 --record-format v --rdw-byte-order little "
        "--rdw-length exclusive ";
    CliRun r = cli(options + "/C in.dat out.csv rec.cpy");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_EQ("NAME,QTY\r\nABCD,123\r\nWXYZ,456\r\n", readFile(dir.file("out.csv")));

    r = cli("--check --json " + options + "in.dat rec.cpy");
    EXPECT_EQ(0, r.status) << r.out << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ((nlohmann::json{{"REC", 2}}), j["records_by_kind"]);
    EXPECT_TRUE(j["framing_error"].is_null());
    EXPECT_EQ(0, j["trailing_bytes"]);
    EXPECT_EQ("IBM037", j["page_text"]["code_page"]);
    EXPECT_EQ(false, j["problems"]);
}

TEST_P(CliTest, CheckWithSeveralWorkersGivesTheReportOfOne) {
    dir.write("t.trd", kCheckDefinition);
    // Over 9 MiB, so that several parts follow the start: headers with and without details,
    // split characters, invalid packed values, line breaks between some records (CR and LF
    // falling on the cuts), and a stray byte at the end.
    std::string data;
    std::uint32_t seed = 7;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    while (data.size() < (9u << 20) + 12345) {
        data += "H00" + std::to_string(next() % 10);
        for (std::uint32_t d = next() % 3; d > 0; --d) {
            data += next() % 50 == 0 ? std::string("DA\x82\x1A\x3C") : std::string("DBC\x12\x3C");
        }
        if (next() % 4 == 0) data += next() % 2 ? "\r\n" : "\r";
    }
    data += "X";
    dir.write("in.dat", data);
    const CliRun one = cli("--check --json in.dat t.trd");
    ASSERT_EQ(1, one.status) << one.err;
    const CliRun text = cli("--check in.dat t.trd");
    for (const char* jobs : {"2", "3", "8"}) {
        const CliRun r = cli(std::string("--jobs ") + jobs + " --check --json in.dat t.trd");
        EXPECT_EQ(1, r.status) << r.err;
        EXPECT_EQ("", r.err);
        EXPECT_EQ(one.out, r.out) << jobs;
        const CliRun t = cli(std::string("-q --jobs=") + jobs + " --check in.dat t.trd");
        EXPECT_EQ(text.out, t.out) << jobs;
    }
    EXPECT_EQ(1, nlohmann::json::parse(one.out)["trailing_bytes"]);
}

TEST_P(CliTest, CheckRefusesWrongCommandLinesWithTwoAndMissingFilesWithOne) {
    dir.write("in.dat", "x");
    const std::string name = nameOf(GetParam());
    const std::pair<const char*, const char*> refused[] = {
        {"--check", "--check には入力ファイルと、必要なら定義ファイルを指定してください。"},
        {"--check in.dat a.trd b",
         "--check には入力ファイルと、必要なら定義ファイルを指定してください。"},
        {"--json in.dat", "--json は --check と一緒に指定してください。"},
        {"--check --frob in.dat", "不明なオプションです: --frob"},
        {"--check --trim in.dat", "--check にはジョブや出力形式のオプションを指定できません。"},
        {"--check --record-format v in.dat",
         "入力の読み方のオプションは --check に定義ファイルと一緒に指定してください。"},
    };
    for (const auto& [args, reason] : refused) {
        CliRun r = cli(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_EQ("", r.out) << args;
        EXPECT_EQ(name + ": " + reason + "\n詳しくは '" + name + " --help' を実行してください。\n",
                  r.err)
            << args;
    }
    CliRun r = cli("--check missing.dat");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("入力ファイルが存在しません。\nfni = " + dir.file("missing.dat") + "\n", r.err);
    r = cli("--check in.dat missing.trd");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.err.find("missing.trd")) << r.err;
    // Asked for JSON, standard output has the object all the same, saying why.
    r = cli("--check --json in.dat missing.trd");
    EXPECT_EQ(1, r.status);
    const nlohmann::json report = nlohmann::json::parse(r.out);
    EXPECT_EQ(true, report["problems"]);
    EXPECT_NE(std::string::npos, report["definition_error"].get<std::string>().find("missing.trd"))
        << r.out;
}

TEST_P(CliTest, CheckOfATextListsTheLinesTheJobWouldStopAt) {
    dir.write("t.trd", kCheckDefinition);
    // A detail's amount too long for P(2), a line of one value; the lines between make records.
    dir.write("in.csv", "N,T,A\r\n001,AB,12\r\nCD,1234\r\n002,EF,-5\r\nx\r\n");
    dir.write("good.csv", "N,T,A\r\n001,AB,12\r\n");
    CliRun r = cli("--check --csv in.csv t.trd");
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_EQ("点検したファイル (CSV→REC変換の入力): " + dir.file("in.csv") +
                  "\n"
                  "  ファイルサイズ: 41 バイト\n"
                  "定義: " +
                  dir.file("t.trd") +
                  "\n"
                  "  文字コード: Shift-JIS (CP932)\n"
                  "  読んだ行数: 5 行 (見出し行を含む)\n"
                  "  作られるレコード数: H 2 件、D 2 件\n"
                  "  レコードを作れない行: 2 行 (CSV→REC変換は最初の行で止まり、出力ファイルは"
                  "変わりません)\n"
                  "  ・行 3、列 2 (A): 桁数が多すぎます (3 桁まで)。値 = 1234\n"
                  "  ・行 5: 値の数 (1) がどのレコードの行とも合いません。\n",
              r.out);
    EXPECT_TRUE(std::system(("test \"$(ls '" + dir.path() + "' | wc -l)\" -eq 3").c_str()) == 0);

    r = cli("--check --csv --json in.csv t.trd");
    EXPECT_EQ(1, r.status) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(dir.file("in.csv"), j["file"]);
    EXPECT_EQ("cp932", j["encoding"]);
    EXPECT_TRUE(j["refused"].is_null());
    EXPECT_EQ(5, j["lines"]);
    EXPECT_EQ((nlohmann::json{{"H", 2}, {"D", 2}}), j["records_by_kind"]);
    EXPECT_EQ(2, j["line_failures"]["count"]);
    EXPECT_EQ((nlohmann::json{{"line", 3},
                              {"offset", 18},
                              {"problem", "value"},
                              {"values", 2},
                              {"column", 2},
                              {"field", "A"},
                              {"value", "1234"},
                              {"reason", "桁数が多すぎます (3 桁まで)。"}}),
              j["line_failures"]["first"][0]);
    EXPECT_EQ("value_count", j["line_failures"]["first"][1]["problem"]);
    EXPECT_TRUE(j["line_failures"]["first"][1]["column"].is_null());
    EXPECT_EQ(true, j["problems"]);

    r = cli("--check --csv good.csv t.trd");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("  問題は見つかりませんでした。\n")) << r.out;
    // The job's options over the definition are read as the job reads them: without the title
    // line, the titles are a header whose number is no number.
    r = cli("--check --csv --title-line off --json good.csv t.trd");
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_EQ(1, nlohmann::json::parse(r.out)["line_failures"]["first"][0]["line"]);

    const std::string name = nameOf(GetParam());
    const std::pair<const char*, const char*> refused[] = {
        {"--csv in.csv t.trd", "--csv は --check と一緒に指定してください。"},
        {"--check --csv in.csv",
         "--check --csv には入力ファイルと定義ファイルを指定してください。"},
        {"--check --csv --to-records t.trd in.csv t.trd",
         "--check --csv にはジョブのオプションを指定できません。"},
    };
    for (const auto& [args, reason] : refused) {
        r = cli(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_EQ(name + ": " + reason + "\n詳しくは '" + name + " --help' を実行してください。\n",
                  r.err)
            << args;
    }
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

namespace sorvek::testing {
namespace {

// The name the program puts before its own messages.
std::string nameOf(const std::string& program) {
    return program.find("env ") == 0 ? "sorvek" : "sorvek-cli";
}

TEST_P(CliTest, LongOptionsNameTheJobsParameterBeforeInputAndOutput) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    CliRun r = cli("--definition '" + samples + "orders.trd' '" + samples + "orders.dat' a.csv");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(readFile(samples + "orders.csv"), readFile(dir.file("a.csv")));

    dir.write("-in.txt", "ab\ncd\n");
    r = cli("--record-length 3 -- -in.txt rec.txt");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("abc\r\nd", readFile(dir.file("rec.txt")));
    r = cli("-q --line-ending=lf -- -in.txt lf.txt");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("ab\ncd\n", readFile(dir.file("lf.txt")));
    // After the switch every argument is the job's, whatever it looks like.
    r = cli("/E -in.txt -out.txt CR");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("ab\rcd\r", readFile(dir.file("-out.txt")));
}

// The bytes after the last whole record make no line: -v says so, and the output is the same
// bytes as without it. The check reads standard input for "-", as its usage says.
TEST_P(CliTest, VerboseSaysWhatWasLeftOutAndTheCheckReadsStandardInput) {
    dir.write("t.trd", kCheckDefinition);
    dir.write("in.dat", std::string("H001DAB\x12\x3CX"));
    CliRun r = cli("/C in.dat quiet.csv t.trd");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.err);
    r = cli("-v /C in.dat told.csv t.trd");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos,
              r.err.find(nameOf(GetParam()) +
                         ": 注意: 末尾の 1 バイト (オフセット 9 から) はレコード長に満たないため"
                         "出力していません。\n"))
        << r.err;
    EXPECT_BYTES_EQ(readFile(dir.file("quiet.csv")), readFile(dir.file("told.csv")));
    for (const char* jobs : {"", "--jobs 2 "}) {
        r = cli(std::string("-v ") + jobs + "/C in.dat jobs.csv t.trd");
        EXPECT_NE(std::string::npos, r.err.find("末尾の 1 バイト")) << jobs << r.err;
    }

    r = cli("--check --json - t.trd <in.dat");
    EXPECT_EQ(1, r.status) << r.err;
    EXPECT_EQ("", r.err);
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(10, j["file_size"]);
    EXPECT_EQ(1, j["trailing_bytes"]);
    r = cli("--check - <in.dat");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("ファイルサイズ: 10 バイト")) << r.out;
}

// Memory follows the declared record lengths, so a length beyond any real record is refused
// with the record named before anything is read, not tried until memory runs out; the longest
// length taken converts a short input within a modest limit.
TEST_P(CliTest, RecordLengthsBeyondTheLimitAreRefusedNotTried) {
    dir.write("one.dat", "1");
    dir.write("huge.cpy", "       01 R.\n           05 F PIC X(999999999).\n");
    auto definition = [](const std::string& sizes) {
        std::string text =
            "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=" +
            std::to_string(std::count(sizes.begin(), sizes.end(), ',') + 1) +
            "\r\nName=t\r\nSize=0\r\nClassPos=1\r\nDelimiter=,\r\nTitleLine=False\r\n";
        std::size_t from = 0;
        for (int i = 1; from <= sizes.size(); ++i) {
            std::size_t comma = sizes.find(',', from);
            if (comma == std::string::npos) comma = sizes.size();
            const std::string size = sizes.substr(from, comma - from);
            text += "[Record_" + std::to_string(i) + "]\r\nName=R" + std::to_string(i) +
                    "\r\nSize=" + size + "\r\nClass=" + std::to_string(i) +
                    "\r\nParent=0\r\nChild=0\r\nMaxFieldIndex=0\r\nField_0=f,P,1," + size +
                    ",0,-1,\r\n";
            from = comma + 1;
        }
        return text;
    };
    dir.write("longest.trd", definition("67108864"));
    dir.write("longer.trd", definition("67108865"));
    dir.write("many.trd", definition("67108864,67108864,67108864,67108864,1"));
    const std::string tooLong = "レコード長が扱える長さを超えています。\nレコード = ";
    const std::pair<const char*, std::string> refused[] = {
        {"/C one.dat out.csv huge.cpy",
         tooLong + "R (1)\nレコード長 = 999999999\n上限 = 67108864\n"},
        {"--jobs 2 /C one.dat out.csv longer.trd",
         tooLong + "R1 (1)\nレコード長 = 67108865\n上限 = 67108864\n"},
        {"/R one.dat out.dat huge.cpy",
         tooLong + "R (1)\nレコード長 = 999999999\n上限 = 67108864\n"},
        {"/C one.dat out.csv many.trd",
         "レコード長の合計が扱える長さを超えています。\nレコード = R5 (5)\nレコード長の合計 = "
         "268435457\n上限 = 268435456\n"},
    };
    // Where the program starts under the limit (not under AddressSanitizer, which reserves
    // more), the refusal comes under it too instead of an abort.
    const std::string limit = "ulimit -v 1000000 && ";
    const bool limited = cli("--version", limit).status == 0;
    for (const auto& [args, text] : refused) {
        const CliRun r = cli(args, limited ? limit : "");
        EXPECT_EQ(1, r.status) << args << r.err;
        EXPECT_EQ(text, r.err) << args;
    }
    const CliRun check = cli("--check --json one.dat huge.cpy", limited ? limit : "");
    EXPECT_EQ(1, check.status) << check.err;
    EXPECT_NE(std::string::npos, check.out.find("レコード長 = 999999999")) << check.out;

    const CliRun r = cli("/C one.dat out.csv longest.trd", limited ? limit : "");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", readFile(dir.file("out.csv")));
}

TEST_P(CliTest, OutputOptionsOverrideTheDefinition) {
    // Header and details, title line on in the definition.
    dir.write("d.trd", utf8ToCp932("[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\n"
                                   "MaxRecordIndex=1\r\nName=t\r\nSize=6\r\nClassPos=\r\n"
                                   "Delimiter=,\r\nTitleLine=True\r\n[Record_1]\r\nName=r\r\n"
                                   "Size=6\r\nClass=\r\nParent=0\r\nChild=0\r\nMaxFieldIndex=1\r\n"
                                   "Field_0=名,X,1,4,0,-1,\r\nField_1=額,9,5,2,0,-1,\r\n"));
    dir.write("d.dat", utf8ToCp932("a,　1J") + "b\"  2{");
    CliRun r =
        cli("--encoding utf-8-bom --quote minimal --trim --zoned-sign trailing "
            "--title-line off --line-end lf /C d.dat d.csv d.trd");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_BYTES_EQ(std::string("\xEF\xBB\xBF\"a,\",-11\n\"b\"\"\",20\n"),
                    readFile(dir.file("d.csv")));
    r = cli("-v --quote all --definition d.trd d.dat e.csv");
    EXPECT_EQ(0, r.status);
    EXPECT_BYTES_EQ(utf8ToCp932("\"名\",\"額\"\r\n\"a,　\",\"1J\"\r\n\"b\"\"  \",\"2{\"\r\n"),
                    readFile(dir.file("e.csv")));
    const std::string name = nameOf(GetParam());
    EXPECT_EQ(0u, r.err.find(name + ": REC→CSV変換: " + dir.file("d.dat") + " → " +
                             dir.file("e.csv") + "\n"))
        << r.err;
    EXPECT_NE(std::string::npos, r.err.find("quote=all trim=off"));
    EXPECT_NE(std::string::npos, r.err.find(name + ": 完了しました ("));
}

TEST_P(CliTest, RefusedOptionsSayWhyWithTheProgramsNameAndExitWithTwo) {
    dir.write("in.txt", "x");
    const std::pair<const char*, const char*> cases[] = {
        {"--nope /E in.txt out.txt LF", "不明なオプションです: --nope"},
        {"-x /E in.txt out.txt LF", "不明なオプションです: -x"},
        {"--encoding utf-16 /C in.txt out.txt d.trd",
         "--encoding に指定できる値は cp932|utf-8|utf-8-bom です: utf-16"},
        {"--quote some /C in.txt out.txt d.trd",
         "--quote に指定できる値は none|minimal|all です: some"},
        {"--title-line /C in.txt out.txt d.trd", "--title-line に指定できる値は on|off です: /C"},
        {"/C in.txt out.txt d.trd --encoding", nullptr},  // the job's four arguments and more
        {"--trim /L in.txt out.txt 1",
         "出力形式のオプションは REC→CSV変換 (/C, --definition) と CSV→REC変換 (/R, "
         "--to-records) にだけ指定できます。"},
        {"--definition d.trd --record-length 1 in.txt out.txt",
         "--record-length と --definition は同時に指定できません。"},
        {"--definition d.trd in.txt",
         "--definition のほかに入力ファイルと出力ファイルを指定してください。"},
        {"--line-ending", "--line-ending に値を指定してください。"},
    };
    const std::string name = nameOf(GetParam());
    for (const auto& [args, reason] : cases) {
        CliRun r = cli(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_EQ("", r.out) << args;
        if (reason == nullptr) {
            EXPECT_EQ("パラメータの数が違います。\n", r.err) << args;
        } else {
            EXPECT_EQ(
                name + ": " + reason + "\n詳しくは '" + name + " --help' を実行してください。\n",
                r.err)
                << args;
        }
    }
    EXPECT_FALSE(std::system(("test -e '" + dir.file("out.txt") + "'").c_str()) == 0);
}

TEST_P(CliTest, HelpOfOneJob) {
    for (const char* args : {"--help /C", "-h /c", "--help --definition x"}) {
        CliRun r = cli(args);
        EXPECT_EQ(0, r.status) << args;
        EXPECT_NE(std::string::npos, r.out.find("--definition 定義ファイル")) << args;
        EXPECT_NE(std::string::npos, r.out.find("--zoned-sign off|trailing|leading")) << args;
        EXPECT_EQ(std::string::npos, r.out.find("--record-length")) << args;
    }
    CliRun r = cli("--help /L");
    EXPECT_NE(std::string::npos, r.out.find("--record-length"));
    EXPECT_EQ(std::string::npos, r.out.find("--encoding"));
}

TEST_P(CliTest, JobsWriteTheSameBytesWithAnyNumberOfWorkers) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    std::string text;
    for (int i = 0; i < 20000; ++i) text += i % 3 ? "line\r\n" : "x\r";
    dir.write("text.txt", text);
    for (const char* jobs : {"1", "2", "3"}) {
        CliRun r = cli(std::string("--jobs ") + jobs + " /C '" + samples + "orders.dat' o.csv '" +
                       samples + "orders.trd'");
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ(readFile(samples + "orders.csv"), readFile(dir.file("o.csv"))) << jobs;
        r = cli(std::string("--jobs ") + jobs + " /E text.txt e" + jobs + ".txt LF");
        EXPECT_EQ(0, r.status) << r.err;
        r = cli(std::string("--jobs=") + jobs + " /L text.txt l" + jobs + ".txt 7");
        EXPECT_EQ(0, r.status) << r.err;
    }
    EXPECT_BYTES_EQ(readFile(dir.file("e1.txt")), readFile(dir.file("e3.txt")));
    EXPECT_BYTES_EQ(readFile(dir.file("l1.txt")), readFile(dir.file("l2.txt")));

    const std::string name = nameOf(GetParam());
    for (const char* wrong : {"x", "257", "-1"}) {
        CliRun r = cli(std::string("--jobs ") + wrong + " /E text.txt e.txt LF");
        EXPECT_EQ(2, r.status) << wrong;
        EXPECT_EQ(name + ": --jobs には 0 (自動) から 256 までの整数を指定してください: " + wrong +
                      "\n詳しくは '" + name + " --help' を実行してください。\n",
                  r.err);
    }
}

TEST_P(CliTest, AFilePerKindIsNamedAfterTheOutputAndListed) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    CliRun r =
        cli("-v --split-kinds /C '" + samples + "orders.dat' out.csv '" + samples + "orders.trd'");
    ASSERT_EQ(0, r.status) << r.err;
    const std::string file = dir.file("out.受注明細.csv");
    EXPECT_NE(std::string::npos, r.err.find("出力ファイル: " + file + " (7 行)")) << r.err;
    // The one kind that writes lines: its file is the one output's bytes.
    EXPECT_BYTES_EQ(readFile(samples + "orders.csv"), readFile(file));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.csv")));

    r = cli("--split-kinds /C '" + samples + "orders.dat' - '" + samples + "orders.trd'");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos,
              r.err.find("標準出力 (-) ではなく出力ファイルを指定してください。"))
        << r.err;
    EXPECT_EQ("", r.out);
}

}  // namespace
}  // namespace sorvek::testing
