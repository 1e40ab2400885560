#include "editor/text_preview.h"

#include <algorithm>
#include <cstdint>

#include "editor/record_cells.h"
#include "engine/csv_record_lines.h"
#include "engine/rec2csv_definition_check.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// The text handed to the reading at a time, so that a preview of a few lines does not make the
// records of the whole window.
constexpr std::size_t kStepBytes = 64 * 1024;

// Bytes of a value at fault the row shows at most.
constexpr std::size_t kShownBytes = 200;

std::string oneLine(std::string text) {
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) c = '.';
    }
    return text;
}

// What a line that makes no record shows in its row.
std::string faultText(const CsvLineFault& f) {
    if (f.problem != CsvLineProblem::Value) return std::string(f.why);
    return "列 " + std::to_string(f.column) + " (" + std::string(f.field) +
           "): " + std::string(f.why) +
           "値 = " + oneLine(csvValueText(f.value, f.utf8, kShownBytes));
}

// The rows of the records the lines make, and of the lines that make none.
class PreviewRows final : public CsvLineSink {
  public:
    PreviewRows(const RecordDefTable& table, const char* text, std::size_t maxRows,
                TextPreview& out)
        : text_(text),
          maxRows_(maxRows),
          out_(out),
          cells_(table),
          blank_(isEbcdic(table[0].codePage) ? 0x40 : ' ') {}

    bool full() const { return out_.preview.rows.size() >= maxRows_; }

    void record(const CsvLinePlace& line, int kind, const unsigned char* bytes, std::size_t size,
                std::size_t) override {
        if (full()) return;
        PreviewRow& row = addRow(line, kind, bytes, size);
        const VaryingLayout& layout = cells_.layout(kind);
        if (!layout.used()) {
            cells_.fill(row, bytes, size);
            return;
        }
        // Laid out again as the kind's fields read it, as the records read from a file are.
        row.present = layout.presentIn(bytes, size);
        laid_.resize(layout.length(layout.max()));
        cells_.fill(row, laid_.data(),
                    layout.expand(bytes, size, row.present, blank_, laid_.data()));
    }
    bool fault(const CsvLineFault& f) override {
        if (full()) return true;
        // The row's bytes are those of the line, for the ruler.
        const auto* line =
            reinterpret_cast<const unsigned char*>(text_) + (f.place.offset - out_.rows.offset);
        PreviewRow& row = addRow(f.place, 0, line, f.place.length);
        row.mark = RowMark::LineFails;
        row.cells.push_back({faultText(f), CellMark::InvalidValue, true, {}, {}});
        return true;
    }

  private:
    PreviewRow& addRow(const CsvLinePlace& line, int kind, const unsigned char* bytes,
                       std::size_t size) {
        PreviewRow& row = out_.preview.rows.emplace_back();
        row.number = line.line;
        row.offset = line.offset;
        row.kind = kind;
        row.begin = out_.rows.bytes.size();
        row.length = size;
        out_.rows.bytes.append(reinterpret_cast<const char*>(bytes), size);
        return row;
    }

    const char* text_;  // the byte at the text's `offset`
    std::size_t maxRows_;
    TextPreview& out_;
    RecordCells cells_;
    const unsigned char blank_;        // of the page: fills the occurrences a record lacks
    std::vector<unsigned char> laid_;  // a record laid out by its varying table
};

// Reads the lines of `text` until `rows` is full or the whole lines are read.
void readLines(CsvRecordLines& lines, const PreviewSource& text, PreviewRows& rows) {
    const char* p = text.bytes.data() + lines.markBytes();
    const char* end = text.bytes.data() + text.bytes.size();
    std::size_t step = kStepBytes;
    while (p < end && !rows.full()) {
        const char* stop = static_cast<std::size_t>(end - p) > step ? p + step : end;
        const std::size_t taken = lines.take(p, stop, stop == end && text.reachesEnd(), rows);
        if (taken == 0) {
            // A line longer than the step: the next one reaches further.
            if (stop == end) return;
            step *= 2;
        }
        p += taken;
    }
}

// Why no records can be made of the text with `table`, or "".
std::string unusable(const RecordDefTable& table) {
    if (!table.hasDefinition() || table.maxIndex() < 1) return "レコード定義がまだありません。";
    if (Status refused = checkRec2CsvDefinition(table); !refused) return refused.error().reason;
    return {};
}

std::string joined(std::string message) {
    for (std::size_t i = message.find('\n'); i != std::string::npos; i = message.find('\n', i)) {
        message.replace(i, 1, " / ");
    }
    return message;
}

void setColumns(const RecordDefTable& table, int columnKind, Preview& out) {
    out.columnKind = table.isRecordIndex(columnKind) ? columnKind : 1;
    for (const FieldDef& f : table[static_cast<std::size_t>(out.columnKind)].Fields) {
        out.columnTitles.push_back(f.Name);
    }
    std::size_t widest = out.columnTitles.size();
    for (const PreviewRow& row : out.rows) widest = std::max(widest, row.cells.size());
    while (out.columnTitles.size() < widest) {
        out.columnTitles.push_back("(" + std::to_string(out.columnTitles.size() + 1) + ")");
    }
}

std::string statusOf(const TextPreview& p, const PreviewSource& text) {
    const std::vector<PreviewRow>& rows = p.preview.rows;
    if (rows.empty()) return "表示できるレコードがありません。";
    const auto failing = std::count_if(
        rows.begin(), rows.end(), [](const PreviewRow& r) { return r.mark == RowMark::LineFails; });
    std::string status = "行 " + groupedNumber(rows.front().number) + "～" +
                         groupedNumber(rows.back().number) + " から作ったレコード " +
                         groupedNumber(static_cast<std::int64_t>(rows.size()) - failing) + " 件";
    if (failing > 0) status += "、レコードを作れない行 " + groupedNumber(failing) + " 行";
    return status + " (ファイルサイズ " + groupedNumber(text.fileSize) + " バイト)";
}

}  // namespace

TextPreview buildTextPreview(const RecordDefTable& table, const PreviewSource& text, int columnKind,
                             std::size_t maxRows) {
    TextPreview out;
    out.preview.fromText = true;
    out.rows.offset = text.offset;
    out.rows.firstRecord = text.firstRecord;
    out.rows.fileSize = text.fileSize;
    if (const std::string why = unusable(table); !why.empty()) {
        out.preview.status = table.hasDefinition() && table.maxIndex() >= 1
                                 ? "この定義では CSV からレコードを作れません: " + joined(why)
                                 : why;
        return out;
    }
    const bool fileStart = text.offset == 0;
    Result<CsvRecordLines> lines = CsvRecordLines::make(
        table, fileStart ? std::string_view(text.bytes) : std::string_view(text.fileStart),
        {text.firstRecord, text.offset, fileStart});
    if (!lines) {
        out.preview.status =
            "この定義では CSV からレコードを作れません: " + joined(lines.error().reason);
        return out;
    }
    out.preview.definitionUsable = true;
    PreviewRows rows(table, text.bytes.data(), maxRows, out);
    readLines(*lines, text, rows);
    setColumns(table, columnKind, out.preview);
    out.preview.status =
        text.bytes.empty() && text.fileSize == 0 ? "ファイルは空です。" : statusOf(out, text);
    return out;
}

}  // namespace sorvek
