#pragma once
// The rows of the preview table. While the records on show are of one kind, the table's rows are
// the records and the column heads name that kind's fields. Once records of several kinds are on
// show, no one set of heads fits them all: before each run of records of one kind a heading row
// names that kind's fields, column by column, so that every value stands under its own field's
// name.
#include <cstddef>
#include <string>
#include <vector>

#include "editor/data_preview.h"

namespace sorvek {

class PreviewRows {
  public:
    PreviewRows() = default;
    PreviewRows(const RecordDefTable& table, const Preview& preview);

    // Rows of the table: the records and the heading rows.
    std::size_t size() const { return rows_.size(); }
    // True when heading rows are among them (records of several kinds on show).
    bool headed() const { return headed_; }
    // The record (index into Preview::rows) at table row `row`, or -1 for a heading row or a row
    // beyond the table.
    int recordAt(std::size_t row) const;
    // The kind a heading row names, or 0 for a record's row.
    int headingKind(std::size_t row) const;
    // The table row of record `record`, or -1.
    int rowOf(std::size_t record) const;

  private:
    // Per table row: the record's index, or -kind for a heading row.
    std::vector<int> rows_;
    std::vector<int> recordRows_;  // by record: its table row
    bool headed_ = false;
};

}  // namespace sorvek
