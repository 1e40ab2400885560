// The texts made from an inspection: the findings list, the warnings of a completion message
// and the question before a job that rewrites line breaks.
#include "app/check_report.h"

#include <gtest/gtest.h>

#include "engine/inspection.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;

InspectionReport inspect(const std::string& data, const RecordDefTable* table) {
    Inspector inspector(table);
    inspector.add(data.data(), data.size());
    return inspector.finish();
}

// The order example with a packed amount in the detail: D, QTY 9(3), AMT P(2).
RecordDefTable ordersWithAmount() {
    RecordDefTable table = orderExampleTable();
    table[2].Size = 6;
    table[2].Fields.push_back(field("AMT", "P", 5, 2));
    return table;
}

TEST(CheckReport, FindingsSayWhatAndWhereProblemsFirst) {
    const RecordDefTable table = ordersWithAmount();
    // A detail before any header, a header with no detail, an invalid amount, a trailing byte.
    const InspectionReport r =
        inspect("D001\x12\x3C"s + "H00001H00002D002\xA2\x3C"s + "D003\x00\x1C"s + "H", &table);
    const std::vector<FindingGroup> groups = reportFindings(r);
    std::vector<std::string> texts;
    for (const FindingGroup& g : groups) {
        if (g.problem) texts.push_back(g.text);
    }
    EXPECT_EQ(
        (std::vector<std::string>{
            "末尾の 1 バイトはレコード長に満たない不完全なレコードで、出力されません",
            "親レコードより前にある子レコード (D): 1 件 (親のフィールドなしで出力されます)",
            "子レコードが続かないため、どの行にも出力されないレコード (H): 1 件",
            "D.AMT: パック10進数として正しくない値 (数字でない半バイト、または符号でない最後の"
            "半バイト): 1 件"}),
        texts);
    // The places of the invalid amount: the field's offset, the record's number.
    const FindingGroup& amount = groups[3];
    ASSERT_EQ(1u, amount.places.size());
    EXPECT_EQ(22, amount.places[0].offset);
    EXPECT_EQ(4, amount.places[0].recordNumber);
    EXPECT_EQ(18, amount.places[0].recordOffset);
    EXPECT_EQ("レコード 4 (オフセット 22)", placeText(amount.places[0]));
    EXPECT_EQ("オフセット 1,234,567", placeText({1234567, 0, 1234567}));
}

TEST(CheckReport, AFaultOfTheDescriptorWordsIsToldAsTheConversionTellsIt) {
    RecordDefTable table = orderExampleTable();
    table[0].recordFormat = RecordFormat::V;
    const InspectionReport r = inspect("\0\x0A\0\0H00001\0\x02\0\0D"s, &table);
    const std::vector<FindingGroup> groups = reportFindings(r);
    ASSERT_FALSE(groups.empty());
    EXPECT_TRUE(groups[0].problem);
    EXPECT_EQ(
        "レコード記述語（RDW）の長さに誤りがあります。 / レコード番号 = 2、オフセット = 10 "
        "(0xA) / 長さ = 2 (変換はここで止まり、ここから先は点検していません)",
        groups[0].text);
    ASSERT_EQ(1u, groups[0].places.size());
    EXPECT_EQ(10, groups[0].places[0].offset);
    EXPECT_EQ(2, groups[0].places[0].recordNumber);
}

TEST(CheckReport, AFileOnAnEbcdicPageIsDescribedInThatPagesTerms) {
    RecordDefTable table = orderExampleTable();
    table[0].codePage = InputCodePage::Ibm930;
    // H (C8) 0 0 0 0 1 in EBCDIC, then 6A (no character of the page) and NUL, CR and LF bytes.
    const InspectionReport r = inspect("\xC8\xF0\xF0\xF0\xF0\xF1\x6A\x00\x0D\x0A\x0D\x0A"s, &table);
    const std::vector<std::string> lines = reportLines(r, "in.dat", "t.trd");
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    EXPECT_NE(std::string::npos, text.find("  文字コード: IBM930 (EBCDIC、定義による。"));
    EXPECT_NE(std::string::npos, text.find("  IBM930 の文字として読めるバイト: 6 (50%)\n"));
    EXPECT_NE(std::string::npos,
              text.find("  IBM930 の文字でない並び: 1 か所 (最初はオフセット 6)\n"));
    EXPECT_NE(std::string::npos, text.find("  制御コード (NUL を含む): 5 バイト"));
    EXPECT_EQ(std::string::npos, text.find("Shift-JIS"));
    EXPECT_EQ(std::string::npos, text.find("改行: CR+LF"));
    for (const FindingGroup& g : reportFindings(r)) {
        EXPECT_EQ(std::string::npos, g.text.find("Shift-JIS")) << g.text;
    }
}

TEST(CheckReport, CompletionWarningsNameWhatTheOutputLacks) {
    const RecordDefTable table = ordersWithAmount();
    InspectionReport r = inspect("H00001H00002D002\xA2\x3C"s + "D3", &table);
    EXPECT_EQ(
        (std::vector<std::string>{
            "末尾の 2 バイト (オフセット 18 から) はレコード長に満たないため出力していません。",
            "子レコードが続かなかったため、H の 1 件のレコードはどの行にも出力されていません ("
            "最初はレコード 1 (オフセット 0))。",
            "D.AMT に正しくない値が 1 件ありました (最初はレコード 3 (オフセット 16))。"}),
        completionWarnings(r));
    r = inspect("H00001D002\x12\x3C", &table);
    EXPECT_TRUE(completionWarnings(r).empty());
    EXPECT_TRUE(completionWarnings(inspect("x", nullptr)).empty());
}

// Two kinds and no class-code position: every record is read as the first. The desktop
// program's findings and completion message say so, as a note: the output is not at fault.
TEST(CheckReport, KindsThatCannotBeToldApartAreNoted) {
    RecordDefTable table = orderExampleTable();
    table[0].Class = "";
    table[1].Child = 0;
    table[2].Parent = 0;
    const InspectionReport r = inspect("H00001H00002", &table);
    const std::string note =
        "識別区分の開始位置が指定されていないため、すべてのレコードを最初のレコード定義 (H) "
        "として変換します。ほかの 1 件のレコード定義は使われません。使うには、ファイル定義で"
        "識別区分の開始位置を、各レコード定義で識別区分を指定してください。";
    EXPECT_EQ(std::vector<std::string>{note}, completionWarnings(r));
    const std::vector<FindingGroup> groups = reportFindings(r);
    ASSERT_EQ(1u, groups.size());
    EXPECT_EQ(note, groups[0].text);
    EXPECT_FALSE(groups[0].problem);
    EXPECT_FALSE(r.hasProblems());

    table[0].Class = "1";
    EXPECT_TRUE(completionWarnings(inspect("H00001H00002", &table)).empty());
}

TEST(CheckReport, TheQuestionBeforeALineBreakJobGivesTheEvidence) {
    std::string records;
    for (int i = 0; i < 20; ++i) records += "D001\x00\x12\x3C\r\n"s;
    const InspectionReport r = inspect(records, nullptr);
    ASSERT_TRUE(r.looksBinary);
    const std::string question = recordDataQuestion(r, "改行コード変換");
    EXPECT_EQ(0u, question.rfind(
                      "入力ファイルは固定長のレコードデータのようです。\n改行コード変換は", 0));
    EXPECT_NE(
        std::string::npos,
        question.find("\n・テキストに現れない制御コードが 40 バイトあります (最初はオフセット 4)"))
        << question;
    const std::string ask = "\n\nこのまま実行しますか？";
    EXPECT_EQ(ask, question.substr(question.size() - ask.size()));
    const std::string warning = recordDataWarning(r, "改行コード変換");
    EXPECT_EQ(0u, warning.rfind("警告: ", 0));
    EXPECT_EQ(std::string::npos, warning.find("このまま実行しますか"));
    EXPECT_TRUE(recordDataEvidence(inspect("plain text\r\n", nullptr)).empty());
}

TEST(CheckReport, TheTextReportEndsWithTheProblemsAndTheirPlaces) {
    const RecordDefTable table = orderExampleTable();
    const InspectionReport r = inspect("H00001\r\nD012\r\nX", &table);
    const std::vector<std::string> lines = reportLines(r, "/in.dat", "/def.trd");
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ("点検したファイル: /in.dat", lines[0]);
    EXPECT_EQ("  ファイルサイズ: 15 バイト", lines[1]);
    EXPECT_EQ("  改行: CR+LF 2、LF 0、CR 0", lines[2]);
    const std::vector<std::string> tail(lines.end() - 6, lines.end());
    EXPECT_EQ((std::vector<std::string>{
                  "定義: /def.trd", "  レコード数: H 1 件、D 1 件",
                  "  書き出される行数: 2 行 (見出し行を含む)", "  問題: 1 種類",
                  "  ・末尾の 1 バイトはレコード長に満たない不完全なレコードで、出力されません",
                  "      レコード 3 (オフセット 14)"}),
              tail);
}

}  // namespace
}  // namespace sorvek::testing
