#include "editor/record_texts.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/text_checks.h"
#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}

#define EXPECT_BYTES(expected, actual)                                           \
    do {                                                                         \
        const std::string e_ = (expected), a_ = (actual);                        \
        EXPECT_EQ(e_, a_) << "expected " << hex(e_) << "\n  actual " << hex(a_); \
    } while (0)

TEST(CopyText, CodeFieldLayoutByteForByte) {
    RecordDefTable table = makeTable({{"ヘッダ", 0, 0, 20}}, 20);
    FieldDef code = field("CODE", 1, 4);
    code.Memo = "key";
    code.Check = 0;  // not copied
    table[1].Fields = {code};
    EXPECT_BYTES(
        "\t受注 ファイル定義\t\tRec長\t20\r\n"
        "\r\n"
        "\tヘッダ レコード定義\t\tRec長\t20\r\n"
        "\r\n"
        "No\tフィールド名\t属性\t位置\t桁数\tメモ\r\n"
        "1\tCODE\tX(4)\t1\t4\tkey\r\n",
        recordCopyText(table, 1));
}

TEST(CopyText, VariableLengthFileAndSeveralFields) {
    RecordDefTable table = makeTable({{"A"}, {"明細", 0, 0, 15}});
    table[2].Fields = {field("区分", 1, 1), field("金額", 2, 4, "P", 2)};
    EXPECT_BYTES(
        "\t受注 ファイル定義\t\tRec長\t可変\r\n"
        "\r\n"
        "\t明細 レコード定義\t\tRec長\t15\r\n"
        "\r\n"
        "No\tフィールド名\t属性\t位置\t桁数\tメモ\r\n"
        "1\t区分\tX(1)\t1\t1\t\r\n"
        "2\t金額\tP(5)V99\t2\t4\t\r\n",
        recordCopyText(table, 2));
}

TEST(TypeDisplay, DigitsAndDecimalsByType) {
    EXPECT_EQ("X(10)", typeDisplay(field("", 1, 10)));
    EXPECT_EQ("9(5)V99", typeDisplay(field("", 1, 7, "9", 2)));
    EXPECT_EQ("P(5)V99", typeDisplay(field("", 1, 4, "P", 2)));
    EXPECT_EQ("P(5)", typeDisplay(field("", 1, 3, "P")));
    // PIC SV99 and PIC SV999 COMP-3: decimal places only, no "9(0)".
    EXPECT_EQ("V99", typeDisplay(field("", 1, 2, "9", 2)));
    EXPECT_EQ("P V999", typeDisplay(field("", 1, 2, "P", 3)));
    EXPECT_EQ("X(6)V99", typeDisplay(field("", 1, 8, "X", 2)));
    EXPECT_EQ("X(4)", typeDisplay(field("", 1, 4)));
    // Absurd values read from a file neither overflow nor build a huge text.
    EXPECT_EQ("P(4294967293)", typeDisplay(field("", 1, 2147483647, "P")));
    EXPECT_EQ("9(-1999999990)V9(2000000000)", typeDisplay(field("", 1, 10, "9", 2000000000)));
    EXPECT_EQ("9(12)V", typeDisplay(field("", 1, 10, "9", -2)));
}

TEST(TypeDisplay, HostFormsReadAsTheEditDialogNamesThem) {
    auto host = [](std::string type, int size, int dec, SignPosition sign, bool signedBinary,
                   ByteOrder order, int scale) {
        FieldDef f = field("", 1, size, std::move(type), dec);
        f.sign = sign;
        f.signedBinary = signedBinary;
        f.byteOrder = order;
        f.scale = scale;
        return f;
    };
    const SignPosition none = SignPosition::Undeclared;
    const ByteOrder big = ByteOrder::Big;
    const struct {
        FieldDef field;
        const char* display;
    } cases[] = {
        {host("BIN", 4, 0, none, true, big, 0),
         "BIN 4バイト、符号付き、ビッグエンディアン (COMP、BINARY)"},
        {host("BIN", 2, 0, none, false, ByteOrder::Native, 0),
         "BIN 2バイト、符号なし、ネイティブ (COMP-5)"},
        {host("BIN", 8, 2, none, true, big, -3),
         "BIN 8バイト、符号付き、ビッグエンディアン (COMP、BINARY)、小数点以下 2 桁、位取り -3 桁"},
        {host("DBCS", 10, 0, none, false, big, 0), "DBCS(2バイト文字 5 字)"},
        {host("DBCS", 5, 0, none, false, big, 0), "DBCS(2バイト文字 2 字と 1 バイト)"},
        {host("9", 7, 2, SignPosition::LeadingSeparate, false, big, 0),
         "9(4)V99、符号: 先頭に独立 (+/-)"},
        {host("9", 5, 0, SignPosition::Trailing, false, big, 3),
         "9(5)、符号: 末尾の桁のゾーン、位取り 3 桁"},
        {host("P", 3, 0, none, false, big, 2), "P(5)、位取り 2 桁"},
        // Forms that do not apply to the type are not shown; nor is anything for a field that
        // has none.
        {host("X", 4, 0, SignPosition::Leading, true, ByteOrder::Native, 2), "X(4)"},
        {host("9", 3, 0, none, false, big, 0), "9(3)"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.display, typeDisplay(c.field));
}

TEST(DetailTexts, LengthClassAndFieldEnd) {
    RecordDefTable table = makeTable({{"A", 0, 0, 20, "H"}, {"B", 0, 0, 0}}, 0, "1");
    EXPECT_EQ("可変長", recordLengthText(table, 0));
    EXPECT_EQ("レコード長: 20 バイト", recordLengthText(table, 1));
    EXPECT_EQ("可変長", recordLengthText(table, 2));
    EXPECT_EQ("", classText(table, 0)) << "entry 0 holds the position, not a code";
    EXPECT_EQ("識別区分: H", classText(table, 1));
    EXPECT_EQ("", classText(table, 2));

    RecordDef record = threeFields();
    EXPECT_EQ("フィールド長の合計: 25 バイト", fieldLengthSumText(record));
    record.Fields.back().Pos = 2147483647;
    record.Fields.back().Size = 2147483647;
    EXPECT_EQ(4294967293, lastFieldEnd(record));
    EXPECT_EQ(std::nullopt, fieldLengthSumText(RecordDef{}));
}

TEST(DetailTexts, FieldLengthSumThatMissesTheRecordLength) {
    RecordDef record = threeFields();  // the last field ends at byte 25
    record.Size = 25;
    EXPECT_EQ(std::nullopt, fieldLengthMismatchText(record));
    record.Size = 20;
    EXPECT_EQ("フィールド長の合計 (25 バイト) がレコード長 (20 バイト) と一致しません。",
              fieldLengthMismatchText(record));
    record.Size = 30;
    EXPECT_EQ("フィールド長の合計 (25 バイト) がレコード長 (30 バイト) と一致しません。",
              fieldLengthMismatchText(record));
    record.Size = 0;  // no length to hold it to
    EXPECT_EQ(std::nullopt, fieldLengthMismatchText(record));
    record.Fields.clear();
    record.Size = 20;
    EXPECT_EQ(std::nullopt, fieldLengthMismatchText(record));
}

TEST(IsDigitsOnly, AsciiDigitsOnlyAndNotEmpty) {
    EXPECT_TRUE(isDigitsOnly("0"));
    EXPECT_TRUE(isDigitsOnly("0123456789"));
    EXPECT_TRUE(isDigitsOnly("99999999999999999999"));
    for (const char* bad : {"", "-1", "+1", "1.5", " 1", "1 ", "１２", "1a", "\t"}) {
        EXPECT_FALSE(isDigitsOnly(bad)) << '"' << bad << '"';
    }
    EXPECT_EQ(2147483647, digitsValue("2147483647"));
    EXPECT_EQ(7, digitsValue("007"));
    EXPECT_EQ(std::nullopt, digitsValue("2147483648"));
    EXPECT_EQ(std::nullopt, digitsValue("-1"));
}

}  // namespace
}  // namespace sorvek::testing
