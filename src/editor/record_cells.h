#pragma once
// The cells of one record as the preview of the definition page shows them: each field's value as
// the record-to-CSV conversion writes it (its host form read where the field has one), with a
// mark where the value is no value of its type, a text field cuts a double-byte character or
// the field lies outside its record. Shared by the preview of records read from a file and of
// records made from the lines of a text.
#include <cstddef>
#include <vector>

#include "editor/data_preview.h"
#include "engine/field_checks.h"
#include "engine/varying_table.h"
#include "model/record_def.h"
#include "platform/codepage.h"

namespace sorvek {

class RecordCells {
  public:
    // `table` must outlive the cells; what is worked out of it is kept.
    explicit RecordCells(const RecordDefTable& table);

    // Fills the cells of `row` (one per field of its kind `row.kind`, 1..N) from the record at
    // `bytes`. `reach`: the bytes of the record that are its own (fewer than the kind's length
    // for a record behind a descriptor word that was filled up); a number the record does not
    // reach wholly is empty, and no field it does not reach is judged. The fields of the
    // occurrences of its varying table it lacks (it holds `row.present`) are empty too.
    void fill(PreviewRow& row, const unsigned char* bytes, std::size_t reach) const;
    // The layout of kind `kind`'s varying table (unused without one, or one that cannot be read).
    const VaryingLayout& layout(int kind) const { return layouts_[static_cast<std::size_t>(kind)]; }

  private:
    const RecordDefTable& table_;
    FieldCheckPlan plan_;
    // The checks of each kind by field index (nullptr for fields not checked).
    std::vector<std::vector<const FieldCheck*>> checks_;
    std::vector<VaryingLayout> layouts_;  // by kind
    const Cp932Decoder& decoder_ = Cp932Decoder::get();
};

}  // namespace sorvek
