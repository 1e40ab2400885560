// The inspection of data files: what it finds about the records read through a definition,
// on small files made for each finding, with every byte on a block boundary once; the whole-file
// reading through the file system; and the line the conversion's message gains.
#include "engine/inspection.h"
#include "engine/rec2csv_definition_check.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <random>
#include <sstream>

#include "engine/inspection_parts.h"
#include "engine/rec2csv_text.h"
#include "support/engine_fixture.h"
#include "support/memory_file_system.h"
#include "support/random_records.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;

const std::vector<std::size_t> kBlockSizes = {1, 2, 3, 5, 7, 16, 100000};

std::string places(const Occurrences& o) {
    std::ostringstream s;
    s << o.count << ":";
    for (std::size_t i = 0; i < o.offsets.size(); ++i) {
        s << " " << o.offsets[i];
        if (i < o.recordNumbers.size()) s << "#" << o.recordNumbers[i];
    }
    return s.str();
}

// Everything the report says about the records, as text, so that reports read in different
// blocks can be compared whole.
std::string summary(const InspectionReport& r) {
    const DefinitionFindings& d = r.definition;
    std::ostringstream s;
    s << "cut=" << d.recordsCut << " error=" << d.definitionError << "\nkinds=";
    for (std::int64_t n : d.recordsByKind) s << n << ",";
    s << "\nunknown=" << places(d.unknownKind) << " stopped=" << d.stopped << "@" << d.stopOffset
      << "#" << d.stopRecord << "\ntrailing=" << d.trailingBytes << "@" << d.trailingOffset
      << " framing=" << d.framingMessage << "\nlines=" << d.linesWritten
      << "\nbreaks=" << places(d.extraLineBreaks);
    for (std::size_t k = 0; k < d.childBeforeParent.size(); ++k) {
        if (d.childBeforeParent[k].any())
            s << "\nbefore " << k << "=" << places(d.childBeforeParent[k]);
        if (d.recordsWithoutLine[k].any())
            s << "\nnoline " << k << "=" << places(d.recordsWithoutLine[k]);
    }
    for (const FieldFinding& f : d.invalidFields) {
        s << "\ninvalid " << f.kind << "." << f.field << "=" << places(f.places);
    }
    for (const SplitFinding& f : d.splitCharacters) {
        s << "\nsplit " << (f.at == SplitAt::Start ? "start " : "end ") << f.kind << "." << f.field
          << "=" << places(f.places);
    }
    for (const FieldFinding& f : d.fieldsOutside) s << "\noutside " << f.kind << "." << f.field;
    return s.str();
}

// What the report says about the bytes, as text.
std::string bytesSummary(const InspectionReport& r) {
    const ByteProfile& b = r.bytes;
    std::ostringstream s;
    s << "size=" << b.size << " crlf=" << b.crlf << " lf=" << b.lf << " cr=" << b.cr
      << " lines=" << b.lines << " longest=" << b.longestLine << " shortest=" << b.shortestLine
      << " common=" << b.commonLineLength << "x" << b.commonLineCount
      << "\nnontext=" << places(b.nonText) << "\nsjis=" << places(b.invalidSjis) << " in "
      << b.sjisBytes << "\npage=" << r.pageText.bytes << "/" << r.pageText.textBytes
      << " control=" << places(r.pageText.control) << " nochar=" << places(r.pageText.noCharacter)
      << " shift=" << places(r.pageText.unpairedShift) << "\nbinary=" << r.looksBinary
      << " utf8=" << r.looksUtf8 << " cancelled=" << r.cancelled << "\nsuggestions=";
    for (const RecordLengthSuggestion& h : r.suggestions) s << h.length << " " << h.reason << ";";
    return s.str();
}

// Inspects `data` through `table` in blocks of every size; the reports must agree.
InspectionReport inspect(const std::string& data, const RecordDefTable* table) {
    std::string first;
    InspectionReport report;
    for (std::size_t block : kBlockSizes) {
        Inspector inspector(table);
        for (std::size_t at = 0; at < data.size(); at += block) {
            inspector.add(data.data() + at, std::min(block, data.size() - at));
        }
        report = inspector.finish();
        if (first.empty()) {
            first = summary(report);
        } else {
            EXPECT_EQ(first, summary(report)) << "block " << block;
        }
    }
    return report;
}

TEST(Inspection, CountsRecordsByKindAndLinesAndFindsNothingWrongInASoundFile) {
    const RecordDefTable table = orderExampleTable();
    const InspectionReport r = inspect("H00001\r\nD012\r\nD345\r\nH00002\r\nD678\r\n", &table);
    EXPECT_TRUE(r.withDefinition);
    EXPECT_EQ((std::vector<std::int64_t>{0, 2, 3}), r.definition.recordsByKind);
    EXPECT_EQ(4, r.definition.linesWritten);  // the title line and three details
    EXPECT_FALSE(r.hasProblems()) << summary(r);
    EXPECT_FALSE(r.looksBinary);
}

// Host data: class codes in EBCDIC ("H" C8, "D" C4), zoned digits F0-F9 with the sign in the
// last zone, binary fields and 0D and 25 bytes that are data, not line breaks.
TEST(Inspection, EbcdicRecordsAreCutByTheirPageAndTheirHostFieldsAreNotFlagged) {
    RecordDefTable table = orderExampleTable();
    table[0].codePage = InputCodePage::Ibm037;
    table[2].Fields[1] = field("QTY", "BIN", 2, 2);
    table[2].Size = 3;
    const InspectionReport r = inspect(
        "\xC8\xF0\xF0\xF0\xF0\xD1\xC4\x0D\x25\xC4\x00\x0D\xC8\xF0\xF0\xF0\xF0\xC2"
        "\xC4\x25\x0D"s,
        &table);
    EXPECT_EQ((std::vector<std::int64_t>{0, 2, 3}), r.definition.recordsByKind);
    EXPECT_EQ(0, r.definition.extraLineBreaks.count);
    EXPECT_TRUE(r.definition.invalidFields.empty());
    EXPECT_TRUE(r.definition.splitCharacters.empty());
}

// On IBM930: A, shift-out, 日 (45 62), shift-in, NUL, 6A (no character of the page), a stray
// shift-in, a pair 40 41 (no character: the double-byte blank is 40 40), then 25 and 0D, which
// are the page's LF and CR control codes.
TEST(Inspection, OnAnEbcdicPageTheBytesAreToldAsThatPagesText) {
    RecordDefTable table = orderExampleTable();
    table[0].codePage = InputCodePage::Ibm930;
    const InspectionReport r =
        inspect("\xC1\x0E\x45\x62\x0F\x00\x6A\x0F\x0E\x40\x41\x0F\x25\x0D"s, &table);
    const PageTextProfile& t = r.pageText;
    ASSERT_TRUE(t.present);
    EXPECT_EQ("IBM930", t.page);
    EXPECT_EQ(14, t.bytes);
    EXPECT_EQ(7, t.textBytes);
    EXPECT_EQ("3: 5 12 13", places(t.control));
    EXPECT_EQ("2: 6 9", places(t.noCharacter));
    EXPECT_EQ("1: 7", places(t.unpairedShift));
    EXPECT_FALSE(r.looksUtf8);

    // Records that begin with the bytes of CR or LF are data there, no extra line breaks.
    RecordDefTable fixed =
        makeTable(fileDefinition(2, "", ",", false),
                  {recordDefinition("R", 2, "", 0, 0, {field("b", "BIN", 1, 2)})});
    fixed[0].codePage = InputCodePage::Ibm037;
    const InspectionReport breaks = inspect("\x0D\x25\x0A\x0D"s, &fixed);
    EXPECT_EQ((std::vector<std::int64_t>{0, 2}), breaks.definition.recordsByKind);
    EXPECT_FALSE(breaks.definition.extraLineBreaks.any());

    // On CP932 there is no such profile.
    const RecordDefTable cp932 = orderExampleTable();
    EXPECT_FALSE(inspect("H00001", &cp932).pageText.present);
}

TEST(Inspection, RecordsOfUnknownKindInAFixedLengthFileAreSkippedAndListed) {
    const RecordDefTable table =
        makeTable(fileDefinition(4, "2", ",", false),
                  {recordDefinition("A", 4, "a", 0, 0, {field("v", "X", 3, 2)}),
                   recordDefinition("B", 4, "bb", 0, 0, {field("w", "X", 1, 1)})});
    InspectionReport r = inspect("-a12\r\n?z99\r\nxbb3\r\n-A00", &table);
    EXPECT_EQ("2: 6#2 18#4", places(r.definition.unknownKind));
    EXPECT_FALSE(r.definition.stopped);
    EXPECT_EQ(2, r.definition.linesWritten);
    EXPECT_TRUE(r.hasProblems());

    // Every one is counted, the first twenty listed.
    std::string many;
    for (int i = 0; i < 30; ++i) many += "-z00";
    r = inspect(many, &table);
    EXPECT_EQ(30, r.definition.unknownKind.count);
    EXPECT_EQ(kListedPlaces, r.definition.unknownKind.offsets.size());
    EXPECT_EQ(76, r.definition.unknownKind.offsets.back());
    EXPECT_EQ(20, r.definition.unknownKind.recordNumbers.back());
}

TEST(Inspection, UnknownKindInAVariableLengthFileStopsTheReadingWhereTheConversionStops) {
    const RecordDefTable table = orderExampleTable();
    const InspectionReport r = inspect("H00001D012D345X99999D678", &table);
    EXPECT_TRUE(r.definition.stopped);
    EXPECT_EQ(14, r.definition.stopOffset);
    EXPECT_EQ(4, r.definition.stopRecord);
    EXPECT_EQ((std::vector<std::int64_t>{0, 1, 2}), r.definition.recordsByKind);
    EXPECT_EQ(3, r.definition.linesWritten);
    EXPECT_EQ(0, r.definition.trailingBytes);
}

// The order example behind record descriptor words: H00001 (10 bytes with its word), a detail
// "D3" shorter than its kind (filled up), a detail "D45" and, for VB, blocks around them.
TEST(Inspection, RecordsBehindDescriptorWordsAreReadOneByOneAsTheConversionReadsThem) {
    RecordDefTable table = orderExampleTable();
    table[0].recordFormat = RecordFormat::V;
    const std::string v = "\0\x0A\0\0H00001\0\x06\0\0D3\0\x08\0\0D456"s;
    InspectionReport r = inspect(v, &table);
    EXPECT_EQ((std::vector<std::int64_t>{0, 1, 2}), r.definition.recordsByKind);
    EXPECT_EQ(3, r.definition.linesWritten);
    EXPECT_FALSE(r.hasProblems()) << summary(r);

    table[0].recordFormat = RecordFormat::VB;
    const std::string vb = "\0\x14\0\0"s + v.substr(0, 16) + "\0\x0C\0\0"s + v.substr(16);
    r = inspect(vb, &table);
    EXPECT_EQ((std::vector<std::int64_t>{0, 1, 2}), r.definition.recordsByKind);
    EXPECT_FALSE(r.hasProblems()) << summary(r);

    // A field the short record does not reach wholly is not judged (the filling is no data); one
    // it reaches is, at its place in the file.
    table[0].recordFormat = RecordFormat::V;
    table[2].Fields[1] = field("QTY", "9", 2, 1);
    r = inspect("\0\x06\0\0DX"s, &table);
    ASSERT_EQ(1u, r.definition.invalidFields.size()) << summary(r);
    EXPECT_EQ("1: 5#1", places(r.definition.invalidFields[0].places));
}

TEST(Inspection, AFaultOfTheDescriptorWordsStopsTheReadingWithTheConversionsMessage) {
    RecordDefTable table = orderExampleTable();
    table[0].recordFormat = RecordFormat::VB;
    struct Case {
        std::string data;
        const char* text;
        std::int64_t offset, record, length;
    };
    const Case cases[] = {
        // A record word whose length reaches beyond its block.
        {"\0\x0E\0\0\0\x0A\0\0H00001\0\x0C\0\0\0\x09\0\0D12"s, kBadRecordWordText, 18, 2, 9},
        // A record word with its third byte set.
        {"\0\x0E\0\0\0\x0A\x01\0H00001"s, kBadRecordWordText, 4, 1, 10},
        // A block word shorter than a block can be.
        {"\0\x0E\0\0\0\x0A\0\0H00001\0\x05\0\0"s, kBadBlockWordText, 14, 2, 5},
        // The file ends inside a record.
        {"\0\x0E\0\0\0\x0A\0\0H00001\0\x0C\0\0\0\x08\0\0D4"s, kCutRecordText, 18, 2, 8},
    };
    for (const Case& c : cases) {
        const InspectionReport r = inspect(c.data, &table);
        const DefinitionFindings& d = r.definition;
        EXPECT_TRUE(d.stopped);
        EXPECT_EQ(c.offset, d.stopOffset);
        EXPECT_EQ(c.record, d.stopRecord);
        EXPECT_EQ(std::string(c.text) + "\n" + recordPlaceText(c.record, c.offset) +
                      "\n長さ = " + std::to_string(c.length),
                  d.framingMessage);
        EXPECT_EQ(0, d.trailingBytes);
        EXPECT_TRUE(r.hasProblems());
    }
}

TEST(Inspection, AnIncompleteLastRecordIsGivenWithItsOffsetAndSize) {
    const RecordDefTable table = orderExampleTable();
    InspectionReport r = inspect("H00001\r\nD012\r\nD6", &table);
    EXPECT_EQ(2, r.definition.trailingBytes);
    EXPECT_EQ(14, r.definition.trailingOffset);
    // The end-of-file mark after the last line break, and a record cut short.
    r = inspect("H00001\r\nD012\r\n\x1A", &table);
    EXPECT_EQ(1, r.definition.trailingBytes);
    EXPECT_EQ(14, r.definition.trailingOffset);
    r = inspect("H00001\r\nD012\r\n", &table);
    EXPECT_EQ(0, r.definition.trailingBytes);
}

TEST(Inspection, ChildrenBeforeTheirParentAndRecordsThatReachNoLine) {
    const RecordDefTable table = orderExampleTable();
    // D012 comes before any header; H00001 is followed by another header, H00003 by the end.
    const InspectionReport r = inspect("D012H00001H00002D345H00003", &table);
    EXPECT_EQ("1: 0#1", places(r.definition.childBeforeParent[2]));
    EXPECT_EQ("2: 4#2 20#5", places(r.definition.recordsWithoutLine[1]));
    EXPECT_EQ(3, r.definition.linesWritten);
    EXPECT_TRUE(r.hasProblems());
}

TEST(Inspection, AGrandparentReachesALineThroughAGrandchild) {
    // G > P > C. A P without marked fields and without a record does not stop the line from
    // reaching G (the line leaves P out); a P with marked fields does.
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", false),
        {recordDefinition("G", 2, "G", 0, 2, {unmarked("K", "X", 1, 1), field("g", "X", 2, 1)}),
         recordDefinition("P", 2, "P", 1, 3, {unmarked("K", "X", 1, 1), unmarked("p", "X", 2, 1)}),
         recordDefinition("C", 2, "C", 2, 0, {unmarked("K", "X", 1, 1), field("c", "X", 2, 1)})});
    InspectionReport r = inspect("G1C1", &table);
    EXPECT_FALSE(r.definition.recordsWithoutLine[1].any()) << summary(r);
    EXPECT_EQ(1, r.definition.childBeforeParent[3].count);

    table[2].Fields[1].Check = -1;
    r = inspect("G1C1", &table);
    EXPECT_EQ("1: 0#1", places(r.definition.recordsWithoutLine[1]));
    r = inspect("G1P1C1P2", &table);
    EXPECT_FALSE(r.definition.recordsWithoutLine[1].any());
    EXPECT_EQ("1: 6#4", places(r.definition.recordsWithoutLine[2]));
}

TEST(Inspection, InvalidPackedAndZonedValuesAreFoundInFieldsThatAreWritten) {
    // Fixed length 6: zoned 9(2) at 1, packed P(2) at 3, packed P(2) at 5 (not written).
    const RecordDefTable table = makeTable(
        fileDefinition(6, "", ",", false),
        {recordDefinition(
            "R", 6, "", 0, 0,
            {field("z", "9", 1, 2), field("p", "P", 3, 2, 1), field("q", "P", 5, 2, 0, false)})});
    const std::string good = "12\x12\x3C\xAA\xAA"s;
    const std::string badNibble = "34\x1A\x3C\x00\x0C"s;
    const std::string badSign = "56\x12\x34\x00\x0C"s;
    const std::string badZoned = " 7\x99\x9D\x00\x0C"s;
    const InspectionReport r = inspect(good + badNibble + badSign + badZoned, &table);
    ASSERT_EQ(2u, r.definition.invalidFields.size()) << summary(r);
    EXPECT_EQ(0, r.definition.invalidFields[0].field);
    EXPECT_EQ("1: 18#4", places(r.definition.invalidFields[0].places));
    EXPECT_EQ(1, r.definition.invalidFields[1].field);
    EXPECT_EQ("2: 8#2 14#3", places(r.definition.invalidFields[1].places));
}

TEST(Inspection, TextFieldsThatCutADoubleByteCharacterAreFoundAtBothSides) {
    // "A" and the lead byte of "あ" (82 A0) in the first field, its second byte starting the
    // next one; "カ" (83 4A) whole in the first field of the second record.
    const RecordDefTable table = makeTable(
        fileDefinition(4, "", ",", false),
        {recordDefinition("R", 4, "", 0, 0, {field("a", "X", 1, 2), field("b", "X", 3, 2)})});
    const InspectionReport r = inspect(std::string("A\x82\xA0Z") + "\x83\x4A" + "BC", &table);
    ASSERT_EQ(2u, r.definition.splitCharacters.size()) << summary(r);
    EXPECT_EQ(SplitAt::End, r.definition.splitCharacters[0].at);
    EXPECT_EQ(0, r.definition.splitCharacters[0].field);
    EXPECT_EQ("1: 0#1", places(r.definition.splitCharacters[0].places));
    EXPECT_EQ(SplitAt::Start, r.definition.splitCharacters[1].at);
    EXPECT_EQ(1, r.definition.splitCharacters[1].field);
    EXPECT_EQ("1: 2#1", places(r.definition.splitCharacters[1].places));
}

TEST(Inspection, FieldsOutsideTheirRecordAreListedAndTheRecordsStillRead) {
    RecordDefTable table = makeTable(
        fileDefinition(4, "", ",", false),
        {recordDefinition("R", 4, "", 0, 0, {field("a", "X", 1, 4), unmarked("past", "X", 4, 2)})});
    InspectionReport r = inspect("abcdefgh", &table);
    ASSERT_EQ(1u, r.definition.fieldsOutside.size());
    EXPECT_EQ(1, r.definition.fieldsOutside[0].field);
    EXPECT_TRUE(r.definition.definitionError.empty());
    EXPECT_TRUE(r.hasProblems());

    // A written field past the end: the conversion refuses the definition; the records are
    // still counted.
    table[1].Fields[1].Check = -1;
    r = inspect("abcdefgh", &table);
    EXPECT_NE(std::string::npos, r.definition.definitionError.find("past"));
    EXPECT_EQ(2, r.definition.recordsByKind[1]);
}

TEST(Inspection, AFieldFarIntoAHugeRecordIsCheckedWithoutAScreenAsLongAsTheRecord) {
    // The longest record taken with a packed field at its end: only a file that long has such
    // a record.
    const auto longest = static_cast<std::int32_t>(kMaxRecordLength);
    RecordDefTable table =
        makeTable(fileDefinition(0, "", ",", false),
                  {recordDefinition("R", longest, "", 0, 0, {field("p", "P", longest - 1, 2)})});
    const InspectionReport r = inspect("short", &table);
    EXPECT_EQ(5, r.definition.trailingBytes);
    EXPECT_TRUE(r.definition.invalidFields.empty());
    table[1].Size = 6;
    table[1].Fields[0].Pos = 5;
    // The same check, screened or not, finds the same value.
    EXPECT_EQ(1u, inspect("abcd\x1A\x3C", &table).definition.invalidFields.size());
}

TEST(Inspection, ARecordThatBeginsWithALineBreakShowsAnExtraBlankLine) {
    const RecordDefTable table =
        makeTable(fileDefinition(4, "", ",", false),
                  {recordDefinition("R", 4, "", 0, 0, {field("a", "X", 1, 4)})});
    const InspectionReport r = inspect("abcd\r\n\r\nefgh\r\n", &table);
    EXPECT_EQ("1: 6#2", places(r.definition.extraLineBreaks));
}

TEST(Inspection, ADefinitionThatCannotCutRecordsIsReportedWithoutReadingRecords) {
    RecordDefTable table = orderExampleTable();
    table[2].Size = 0;
    const InspectionReport r = inspect("H00001D012", &table);
    EXPECT_FALSE(r.definition.recordsCut);
    EXPECT_NE(std::string::npos, r.definition.definitionError.find("レコード長に誤りがあります"));
    EXPECT_TRUE(r.hasProblems());
    EXPECT_EQ(10, r.bytes.size);
}

TEST(Inspection, RecordsAreCutAsTheConversionCutsThemOnRandomData) {
    std::mt19937 rng(5);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        const int kindCount = 1 + pick(4);
        RecordDefTable table = makeTable(fileDefinition(0, "2", ",", false), {});
        for (int k = 1; k <= kindCount; ++k) {
            table.entries.push_back(recordDefinition("R" + std::to_string(k), 2 + pick(12),
                                                     std::string(1, static_cast<char>('A' + k)), 0,
                                                     0, {field("f", "X", 1, 1)}));
        }
        std::string in;
        std::vector<std::int64_t> counts(static_cast<std::size_t>(kindCount) + 1, 0);
        const char* breaks[] = {"", "\r\n", "\n", "\r"};
        for (int n = 0; n < 40; ++n) {
            const int k = 1 + pick(kindCount);
            ++counts[static_cast<std::size_t>(k)];
            std::string rec;
            for (int i = 0; i < table[static_cast<std::size_t>(k)].Size; ++i) {
                rec += static_cast<char>(pick(256));
            }
            rec[0] = '#';
            rec[1] = static_cast<char>('A' + k);
            in += rec + breaks[pick(4)];
        }
        const InspectionReport r = inspect(in, &table);
        EXPECT_EQ(counts, r.definition.recordsByKind) << "round " << round;
        EXPECT_EQ(40, r.definition.linesWritten);
        EXPECT_FALSE(r.definition.unknownKind.any());
        EXPECT_EQ(0, r.definition.trailingBytes);
    }
}

TEST(Inspection, WithoutADefinitionOnlyTheBytesAreReported) {
    const InspectionReport r = inspect("line one\r\nline two\r\n", nullptr);
    EXPECT_FALSE(r.withDefinition);
    EXPECT_FALSE(r.hasProblems());
    EXPECT_EQ(2, r.bytes.crlf);
    EXPECT_FALSE(r.looksBinary);
}

TEST(Inspection, RecordDataLooksBinaryAndUtf8TextDoesNot) {
    // Packed amounts hold control codes.
    std::string records;
    for (int i = 0; i < 50; ++i)
        records +=
            "D001\x00\x12\x3C"
            "ABC\r\n"s;
    EXPECT_TRUE(inspect(records, nullptr).looksBinary);
    // "日本語のテキスト" in UTF-8: no control codes, bytes that are no Shift-JIS.
    std::string utf8;
    for (int i = 0; i < 20; ++i) utf8 += "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\r\n";
    const InspectionReport r = inspect(utf8, nullptr);
    EXPECT_TRUE(r.looksUtf8);
    EXPECT_FALSE(r.looksBinary);
}

class InspectFileTest : public EngineTest {
  protected:
    InspectionContext context() { return InspectionContext{progress, files, nullptr, 7, 7}; }
};

TEST_F(InspectFileTest, ReadsTheWholeFileReportingProgress) {
    const std::string path = dir.write("in.dat", "H00001\r\nD012\r\nD345\r\n");
    const RecordDefTable table = orderExampleTable();
    InspectionContext ctx = context();
    Result<InspectionReport> r = inspectFile(path, &table, ctx);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(20, r->bytes.size);
    EXPECT_EQ(3, r->definition.linesWritten);
    EXPECT_FALSE(r->cancelled);
    ASSERT_FALSE(progress.calls.empty());
    EXPECT_EQ((ProgressCall{0, 20}), progress.calls.front());
    EXPECT_EQ((ProgressCall{20, -1}), progress.calls.back());
}

TEST_F(InspectFileTest, AMappedFileGivesTheReportOfAReadOne) {
    std::string data;
    for (int i = 0; i < 3000; ++i) data += i % 7 == 0 ? "H00001" : "D\x82\x9F\x12\x3C\r\n";
    data += "D9";
    const std::string path = dir.write("in.dat", data);
    RecordDefTable table = orderExampleTable();
    table[2].Size = 6;
    InspectionContext read = context();  // through the faulty file system: read
    Result<InspectionReport> expected = inspectFile(path, &table, read);
    ASSERT_TRUE(expected.ok());
    for (std::size_t window : {1u, 7u, 4096u, 5000u, 1u << 20}) {
        InspectionContext mapped{progress, osFileSystem(), nullptr, 7, window};
        Result<InspectionReport> r = inspectFile(path, &table, mapped);
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(summary(*expected), summary(*r)) << "window " << window;
        EXPECT_EQ(expected->bytes.crlf, r->bytes.crlf);
        EXPECT_EQ(expected->bytes.invalidSjis.offsets, r->bytes.invalidSjis.offsets);
    }
    EXPECT_TRUE(expected->hasProblems());
}

TEST_F(InspectFileTest, MissingUnreadableAndFailingFilesAreRefusedWithTheReason) {
    const std::string missing = dir.file("missing.dat");
    InspectionContext ctx = context();
    Result<InspectionReport> r = inspectFile(missing, nullptr, ctx);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(Failure(FailureKind::NotFound, "", FailureSubject::InputMissing, missing), r.error());

    const std::string path = dir.write("in.dat", std::string(100, 'x'));
    files.failOpenRead = true;
    r = inspectFile(path, nullptr, ctx);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(Failure(FailureKind::ReadError, "injected fault", FailureSubject::InputOpen, path),
              r.error());

    files.failOpenRead = false;
    files.readLimit = 50;
    r = inspectFile(path, nullptr, ctx);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(Failure(FailureKind::ReadError, "injected fault", FailureSubject::InputRead, path),
              r.error());
}

TEST_F(InspectFileTest, ACancelledReadingReportsWhatWasReadAndSaysSo) {
    const std::string path = dir.write("in.dat", "H00001D012D3");
    const RecordDefTable table = orderExampleTable();
    std::atomic<bool> cancel{true};
    InspectionContext ctx = context();
    ctx.cancel = &cancel;
    Result<InspectionReport> r = inspectFile(path, &table, ctx);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->cancelled);
    // The end of the file was not reached: nothing is said about a last record.
    EXPECT_EQ(0, r->definition.trailingBytes);
}

// Stops the inspection once it has reported `after` steps of progress.
class CancellingProgress final : public Progress {
  public:
    CancellingProgress(std::atomic<bool>& cancel, int after) : cancel_(cancel), after_(after) {}
    void showLabel() override {}
    void showProgress(std::int32_t, std::int32_t) override {
        if (--after_ == 0) cancel_ = true;
    }

  private:
    std::atomic<bool>& cancel_;
    int after_;
};

TEST_F(InspectFileTest, InPartsProgressFailuresAndCancellingAreThoseOfOneReading) {
    std::string data;
    for (int i = 0; i < 400; ++i) data += i % 3 == 0 ? "H00001" : "D012\r\n";
    const std::string path = dir.write("in.dat", data);
    const auto size = static_cast<std::int32_t>(data.size());
    const RecordDefTable table = orderExampleTable();
    InspectionContext ctx = context();
    ctx.jobs = 3;
    ctx.limits = {16, 16};

    Result<InspectionReport> r = inspectFile(path, &table, ctx);
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(r->cancelled);
    EXPECT_EQ((ProgressCall{0, size}), progress.calls.front());
    EXPECT_EQ((ProgressCall{size, -1}), progress.calls.back());
    EXPECT_TRUE(std::is_sorted(
        progress.calls.begin(), progress.calls.end() - 1,
        [](const ProgressCall& a, const ProgressCall& b) { return a.value < b.value; }));

    // A read that fails in any part fails the whole inspection, as one reading does.
    files.readLimit = static_cast<std::int64_t>(data.size()) - 100;
    r = inspectFile(path, &table, ctx);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(Failure(FailureKind::ReadError, "injected fault", FailureSubject::InputRead, path),
              r.error());
    files.readLimit = std::numeric_limits<std::int64_t>::max();

    // Stopped under way: the report covers the parts joined until then and says so.
    std::atomic<bool> cancel{false};
    CancellingProgress stopping(cancel, 5);
    InspectionContext stopped{stopping, files, &cancel, 7, 7};
    stopped.jobs = 2;
    stopped.limits = ctx.limits;
    r = inspectFile(path, &table, stopped);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(r->cancelled);
    EXPECT_GT(r->bytes.size, 0);
    EXPECT_LT(r->bytes.size, static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(0, r->definition.trailingBytes);
}

class InspectionInPartsTest : public ::testing::Test {
  protected:
    using MakeCase = RandomCase (*)(std::mt19937&);

    // For random definitions and data, with and without the definition, and every count of
    // workers from 1 to 9 over parts of a few bytes: the report of the parts is the report of
    // one reading in order.
    void expectTheReportOfOneReading(MakeCase make, unsigned seed) {
        std::mt19937 rng(seed);
        for (int round = 0; round < 120; ++round) {
            const RandomCase c = make(rng);
            memory.files["/in"] = c.input;
            const RecordDefTable* table = round % 5 == 4 ? nullptr : &c.table;
            RecordingProgress progress;
            InspectionContext inOrder{progress, memory, nullptr, 1 + rng() % 40, 1 + rng() % 40};
            inOrder.limits = {rng() % 64, static_cast<std::int64_t>(rng() % 100)};
            memory.readsAtOffsets = false;
            Result<InspectionReport> expected = inspectFileInOrder("/in", table, inOrder);
            ASSERT_TRUE(expected) << expected.error().reason;
            memory.readsAtOffsets = true;
            for (unsigned jobs = 1; jobs <= 9; ++jobs) {
                InspectionContext inParts = inOrder;
                inParts.jobs = jobs;
                inParts.blockSize = 1 + rng() % 16;
                Result<InspectionReport> r = inspectFileInParts("/in", table, inParts);
                ASSERT_TRUE(r) << r.error().reason;
                const std::string where =
                    "round " + std::to_string(round) + ", jobs " + std::to_string(jobs);
                EXPECT_EQ(bytesSummary(*expected), bytesSummary(*r)) << where;
                EXPECT_EQ(summary(*expected), summary(*r)) << where;
                EXPECT_TRUE(*expected == *r) << where;
            }
            // What cannot be read at offsets (a pipe) is read in order.
            memory.readsAtOffsets = false;
            InspectionContext piped = inOrder;
            piped.jobs = 4;
            Result<InspectionReport> r = inspectFile("/in", table, piped);
            ASSERT_TRUE(r) << r.error().reason;
            EXPECT_TRUE(*expected == *r) << "round " << round << ", piped";
        }
    }

    MemoryFileSystem memory;
};

TEST_F(InspectionInPartsTest, PartsGiveTheReportOfOneReadingInOrder) {
    expectTheReportOfOneReading(&randomCase, 31);
}

TEST_F(InspectionInPartsTest, PartsOfHostDataGiveTheReportOfOneReadingInOrder) {
    expectTheReportOfOneReading(&randomHostCase, 37);
}

TEST_F(InspectionInPartsTest, PartsOfVaryingTablesGiveTheReportOfOneReadingInOrder) {
    expectTheReportOfOneReading(&randomVaryingCase, 39);
}

TEST(RecordPlaceText, GivesTheRecordNumberAndTheOffsetInDecimalAndHex) {
    EXPECT_EQ("レコード番号 = 1、オフセット = 0 (0x0)", recordPlaceText(1, 0));
    EXPECT_EQ("レコード番号 = 10740001、オフセット = 1074000000 (0x4003F080)",
              recordPlaceText(10740001, 1074000000));
}

}  // namespace
}  // namespace sorvek::testing
