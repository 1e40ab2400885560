#include "formats/copybook_import.h"

#include "formats/trd_file.h"
#include "support/memory_file_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sorvek::testing {
namespace {

struct Expected {
    const char* name;
    const char* type;
    int pos, size, dec = 0;
};

void expectFields(const RecordDef& record, const std::vector<Expected>& expected) {
    ASSERT_EQ(expected.size(), record.Fields.size()) << record.Name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const FieldDef& f = record.Fields[i];
        const Expected& e = expected[i];
        EXPECT_EQ(e.name, f.Name) << i;
        EXPECT_EQ(e.type, f.Type) << e.name;
        EXPECT_EQ(e.pos, f.Pos) << e.name;
        EXPECT_EQ(e.size, f.Size) << e.name;
        EXPECT_EQ(e.dec, f.Dec) << e.name;
    }
}

// Fixed format: sequence numbers, an indicator column with comments, text past column 72.
constexpr const char* kFixed =
    "000100* A customer record.                                              CUST0001\n"
    "000200 01  CUSTOMER.                                                    CUST0002\n"
    "000300     05  CUST-ID        PIC 9(6).                                 CUST0003\n"
    "000400     05  CUST-NAME      PIC X(20).\n"
    "000500     05  KANA-NAME      PIC G(5) USAGE DISPLAY-1.\n"
    "000600     05  BALANCE        PIC S9(7)V99 COMP-3.\n"
    "000700     05  COUNTS         COMP.\n"
    "000800         10  SMALL      PIC S9(4).\n"
    "000900         10  LARGE      PIC 9(12).\n"
    "001000         10  NATIVE     PIC S9(9) COMP-5.\n"
    "001100     05  RATE           PIC S9(3)V9(2) SIGN IS LEADING SEPARATE.\n"
    "001200     05  DIFF           PIC S9(3) SIGN TRAILING.\n"
    "001300     05  THOUSANDS      PIC 9(3)PPP.\n"
    "001400     05  MILLIONTHS     PIC PPP9(3).\n"
    "001500     05  SHOWN          PIC -Z,ZZ9.99.\n"
    "001600     05  FILLER         PIC X(2) VALUE 'A.'.\n"
    "001700     05  STATE          PIC X.\n"
    "001800         88  ACTIVE     VALUE 'A'.\n"
    "001900 66  ALIAS RENAMES CUST-ID.\n";

TEST(CopybookImport, EveryPictureAndUsageInFixedFormat) {
    RecordDefTable table;
    ASSERT_TRUE(importCopybookText(kFixed, table).ok());
    ASSERT_EQ(1, table.maxIndex());
    expectFields(table[1], {{"CUST-ID", "9", 1, 6},
                            {"CUST-NAME", "X", 7, 20},
                            {"KANA-NAME", "DBCS", 27, 10},
                            {"BALANCE", "P", 37, 5, 2},
                            {"SMALL", "BIN", 42, 2},
                            {"LARGE", "BIN", 44, 8},
                            {"NATIVE", "BIN", 52, 4},
                            {"RATE", "9", 56, 6, 2},
                            {"DIFF", "9", 62, 3},
                            {"THOUSANDS", "9", 65, 3},
                            {"MILLIONTHS", "9", 68, 3, 3},
                            {"SHOWN", "X", 71, 9},
                            {"FILLER", "X", 80, 2},
                            {"STATE", "X", 82, 1}});
    const std::vector<FieldDef>& f = table[1].Fields;
    EXPECT_TRUE(f[4].signedBinary);
    EXPECT_FALSE(f[5].signedBinary);
    EXPECT_EQ(ByteOrder::Big, f[4].byteOrder);
    EXPECT_EQ(ByteOrder::Native, f[6].byteOrder);
    EXPECT_EQ(SignPosition::LeadingSeparate, f[7].sign);
    EXPECT_EQ(SignPosition::Trailing, f[8].sign);
    EXPECT_EQ(SignPosition::Undeclared, f[0].sign);
    EXPECT_EQ(3, f[9].scale);
    EXPECT_EQ(-3, f[10].scale);
    EXPECT_EQ(0, f[12].Check);  // FILLER is not written
    EXPECT_EQ(-1, f[11].Check);
    EXPECT_EQ("PIC S9(7)V99 COMP-3", f[3].Memo);
    EXPECT_EQ("PIC -Z，ZZ9.99", f[11].Memo);  // no comma in a field line
    EXPECT_EQ("CUSTOMER", table[0].Name);
    EXPECT_EQ(82, table[0].Size);
    EXPECT_EQ(82, table[1].Size);
    EXPECT_EQ(",", table[0].Delimiter);
    EXPECT_TRUE(table[0].TitleLine);
}

TEST(CopybookImport, FreeFormatOccursRedefinesAndSeveralRecords) {
    constexpr const char* kFree =
        "*> Orders, free format\n"
        "01 ORDER-HEAD.\n"
        "   05 KIND PIC X.\n"
        "   05 受注番号 PIC 9(5).\n"
        "   05 CODE-AREA PIC X(4).\n"
        "   05 CODE-NUM REDEFINES CODE-AREA PIC 9(4). *> the same bytes as a number\n"
        "01 ORDER-LINE.\n"
        "   05 KIND PIC X.\n"
        "   05 ITEMS OCCURS 2 TIMES INDEXED BY IX.\n"
        "      10 QTY PIC 9(2).\n"
        "      10 PARTS OCCURS 2.\n"
        "         15 PART PIC X.\n";
    RecordDefTable table;
    ASSERT_TRUE(importCopybookText(kFree, table).ok());
    ASSERT_EQ(3, table.maxIndex());
    expectFields(table[1],
                 {{"KIND", "X", 1, 1}, {"受注番号", "9", 2, 5}, {"CODE-AREA", "X", 7, 4}});
    EXPECT_EQ("ORDER-HEAD (CODE-NUM)", table[2].Name);
    expectFields(table[2], {{"KIND", "X", 1, 1}, {"受注番号", "9", 2, 5}, {"CODE-NUM", "9", 7, 4}});
    expectFields(table[3], {{"KIND", "X", 1, 1},
                            {"QTY(1)", "9", 2, 2},
                            {"PART(1)(1)", "X", 4, 1},
                            {"PART(1)(2)", "X", 5, 1},
                            {"QTY(2)", "9", 6, 2},
                            {"PART(2)(1)", "X", 8, 1},
                            {"PART(2)(2)", "X", 9, 1}});
    // Saved as a definition file, every field reads back as it was: no name holds a comma,
    // which would split its line, and Japanese names survive the file's code page.
    MemoryFileSystem files;
    ASSERT_TRUE(writeTrdFile("/orders.trd", table, files).ok());
    RecordDefTable back;
    ASSERT_TRUE(readTrdFile("/orders.trd", back, files).ok());
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(table[static_cast<std::size_t>(k)].Fields,
                  back[static_cast<std::size_t>(k)].Fields);
    }
    // Records of different lengths: the file's is variable.
    EXPECT_EQ(0, table[0].Size);
    EXPECT_EQ(10, table[1].Size);
    EXPECT_EQ(9, table[3].Size);
}

TEST(CopybookImport, RefusesWhatItCannotLayOutWithTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"01 R.\n 05 N PIC 9.\n 05 A OCCURS 6 TO 5 DEPENDING ON N PIC X.\n",
         "行 3: 最小の回数が最大の回数を超える OCCURS には対応していません。"},
        {"01 R.\n 05 A PIC X OCCURS 5 DEPENDING ON N.\n 05 N PIC 9.\n",
         "行 2: DEPENDING ON の項目が表より前にありません: N"},
        // Pictures that are no picture, and a literal its line does not close, which would
        // take in the entries after it.
        {"01 R.\n 05 A PIC 9V9V9.\n", "行 2: 解釈できない PIC 句です: 9V9V9"},
        {"01 R.\n 05 A PIC SS9.\n", "行 2: 解釈できない PIC 句です: SS9"},
        {"01 R.\n 05 A PIC XX(3)V.\n", "行 2: 解釈できない PIC 句です: XX(3)V"},
        {"01 R.\n 05 A PIC 9S9.\n", "行 2: 解釈できない PIC 句です: 9S9"},
        {"01 R.\n 05 A PIC 9P9.\n", "行 2: 解釈できない PIC 句です: 9P9"},
        {"01 R.\n 05 A PIC SX(2).\n", "行 2: 解釈できない PIC 句です: SX(2)"},
        {"01 R.\n 05 A PIC ZZ9V.99.\n", "行 2: 解釈できない PIC 句です: ZZ9V.99"},
        {"01 R.\n 05 A PIC X(3) VALUE 'A.B.\n 05 B PIC X.\n",
         "行 2: 文字定数が閉じていません: 'A.B."},
        {"01 R.\n 05 F COMP-1.\n", "行 2: 対応していない用途です: COMP-1"},
        {"01 R.\n 05 B PIC S9(4) COMP SYNC.\n", "行 2: SYNCHRONIZED 句には対応していません。"},
        {"01 R.\n 05 A PIC Q(3).\n", "行 2: 解釈できない PIC 句です: Q(3)"},
        {"01 R.\n 05 A.\n", "行 2: PIC 句がありません: A"},
        {"01 R.\n 05 A PIC X.\n 05 B REDEFINES C PIC X.\n",
         "行 3: REDEFINES の対象の項目がありません: C"},
        {"05 A PIC X.\n", "行 1: 01 レベルの前に項目があります: A"},
        {"* nothing\n", "行 1: 01 レベルの項目がありません。"},
        {"01 R.\n 05 A PIC X JUNK.\n", "行 2: 解釈できない句です: JUNK"},
        {"01 R.\n 05 A PIC 9(19) COMP.\n", "行 2: 19 桁以上のバイナリ項目には対応していません。"},
        // Names a definition file cannot hold: a comma, a control character, a character
        // beyond CP932, a malformed sequence.
        {"01 R.\n 05 A,B PIC X.\n", "行 2: 定義ファイルに保存できない文字を含む名前です: A,B"},
        {"01 R\x1F.\n 05 A PIC X.\n", "行 1: 定義ファイルに保存できない文字を含む名前です: R\x1F"},
        {"01 R.\n 05 A\xF0\x9F\x98\x80 PIC X.\n",
         "行 2: 定義ファイルに保存できない文字を含む名前です: A\xF0\x9F\x98\x80"},
        {"01 R.\n 05 B\xE8 PIC X.\n",
         "行 2: 定義ファイルに保存できない文字を含む名前です: B\xEF\xBF\xBD"},
    };
    for (const auto& [text, line] : cases) {
        RecordDefTable table;
        const Status status = importCopybookText(text, table);
        ASSERT_FALSE(status.ok()) << text;
        EXPECT_EQ(std::string("コピー句を読み込めません。\n") + line, status.error().reason);
    }
}

TEST(CopybookImport, TablesWhoseCounterGivesTheOccurrencesAreLaidOutAtTheirLargest) {
    constexpr const char* kVarying =
        "01 ORDER.\n"
        "   05 HEAD PIC X(2).\n"
        "   05 HEAD-PARTS REDEFINES HEAD.\n"
        "      10 H1 PIC X.\n"
        "      10 H2 PIC X.\n"
        "   05 LINE-COUNT PIC S9(3) COMP-3.\n"
        "   05 NOTE PIC X(2).\n"
        "   05 LINES OCCURS 0 TO 3 TIMES DEPENDING ON LINE-COUNT OF ORDER.\n"
        "      10 QTY PIC 9(2).\n"
        "      10 PART PIC X.\n"
        "   05 TOTAL PIC 9(4).\n"
        "01 SHORT.\n"
        "   05 N PIC 99 COMP.\n"
        "   05 T PIC X(2) OCCURS 4 DEPENDING N.\n"
        "01 FIXED.\n"
        "   05 F PIC X(10).\n";
    RecordDefTable table;
    const Status status = importCopybookText(kVarying, table);
    ASSERT_TRUE(status.ok()) << status.error().reason;
    ASSERT_EQ(4, table.maxIndex());
    expectFields(table[1], {{"HEAD", "X", 1, 2},
                            {"LINE-COUNT", "P", 3, 2},
                            {"NOTE", "X", 5, 2},
                            {"QTY(1)", "9", 7, 2},
                            {"PART(1)", "X", 9, 1},
                            {"QTY(2)", "9", 10, 2},
                            {"PART(2)", "X", 12, 1},
                            {"QTY(3)", "9", 13, 2},
                            {"PART(3)", "X", 15, 1},
                            {"TOTAL", "9", 16, 4}});
    EXPECT_EQ(19, table[1].Size);  // at the most occurrences
    EXPECT_EQ((VaryingTable{2, 7, 3, 0, 3}), table[1].varying);
    // The redefined kind keeps the table; its counter is the fourth field there.
    EXPECT_EQ("ORDER (HEAD-PARTS)", table[2].Name);
    EXPECT_EQ("LINE-COUNT", table[2].Fields[2].Name);
    EXPECT_EQ((VaryingTable{3, 7, 3, 0, 3}), table[2].varying);
    expectFields(table[3], {{"N", "BIN", 1, 2},
                            {"T(1)", "X", 3, 2},
                            {"T(2)", "X", 5, 2},
                            {"T(3)", "X", 7, 2},
                            {"T(4)", "X", 9, 2}});
    EXPECT_EQ((VaryingTable{1, 3, 2, 0, 4}), table[3].varying);
    EXPECT_FALSE(table[4].varying.present());
    // Records of a kind with such a table differ in length: the file's length is variable.
    EXPECT_EQ(0, table[0].Size);

    // A table the records cannot follow is refused with its line and why.
    const std::pair<const char*, const char*> refused[] = {
        {"01 R.\n 05 N PIC 9.\n 05 G OCCURS 2.\n  10 A PIC X OCCURS 3 DEPENDING ON N.\n",
         "行 4: OCCURS の中の OCCURS DEPENDING ON には対応していません。"},
        {"01 R.\n 05 N PIC 9.\n 05 A PIC X OCCURS 3 DEPENDING ON N.\n"
         " 05 B PIC X OCCURS 1 TO 2 DEPENDING ON N.\n",
         "行 4: 一つのレコードに二つ目の OCCURS DEPENDING ON には対応していません。"},
        {"01 R.\n 05 N PIC X.\n 05 A PIC X OCCURS 3 DEPENDING ON N.\n",
         "行 3: DEPENDING ON の項目が数字の基本項目ではありません: N"},
        {"01 R.\n 05 N.\n  10 M PIC 9.\n 05 A PIC X OCCURS 3 DEPENDING ON N.\n",
         "行 4: DEPENDING ON の項目が数字の基本項目ではありません: N"},
        {"01 R.\n 05 G OCCURS 2.\n  10 N PIC 9.\n 05 A PIC X OCCURS 3 DEPENDING ON N.\n",
         "行 4: DEPENDING ON の項目が OCCURS の中にあります: N"},
        {"01 Q.\n 05 N PIC 9.\n01 R.\n 05 A PIC X OCCURS 3 DEPENDING ON N.\n",
         "行 4: DEPENDING ON の項目が表より前にありません: N"},
        {"01 R.\n 05 N PIC 9.\n 05 A PIC X OCCURS 3 DEPENDING ON N.\n"
         " 05 B REDEFINES A PIC X(3).\n",
         "行 4: OCCURS DEPENDING ON の表や回数の項目に重なる REDEFINES には対応していません。"},
        {"01 R.\n 05 N PIC 9.\n 05 A PIC X OCCURS 1 TO 3.\n",
         "行 3: OCCURS 句の TO には DEPENDING ON が必要です。"},
    };
    for (const auto& [text, line] : refused) {
        const Status result = importCopybookText(text, table);
        ASSERT_FALSE(result.ok()) << text;
        EXPECT_EQ(std::string("コピー句を読み込めません。\n") + line, result.error().reason);
    }
}

TEST(CopybookImport, EveryRedefinitionBecomesAKindAlsoInsideTablesAndRedefinitions) {
    constexpr const char* kNested =
        "01 R.\n"
        "   05 KIND PIC X.\n"
        "   05 ITEMS OCCURS 2.\n"
        "      10 CODE PIC X(3).\n"
        "      10 CODE-N REDEFINES CODE PIC 9(3).\n"
        "      10 QTY PIC 9.\n"
        "   05 A PIC X(4).\n"
        "   05 B REDEFINES A.\n"
        "      10 B1 PIC X(2).\n"
        "      10 B2 PIC X(2).\n"
        "      10 B3 REDEFINES B2 PIC 99.\n";
    RecordDefTable table;
    const Status status = importCopybookText(kNested, table);
    ASSERT_TRUE(status.ok()) << status.error().reason;
    ASSERT_EQ(4, table.maxIndex());
    expectFields(table[1], {{"KIND", "X", 1, 1},
                            {"CODE(1)", "X", 2, 3},
                            {"QTY(1)", "9", 5, 1},
                            {"CODE(2)", "X", 6, 3},
                            {"QTY(2)", "9", 9, 1},
                            {"A", "X", 10, 4}});
    EXPECT_EQ("R (CODE-N)", table[2].Name);
    expectFields(table[2], {{"KIND", "X", 1, 1},
                            {"CODE-N(1)", "9", 2, 3},
                            {"QTY(1)", "9", 5, 1},
                            {"CODE-N(2)", "9", 6, 3},
                            {"QTY(2)", "9", 9, 1},
                            {"A", "X", 10, 4}});
    EXPECT_EQ("R (B)", table[3].Name);
    EXPECT_EQ("R (B3)", table[4].Name);
    expectFields(table[4], {{"KIND", "X", 1, 1},
                            {"CODE(1)", "X", 2, 3},
                            {"QTY(1)", "9", 5, 1},
                            {"CODE(2)", "X", 6, 3},
                            {"QTY(2)", "9", 9, 1},
                            {"B1", "X", 10, 2},
                            {"B3", "9", 12, 2}});
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(13, table[static_cast<std::size_t>(k)].Size);
}

TEST(CopybookImport, NamesEveryProblemInOneRefusal) {
    // Problems of every stage, each with its line, in the order of the lines.
    constexpr const char* kMany =
        "01 R.\n"
        " 05 A PIC X(3) VALUE 'OPEN.\n"
        " 05 B COMP-1.\n"
        " 05 C PIC 9V9V9.\n"
        " 05 D PIC X SYNC.\n"
        " 05 E PIC X OCCURS 3 DEPENDING ON NONE.\n"
        " 05 F PIC X JUNK.\n";
    RecordDefTable table;
    Status status = importCopybookText(kMany, table);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(
        "コピー句を読み込めません。\n"
        "行 2: 文字定数が閉じていません: 'OPEN.\n"
        "行 3: 対応していない用途です: COMP-1\n"
        "行 4: 解釈できない PIC 句です: 9V9V9\n"
        "行 5: SYNCHRONIZED 句には対応していません。\n"
        "行 6: DEPENDING ON の項目が表より前にありません: NONE\n"
        "行 7: 解釈できない句です: JUNK",
        status.error().reason);

    // At most a hundred are listed, then how many more there are.
    std::string text = "01 R.\n";
    for (int k = 0; k < 130; ++k) text += " 05 F" + std::to_string(k) + " COMP-2.\n";
    status = importCopybookText(text, table);
    ASSERT_FALSE(status.ok());
    const std::string& reason = status.error().reason;
    EXPECT_EQ(0u, reason.find("コピー句を読み込めません。\n行 2: 対応していない用途です: COMP-2\n"
                              "行 3: "));
    EXPECT_NE(std::string::npos, reason.find("\n行 101: "));
    EXPECT_EQ(std::string::npos, reason.find("\n行 102: "));
    EXPECT_EQ(reason.size() - std::string("\nほかに 30 件の問題があります。").size(),
              reason.rfind("\nほかに 30 件の問題があります。"));
    EXPECT_EQ(0, table.maxIndex());  // nothing of the refused copybook is kept
}

TEST(CopybookImport, KnowsItsFilesByTheirExtension) {
    EXPECT_TRUE(isCopybookPath("/x/layout.cpy"));
    EXPECT_TRUE(isCopybookPath("LAYOUT.CBL"));
    EXPECT_TRUE(isCopybookPath("a.Cob"));
    EXPECT_FALSE(isCopybookPath("a.trd"));
    EXPECT_FALSE(isCopybookPath("cpy"));
}

}  // namespace
}  // namespace sorvek::testing
