#include "editor/preview_rows.h"

#include <set>

namespace sorvek {
namespace {

// A record under its kind's fields: of a known kind, and not a line that made no record.
int fieldsKind(const RecordDefTable& table, const PreviewRow& row) {
    return table.isRecordIndex(row.kind) && row.mark != RowMark::LineFails ? row.kind : 0;
}

}  // namespace

PreviewRows::PreviewRows(const RecordDefTable& table, const Preview& preview) {
    std::set<int> kinds;
    for (const PreviewRow& row : preview.rows) {
        if (const int kind = fieldsKind(table, row); kind != 0) kinds.insert(kind);
    }
    headed_ = kinds.size() > 1;
    int headed = 0;  // the kind the last heading row named
    for (std::size_t i = 0; i < preview.rows.size(); ++i) {
        const int kind = fieldsKind(table, preview.rows[i]);
        if (headed_ && kind != 0 && kind != headed) {
            rows_.push_back(-kind);
            headed = kind;
        }
        recordRows_.push_back(static_cast<int>(rows_.size()));
        rows_.push_back(static_cast<int>(i));
    }
}

int PreviewRows::recordAt(std::size_t row) const {
    return row < rows_.size() && rows_[row] >= 0 ? rows_[row] : -1;
}

int PreviewRows::headingKind(std::size_t row) const {
    return row < rows_.size() && rows_[row] < 0 ? -rows_[row] : 0;
}

int PreviewRows::rowOf(std::size_t record) const {
    return record < recordRows_.size() ? recordRows_[record] : -1;
}

}  // namespace sorvek
