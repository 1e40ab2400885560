// The preview of the record-definition page without its widgets: which records it shows, the
// values it shows for them, the marks and their reasons, and the fields over a record's bytes.
#include "editor/data_preview.h"

#include <gtest/gtest.h>

#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;

RecordDef recordOf(std::string name, int size, std::string code, int parent, int child,
                   std::vector<FieldDef> fields) {
    RecordDef r;
    r.Name = std::move(name);
    r.Size = size;
    r.Class = std::move(code);
    r.Parent = parent;
    r.Child = child;
    r.Fields = std::move(fields);
    return r;
}

FieldDef written(std::string name, std::string type, int pos, int size, int dec = 0) {
    return FieldDef{std::move(name), std::move(type), pos, size, dec, -1, ""};
}

FieldDef notWritten(std::string name, std::string type, int pos, int size) {
    return FieldDef{std::move(name), std::move(type), pos, size, 0, 0, ""};
}

// Header H (order number) with details D (item text, packed amount); variable length, class
// code in column 1.
RecordDefTable orders() {
    RecordDefTable t;
    t.reset(1);
    t[0].Name = "受注";
    t[0].Class = "1";
    t[0].Delimiter = ",";
    t.entries.push_back(
        recordOf("H", 4, "H", 0, 2, {notWritten("K", "X", 1, 1), written("NO", "9", 2, 3)}));
    t.entries.push_back(recordOf(
        "D", 6, "D", 1, 0,
        {notWritten("K", "X", 1, 1), written("ITEM", "X", 2, 3), written("AMT", "P", 5, 2, 1)}));
    return t;
}

PreviewSource sourceOf(const std::string& bytes, std::int64_t offset = 0,
                       std::int64_t firstRecord = 1, std::int64_t fileSize = -1) {
    PreviewSource s;
    s.bytes = bytes;
    s.offset = offset;
    s.firstRecord = firstRecord;
    s.fileSize = fileSize < 0 ? offset + static_cast<std::int64_t>(bytes.size()) : fileSize;
    return s;
}

std::vector<std::string> texts(const PreviewRow& row) {
    std::vector<std::string> out;
    for (const PreviewCell& c : row.cells) out.push_back(c.text);
    return out;
}

TEST(DataPreview, ShowsEachRecordWithTheValuesTheConversionWrites) {
    const RecordDefTable table = orders();
    const Preview p = buildPreview(table, sourceOf("H001\r\nDpen\x12\x3C\r\nDink\x00\x5D"s), 2);
    ASSERT_TRUE(p.definitionUsable);
    EXPECT_EQ((std::vector<std::string>{"K", "ITEM", "AMT"}), p.columnTitles);
    ASSERT_EQ(3u, p.rows.size());
    EXPECT_EQ(1, p.rows[0].kind);
    EXPECT_EQ((std::vector<std::string>{"H", "001"}), texts(p.rows[0]));
    EXPECT_EQ((std::vector<std::string>{"D", "pen", " 12.3"}), texts(p.rows[1]));
    EXPECT_EQ((std::vector<std::string>{"D", "ink", "-00.5"}), texts(p.rows[2]));
    EXPECT_EQ((std::vector<std::int64_t>{1, 2, 3}),
              (std::vector<std::int64_t>{p.rows[0].number, p.rows[1].number, p.rows[2].number}));
    EXPECT_EQ(6, p.rows[1].offset);
    EXPECT_EQ(6u, p.rows[1].begin);
    EXPECT_EQ(6u, p.rows[1].length);
    EXPECT_FALSE(p.rows[0].cells[0].written);
    EXPECT_EQ("レコード 1～3 (ファイルサイズ 20 バイト)", p.status);
    for (const PreviewRow& row : p.rows) EXPECT_EQ(RowMark::None, row.mark);
}

// EBCDIC records show their values as the conversion writes them, unmarked: class codes in
// the page ("A" C1), text, zoned digits with the sign in the last zone, a binary field whose
// first byte is a CR, which no longer counts as a line break.
TEST(DataPreview, ShowsHostDataAsConverted) {
    RecordDefTable t;
    t.reset(1);
    t[0].Size = 7;
    t[0].Class = "1";
    t[0].codePage = InputCodePage::Ibm037;
    t.entries.push_back(recordOf("A", 7, "A", 0, 0,
                                 {notWritten("K", "X", 1, 1), written("T", "X", 2, 2),
                                  written("N", "9", 4, 2, 1), written("B", "BIN", 6, 2)}));
    const Preview p = buildPreview(t,
                                   sourceOf("\xC1\x81\x82\xF1\xD2\x0D\x25"
                                            "\xC1\xC1\x40\xF0\xC5\x00\x0D"s),
                                   2);
    ASSERT_EQ(2u, p.rows.size());
    EXPECT_EQ((std::vector<std::string>{"A", "ab", "-1.2", "3365"}), texts(p.rows[0]));
    EXPECT_EQ((std::vector<std::string>{"A", "A ", "0.5", "13"}), texts(p.rows[1]));
    for (const PreviewRow& row : p.rows) {
        EXPECT_EQ(RowMark::None, row.mark);
        for (const PreviewCell& cell : row.cells) EXPECT_EQ(CellMark::None, cell.mark);
    }
}

TEST(DataPreview, FollowsAnEditOfAFieldsPosition) {
    RecordDefTable table = orders();
    const PreviewSource source = sourceOf("DpenX\x12\x3C"s);
    table[2].Size = 7;
    table[2].Fields[2].Pos = 6;
    EXPECT_EQ(" 12.3", buildPreview(table, source, 2).rows[0].cells[2].text);
    // One byte too early: the amount now takes the "X" and the first byte of the value.
    table[2].Fields[2].Pos = 5;
    const Preview p = buildPreview(table, source, 2);
    EXPECT_EQ(" 58.1", p.rows[0].cells[2].text);
    EXPECT_EQ(CellMark::InvalidValue, p.rows[0].cells[2].mark);
}

TEST(DataPreview, MarksInvalidValuesSplitCharactersAndFieldsOutsideTheRecord) {
    RecordDefTable table = orders();
    table[2].Fields.push_back(notWritten("PAST", "X", 6, 3));
    // An amount with the nibble A; an item whose last byte is the lead byte of "あ".
    const PreviewSource source = sourceOf(
        "Dpen\x1A\x3C"
        "Dpp\x82\x12\x3C"s);
    const Preview p = buildPreview(table, source, 2);
    ASSERT_EQ(2u, p.rows.size());
    EXPECT_EQ(CellMark::InvalidValue, p.rows[0].cells[2].mark);
    EXPECT_EQ(" 1:.3", p.rows[0].cells[2].text);
    EXPECT_EQ(CellMark::None, p.rows[0].cells[1].mark);
    EXPECT_EQ(CellMark::SplitEnd, p.rows[1].cells[1].mark);
    EXPECT_EQ(CellMark::Outside, p.rows[0].cells[3].mark);
    EXPECT_EQ("", p.rows[0].cells[3].text);
    const std::string tip = cellTip(table, source, p.rows[0], 2);
    EXPECT_NE(std::string::npos, tip.find("D.AMT (P(2)V9、位置 5、2 バイト)")) << tip;
    EXPECT_NE(std::string::npos, tip.find("バイト: 1A 3C")) << tip;
    EXPECT_NE(std::string::npos, tip.find("パック10進数として正しくない値です")) << tip;
}

TEST(DataPreview, MarksRecordsAsTheConversionWouldTreatThem) {
    const RecordDefTable table = orders();
    // A detail before any header, a header without details, an extra line break, a header
    // whose detail follows, and one left at the end of the file with the rest cut short.
    const Preview p = buildPreview(table, sourceOf("Dpen\x12\x3CH001H002Dink\x12\x3CH003D"s), 2);
    std::vector<RowMark> marks;
    for (const PreviewRow& row : p.rows) marks.push_back(row.mark);
    EXPECT_EQ((std::vector<RowMark>{RowMark::ChildBeforeParent, RowMark::NoLine, RowMark::None,
                                    RowMark::None, RowMark::NoLine, RowMark::Incomplete}),
              marks);
    EXPECT_EQ(6, p.rows.back().number);
    EXPECT_EQ(1u, p.rows.back().length);

    const Preview stop = buildPreview(table, sourceOf("H001\r\nX00000000H002"s), 1);
    ASSERT_EQ(2u, stop.rows.size());
    EXPECT_EQ(RowMark::Stopped, stop.rows[1].mark);
    EXPECT_EQ(6, stop.rows[1].offset);

    RecordDefTable fixed = makeTable(fileDefinition(4, "", ",", false),
                                     {recordDefinition("R", 4, "", 0, 0, {field("a", "X", 1, 4)})});
    const Preview breaks = buildPreview(fixed, sourceOf("abcd\r\n\r\nefgh"), 1);
    ASSERT_EQ(3u, breaks.rows.size());
    EXPECT_EQ(RowMark::ExtraLineBreak, breaks.rows[1].mark);
    EXPECT_FALSE(rowMarkText(RowMark::NoLine).empty());
}

TEST(DataPreview, ShowsRecordsBehindDescriptorWordsAsTheConversionCutsThem) {
    RecordDefTable table = orders();
    table[0].recordFormat = RecordFormat::V;
    // H001 behind its word, a detail that ends before its amount, a word that cannot be.
    const PreviewSource source = sourceOf("\0\x08\0\0H001\0\x07\0\0Dab\0\x01\0\0"s);
    const Preview p = buildPreview(table, source, 2);
    ASSERT_EQ(3u, p.rows.size());
    EXPECT_EQ(0, p.rows[0].offset);
    EXPECT_EQ(4u, p.rows[0].begin);
    EXPECT_EQ(4u, p.rows[0].length);
    EXPECT_EQ(8, p.rows[1].offset);
    EXPECT_EQ(12u, p.rows[1].begin);
    EXPECT_EQ(3u, p.rows[1].length);
    ASSERT_EQ(3u, p.rows[1].cells.size());
    EXPECT_EQ("ab ", p.rows[1].cells[1].text);
    // The amount lies in the filling: empty, as the conversion writes it, and not judged.
    EXPECT_EQ("", p.rows[1].cells[2].text);
    EXPECT_EQ(CellMark::None, p.rows[1].cells[2].mark);
    const std::string tip = cellTip(table, source, p.rows[1], 2);
    const std::string noBytes = "バイト: ";
    EXPECT_EQ(noBytes, tip.substr(tip.size() - noBytes.size()));
    EXPECT_EQ(RowMark::BadDescriptorWord, p.rows[2].mark);
    EXPECT_EQ(15, p.rows[2].offset);
    EXPECT_EQ(3, p.rows[2].number);
    EXPECT_FALSE(rowMarkText(RowMark::BadDescriptorWord).empty());

    // In blocks; the file ends inside the last record.
    table[0].recordFormat = RecordFormat::VB;
    const Preview vb = buildPreview(table, sourceOf("\0\x0E\0\0\0\x0A\0\0Dpen\x12\x3C\0\x08"s), 2);
    ASSERT_EQ(2u, vb.rows.size());
    EXPECT_EQ(4, vb.rows[0].offset);
    EXPECT_EQ((std::vector<std::string>{"D", "pen", " 12.3"}), texts(vb.rows[0]));
    EXPECT_EQ(RowMark::CutOff, vb.rows[1].mark);
    EXPECT_EQ(14, vb.rows[1].offset);
}

TEST(DataPreview, AWindowFromARecordOnNumbersFromItAndDoesNotJudgeParentsBeforeIt) {
    const RecordDefTable table = orders();
    // The window starts at record 41, a detail whose header lies before the window; the file
    // goes on after it, so the last header is not judged either.
    const Preview p = buildPreview(table, sourceOf("Dpen\x12\x3CH001"s, 4000, 41, 9000), 2);
    ASSERT_EQ(2u, p.rows.size());
    EXPECT_EQ(41, p.rows[0].number);
    EXPECT_EQ(4000, p.rows[0].offset);
    EXPECT_EQ(RowMark::None, p.rows[0].mark);
    EXPECT_EQ(RowMark::None, p.rows[1].mark);
}

TEST(DataPreview, MarksATotalThatDisagreesWithTheRecordsBeforeItFromTheStartOfTheFileOnly) {
    // Header H starts a group of details D (amount 9(3)); trailer T holds their count 9(2) and
    // the sum of their amounts 9(4).
    RecordDefTable table = orders();
    table[2].Fields = {notWritten("K", "X", 1, 1), written("AMT", "9", 2, 3)};
    table[2].Size = 4;
    FieldDef count = written("CNT", "9", 2, 2);
    count.total = {TotalKind::Count, 2, 0, 1};
    FieldDef sum = written("SUM", "9", 4, 4);
    sum.total = {TotalKind::Sum, 2, 2, 1};
    table.entries.push_back(recordOf("T", 7, "T", 0, 0, {notWritten("K", "X", 1, 1), count, sum}));
    // The first group agrees; in the second the count says 3 for 2 details.
    const std::string bytes = "H001D005D007T020012H002D001D002T030003"s;
    const Preview p = buildPreview(table, sourceOf(bytes), 3);
    ASSERT_EQ(8u, p.rows.size());
    EXPECT_EQ(CellMark::None, p.rows[3].cells[1].mark);
    EXPECT_EQ(CellMark::None, p.rows[3].cells[2].mark);
    EXPECT_EQ(CellMark::WrongTotal, p.rows[7].cells[1].mark);
    EXPECT_EQ(CellMark::None, p.rows[7].cells[2].mark);
    EXPECT_NE(std::string::npos, cellTip(table, sourceOf(bytes), p.rows[7], 1)
                                     .find("\n集計が合いません (集計値 = 2、レコードの値 = 3)"));
    EXPECT_NE(std::string::npos,
              cellTip(table, sourceOf(bytes), p.rows[7], 1).find("件数 (D、区切り H)"));

    // From a record further on, the records before are unknown: nothing is judged.
    const PreviewSource later = sourceOf(bytes.substr(19), 19, 5, 38);
    const Preview window = buildPreview(table, later, 3);
    ASSERT_EQ(4u, window.rows.size());
    EXPECT_EQ(CellMark::None, window.rows[3].cells[1].mark);
}

TEST(DataPreview, ShowsAtMostTheFirstRecordsButJudgesTheLastOneByWhatFollows) {
    const RecordDefTable table = orders();
    std::string bytes;
    for (int i = 0; i < 3; ++i) bytes += "Dpen\x12\x3C"s;
    bytes += "H001H002";
    const Preview p = buildPreview(table, sourceOf(bytes), 2, 4);
    ASSERT_EQ(4u, p.rows.size());
    EXPECT_EQ(RowMark::NoLine, p.rows[3].mark);  // the fifth record replaced it
}

TEST(DataPreview, AVeryLongValueShowsItsStart) {
    const RecordDefTable table =
        makeTable(fileDefinition(0, "", ",", false),
                  {recordDefinition("R", 100000, "", 0, 0, {field("text", "X", 1, 100000)})});
    const Preview p = buildPreview(table, sourceOf(std::string(100000, 'a')), 1);
    ASSERT_EQ(1u, p.rows.size());
    EXPECT_EQ(std::string(512, 'a') + "…", p.rows[0].cells[0].text);
}

TEST(DataPreview, ADefinitionThatCannotCutRecordsShowsWhy) {
    RecordDefTable table = orders();
    table[1].Size = 0;
    const Preview p = buildPreview(table, sourceOf("H001"), 1);
    EXPECT_FALSE(p.definitionUsable);
    EXPECT_TRUE(p.rows.empty());
    EXPECT_NE(std::string::npos, p.status.find("レコード長に誤りがあります")) << p.status;
    EXPECT_EQ("レコード定義がまだありません。",
              buildPreview(RecordDefTable{}, sourceOf("x"), 1).status);
}

TEST(DataPreview, TheRulerLaysTheFieldsOverTheRecordsBytes) {
    RecordDefTable table = orders();
    table[2].Fields.push_back(notWritten("TAIL", "X", 6, 4));  // reaches past the record
    const Preview p = buildPreview(table, sourceOf("Dpen\x12\x3C"s), 2);
    const std::vector<RulerSpan> spans = rulerSpans(table, p.rows[0]);
    ASSERT_EQ(4u, spans.size());
    EXPECT_EQ(
        (std::vector<std::size_t>{0, 1, 4, 5}),
        (std::vector<std::size_t>{spans[0].begin, spans[1].begin, spans[2].begin, spans[3].begin}));
    EXPECT_EQ((std::vector<std::size_t>{1, 4, 6, 6}),
              (std::vector<std::size_t>{spans[0].end, spans[1].end, spans[2].end, spans[3].end}));
    EXPECT_EQ("ITEM", spans[1].name);
    EXPECT_FALSE(spans[0].written);
    EXPECT_EQ(0, fieldAtByte(spans, 0));
    EXPECT_EQ(1, fieldAtByte(spans, 3));
    EXPECT_EQ(3, fieldAtByte(spans, 5));  // the later of two fields over a byte
    EXPECT_EQ(-1, fieldAtByte(spans, 6));
}

}  // namespace
}  // namespace sorvek::testing
