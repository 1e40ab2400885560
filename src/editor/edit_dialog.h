#pragma once
// The definition edit dialog `frmWizSub` without its controls: what each of its six edits fills
// in, which inputs are enabled, the validation with its first error, and the change to the
// table and the record tree. The dialog only moves values between its controls and these
// functions. `EditMode` (in the application state) chooses the edit.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/record_tree.h"
#include "model/record_def.h"
#include "ports/messages.h"

namespace sorvek {

// Values of `EditMode`.
inline constexpr std::int32_t kEditNewFileDef = 1;
inline constexpr std::int32_t kEditChangeFileDef = 2;
inline constexpr std::int32_t kEditAddRecord = 3;
inline constexpr std::int32_t kEditChangeRecord = 4;
inline constexpr std::int32_t kEditAddField = 5;
inline constexpr std::int32_t kEditChangeField = 6;
inline constexpr std::int32_t kEditCancelled = 99;

// The dialog's title for a mode ("ファイル定義の新規作成" ...); empty for any other value.
std::string editDialogTitle(std::int32_t mode);
// The panel of a mode: 1 file, 2 record, 3 field ((mode + 1) / 2).
inline std::int32_t editPanelIndex(std::int32_t mode) {
    return (mode + 1) / 2;
}

inline constexpr std::array<const char*, 3> kRecLenAllChoices{"64", "128", "256"};
// "\t" is the two characters backslash and t; the conversion turns it into a tab.
inline constexpr std::array<const char*, 4> kDelimiterChoices{",", ";", "|", "\\t"};
inline constexpr std::array<const char*, 3> kFieldTypeChoices{"X", "9", "P"};
inline constexpr const char* kNoParent = "(無し)";

// The inputs that an error puts the focus on.
enum class EditControl {
    txtFileDefName,
    cmbRecLenAll,
    txtRecClassPos,
    txtRecName,
    txtRecLen,
    txtRecClass,
    cmbRecParent,
    txtFldName,
    cmbFldType,
    txtFldSize,
    txtFldDec,
    txtFldMemo,
};

// The first failed check: shown in a message box with an OK button, the application title and
// `icon`; the focus then goes to `focus` and the dialog stays open with its inputs.
struct EditError {
    std::string message;
    MessageIcon icon = MessageIcon::Information;
    EditControl focus = EditControl::txtFileDefName;
    bool operator==(const EditError&) const = default;
};

// What an accepted edit did to the record tree model (which has been changed already).
enum class TreeChangeKind {
    None,         // field edits
    Rebuilt,      // new file definition: the file-definition node only, selected
    RootRenamed,  // the file-definition node's text is the new name
    NodeAdded,    // the node of record `tag` was added at the end and selected
    NodeRenamed,  // the node of record `tag` has a new text and key
    NodeMoved,    // the node of record `tag` was removed and added again at the end, selected
};
struct TreeChange {
    TreeChangeKind kind = TreeChangeKind::None;
    std::int32_t tag = -1;
    bool operator==(const TreeChange&) const = default;
};

// The result of OK: either the first error (nothing changed) or the applied edit. `applied`
// false without an error means there was nothing to edit (no such record or field); nothing
// changed.
struct EditOutcome {
    bool applied = false;
    std::optional<EditError> error;
    TreeChange tree;
};

// ---- File panel (modes 1 and 2) ------------------------------------------------------------

struct FileDefInput {
    std::string txtFileDefName;
    bool chkRecLenAll = false;
    std::string cmbRecLenAll;
    bool chkRecClass = false;
    std::string txtRecClassPos;
    bool chkTitleLine = false;
    std::string cmbDelimiter;
    bool operator==(const FileDefInput&) const = default;
};

// Mode 1: an empty name, a common length "0" still to be given (box ticked), no class code,
// "," and a title line. Mode 2: from entry 0 (length box ticked when `Size` is not 0, class
// box ticked when `Class` is not empty).
FileDefInput fillFileDefPanel(std::int32_t mode, const RecordDefTable& table);

// The enabling rules. Ticking `chkRecLenAll` enables `cmbRecLenAll`; unticking shows "0" in it
// and disables it. Ticking `chkRecClass` enables `txtRecClassPos` and proposes "1"; unticking
// empties and disables it. `chkTitleLine` is enabled while `cmbDelimiter` is not empty.
void setRecLenAll(FileDefInput& input, bool ticked);
void setRecClass(FileDefInput& input, bool ticked);
inline bool cmbRecLenAllEnabled(const FileDefInput& input) {
    return input.chkRecLenAll;
}
inline bool txtRecClassPosEnabled(const FileDefInput& input) {
    return input.chkRecClass;
}
inline bool chkTitleLineEnabled(const FileDefInput& input) {
    return !input.cmbDelimiter.empty();
}

// In order: a name ("ファイル定義名が入力されていません。", exclamation); with the length box
// ticked a length of 1 or more that fits 32 bits; with the class box ticked a position of 1 or
// more that fits 32 bits.
std::optional<EditError> validateFileDef(const FileDefInput& input);

// OK in mode 1 or 2. After validation an empty delimiter unticks `chkTitleLine` in `input`.
// Mode 1 replaces the table by entry 0 alone and the tree by its node; mode 2 changes entry 0
// (records untouched) and renames the first node.
EditOutcome submitFileDef(std::int32_t mode, FileDefInput& input, RecordDefTable& table,
                          RecordTree& tree);

// ---- Record panel (modes 3 and 4) ----------------------------------------------------------

// One item of `cmbRecParent`: its text and the record it stands for (0 for "(無し)").
struct ParentChoice {
    std::string text;
    std::int32_t tag = 0;
    bool operator==(const ParentChoice&) const = default;
};

struct RecordInput {
    std::string txtRecName;
    std::string txtRecLen;
    std::string txtRecClass;
    std::int32_t cmbRecParent = 0;  // tag of the chosen item of the parent list
    bool operator==(const RecordInput&) const = default;
};

struct RecordPanel {
    RecordInput input;
    bool txtRecLenEnabled = true;    // false when entry 0 gives every record its length
    bool txtRecClassVisible = true;  // false (with its label) when records carry no class code
    std::vector<ParentChoice> parentChoices;
};

// The parent list: "(無し)", then every record node in the order of the tree's collection. In
// mode 4 the selected record and every record below it are left out, so no choice can make the
// parent links run in a circle.
std::vector<ParentChoice> parentChoices(std::int32_t mode, const RecordDefTable& table,
                                        const RecordTree& tree);

// Mode 3: empty name and class code; the common length (fixed) or an empty length; the selected
// record as the default parent. Mode 4: from the selected record; its parent preselected.
RecordPanel fillRecordPanel(std::int32_t mode, const RecordDefTable& table, const RecordTree& tree);

// In order: a name; a name that no node of the tree shows (in mode 4 the record's own unchanged
// name passes); a length of 1 or more that fits 32 bits; a class code when entry 0 has a
// class-code position.
std::optional<EditError> validateRecord(std::int32_t mode, const RecordInput& input,
                                        const RecordDefTable& table, const RecordTree& tree);

// OK in mode 3 or 4. Mode 3 appends a record under the chosen parent (whose `Child` names it)
// and adds its node, selected. Mode 4 changes the selected record; a record with children
// cannot change its parent ("子レコードがあるレコードは、親レコードの変更はできません。",
// focus on the parent list, nothing changed). With the same parent only its node is renamed;
// with another parent the old parent's `Child` keeps naming a remaining child (or becomes 0),
// the new parent's `Child` names the record, and its node moves to the end under the new parent.
EditOutcome submitRecord(std::int32_t mode, const RecordInput& input, RecordDefTable& table,
                         RecordTree& tree);

// ---- Field panel (modes 5 and 6) -----------------------------------------------------------

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

// `lblFldDec` and `txtFldDec` are visible for the types "9" and "P" only.
inline bool decimalsVisible(const std::string& type) {
    return type == "9" || type == "P";
}

// In order: a name; no comma in the name; no comma in the type; a size of 1 or more that fits
// 32 bits; for "9" and "P" decimals of digits only that fit 32 bits (0 allowed); no comma and no
// line break in the memo. A comma would split the field's line in the definition file.
std::optional<EditError> validateField(const FieldInput& input);

// OK in mode 5 or 6 for record `record` and selected row `sel` (0 when the list is empty or no
// row is selected). Mode 5 inserts a ticked field after row `sel`; mode 6 changes field
// `sel - 1` and renumbers the later fields. `Dec` of an "X" field is the decimals box's number,
// or 0 when it holds none.
EditOutcome submitField(std::int32_t mode, const FieldInput& input, RecordDefTable& table,
                        std::int32_t record, std::int32_t sel);

// ---- All panels ----------------------------------------------------------------------------

// The inputs of the three panels; only the panel of the mode counts.
struct EditInputs {
    FileDefInput file;
    RecordInput record;
    FieldInput field;
};

// `ValidateInput`: the validation of the mode's panel (modes 1 to 6); nothing for another mode.
std::optional<EditError> ValidateInput(std::int32_t mode, const EditInputs& inputs,
                                       const RecordDefTable& table, const RecordTree& tree);

}  // namespace sorvek
