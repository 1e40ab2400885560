#pragma once
// The field panel of the edit dialog (modes 5 and 6).
#include <cstdint>
#include <string>
#include <vector>

#include "editor/edit_dialog.h"
#include "model/host_data.h"
#include "model/record_def.h"

namespace sorvek {

struct FieldInput {
    std::string txtFldName;
    std::string cmbFldType = "X";
    std::string txtFldSize;
    std::string txtFldDec = "0";
    std::string txtFldMemo;
    // The host forms of numeric fields (model/host_data.h): the declared sign of a zoned field,
    // the sign and byte order of a binary one, and the scale (P positions) of any number.
    SignPosition cmbFldSign = SignPosition::Undeclared;
    bool chkFldSigned = false;
    ByteOrder cmbFldByteOrder = ByteOrder::Big;
    std::string txtFldScale = "0";
    // The control total of a numeric field: what it holds, the record it counts or sums (its
    // index), the field summed (1-based among that record's fields), the record that starts
    // each group (0: the whole file).
    TotalKind cmbFldTotal = TotalKind::None;
    std::int32_t cmbFldTotalRecord = 0;
    std::int32_t cmbFldTotalField = 0;
    std::int32_t cmbFldTotalGroup = 0;
    // The half-width mark of a text field: single-byte characters only, and lower-case letters
    // made capitals.
    bool chkFldSingle = false;
    bool chkFldUpper = false;
    bool operator==(const FieldInput&) const = default;
};

// Mode 5: empty name, "X", empty size, decimals "0", empty memo, no host form (no declared
// sign, unsigned big-endian, scale "0"), no total, no half-width mark. Mode 6: field `sel - 1` of
// record `record` (sel is the selected row, 1-based).
FieldInput fillFieldPanel(std::int32_t mode, const RecordDefTable& table, std::int32_t record,
                          std::int32_t sel);

// `lblFldDec` and `txtFldDec` are visible for the numeric types "9", "P" and "BIN" only.
inline bool decimalsVisible(const std::string& type) {
    return type == kTypeZoned || type == kTypePacked || type == kTypeBinary;
}
// The host controls are enabled only for the types they apply to: the declared sign for a
// zoned field, the sign and byte order for a binary one, the scale for every numeric type.
inline bool cmbFldSignEnabled(const std::string& type) {
    return type == kTypeZoned;
}
inline bool binaryFormEnabled(const std::string& type) {
    return type == kTypeBinary;
}
inline bool txtFldScaleEnabled(const std::string& type) {
    return decimalsVisible(type);
}
// A control total is held by a numeric field; the record counted or summed and the group's
// record are chosen once it holds one, the summed field only for a sum.
inline bool cmbFldTotalEnabled(const std::string& type) {
    return decimalsVisible(type);
}
inline bool totalRecordEnabled(const FieldInput& input) {
    return cmbFldTotalEnabled(input.cmbFldType) && input.cmbFldTotal != TotalKind::None;
}
inline bool cmbFldTotalFieldEnabled(const FieldInput& input) {
    return cmbFldTotalEnabled(input.cmbFldType) && input.cmbFldTotal == TotalKind::Sum;
}
// The half-width mark applies to text ("X"); capitals only to a field marked half-width.
inline bool chkFldSingleEnabled(const std::string& type) {
    return type == "X";
}
inline bool chkFldUpperEnabled(const FieldInput& input) {
    return chkFldSingleEnabled(input.cmbFldType) && input.chkFldSingle;
}

// An entry of the lists of the total: its caption and the record index (or 1-based field
// index) it stands for.
struct TotalChoice {
    std::string text;
    std::int32_t value = 0;
    bool operator==(const TotalChoice&) const = default;
};
// "集計するレコード": every record of `table` by name, in index order.
std::vector<TotalChoice> totalRecordChoices(const RecordDefTable& table);
// "合計するフィールド": the numeric fields ("9", "P", "BIN") of record `record`, in order;
// none for an index that names no record.
std::vector<TotalChoice> totalFieldChoices(const RecordDefTable& table, std::int32_t record);
// "区切り": kWholeFile (0), then every record.
std::vector<TotalChoice> totalGroupChoices(const RecordDefTable& table);

// In order: a name; no comma in the name; no comma in the type; a size of 1 or more that fits
// 32 bits (for "BIN" 2, 4 or 8); for "9", "P" and "BIN" decimals of digits only that fit 32 bits
// (0 allowed; for "BIN" at most kMaxBinaryDecimals); where the scale applies a whole number
// from -kMaxScale to kMaxScale; a sign of its own byte only in a field of 2 bytes or more; no
// comma and no line break in the memo. A comma would split the field's line in the definition
// file. Inputs of controls that do not apply to the type are not checked.
EditCheck validateField(const FieldInput& input);
// The total of a numeric field that holds one, against `table`: it names a record, for a sum a
// numeric field of that record, and a group that is the whole file or a record. Passes for a
// field without a total or of a type that holds none.
EditCheck validateTotal(const FieldInput& input, const RecordDefTable& table);

// OK in mode 5 or 6 for record `record` and selected row `sel` (0 when the list is empty or no
// row is selected). Mode 5 inserts a ticked field after row `sel`; mode 6 changes field
// `sel - 1` and renumbers the later fields. `Dec` of an "X" field is the decimals box's number,
// or 0 when it holds none. The host forms are taken only where they apply to the type and
// return to their defaults elsewhere, so a field that uses none saves as it always did; so do
// the total (numeric types) and the half-width mark ("X"). A field inserted before others moves
// the sums of their fields along with them (model/record_table_edit.h).
EditOutcome submitField(std::int32_t mode, const FieldInput& input, RecordDefTable& table,
                        std::int32_t record, std::int32_t sel);

}  // namespace sorvek
