#include "editor/data_preview.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "editor/record_cells.h"
#include "editor/record_texts.h"
#include "engine/control_totals.h"
#include "engine/ebcdic_guess.h"
#include "engine/field_checks.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/record_lineage.h"
#include "engine/record_walk.h"
#include "engine/varying_table.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

class RowCollector {
  public:
    RowCollector(const RecordDefTable& table, const PreviewSource& source, std::size_t maxRows,
                 Preview& out)
        : table_(table),
          source_(source),
          base_(reinterpret_cast<const unsigned char*>(source.bytes.data())),
          maxRows_(maxRows),
          out_(out),
          cells_(table),
          lineage_(table),
          // Before the first record of the file, no parent can have come yet.
          lineageFromStart_(source.offset == 0),
          lineBreaksFollow_(RecordFraming(table).lineBreaksFollow()) {
        // A total needs every record before it: judged only from the start of the file, and
        // only through a definition the conversion would take.
        if (lineageFromStart_ && hasControlTotals(table) && checkRec2CsvDefinition(table)) {
            totals_.emplace(table);
        }
    }

    void record(const FramedRecord& r) {
        RowMark mark = RowMark::None;
        if (r.kind != 0) {
            const RecordLineage::Step step = lineage_.record(r.kind, r.offset, r.number);
            if (step.replacedUnused) markRow(step.replacedNumber, RowMark::NoLine);
            if (step.childBeforeParent && lineageFromStart_) mark = RowMark::ChildBeforeParent;
        } else {
            mark = RowMark::UnknownKind;
        }
        if (lineBreaksFollow_ && (r.data[0] == '\r' || r.data[0] == '\n')) {
            mark = RowMark::ExtraLineBreak;
        }
        if (out_.rows.size() >= maxRows_) return;
        PreviewRow& row = addRow(r.kind, r.data, r.length, r.offset, r.number, mark);
        if (r.kind != 0) {
            row.present = r.present;
            cells_.fill(row, r.bytes, r.reach);
            if (totals_) markTotals(row, r);
        }
    }

    void stopped(std::int64_t offset, std::int64_t number, std::uint32_t) {
        if (out_.rows.size() >= maxRows_) return;
        const std::size_t begin = static_cast<std::size_t>(offset);
        const std::size_t length =
            std::min(source_.bytes.size() - begin, static_cast<std::size_t>(table_[1].Size));
        addRow(0, base_ + begin, length, offset, number, RowMark::Stopped);
    }

    // A descriptor word that cannot be, or a record cut off behind one: the conversion stops.
    void fault(FramingFault fault, const std::string&, std::int64_t offset, std::int64_t number,
               std::uint32_t) {
        if (out_.rows.size() >= maxRows_) return;
        const std::size_t begin = static_cast<std::size_t>(offset);
        const std::size_t length = std::min(source_.bytes.size() - begin, std::size_t{4});
        addRow(0, base_ + begin, length, offset, number,
               fault == FramingFault::CutRecord ? RowMark::CutOff : RowMark::BadDescriptorWord);
    }

    // The end of the source: an incomplete last record, and at the end of the file the records
    // still waiting for a child.
    void finish(std::size_t consumed, std::int64_t number, bool stopped) {
        if (!source_.reachesEnd() || stopped) return;
        if (consumed < source_.bytes.size() && out_.rows.size() < maxRows_) {
            addRow(0, base_ + consumed, source_.bytes.size() - consumed,
                   static_cast<std::int64_t>(consumed), number + 1, RowMark::Incomplete);
        }
        lineage_.forEachUnused([&](int, std::int64_t, std::int64_t unused, std::uint32_t) {
            markRow(unused, RowMark::NoLine);
        });
    }

  private:
    // Marks the totals of `row` that disagree with the rows before, then takes it in.
    void markTotals(PreviewRow& row, const FramedRecord& r) {
        for (const ControlTotals::Disagreement& d : totals_->compare(r.kind, r.bytes)) {
            if (d.field >= row.cells.size()) continue;
            PreviewCell& cell = row.cells[d.field];
            if (cell.mark != CellMark::None) continue;  // bytes that are no number say more
            cell.mark = CellMark::WrongTotal;
            cell.tally = d.expected;
            cell.held = d.found;
        }
        totals_->add(r.kind, r.bytes);
    }

    // Offsets and numbers here count from the start of the source, as the cutter does.
    PreviewRow& addRow(int kind, const unsigned char* bytes, std::size_t length,
                       std::int64_t offset, std::int64_t number, RowMark mark) {
        PreviewRow& row = out_.rows.emplace_back();
        row.number = number;
        row.offset = source_.offset + offset;
        row.kind = kind;
        row.begin = static_cast<std::size_t>(bytes - base_);
        row.length = length;
        row.mark = mark;
        return row;
    }

    void markRow(std::int64_t number, RowMark mark) {
        const std::int64_t index = number - 1;
        if (index < 0 || index >= static_cast<std::int64_t>(out_.rows.size())) return;
        PreviewRow& row = out_.rows[static_cast<std::size_t>(index)];
        if (row.mark == RowMark::None) row.mark = mark;
    }

    const RecordDefTable& table_;
    const PreviewSource& source_;
    const unsigned char* base_;
    std::size_t maxRows_;
    Preview& out_;
    RecordCells cells_;
    RecordLineage lineage_;
    bool lineageFromStart_;
    bool lineBreaksFollow_;
    std::optional<ControlTotals> totals_;
};

std::string hexBytes(const unsigned char* p, std::size_t n) {
    std::string out;
    char hex[4];
    for (std::size_t i = 0; i < n && i < 32; ++i) {
        std::snprintf(hex, sizeof hex, "%02X", p[i]);
        if (i > 0) out += ' ';
        out += hex;
    }
    if (n > 32) out += " …";
    return out;
}

}  // namespace

std::string withEbcdicNote(std::string status, const PreviewSource& source, InputCodePage page) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(source.bytes.data());
    const std::string note = ebcdicGuessNote(guessEbcdic({bytes, source.bytes.size()}), page);
    if (note.empty()) return status;
    return status.empty() ? note : status + "\n" + note;
}

Preview buildPreview(const RecordDefTable& table, const PreviewSource& source, int columnKind,
                     std::size_t maxRows) {
    Preview out;
    if (!table.hasDefinition() || table.maxIndex() < 1) {
        out.status = "レコード定義がまだありません。";
        return out;
    }
    if (Status structure = checkRecordStructure(table); !structure) {
        std::string message = structure.error().reason;
        for (std::size_t i = message.find('\n'); i != std::string::npos;
             i = message.find('\n', i)) {
            message.replace(i, 1, " / ");
        }
        out.status = "この定義ではレコードを切り出せません: " + message;
        return out;
    }
    out.definitionUsable = true;
    out.columnKind = table.isRecordIndex(columnKind) ? columnKind : 1;
    for (const FieldDef& f : table[static_cast<std::size_t>(out.columnKind)].Fields) {
        out.columnTitles.push_back(f.Name);
    }
    if (source.bytes.empty()) {
        out.status = source.fileSize == 0 ? "ファイルは空です。" : "";
        return out;
    }

    RecordCutter cutter(table);
    // A stretch from a record on goes on in the block that record starts in, so that the next
    // block's descriptor word is read where the conversion reads it. (At a record of fixed
    // length the line breaks after the record before are behind; nothing else is carried.)
    if (table[0].recordFormat == RecordFormat::VB) {
        cutter.resume(FramingState{RecordPending::None, source.blockLeft});
    }
    RowCollector collector(table, source, maxRows, out);
    const auto* begin = reinterpret_cast<const unsigned char*>(source.bytes.data());
    const RecordCutter::Outcome cut =
        cutter.cut(begin, begin + source.bytes.size(), source.reachesEnd(), collector);
    collector.finish(cut.consumed, cutter.records(), cut.stopped);
    // The cutter counts from 1; the source may start further on in the file.
    for (PreviewRow& row : out.rows) row.number += source.firstRecord - 1;

    std::size_t widest = out.columnTitles.size();
    for (const PreviewRow& row : out.rows) widest = std::max(widest, row.cells.size());
    while (out.columnTitles.size() < widest) {
        out.columnTitles.push_back("(" + std::to_string(out.columnTitles.size() + 1) + ")");
    }
    if (out.rows.empty()) {
        out.status = "表示できるレコードがありません。";
    } else {
        out.status = "レコード " + groupedNumber(out.rows.front().number) + "～" +
                     groupedNumber(out.rows.back().number) + " (ファイルサイズ " +
                     groupedNumber(source.fileSize) + " バイト)";
    }
    out.status = withEbcdicNote(std::move(out.status), source, table[0].codePage);
    return out;
}

std::string rowMarkText(RowMark mark) {
    switch (mark) {
        case RowMark::None:
            return {};
        case RowMark::UnknownKind:
            return "識別区分の不明なレコードです。変換では読み飛ばされます。";
        case RowMark::Stopped:
            return "識別区分の不明なレコードです。可変長のため、変換はここで止まります。";
        case RowMark::ChildBeforeParent:
            return "親レコードより前にある子レコードです。親のフィールドなしで出力されます。";
        case RowMark::NoLine:
            return "子レコードが続かないため、このレコードのフィールドはどの行にも出力されません。";
        case RowMark::ExtraLineBreak:
            return "改行で始まっています。前に余分な改行があり、ここからレコードがずれています。";
        case RowMark::Incomplete:
            return "ファイルの終わりでレコードが途切れています。このバイトは出力されません。";
        case RowMark::BadDescriptorWord:
            return "レコード記述語 (RDW) またはブロック記述語 (BDW) の長さに誤りがあります。"
                   "変換はここで止まります。";
        case RowMark::CutOff:
            return "ファイルの終わりでレコードが途切れています。変換はここで止まります。";
        case RowMark::LineFails:
            return "この行からはレコードを作れません。CSV→REC変換はここで止まります。";
    }
    return {};
}

namespace {

// Where field `f` of `row`'s kind begins among the row's bytes, 0-based: its place in the kind,
// less the occurrences the record lacks before it; nothing for a field of one it lacks.
std::optional<std::size_t> placeInRow(const RecordDefTable& table, const PreviewRow& row,
                                      const FieldDef& f) {
    const auto at = static_cast<std::size_t>(f.Pos - 1);
    if (row.present == UINT32_MAX) return at;
    const RecordDef& record = table[static_cast<std::size_t>(row.kind)];
    if (!checkVaryingTable(table, row.kind)) return at;
    const VaryingLayout layout(record, isEbcdic(table[0].codePage));
    if (layout.absent(at, row.present)) return std::nullopt;
    return at - layout.shift(at, row.present);
}

}  // namespace

std::string cellTip(const RecordDefTable& table, const PreviewSource& source, const PreviewRow& row,
                    std::size_t field) {
    if (row.mark == RowMark::LineFails && field < row.cells.size()) return row.cells[field].text;
    if (!table.isRecordIndex(row.kind)) return {};
    const RecordDef& record = table[static_cast<std::size_t>(row.kind)];
    if (field >= record.Fields.size() || field >= row.cells.size()) return {};
    const FieldDef& f = record.Fields[field];
    const PreviewCell& cell = row.cells[field];
    std::string tip = record.Name + "." + f.Name + " (" + typeDisplay(f, table) + "、位置 " +
                      std::to_string(f.Pos) + "、" + std::to_string(f.Size) + " バイト)";
    if (!cell.written) tip += " 出力しないフィールド";
    if (cell.mark == CellMark::Outside) {
        return tip + "\nレコードの外にあるフィールドです (レコード長 " +
               std::to_string(record.Size) + " バイト)。";
    }
    tip += "\n値: " + cell.text;
    const std::optional<std::size_t> place = placeInRow(table, row, f);
    if (!place) return tip + "\nレコードに無い表の繰り返しです。";
    const auto* bytes =
        reinterpret_cast<const unsigned char*>(source.bytes.data()) + row.begin + *place;
    // A record behind a descriptor word may end before the field does.
    const std::size_t before = *place;
    const std::size_t within = row.length > before ? row.length - before : 0;
    tip += "\nバイト: " + hexBytes(bytes, std::min(static_cast<std::size_t>(f.Size), within));
    switch (cell.mark) {
        case CellMark::None:
        case CellMark::Outside:
            break;
        case CellMark::InvalidValue:
            tip +=
                fieldClass(f) == FieldClass::Packed
                    ? "\nパック10進数として正しくない値です (数字でない半バイト、または符号でない"
                      "最後の半バイトがあります)。"
                    : "\nゾーン10進数として正しくない値です (数字でないバイトがあります)。";
            break;
        case CellMark::SplitStart:
            tip += "\n2バイト文字の途中から始まっています。";
            break;
        case CellMark::SplitEnd:
            tip += "\n最後のバイトが2バイト文字の1バイト目で、文字が分断されています。";
            break;
        case CellMark::WrongTotal:
            tip += "\n集計が合いません (集計値 = " + cell.tally + "、レコードの値 = " + cell.held +
                   ")";
            break;
    }
    return tip;
}

std::vector<RulerSpan> rulerSpans(const RecordDefTable& table, const PreviewRow& row) {
    std::vector<RulerSpan> spans;
    if (!table.isRecordIndex(row.kind)) return spans;
    const RecordDef& record = table[static_cast<std::size_t>(row.kind)];
    for (std::size_t i = 0; i < record.Fields.size(); ++i) {
        const FieldDef& f = record.Fields[i];
        if (f.Pos < 1 || f.Size < 1) continue;
        const std::optional<std::size_t> place = placeInRow(table, row, f);
        if (!place) continue;
        const std::size_t begin = *place;
        const std::size_t end = std::min(row.length, begin + static_cast<std::size_t>(f.Size));
        if (begin >= end) continue;
        RulerSpan span;
        span.field = static_cast<int>(i);
        span.begin = begin;
        span.end = end;
        span.name = f.Name;
        span.written = f.Check == -1;
        span.mark = i < row.cells.size() ? row.cells[i].mark : CellMark::None;
        spans.push_back(std::move(span));
    }
    return spans;
}

int fieldAtByte(const std::vector<RulerSpan>& spans, std::size_t at) {
    int found = -1;
    for (const RulerSpan& span : spans) {
        if (at >= span.begin && at < span.end) found = span.field;
    }
    return found;
}

}  // namespace sorvek
