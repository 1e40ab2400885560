// Records made from delimited text: the way back of the record-to-CSV conversion.
#include "engine/tran_csv2rec.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/failure_message.h"
#include "engine/csv_record_lines.h"
#include "engine/tran_rec2csv.h"
#include "formats/trd_file.h"
#include "platform/codepage.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

class TranCsv2RecTest : public EngineTest {
  protected:
    // Makes records of `csv` with `table` (with `jobs` workers, on parts of a few lines, or of
    // 16 KiB in a text of megabytes); the output, or the failure in `failures`.
    std::string toRecords(const std::string& csv, RecordDefTable table,
                          const RecordOutputOptions& records = {}, unsigned jobs = 1) {
        const std::string in = dir.write("in.csv", csv);
        EngineContext ctx = context();
        ctx.jobs = jobs;
        if (jobs > 1) ctx.blockSize = csv.size() < (1 << 20) ? 8 : 4096;
        if (!ran(tranCsv2Rec(in, dir.file("out.dat"), table, records, ctx))) return {};
        return readFile(dir.file("out.dat"));
    }
};

TEST_F(TranCsv2RecTest, TheSampleComesBackToItsRecords) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    RecordDefTable table;
    table.reset(2);
    ASSERT_TRUE(readTrdFile(samples + "orders.trd", table).ok());
    const std::string records =
        toRecords(readFile(samples + "orders.csv"), table, {RecordEnd::CrLf, kMaxBlockSize});
    ASSERT_TRUE(failures.empty()) << failures.front().reason;
    EXPECT_BYTES_EQ(readFile(samples + "orders.dat"), records);
}

// Header H (its number) with details D and E, told apart by the class code in column 1; a
// title line.
RecordDefTable orderTable() {
    FieldDef difference = field("差", "BIN", 17, 4);
    difference.signedBinary = true;
    return makeTable(
        fileDefinition(0, "1", ",", true),
        {recordDefinition("H", 6, "H", 0, 2, {field("種別", "X", 1, 1), field("番号", "9", 2, 5)}),
         recordDefinition(
             "D", 20, "D", 1, 0,
             {field("種別", "X", 1, 1), field("品名", "X", 2, 6), field("数量", "9", 8, 4, 1),
              field("金額", "P", 12, 3, 2), field("個数", "BIN", 15, 2), difference}),
         recordDefinition("E", 12, "E", 1, 0,
                          {field("種別", "X", 1, 1), field("a", "X", 2, 2), field("b", "9", 4, 2),
                           field("c", "9", 6, 2), field("d", "X", 8, 2), field("e", "X", 10, 3)})});
}

TEST_F(TranCsv2RecTest, EveryRefusalNamesItsPlaceAndLeavesTheOutputAsItWas) {
    const std::string title = "種別,番号,種別,品名,数量,金額,個数,差\r\n";
    const std::string good = "H,00001,D,ABC,12.5,1.25,3,-4\r\n";
    const std::string valueText = "CSV の値をフィールドに入れられません。\n行 = 3、列 = ";
    const std::string lineText = "CSV の行からレコードを作れません。\n行 = 3\n";
    const std::size_t longest = CsvRecordLines::make(orderTable(), "")->longestLine();
    struct Refusal {
        std::string line;  // the third line, after the title and a good one
        std::string message;
        InputCodePage page = InputCodePage::Cp932;
    };
    const Refusal refusals[] = {
        {"H,123456,D,ABC,12.5,1.25,3,-4",
         valueText + "2\nフィールド = 番号\n値 = 123456\n桁数が多すぎます (5 桁まで)。"},
        {"H,00001,D,ABC,1.25,1.25,3,-4",
         valueText +
             "5\nフィールド = 数量\n値 = 1.25\n小数点以下の桁が多すぎます (小数点以下 1 桁)。"},
        {"H,00001,D,ABCDEFG,12.5,1.25,3,-4",
         valueText +
             "4\nフィールド = 品名\n値 = ABCDEFG\nバイト数が多すぎます (7 バイト、フィールドは 6 "
             "バイト)。"},
        {"H,00001,D,ABC,12.5,1.2x,3,-4",
         valueText + "6\nフィールド = 金額\n値 = 1.2x\n数値ではありません。"},
        {"H,00001,D,ABC,12.5,1.25,-3,-4",
         valueText + "7\nフィールド = 個数\n値 = -3\n符号のないフィールドに負の値は入りません。"},
        {"H,00001,D,ABC,12.5,1.25,65536,-4",
         valueText + "7\nフィールド = 個数\n値 = 65536\n値が大きすぎます (2 バイトの二進数)。"},
        {"H,00001,D,漢字,12.5,1.25,3,-4",
         valueText +
             "4\nフィールド = 品名\n値 = 漢字\n「漢」はこの文字コード (IBM037) にない文字です。",
         InputCodePage::Ibm037},
        {"H,00001,D,ABC", lineText + "値の数 (4) がどのレコードの行とも合いません。"},
        {"H,00001,Z,ABC,12.5,1.25,3,-4", lineText + "どのレコードの識別区分とも合いません。"},
        {"H,00001,D,\"AB\"C,12.5,1.25,3,-4",
         lineText + "値 4 の引用符 (\") が正しく閉じられていません。"},
        {"H,00001,D,\"ABC,12.5", lineText + "値 4 の引用符 (\") が正しく閉じられていません。"},
        // A quote not closed before the text ends holds no more than the longest line in memory.
        {"H,00001,D,\"ABC,12.5" + std::string(2 * longest, '9') + "\r\n" + good,
         lineText + "行が長すぎます (" + std::to_string(longest) +
             " バイトを超えても終わりません)。引用符 (\") "
             "が閉じられていない値があるかもしれません。"},
    };
    for (const Refusal& r : refusals) {
        // The same with workers that read the lines in parts at once.
        for (const unsigned jobs : {1u, 3u}) {
            RecordDefTable table = orderTable();
            table[0].codePage = r.page;
            failures.clear();
            dir.write("out.dat", "old records");
            toRecords(utf8ToCp932(title + good + r.line + "\r\n" + good), table, {}, jobs);
            const Failure f = onlyFailure();
            EXPECT_EQ(FailureKind::InvalidData, f.kind)
                << r.line.substr(0, 40) << ", jobs " << jobs;
            EXPECT_EQ(r.message, failureMessage(f).text)
                << r.line.substr(0, 40) << ", jobs " << jobs;
            EXPECT_EQ("old records", readFile(dir.file("out.dat"))) << r.line.substr(0, 40);
            EXPECT_EQ((std::vector<std::string>{"in.csv", "out.dat"}), dir.names())
                << r.line.substr(0, 40);
        }
    }
}

TEST_F(TranCsv2RecTest, LinesNoKindTellsApartAreRefusedBeforeAnyFile) {
    // D and E without their class codes in the text: lines of seven values each.
    RecordDefTable table = orderTable();
    table[2].Fields[0].Check = 0;
    table[3].Fields[0].Check = 0;
    dir.write("out.dat", "old records");
    EngineContext ctx = context();
    ran(tranCsv2Rec(dir.file("missing.csv"), dir.file("out.dat"), table, {}, ctx));
    const Failure f = onlyFailure();
    EXPECT_EQ(FailureKind::InvalidDefinition, f.kind);
    EXPECT_EQ(std::string("このレコード定義からはレコードを作れません。\n") +
                  "レコード「D」と「E」の行は項目の数が同じ (7) で、識別区分を含む出力項目がない" +
                  "ため、行の種類を決められません。",
              failureMessage(f).text);
    EXPECT_EQ("old records", readFile(dir.file("out.dat")));
    EXPECT_EQ(std::vector<std::string>{"out.dat"}, dir.names());
}

TEST_F(TranCsv2RecTest, TextWithoutLinesMakesAnEmptyFile) {
    for (const std::string& text :
         {std::string(), utf8ToCp932("種別,番号,種別,品名,数量,金額,個数,差\r\n")}) {
        dir.write("out.dat", "old records");
        EXPECT_EQ("", toRecords(text, orderTable()));
        EXPECT_TRUE(failures.empty());
    }
}

}  // namespace
}  // namespace sorvek::testing
