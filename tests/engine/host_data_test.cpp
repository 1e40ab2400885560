// Host data: EBCDIC records, binary fields, declared signs, scaling and records with
// descriptor words. The byte sequences are written out by hand from the code pages.
#include <random>
#include <string>
#include <vector>

#include "engine/host_numbers.h"
#include "engine/tran_rec2csv.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;  // byte strings that hold NULs

const std::vector<std::size_t> kBlockSizes = {1, 2, 3, 5, 7, 16, kDefaultBlockSize};

std::string binaryText(const std::string& bytes, bool isSigned, bool bigEndian, int dec = 0,
                       int scale = 0) {
    char out[64];
    char* end = writeBinary(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                            isSigned, bigEndian, dec, scale, out);
    return std::string(out, end);
}

TEST(HostNumbers, BinaryFieldsAsDecimalText) {
    struct Case {
        std::string bytes;
        bool isSigned, bigEndian;
        int dec, scale;
        const char* text;
    };
    const Case cases[] = {
        {"\x00\x7B"s, true, true, 0, 0, "123"},
        {"\xFF\xFE", true, true, 0, 0, "-2"},
        {"\xFF\xFE", false, true, 0, 0, "65534"},
        {"\xFE\xFF", true, false, 0, 0, "-2"},  // little-endian
        {"\x80\x00"s, true, true, 0, 0, "-32768"},
        {"\x80\x00\x00\x00"s, true, true, 0, 0, "-2147483648"},
        {"\xFF\xFF\xFF\xFF", false, true, 0, 0, "4294967295"},
        {"\x80\x00\x00\x00\x00\x00\x00\x00"s, true, true, 0, 0, "-9223372036854775808"},
        {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", false, true, 0, 0, "18446744073709551615"},
        {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", true, true, 0, 0, "-1"},
        {"\x00\x00\x04\xD2"s, true, true, 2, 0, "12.34"},
        {"\x00\x05"s, true, true, 3, 0, "0.005"},
        {"\xFF\xFB", true, true, 3, 0, "-0.005"},
        {"\x00\x00"s, true, true, 2, 0, "0.00"},
        {"\x00\x0C"s, false, true, 0, 3, "12000"},     // 9(2)PPP
        {"\x00\x0C"s, false, true, 2, -3, "0.00012"},  // PPP99
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, binaryText(c.bytes, c.isSigned, c.bigEndian, c.dec, c.scale)) << c.text;
    }
}

TEST(HostNumbers, ZonedDigitsWithTheirSign) {
    struct Case {
        std::string bytes;
        SignPosition sign;
        bool ebcdic;
        const char* digits;  // nullptr: no number
        bool negative;
    };
    const Case cases[] = {
        {"\xF1\xF2\xC3", SignPosition::Trailing, true, "123", false},
        {"\xF1\xF2\xD3", SignPosition::Trailing, true, "123", true},
        {"\xF1\xF2\xF3", SignPosition::Trailing, true, "123", false},
        {"\xD1\xF2\xF3", SignPosition::Leading, true, "123", true},
        {"\x60\xF1\xF2", SignPosition::LeadingSeparate, true, "12", true},
        {"\xF1\xF2\x4E", SignPosition::TrailingSeparate, true, "12", false},
        {"-12", SignPosition::LeadingSeparate, false, "12", true},
        {"12+", SignPosition::TrailingSeparate, false, "12", false},
        {"12L", SignPosition::Trailing, false, "123", true},  // overpunch in a Shift-JIS file
        {"123", SignPosition::Undeclared, false, "123", false},
        // What no number is: ASCII digits on an EBCDIC page, a blank, a sign in the wrong place,
        // a separate sign that is neither + nor -.
        {"123", SignPosition::Trailing, true, nullptr, false},
        {"\xF1\x40\xF3", SignPosition::Trailing, true, nullptr, false},
        {"\xD1\xF2\xF3", SignPosition::Trailing, true, nullptr, false},
        {"\xF1\xF2\xF3", SignPosition::LeadingSeparate, true, nullptr, false},
        {"12L", SignPosition::Undeclared, false, nullptr, false},
    };
    for (const Case& c : cases) {
        char digits[16];
        bool negative = true;
        const std::ptrdiff_t n = zonedDigits(reinterpret_cast<const unsigned char*>(c.bytes.data()),
                                             c.bytes.size(), c.sign, c.ebcdic, digits, negative);
        if (c.digits == nullptr) {
            EXPECT_EQ(-1, n) << c.bytes;
            continue;
        }
        ASSERT_GE(n, 0) << c.bytes;
        EXPECT_EQ(c.digits, std::string(digits, static_cast<std::size_t>(n))) << c.bytes;
        EXPECT_EQ(c.negative, negative) << c.bytes;
    }
}

TEST(HostNumbers, DecimalTextKeepsEveryDigit) {
    const std::string digits = "1234567890123456789012345678901234567";  // 37 digits
    char out[128];
    char* end = writeDecimal(true, digits.data(), digits.size(), 10, 0, out);
    EXPECT_EQ("-123456789012345678901234567.8901234567", std::string(out, end));
    end = writeDecimal(false, "00123", 5, 5, -3, out);  // PPP9(5)
    EXPECT_EQ("0.00000123", std::string(out, end));
    end = writeDecimal(false, "00123", 5, 0, 3, out);  // 9(5)PPP
    EXPECT_EQ("00123000", std::string(out, end));
}

TEST(HostNumbers, EbcdicZonedFastPathWritesWhatTheGeneralOneWrites) {
    std::vector<std::string> fields = {"\xF1\xF2\xC3", "\xF0\xF0\xD5", "\xF1\xF2\xF3", "\xD7",
                                       "\xF1\x40\xC3", "\xF1\xF2\x33", "\xF9\xF9\xB9"};
    // Fields long enough to be read a word at a time, whole and with a byte that is no digit
    // (a zone or a low half out of range) at every place.
    std::mt19937 random(7);
    for (std::size_t size = 4; size <= 24; ++size) {
        std::string f;
        for (std::size_t i = 0; i + 1 < size; ++i) f += static_cast<char>(0xF0 + random() % 10);
        f += static_cast<char>((size % 2 == 0 ? 0xD0 : 0xC0) + random() % 10);
        fields.push_back(f);
        for (std::size_t at = 0; at + 1 < size; ++at) {
            for (unsigned char bad : {0xFA, 0xE5, 0x40, 0xFF}) {
                std::string wrong = f;
                wrong[at] = static_cast<char>(bad);
                fields.push_back(wrong);
            }
        }
    }
    for (const std::string& f : fields) {
        for (int dec = 0; dec <= static_cast<int>(f.size()) + 1; ++dec) {
            for (int scale : {-2, 0, 2}) {
                const auto* bytes = reinterpret_cast<const unsigned char*>(f.data());
                char fast[64], general[64];
                char* fastEnd = writeEbcdicZonedTrailing(bytes, f.size(), dec, scale, fast);
                char digits[32];
                bool negative = false;
                const std::ptrdiff_t n =
                    zonedDigits(bytes, f.size(), SignPosition::Trailing, true, digits, negative);
                if (fastEnd == nullptr) {
                    // Only no number, or a point outside the digits, leaves the fast path.
                    EXPECT_TRUE(n < 0 || dec - scale < 0 ||
                                dec - scale >= static_cast<int>(f.size()))
                        << f << " " << dec << " " << scale;
                    continue;
                }
                ASSERT_GE(n, 0) << f;
                char* generalEnd = writeDecimal(negative, digits, static_cast<std::size_t>(n), dec,
                                                scale, general);
                EXPECT_EQ(std::string(general, generalEnd), std::string(fast, fastEnd))
                    << f << " " << dec << " " << scale;
            }
        }
    }
}

class HostDataTest : public EngineTest {
  protected:
    std::string convert(const std::string& in, RecordDefTable table, bool expectOk = true) {
        const std::string input = dir.write("in.dat", in);
        EngineContext ctx = context();
        EXPECT_EQ(expectOk, ran(tranRec2Csv(input, dir.file("out.csv"), table, ctx)));
        return readFile(dir.file("out.csv"));
    }
};

// A header of Japanese EBCDIC with kanji between shift bytes and a signed zoned field, and a
// detail with one-byte katakana, a binary, a packed and an unsigned binary field; the kinds
// told by their class codes in EBCDIC ("H" C8, "D" C4).
RecordDefTable japaneseOrders(InputCodePage page) {
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", false),
        {recordDefinition(
             "H", 10, "H", 0, 2,
             {unmarked("KIND", "X", 1, 1), field("NAME", "X", 2, 7), field("DIFF", "9", 9, 2)}),
         recordDefinition(
             "D", 13, "D", 1, 0,
             {unmarked("KIND", "X", 1, 1), field("KANA", "X", 2, 3), field("RATE", "BIN", 5, 2, 1),
              field("AMOUNT", "P", 7, 3), field("COUNT", "BIN", 10, 4)})});
    table[0].codePage = page;
    table[2].Fields[2].signedBinary = true;
    return table;
}

const std::string kJapaneseOrders =
    "\xC8\x0E\x45\x62\x45\x66\x0F\x40\xF1\xD2"
    "\xC4\x81\x82\x83\xFF\xFE\x12\x34\x5D\x00\x00\x01\x00"
    "\xC4\x83\x82\x81\x00\x0F\x00\x00\x1C\x00\x00\x00\x07"s;

TEST_F(HostDataTest, JapaneseEbcdicRecordsInShiftJisAndUtf8) {
    const std::string cp932Lines =
        "\x93\xFA\x96\x7B   ,-12,\xB1\xB2\xB3,-0.2,-12345,256\r\n"
        "\x93\xFA\x96\x7B   ,-12,\xB3\xB2\xB1,1.5, 00001,7\r\n";
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        EXPECT_BYTES_EQ(cp932Lines, convert(kJapaneseOrders, japaneseOrders(InputCodePage::Ibm930)))
            << block;
    }
    RecordDefTable utf8 = japaneseOrders(InputCodePage::Ibm930);
    utf8.output.encoding = CsvEncoding::Utf8;
    utf8.output.trimBlanks = true;
    EXPECT_BYTES_EQ(std::string("日本,-12,ｱｲｳ,-0.2,-12345,256\r\n日本,-12,ｳｲｱ,1.5, 00001,7\r\n"),
                    convert(kJapaneseOrders, utf8));
    EXPECT_TRUE(failures.empty());
}

TEST_F(HostDataTest, ClassCodesAreComparedInTheFilesPage) {
    // The same bytes read as Shift-JIS: no record has the class code "H" or "D" there.
    dir.write("out.csv", "old output");
    EXPECT_EQ("old output", convert(kJapaneseOrders, japaneseOrders(InputCodePage::Cp932), false));
    EXPECT_NE(std::string::npos, onlyFailure().reason.find("識別区分の不明なレコード"));
}

TEST_F(HostDataTest, EbcdicRecordsAreNeverFollowedByLineBreaks) {
    // 0D and 25 are CR and LF in EBCDIC, and here the first bytes of binary values.
    RecordDefTable table =
        makeTable(fileDefinition(2, "", ",", false),
                  {recordDefinition("R", 2, "", 0, 0, {field("N", "BIN", 1, 2)})});
    table[0].codePage = InputCodePage::Ibm037;
    EXPECT_BYTES_EQ(std::string("3365\r\n13\r\n"), convert("\x0D\x25\x00\x0D"s, table));
}

TEST_F(HostDataTest, QuotingSeesTheDecodedText) {
    // C1 7F C2 is A"B on IBM037, 6B a comma; the raw bytes hold neither.
    RecordDefTable table = makeTable(fileDefinition(4, "", ",", false),
                                     {recordDefinition("R", 4, "", 0, 0, {field("T", "X", 1, 4)})});
    table[0].codePage = InputCodePage::Ibm037;
    table.output.quoting = CsvQuoting::Minimal;
    EXPECT_BYTES_EQ(std::string("\"A\"\"B,\"\r\n"), convert("\xC1\x7F\xC2\x6B", table));
    table.output.quoting = CsvQuoting::All;
    EXPECT_BYTES_EQ(std::string("\"A\"\"B,\"\r\n"), convert("\xC1\x7F\xC2\x6B", table));
}

TEST_F(HostDataTest, DeclaredSignsAndScalesInAShiftJisFile) {
    RecordDefTable table =
        makeTable(fileDefinition(12, "", ",", false),
                  {recordDefinition("R", 12, "", 0, 0,
                                    {field("A", "9", 1, 4, 2), field("B", "9", 5, 4),
                                     field("C", "P", 9, 2, 0), field("D", "9", 11, 2)})});
    table[1].Fields[0].sign = SignPosition::LeadingSeparate;
    table[1].Fields[1].sign = SignPosition::Trailing;
    table[1].Fields[2].scale = 2;   // 9(3)PP COMP-3
    table[1].Fields[3].scale = -2;  // PP99 with its two decimal places
    table[1].Fields[3].Dec = 2;
    EXPECT_BYTES_EQ(std::string("-1.23,-0012,12300,0.0045\r\n"),
                    convert(std::string("-123001K\x12\x3C") + "45", table));
}

// Records of 6 bytes ("ABC" and a zoned 9(3)) on IBM037, each with its record descriptor word.
RecordDefTable describedRecords(RecordFormat format) {
    RecordDefTable table = makeTable(
        fileDefinition(6, "", ",", false),
        {recordDefinition("R", 6, "", 0, 0, {field("T", "X", 1, 3), field("N", "9", 4, 3)})});
    table[0].codePage = InputCodePage::Ibm037;
    table[0].recordFormat = format;
    return table;
}

std::string rdw(std::size_t length) {
    return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF), '\0',
                       '\0'};
}

const std::string kRecord1 = rdw(10) + "\xC1\xC2\xC3\xF1\xF2\xD3";
const std::string kRecord2 = rdw(7) + "\xC4\xC5\xC6";  // short: its number is empty
const std::string kRecord3 = rdw(12) + "\xC7\xC8\xC9\xF4\xF5\xF6\xFF\xFF";  // long: the rest unread
const std::string kDescribedLines = "ABC,-123\r\nDEF,\r\nGHI,456\r\n";

TEST_F(HostDataTest, RecordsWithDescriptorWords) {
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        EXPECT_BYTES_EQ(kDescribedLines,
                        convert(kRecord1 + kRecord2 + kRecord3, describedRecords(RecordFormat::V)))
            << block;
        // Two blocks: the first of two records, the second, with a 31-bit length, of one.
        const std::string blocks =
            rdw(4 + 10 + 7) + kRecord1 + kRecord2 + "\x80\x00\x00\x10"s + kRecord3;
        EXPECT_BYTES_EQ(kDescribedLines, convert(blocks, describedRecords(RecordFormat::VB)))
            << block;
    }
    EXPECT_TRUE(failures.empty());
}

TEST_F(HostDataTest, NumbersOfARecordCutShortAreEmptyInItsLinesAndItsChildren) {
    // A header (class "H", text, packed, binary) and its details (class "D", a packed
    // amount), behind descriptor words; the first header and a detail end early. Numbers that
    // reach past the bytes read are empty, not read from the blanks; text keeps its blanks.
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", false),
        {recordDefinition("H", 9, "H", 0, 2,
                          {unmarked("K", "X", 1, 1), field("T", "X", 2, 4), field("P", "P", 6, 2),
                           field("B", "BIN", 8, 2)}),
         recordDefinition("D", 3, "D", 1, 0, {unmarked("K", "X", 1, 1), field("A", "P", 2, 2)})});
    table[0].recordFormat = RecordFormat::V;
    const std::string in = rdw(4 + 5) + "HAB\x12\x3C"s +            // P and B lost
                           rdw(4 + 3) + "D\x45\x6D"s +              // whole
                           rdw(4 + 2) + "D\x78"s +                  // A cut
                           rdw(4 + 9) + "HWXYZ\x00\x1C\x00\x07"s +  // whole
                           rdw(4 + 3) + "D\x09\x9C"s;
    const std::string expected =
        "AB\x12\x3C,,,-456\r\n"
        "AB\x12\x3C,,,\r\n"
        "WXYZ, 001,7, 099\r\n";
    for (const std::size_t block : kBlockSizes) {
        blockSize = block;
        EXPECT_BYTES_EQ(expected, convert(in, table)) << block;
    }
}

TEST_F(HostDataTest, DescriptorWordsThatCannotBeStopTheJobAndKeepTheOldOutput) {
    struct Case {
        RecordFormat format;
        std::string input;
        const char* message;
    };
    const Case cases[] = {
        {RecordFormat::V, kRecord1 + rdw(3) + "\xC1",
         "レコード記述語（RDW）の長さに誤りがあります。\nレコード番号 = 2、オフセット = 10 (0xA)"
         "\n長さ = 3"},
        {RecordFormat::V, kRecord1 + kRecord2.substr(0, 6),
         "ファイルの終わりでレコードが途切れています。\nレコード番号 = 2、オフセット = 10 (0xA)"
         "\n長さ = 7"},
        {RecordFormat::V, kRecord1 + "\x00\x0A"s,
         "ファイルの終わりでレコードが途切れています。"
         "\nレコード番号 = 2、オフセット = 10 (0xA)\n長さ = 2"},
        {RecordFormat::VB, rdw(4 + 7) + kRecord1,
         "レコード記述語（RDW）の長さに誤りがあります。\nレコード番号 = 1、オフセット = 4 (0x4)"
         "\n長さ = 10"},
        {RecordFormat::VB, rdw(5) + kRecord1,
         "ブロック記述語（BDW）の長さに誤りがあります。\nレコード番号 = 1、オフセット = 0 (0x0)"
         "\n長さ = 5"},
        // A block longer than the file was taken as whole: the file ends 100 bytes short of it.
        {RecordFormat::VB, rdw(4 + 10 + 100) + kRecord1,
         "ブロック記述語（BDW）の長さに誤りがあります。\nレコード番号 = 2、オフセット = 14 (0xE)"
         "\n長さ = 100"},
    };
    for (const Case& c : cases) {
        for (std::size_t block : {std::size_t{1}, kDefaultBlockSize}) {
            blockSize = block;
            failures.clear();
            dir.write("out.csv", "old output");
            EXPECT_EQ("old output", convert(c.input, describedRecords(c.format), false));
            EXPECT_EQ(c.message, onlyFailure().reason);
        }
    }
}

}  // namespace
}  // namespace sorvek::testing
