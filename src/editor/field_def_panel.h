#pragma once
// The field panel of the edit dialog (modes 5 and 6).
#include <cstdint>
#include <string>

#include "editor/edit_dialog.h"
#include "model/record_def.h"

namespace sorvek {

struct FieldInput {
    std::string txtFldName;
    std::string cmbFldType = "X";
    std::string txtFldSize;
    std::string txtFldDec = "0";
    std::string txtFldMemo;
    bool operator==(const FieldInput&) const = default;
};

// Mode 5: empty name, "X", empty size, decimals "0", empty memo. Mode 6: field `sel - 1` of
// record `record` (sel is the selected row, 1-based).
FieldInput fillFieldPanel(std::int32_t mode, const RecordDefTable& table, std::int32_t record,
                          std::int32_t sel);

// `lblFldDec` and `txtFldDec` are visible for the numeric types "9", "P" and "BIN" only.
inline bool decimalsVisible(const std::string& type) {
    return type == "9" || type == "P" || type == "BIN";
}

// In order: a name; no comma in the name; no comma in the type; a size of 1 or more that fits
// 32 bits; for "9" and "P" decimals of digits only that fit 32 bits (0 allowed); no comma and no
// line break in the memo. A comma would split the field's line in the definition file.
EditCheck validateField(const FieldInput& input);

// OK in mode 5 or 6 for record `record` and selected row `sel` (0 when the list is empty or no
// row is selected). Mode 5 inserts a ticked field after row `sel`; mode 6 changes field
// `sel - 1` and renumbers the later fields. `Dec` of an "X" field is the decimals box's number,
// or 0 when it holds none.
EditOutcome submitField(std::int32_t mode, const FieldInput& input, RecordDefTable& table,
                        std::int32_t record, std::int32_t sel);

}  // namespace sorvek
