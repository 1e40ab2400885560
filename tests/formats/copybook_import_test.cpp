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
        {"01 R.\n 05 N PIC 9.\n 05 A OCCURS 1 TO 5 DEPENDING ON N PIC X.\n",
         "行 3: OCCURS DEPENDING ON (可変回数) には対応していません。"},
        {"01 R.\n 05 N PIC 9.\n 05 A PIC X OCCURS 5 DEPENDING ON N.\n",
         "行 3: OCCURS DEPENDING ON (可変回数) には対応していません。"},
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

TEST(CopybookImport, KnowsItsFilesByTheirExtension) {
    EXPECT_TRUE(isCopybookPath("/x/layout.cpy"));
    EXPECT_TRUE(isCopybookPath("LAYOUT.CBL"));
    EXPECT_TRUE(isCopybookPath("a.Cob"));
    EXPECT_FALSE(isCopybookPath("a.trd"));
    EXPECT_FALSE(isCopybookPath("cpy"));
}

}  // namespace
}  // namespace sorvek::testing
