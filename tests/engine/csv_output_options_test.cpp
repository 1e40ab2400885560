// The output options of the record-to-CSV conversion, each alone and together, with every byte
// on a block boundary once.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include "engine/csv_line_plan.h"
#include "engine/tran_rec2csv.h"
#include "platform/codepage.h"
#include "support/engine_fixture.h"
#include "support/random_records.h"
#include "support/rec2csv_reference.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

const std::vector<std::size_t> kBlockSizes = {1, 2, 3, 7, 16, kDefaultBlockSize};

// The options and the fields of `table`, for the message of a failed comparison.
std::string describe(const RecordDefTable& table) {
    const CsvOutputOptions& o = table.output;
    std::string text = "delimiter [" + table[0].Delimiter + "] encoding " +
                       std::string(optionWord(kEncodingWords, o.encoding)) + " quote " +
                       std::string(optionWord(kQuotingWords, o.quoting)) +
                       (o.trimBlanks ? " trim" : "") + " zoned-sign " +
                       std::string(optionWord(kZonedSignWords, o.zonedSign)) + " invalid-packed " +
                       std::string(optionWord(kInvalidPackedWords, o.invalidPacked)) + "\n";
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const RecordDef& r = table[static_cast<std::size_t>(k)];
        text += r.Name + " size " + std::to_string(r.Size) + " parent " + std::to_string(r.Parent) +
                ":";
        for (const FieldDef& f : r.Fields) {
            text += " " + f.Type + "(" + std::to_string(f.Pos) + "," + std::to_string(f.Size) +
                    "," + std::to_string(f.Dec) + (f.Check == -1 ? "" : ",-") +
                    (f.leadingSign ? ",L" : "") + ")";
        }
        text += "\n";
    }
    return text;
}

class CsvOutputOptionsTest : public EngineTest {
  protected:
    // Converts `in` with `table` at every block size; all must give the same bytes.
    std::string convert(const std::string& in, const RecordDefTable& table, bool expectOk = true) {
        std::string first;
        for (std::size_t block : kBlockSizes) {
            blockSize = block;
            RecordDefTable copy = table;
            const std::string input = dir.write("in.dat", in);
            EngineContext ctx = context();
            EXPECT_EQ(expectOk, ran(tranRec2Csv(input, dir.file("out.csv"), copy, ctx))) << block;
            const std::string out = readFile(dir.file("out.csv"));
            if (block == kBlockSizes.front()) {
                first = out;
            } else {
                EXPECT_BYTES_EQ(first, out) << "block " << block;
            }
        }
        return first;
    }

    // `loudOneIn`: one record in that many may hold any byte, the others only bytes that
    // need no quotes. `quoteAndTrim`: the options are minimal quoting, trimming or not and any
    // encoding, the delimiter one byte.
    void matchReference(unsigned seed, int rounds, int maxSize, int loudOneIn = 1,
                        bool quoteAndTrim = false);
};

// A text field of 8 bytes and a zoned field of 5 with 2 decimals; title line on.
RecordDefTable textAndZoned(const std::string& delimiter = ",") {
    return makeTable(fileDefinition(13, "", delimiter, true),
                     {recordDefinition("R", 13, "", 0, 0,
                                       {field("名前", "X", 1, 8), field("金額", "9", 9, 5, 2)})});
}

TEST_F(CsvOutputOptionsTest, WithoutOptionsTheOutputIsAsItAlwaysWas) {
    const RecordDefTable table = textAndZoned();
    ASSERT_TRUE(table.output.isDefault());
    // "受注" in CP932, blanks, and a sign over the last digit that stays as it is.
    EXPECT_BYTES_EQ(std::string("\x96\xBC\x91\x4F,\x8B\xE0\x8A\x7A\r\n"
                                "\x8E\xF3\x92\x8D    ,001.5p\r\n"),
                    convert("\x8E\xF3\x92\x8D    0015p", table));
}

TEST_F(CsvOutputOptionsTest, EncodingUtf8WithAndWithoutByteOrderMark) {
    RecordDefTable table = textAndZoned();
    table.output.encoding = CsvEncoding::Utf8;
    // A one-byte katakana becomes three bytes; a lead byte cut off by the field's end, U+FFFD.
    const std::string in =
        "\x8E\xF3\xB1 abc\x82"
        "12345";
    const std::string lines = "名前,金額\r\n受ｱ abc\xEF\xBF\xBD,123.45\r\n";
    EXPECT_BYTES_EQ(lines, convert(in, table));
    table.output.encoding = CsvEncoding::Utf8Bom;
    EXPECT_BYTES_EQ("\xEF\xBB\xBF" + lines, convert(in, table));
    // Even an empty input gets the mark and the title line.
    EXPECT_BYTES_EQ(std::string("\xEF\xBB\xBF名前,金額\r\n"), convert("", table));
}

TEST_F(CsvOutputOptionsTest, QuotingMinimalAndAll) {
    RecordDefTable table = textAndZoned();
    table[1].Fields[0].Name = "a,\"b\"";
    const std::string in =
        std::string("x,y\"z \r\n") + "12345" + "plain   " + "00001" + "a\nb     " + "99999";
    table.output.quoting = CsvQuoting::Minimal;
    EXPECT_BYTES_EQ(std::string("\"a,\"\"b\"\"\",\x8B\xE0\x8A\x7A\r\n"
                                "\"x,y\"\"z \r\n\",123.45\r\n"
                                "plain   ,000.01\r\n"
                                "\"a\nb     \",999.99\r\n"),
                    convert(in, table));
    table.output.quoting = CsvQuoting::All;
    EXPECT_BYTES_EQ(std::string("\"a,\"\"b\"\"\",\"\x8B\xE0\x8A\x7A\"\r\n"
                                "\"x,y\"\"z \r\n\",\"123.45\"\r\n"
                                "\"plain   \",\"000.01\"\r\n"
                                "\"a\nb     \",\"999.99\"\r\n"),
                    convert(in, table));
}

TEST_F(CsvOutputOptionsTest, ARecordMarkedAloneAndInItsBlockNeedsQuotesAlike) {
    // A special byte at every place of a 90-byte record: text 1-20, packed 21-22, unmarked
    // 23-70, zoned 71-77, unmarked to the end. Only the text and zoned fields count, whether the
    // record is marked on its own (a copy) or read from the marks of a block at any offset.
    RecordDefTable table =
        makeTable(fileDefinition(90, "", ",", false),
                  {recordDefinition("R", 90, "", 0, 0,
                                    {field("t", "X", 1, 20), field("p", "P", 21, 2),
                                     unmarked("u", "X", 23, 48), field("z", "9", 71, 7)})});
    table.output.quoting = CsvQuoting::Minimal;
    const CsvLinePlan plan(table, ",", table.output);
    for (int place = 0; place < 90; ++place) {
        for (const char special : {'"', ',', '\r', '\n'}) {
            std::string record(90, 'a');
            record[static_cast<std::size_t>(place)] = special;
            const bool expected = place < 20 || (place >= 70 && place < 77);
            const auto* bytes = reinterpret_cast<const unsigned char*>(record.data());
            EXPECT_EQ(expected, plan.recordMayNeedQuotes(1, bytes)) << place;
            for (const std::size_t at : {0, 1, 37, 63, 64, 65, 127}) {
                // Every other byte of the block is special.
                std::string block(at, '"');
                block += record + std::string(100, '"');
                std::vector<std::uint64_t> marks(block.size() / 64 + 2, 0);
                plan.markQuoteBytes(reinterpret_cast<const unsigned char*>(block.data()),
                                    block.size(), marks.data());
                EXPECT_EQ(expected, plan.recordMayNeedQuotes(1, marks.data(), at))
                    << place << " at " << at;
            }
        }
    }
}

TEST_F(CsvOutputOptionsTest, QuotingFindsEveryDelimiterItsFieldsCanHold) {
    // A packed digit B reads ";", the TAB delimiter's byte sits in text, a two-byte delimiter
    // is searched as a whole, and with "|" the trail byte of ポ (83 7C) is quoted in CP932 but
    // is no delimiter in UTF-8.
    struct Case {
        std::string delimiter;
        CsvEncoding encoding;
        std::string text;    // a text field
        std::string packed;  // a packed field of 2 bytes
        std::string expected;
    };
    const std::vector<Case> cases = {
        {";", CsvEncoding::Cp932, "ab", "\xB1\x2C", "ab;\" ;12\"\r\n"},
        {"\t", CsvEncoding::Cp932, "a\tb", "\x12\x3C", "\"a\tb\"\t 123\r\n"},
        {"::", CsvEncoding::Cp932, "a::", "\x12\x3C", "\"a::\":: 123\r\n"},
        {"|", CsvEncoding::Cp932, "\x83\x7C", "\x12\x3C", "\"\x83\x7C\"| 123\r\n"},
        {"|", CsvEncoding::Utf8, "\x83\x7C", "\x12\x3C", "ポ| 123\r\n"},
    };
    for (const Case& c : cases) {
        const auto text = static_cast<std::int32_t>(c.text.size());
        RecordDefTable table =
            makeTable(fileDefinition(text + 2, "", c.delimiter, false),
                      {recordDefinition("R", text + 2, "", 0, 0,
                                        {field("t", "X", 1, text), field("p", "P", text + 1, 2)})});
        table.output.encoding = c.encoding;
        table.output.quoting = CsvQuoting::Minimal;
        EXPECT_BYTES_EQ(c.expected, convert(c.text + c.packed, table)) << c.delimiter;
    }
}

TEST_F(CsvOutputOptionsTest, TrimDropsTrailingHalfAndFullWidthBlanksOfTextOnly) {
    // "　" is 81 40; ａ (82 81) is a character whose trail byte is 81, so the "@" (40) after it is
    // no blank. Zoned fields keep their blanks.
    RecordDefTable table = textAndZoned();
    table[0].TitleLine = false;
    table.output.trimBlanks = true;
    const std::string in = std::string(" ab\x81\x40 \x81\x40") + "  123" + "\x82\x81\x40     " +
                           "00001" + "        " + "00002";
    EXPECT_BYTES_EQ(std::string(" ab,  1.23\r\n\x82\x81\x40,000.01\r\n,000.02\r\n"),
                    convert(in, table));
    table.output.encoding = CsvEncoding::Utf8;
    EXPECT_BYTES_EQ(std::string(" ab,  1.23\r\nａ@,000.01\r\n,000.02\r\n"), convert(in, table));
}

TEST_F(CsvOutputOptionsTest, TrimCutsTheBlanksAfterTheLastOtherByteAtEveryFieldWidth) {
    // Text fields of 1 to 70 bytes, the last byte that is no blank at every place (or none),
    // blanks before it kept: the cut is found from both ends of the field at once.
    for (int width = 1; width <= 70; ++width) {
        RecordDefTable table =
            makeTable(fileDefinition(width, "", ",", false),
                      {recordDefinition("R", width, "", 0, 0, {field("t", "X", 1, width)})});
        table.output.trimBlanks = true;
        std::string in, expected;
        for (int kept = 0; kept <= width; ++kept) {
            std::string text(static_cast<std::size_t>(kept), ' ');
            if (kept > 0) text.back() = static_cast<char>('a' + kept % 26);
            if (kept > 2) text[0] = 'x';
            in += text + std::string(static_cast<std::size_t>(width - kept), ' ');
            expected += text + "\r\n";
        }
        EXPECT_BYTES_EQ(expected, convert(in, table)) << width;
    }
}

TEST_F(CsvOutputOptionsTest, Utf8OfStrayBytesAtTheEdgesOfQuotedAndTrimmedFields) {
    // 85 81 is no character, so 85 stands for itself and 81 40 is a full-width blank; a lead
    // byte at a field's end has no pair, whatever follows it in the line.
    RecordDefTable table = makeTable(
        fileDefinition(10, "", ",", false),
        {recordDefinition("R", 10, "", 0, 0,
                          {field("a", "X", 1, 5), field("b", "X", 6, 3), field("c", "X", 9, 2)})});
    table.output.encoding = CsvEncoding::Utf8;
    table.output.trimBlanks = true;
    const std::string in = "a\x85\x81\x40 \"x\x83\x82\n";
    table.output.quoting = CsvQuoting::Minimal;
    EXPECT_BYTES_EQ(std::string("a\uFFFD,\"\"\"x\uFFFD\",\"\uFFFD\n\"\r\n"), convert(in, table));
    table.output.quoting = CsvQuoting::All;
    table.output.lineEnd = CsvLineEnd::Lf;
    EXPECT_BYTES_EQ(std::string("\"a\uFFFD\",\"\"\"x\uFFFD\",\"\uFFFD\n\"\n"), convert(in, table));
}

TEST_F(CsvOutputOptionsTest, ABlankAfterAStrayLeadByteIsTrimmedWhateverEndsTheField) {
    // No byte below 0x40 ends a double-byte character, so 87 20 is a stray byte and a blank.
    RecordDefTable table = makeTable(fileDefinition(5, "", ",", false),
                                     {recordDefinition("R", 5, "", 0, 0, {field("a", "X", 1, 5)})});
    table.output.trimBlanks = true;
    EXPECT_BYTES_EQ(std::string("\x87\r\n\x87\r\n"), convert("\x87    \x87  \x81\x40", table));
}

TEST_F(CsvOutputOptionsTest, ZonedSignsInEveryFormTrailingAndLeading) {
    struct Case {
        const char* digits;  // the 5 bytes of a field with 2 decimal places
        const char* trailing;
        const char* leading;
    };
    const std::vector<Case> cases = {
        {"00150", "001.50", "001.50"},        {"0015{", "001.50", "001.5{"},
        {"0015A", "001.51", "001.5A"},        {"0015I", "001.59", "001.5I"},
        {"0015}", "-001.50", "001.5}"},       {"0015J", "-001.51", "001.5J"},
        {"0015R", "-001.59", "001.5R"},       {"0015p", "-001.50", "001.5p"},
        {"0015y", "-001.59", "001.5y"},       {"0015\xC3", "001.53", "001.5\xC3"},
        {"0015\xD7", "-001.57", "001.5\xD7"}, {"0015\xF2", "001.52", "001.5\xF2"},
        {"}0015", "}00.15", "-000.15"},       {"R0015", "R00.15", "-900.15"},
        {"A0015", "A00.15", "100.15"},        {"0015S", "001.5S", "001.5S"},
        {"0015 ", "001.5 ", "001.5 "},
    };
    for (ZonedSign mode : {ZonedSign::Trailing, ZonedSign::Leading}) {
        RecordDefTable table =
            makeTable(fileDefinition(5, "", ",", false),
                      {recordDefinition("R", 5, "", 0, 0, {field("n", "9", 1, 5, 2)})});
        table.output.zonedSign = mode;
        std::string in, expected;
        for (const Case& c : cases) {
            in += c.digits;
            expected += std::string(mode == ZonedSign::Trailing ? c.trailing : c.leading) + "\r\n";
        }
        EXPECT_BYTES_EQ(expected, convert(in, table));
    }
}

TEST_F(CsvOutputOptionsTest, LeadingSignChosenPerFieldAndAllDecimalPlaces) {
    // With trailing signs, a field marked leadingSign takes its sign from the first digit; a
    // field that is all decimal places has its first digit after the point.
    RecordDefTable table =
        makeTable(fileDefinition(9, "", ",", false),
                  {recordDefinition(
                      "R", 9, "", 0, 0,
                      {field("a", "9", 1, 3), field("b", "9", 4, 3), field("c", "9", 7, 3, 3)})});
    table[1].Fields[1].leadingSign = true;
    table[1].Fields[2].leadingSign = true;
    table.output.zonedSign = ZonedSign::Trailing;
    EXPECT_BYTES_EQ(std::string("-123,-123,-.123\r\n-121,-123,.12J\r\n"), convert("12LJ23J23"
                                                                                  "12JJ2312J",
                                                                                  table));
    table.output.zonedSign = ZonedSign::Off;
    EXPECT_BYTES_EQ(std::string("12L,J23,.J23\r\n12J,J23,.12J\r\n"), convert("12LJ23J23"
                                                                             "12JJ2312J",
                                                                             table));
}

TEST_F(CsvOutputOptionsTest, InvalidPackedKeptEmptiedOrRefused) {
    // Header H (a packed field) and detail D (a packed field): 12 3C is sound, 1A 3C has a digit
    // A, 12 34 has a digit as its sign.
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", false),
        {recordDefinition("H", 3, "H", 0, 2, {unmarked("K", "X", 1, 1), field("h", "P", 2, 2)}),
         recordDefinition("D", 3, "D", 1, 0,
                          {unmarked("K", "X", 1, 1), field("金額", "P", 2, 2)})});
    const std::string in =
        "H\x12\x3C"
        "D\x1A\x3C"
        "D\x12\x34"
        "D\x99\x9D";
    EXPECT_BYTES_EQ(std::string(" 123, 1:3\r\n 123, 123\r\n 123,-999\r\n"), convert(in, table));
    table.output.invalidPacked = InvalidPacked::Empty;
    EXPECT_BYTES_EQ(std::string(" 123,\r\n 123,\r\n 123,-999\r\n"), convert(in, table));

    table.output.invalidPacked = InvalidPacked::Fail;
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        failures.clear();
        RecordDefTable copy = table;
        const std::string input = dir.write("in.dat", in);
        const std::string output = dir.write("out.csv", "old output");
        EngineContext ctx = context();
        EXPECT_FALSE(ran(tranRec2Csv(input, output, copy, ctx)));
        // The output file keeps what it held, as after any failure; the message names the
        // record.
        EXPECT_BYTES_EQ(std::string("old output"), readFile(output));
        const Failure m = onlyFailure();
        EXPECT_EQ(
            "パック10進数のフィールドに不正な値があります。\nレコード番号 = 2\nオフセット = 4\n"
            "レコード = D\nフィールド = 金額",
            m.reason);
        EXPECT_EQ(FailureKind::InvalidData, m.kind);
    }
    failures.clear();
    EXPECT_BYTES_EQ(std::string(" 123, 123\r\n 123,-999\r\n"),
                    convert(std::string("H\x12\x3C") + "D\x12\x3C\r\n" + "D\x99\x9D", table));
    EXPECT_TRUE(failures.empty());
}

TEST_F(CsvOutputOptionsTest, LineEndLfAfterEveryLineTitleIncluded) {
    RecordDefTable table = textAndZoned();
    table.output.lineEnd = CsvLineEnd::Lf;
    EXPECT_BYTES_EQ(std::string("\x96\xBC\x91\x4F,\x8B\xE0\x8A\x7A\nabcdefgh,123.45\n"),
                    convert("abcdefgh12345", table));
}

TEST_F(CsvOutputOptionsTest, AllTogetherOnAHeaderAndItsDetails) {
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", true),
        {recordDefinition("H", 9, "H", 0, 2,
                          {unmarked("K", "X", 1, 1), field("得意先", "X", 2, 8)}),
         recordDefinition(
             "D", 7, "D", 1, 0,
             {unmarked("K", "X", 1, 1), field("数量", "9", 2, 4, 1), field("単価", "P", 6, 2)})});
    table.output = {CsvEncoding::Utf8Bom, CsvQuoting::Minimal,  true,
                    ZonedSign::Trailing,  InvalidPacked::Empty, CsvLineEnd::Lf};
    const std::string in = utf8ToCp932("H\"山田\"　") + "D001}\x12\x3C\r\n" + "D0012\x1F\x3C\r\n" +
                           utf8ToCp932("HA,B   　") + "D000A\x99\x9D";
    EXPECT_BYTES_EQ(std::string("\xEF\xBB\xBF得意先,数量,単価\n"
                                "\"\"\"山田\"\"\",-001.0, 123\n"
                                "\"\"\"山田\"\"\",001.2,\n"
                                "\"A,B\",000.1,-999\n"),
                    convert(in, table));
}

// Random definitions, options and records of 2 to 1 + maxSize bytes, each converted as the
// record-wise reference does.
void CsvOutputOptionsTest::matchReference(unsigned seed, int rounds, int maxSize, int loudOneIn,
                                          bool quoteAndTrim) {
    std::mt19937 rng(seed);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* delimiters[] = {",", "", "、", "||", "\t", ";", "|"};
    // Bytes that make every case likely: digits and zones, blanks of both widths, quotes,
    // delimiters, line breaks, lead bytes and katakana.
    const std::string alphabet =
        std::string("0123456789{}AJRpy \",;|\t\r\n\x81\x40\x83\x7C\xB1\xC5\xD3", 32);
    const std::string quiet = std::string("0123456789{}AJRpy \x81\x40\x83\x7C\xB1\xC5\xD3");
    for (int round = 0; round < rounds; ++round) {
        const int kindCount = 1 + pick(3);
        RecordDefTable table = makeTable(fileDefinition(0, "2", delimiters[pick(7)], false), {});
        table.output = {static_cast<CsvEncoding>(pick(3)),
                        static_cast<CsvQuoting>(pick(3)),
                        pick(2) == 0,
                        static_cast<ZonedSign>(pick(3)),
                        static_cast<InvalidPacked>(pick(3)),
                        static_cast<CsvLineEnd>(pick(2))};
        if (quoteAndTrim) {
            const char* oneByte[] = {",", "\t", ";", "|"};
            table[0].Delimiter = oneByte[pick(4)];
            table.output.quoting = CsvQuoting::Minimal;
            table.output.zonedSign = ZonedSign::Off;
            table.output.invalidPacked = InvalidPacked::Keep;
        }
        for (int k = 1; k <= kindCount; ++k) {
            const int size = 2 + pick(maxSize);
            const int parent = k > 1 && pick(2) ? 1 + pick(k - 1) : 0;
            std::vector<FieldDef> fields = randomFields(pick, size, {"X", "9", "P"});
            for (FieldDef& f : fields) f.leadingSign = pick(3) == 0;
            table.entries.push_back(recordDefinition("R" + std::to_string(k), size,
                                                     std::string(1, static_cast<char>('A' + k)),
                                                     parent, 0, fields));
            if (parent != 0) table[static_cast<std::size_t>(parent)].Child = k;
        }
        std::string in;
        std::vector<int> kinds;
        const char* breaks[] = {"", "\r\n", "\n", "\r"};
        for (int n = 0; n < 30; ++n) {
            const int k = 1 + pick(kindCount);
            kinds.push_back(k);
            std::string rec;
            const bool loud = pick(loudOneIn) == 0;
            for (int i = 0; i < table[static_cast<std::size_t>(k)].Size; ++i) {
                if (!loud) {
                    rec += quiet[static_cast<std::size_t>(pick(static_cast<int>(quiet.size())))];
                } else {
                    rec += pick(4) != 0 ? alphabet[static_cast<std::size_t>(pick(32))]
                                        : static_cast<char>(pick(256));
                }
            }
            rec[0] = '#';  // not a line break, which would be skipped
            rec[1] = static_cast<char>('A' + k);
            in += rec + breaks[pick(4)];
        }
        bool stopped = false;
        const std::string expected = referenceConversion(in, table, kinds, &stopped);
        blockSize = 1 + static_cast<std::size_t>(pick(40));
        RecordDefTable copy = table;
        const std::string input = dir.write("in.dat", in);
        const std::string output = dir.file("out.csv");
        std::remove(output.c_str());
        EngineContext ctx = context();
        failures.clear();
        EXPECT_EQ(!stopped, ran(tranRec2Csv(input, output, copy, ctx))) << round;
        if (stopped) {
            // A stopped conversion leaves the output as it was: here, no file.
            EXPECT_FALSE(std::filesystem::exists(output)) << round;
        } else {
            EXPECT_BYTES_EQ(expected, readFile(output)) << "round " << round << "\n"
                                                        << describe(table);
        }
    }
}

TEST_F(CsvOutputOptionsTest, MatchesRecordWiseReferenceWithRandomOptions) {
    matchReference(23, 120, 12);
}

TEST_F(CsvOutputOptionsTest, MatchesRecordWiseReferenceWithWideRecords) {
    // Records of up to 70 bytes: fields longer than the quote screen's 16-byte windows, near
    // the record's end and overlapping.
    matchReference(29, 80, 69);
}

TEST_F(CsvOutputOptionsTest, MatchesRecordWiseReferenceWhereFewRecordsNeedQuotes) {
    // Most lines are written by the short way for records without quotes; the parts of
    // ancestors it keeps and those the long way keeps stand in for each other.
    matchReference(31, 150, 16, 8, true);
}

TEST_F(CsvOutputOptionsTest, QuotingFindsALoneSpecialByteAnywhereInWideRecords) {
    // One double quote, CR, LF or delimiter in a record of plain text, at every place of text
    // fields on both sides of a packed field and of an unmarked one, in records of widths
    // around the quote screen's steps, with text to the end or only in the first third: each
    // field that holds it is quoted, no other.
    const std::pair<int, bool> shapes[] = {{15, true},  {16, true},   {17, true},  {63, true},
                                           {64, true},  {65, true},   {100, true}, {127, true},
                                           {128, true}, {129, true},  {200, true}, {63, false},
                                           {64, false}, {100, false}, {200, false}};
    for (const auto& [size, textToTheEnd] : shapes) {
        const int third = size / 3;
        std::vector<FieldDef> fields = {field("a", "X", 1, third), field("p", "P", third + 1, 2),
                                        unmarked("u", "X", third + 3, 1)};
        if (size > third + 3) {
            fields.push_back(field("b", "X", third + 4, size - third - 3, 0, textToTheEnd));
        }
        RecordDefTable table = makeTable(fileDefinition(size, "", ",", false),
                                         {recordDefinition("R", size, "", 0, 0, fields)});
        table.output.quoting = CsvQuoting::Minimal;
        std::string in;
        const char specials[] = {'"', ',', '\r', '\n'};
        for (int at = 0; at < size; ++at) {
            std::string record(static_cast<std::size_t>(size), 'a');
            record[static_cast<std::size_t>(third)] = '\x12';
            record[static_cast<std::size_t>(third + 1)] = '\x3C';
            record[static_cast<std::size_t>(at)] = specials[at % 4];
            in += record;
        }
        const std::vector<int> kinds(static_cast<std::size_t>(size), 1);
        EXPECT_BYTES_EQ(referenceConversion(in, table, kinds), convert(in, table)) << size;
    }
}

}  // namespace
}  // namespace sorvek::testing
