// The preview of a text on the definition page of the CSV-to-records job: the records its lines
// make shown as the records of a file are, and the lines that make none where they are.
#include "editor/text_preview.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "formats/trd_file.h"
#include "support/record_tables.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

PreviewSource sourceOf(const std::string& bytes, std::int64_t offset = 0,
                       std::int64_t firstLine = 1, const std::string& fileStart = {}) {
    PreviewSource s;
    s.bytes = bytes;
    s.offset = offset;
    s.firstRecord = firstLine;
    s.fileSize = offset + static_cast<std::int64_t>(bytes.size());
    s.fileStart = offset == 0 ? bytes.substr(0, 4) : fileStart;
    return s;
}

// What a row shows, as one line to compare.
std::string rowText(const PreviewRow& row, const std::string& bytes) {
    std::string s =
        "kind " + std::to_string(row.kind) + " [" + bytes.substr(row.begin, row.length) + "]";
    for (const PreviewCell& c : row.cells) {
        s += " " + c.text + (c.mark != CellMark::None ? "!" : "");
    }
    return s;
}

TEST(TextPreview, TheRecordsOfTheLinesAreShownAsTheRecordsOfTheFile) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    RecordDefTable table;
    table.reset(2);
    ASSERT_TRUE(readTrdFile(samples + "orders.trd", table).ok());
    // orders.dat is what the job makes of orders.csv, a line end after each record.
    const PreviewSource records = sourceOf(readFile(samples + "orders.dat"));
    const Preview file = buildPreview(table, records, 2);
    const TextPreview text = buildTextPreview(table, sourceOf(readFile(samples + "orders.csv")), 2);
    ASSERT_TRUE(text.preview.definitionUsable);
    EXPECT_TRUE(text.preview.fromText);
    ASSERT_EQ(9u, file.rows.size());
    ASSERT_EQ(file.rows.size(), text.preview.rows.size());
    for (std::size_t i = 0; i < file.rows.size(); ++i) {
        EXPECT_EQ(rowText(file.rows[i], records.bytes),
                  rowText(text.preview.rows[i], text.rows.bytes));
    }
    EXPECT_EQ(file.columnTitles, text.preview.columnTitles);
    // The lines the records were made of: a header and its detail share theirs.
    std::vector<std::int64_t> lines;
    for (const PreviewRow& row : text.preview.rows) lines.push_back(row.number);
    EXPECT_EQ((std::vector<std::int64_t>{2, 2, 3, 4, 5, 5, 6, 6, 7}), lines);
}

TEST(TextPreview, ALineThatMakesNoRecordIsShownWhereItIsAndTheLinesAfterItStill) {
    // One kind: NAME X(4), QTY 9(3); a title line.
    const RecordDefTable table = makeTable(
        fileDefinition(7, "", ",", true),
        {recordDefinition("R", 7, "", 0, 0, {field("NAME", "X", 1, 4), field("QTY", "9", 5, 3)})});
    const std::string text =
        "\xEF\xBB\xBF"
        "NAME,QTY\r\n\xE3\x81\x82,1\r\n\xE3\x81\x84,1234\r\n\xE3\x81\x86,3\r\n";
    const std::string bad = "\xE3\x81\x84,1234\r\n";
    const std::string fault = "列 2 (QTY): 桁数が多すぎます (3 桁まで)。値 = 1234";

    const TextPreview whole = buildTextPreview(table, sourceOf(text), 1);
    ASSERT_EQ(3u, whole.preview.rows.size());
    EXPECT_EQ("kind 1 [\x82\xA0  001] あ   001", rowText(whole.preview.rows[0], whole.rows.bytes));
    const PreviewRow& failing = whole.preview.rows[1];
    EXPECT_EQ(RowMark::LineFails, failing.mark);
    EXPECT_EQ("kind 0 [" + bad + "] " + fault + "!", rowText(failing, whole.rows.bytes));
    EXPECT_EQ(3, failing.number);
    EXPECT_EQ(static_cast<std::int64_t>(text.find(bad)), failing.offset);
    EXPECT_EQ(fault, cellTip(table, whole.rows, failing, 0));
    EXPECT_EQ("kind 1 [\x82\xA4  003] う   003", rowText(whole.preview.rows[2], whole.rows.bytes));
    EXPECT_EQ(4, whole.preview.rows[2].number);
    // From the line at fault on, as a finding of the check loads it: the text is still UTF-8,
    // and no title line is there.
    const std::size_t at = text.find(bad);
    const TextPreview later = buildTextPreview(
        table, sourceOf(text.substr(at), static_cast<std::int64_t>(at), 3, text.substr(0, 4)), 1);
    ASSERT_EQ(2u, later.preview.rows.size());
    EXPECT_EQ(rowText(failing, whole.rows.bytes), rowText(later.preview.rows[0], later.rows.bytes));
    EXPECT_EQ(rowText(whole.preview.rows[2], whole.rows.bytes),
              rowText(later.preview.rows[1], later.rows.bytes));
    EXPECT_EQ(4, later.preview.rows[1].number);
}

}  // namespace
}  // namespace sorvek::testing
