// A finding of the check leads the preview to its record: the preview loaded from a finding's
// place shows the records the walk over the whole file cut from there on, in files of every
// framing, also from the middle of a block of records behind block descriptor words.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/check_report.h"
#include "editor/data_preview.h"
#include "engine/inspection.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;

// A record behind its record descriptor word.
std::string rdw(const std::string& data) {
    const std::size_t n = data.size() + 4;
    return std::string{static_cast<char>(n >> 8), static_cast<char>(n & 0xFF), 0, 0} + data;
}

// Records inside a block behind its block descriptor word (`wide`: the 31-bit form).
std::string block(const std::vector<std::string>& records, bool wide = false) {
    std::string body;
    for (const std::string& r : records) body += rdw(r);
    const std::size_t n = body.size() + 4;
    if (wide) {
        return std::string{static_cast<char>(0x80 | (n >> 24)), static_cast<char>(n >> 16),
                           static_cast<char>(n >> 8), static_cast<char>(n & 0xFF)} +
               body;
    }
    return std::string{static_cast<char>(n >> 8), static_cast<char>(n & 0xFF), 0, 0} + body;
}

// The order example with a packed amount in the detail: D, QTY 9(3), AMT P(2).
RecordDefTable ordersIn(RecordFormat format) {
    RecordDefTable table = orderExampleTable();
    table[0].recordFormat = format;
    table[2].Size = 6;
    table[2].Fields.push_back(field("AMT", "P", 5, 2));
    return table;
}

// What a row shows, as one line to compare.
std::string rowText(const PreviewRow& row) {
    std::string s = "#" + std::to_string(row.number) + " @" + std::to_string(row.offset) +
                    " kind " + std::to_string(row.kind) + " len " + std::to_string(row.length);
    for (const PreviewCell& c : row.cells) s += " [" + c.text + "]";
    if (row.mark == RowMark::BadDescriptorWord || row.mark == RowMark::CutOff ||
        row.mark == RowMark::Stopped) {
        s += " stop";
    }
    return s;
}

// The preview of `file` loaded from `place`, as the desktop program loads it.
std::vector<std::string> previewFrom(const RecordDefTable& table, const std::string& file,
                                     const FindingPlace& place) {
    PreviewSource source;
    source.offset = place.recordOffset;
    source.firstRecord = std::max<std::int64_t>(place.recordNumber, 1);
    source.blockLeft = place.blockLeft;
    source.bytes = file.substr(static_cast<std::size_t>(place.recordOffset));
    source.fileSize = static_cast<std::int64_t>(file.size());
    std::vector<std::string> rows;
    for (const PreviewRow& row : buildPreview(table, source, 2).rows) rows.push_back(rowText(row));
    return rows;
}

struct FileCase {
    const char* name;
    RecordFormat format;
    std::string file;
    int places;  // places with a record that the check reports
};

TEST(FindingPreview, ThePreviewFromAFindingShowsTheRecordsTheWholeWalkCutFromThere) {
    const std::string amount = "\x12\x3C"s;
    const std::string bad = "\xA2\x3C"s;
    const FileCase cases[] = {
        // An invalid amount in the middle of the second block, a detail that ends before its
        // amount, a header without detail, then a block in the 31-bit form.
        {"vb", RecordFormat::VB,
         block({"H00001", "D001" + amount, "D002" + amount}) +
             block({"H00002", "D003" + amount, "D004" + bad, "D00", "H00003"}) +
             block({"H00004", "D006" + amount}, true),
         2},
        // A record descriptor word that cannot be, in the middle of the last block, after a
        // header that no detail follows.
        {"vb fault", RecordFormat::VB,
         block({"H00001", "D001" + amount}) + block({"H00002", "D002" + bad, "D003" + amount}) +
             block({"H00003", "D004" + amount}).substr(0, 14) + "\0\x02\0\0"s,
         3},
        // A record of unknown kind in the middle of a block: the conversion stops there.
        {"vb unknown kind", RecordFormat::VB,
         block({"H00001", "D001" + amount}) + block({"H00002", "D002" + bad, "X", "D003" + amount}),
         2},
        {"v", RecordFormat::V,
         rdw("H00001") + rdw("D001" + bad) + rdw("H00002") + rdw("D002" + amount), 1},
        {"fixed with line breaks", RecordFormat::Fixed,
         "H00001\r\nD001" + amount + "\r\nD002" + bad + "\r\nH00002\nD003" + amount, 1},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RecordDefTable table = ordersIn(c.format);
        Inspector inspector(&table);
        inspector.add(c.file.data(), c.file.size());
        const InspectionReport report = inspector.finish();
        std::vector<std::string> whole = previewFrom(table, c.file, FindingPlace{});
        int places = 0;
        for (const FindingGroup& g : reportFindings(report)) {
            for (const FindingPlace& place : g.places) {
                if (place.recordNumber == 0) continue;
                SCOPED_TRACE(g.text + " / " + placeText(place));
                ++places;
                const auto from = static_cast<std::size_t>(place.recordNumber - 1);
                ASSERT_LT(from, whole.size());
                const std::vector<std::string> expected(whole.begin() + static_cast<long>(from),
                                                        whole.end());
                EXPECT_EQ(expected, previewFrom(table, c.file, place));
            }
        }
        EXPECT_EQ(c.places, places);
    }
}

}  // namespace
}  // namespace sorvek::testing
