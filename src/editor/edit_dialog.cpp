#include "editor/edit_dialog.h"

#include "model/record_table_edit.h"
#include "platform/text_checks.h"

namespace sorvek {

namespace {

constexpr const char* kMsgNoFileDefName = "ファイル定義名が入力されていません。";
constexpr const char* kMsgRecordLength = "レコード長には 1 以上の数値を指定してください。";
constexpr const char* kMsgClassPos = "識別区分の開始位置には 1 以上の数値を指定してください。";
constexpr const char* kMsgNoRecordName = "レコード名が入力されていません。";
constexpr const char* kMsgRecordNameUsed = "そのレコード名は既に使用されています。";
constexpr const char* kMsgNoClass = "識別区分が入力されていません。";
constexpr const char* kMsgParentFixed =
    "子レコードがあるレコードは、親レコードの変更はできません。";
constexpr const char* kMsgBadParent = "親レコードの指定に誤りがあります。";
constexpr const char* kMsgNoFieldName = "フィールド名が入力されていません。";
constexpr const char* kMsgFieldNameComma = "フィールド名にカンマ（,）は使用できません。";
constexpr const char* kMsgFieldTypeComma = "タイプにカンマ（,）は使用できません。";
constexpr const char* kMsgFieldSize = "フィールド長には 1 以上の数値を指定してください。";
constexpr const char* kMsgFieldDec = "小数点以下桁数には 1 以上の数値を指定してください。";
constexpr const char* kMsgMemoComma = "メモにカンマ（,）は使用できません。";
constexpr const char* kMsgMemoLineBreak = "メモに改行は使用できません。";

EditError info(const char* message, EditControl focus) {
    return EditError{message, MessageIcon::Information, focus};
}

// A number of 1 or more as the dialog takes it: digits only, within 32 bits.
bool isPositiveNumber(const std::string& text) {
    std::optional<std::int32_t> value = digitsValue(text);
    return value && *value >= 1;
}

EditOutcome failed(EditError error) {
    EditOutcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

EditOutcome applied(TreeChangeKind kind, std::int32_t tag) {
    EditOutcome outcome;
    outcome.applied = true;
    outcome.tree = TreeChange{kind, tag};
    return outcome;
}

bool isRecordIndex(const RecordDefTable& table, std::int32_t index) {
    return index >= 1 && index <= table.maxIndex();
}

}  // namespace

std::string editDialogTitle(std::int32_t mode) {
    switch (mode) {
        case kEditNewFileDef:
            return "ファイル定義の新規作成";
        case kEditChangeFileDef:
            return "ファイル定義の変更";
        case kEditAddRecord:
            return "レコード定義の追加";
        case kEditChangeRecord:
            return "レコード定義の変更";
        case kEditAddField:
            return "フィールド定義の追加";
        case kEditChangeField:
            return "フィールド定義の変更";
        default:
            return "";
    }
}

// ---- File panel ----------------------------------------------------------------------------

FileDefInput fillFileDefPanel(std::int32_t mode, const RecordDefTable& table) {
    FileDefInput input;
    if (mode == kEditChangeFileDef && table.hasDefinition()) {
        const RecordDef& file = table[0];
        input.txtFileDefName = file.Name;
        setRecLenAll(input, file.Size != 0);
        input.cmbRecLenAll = std::to_string(file.Size);
        setRecClass(input, !file.Class.empty());
        input.txtRecClassPos = file.Class;
        input.chkTitleLine = file.TitleLine;
        input.cmbDelimiter = file.Delimiter;
        return input;
    }
    input.cmbRecLenAll = "0";
    setRecLenAll(input, true);
    setRecClass(input, false);
    input.cmbDelimiter = ",";
    input.chkTitleLine = true;
    return input;
}

void setRecLenAll(FileDefInput& input, bool ticked) {
    input.chkRecLenAll = ticked;
    if (!ticked) input.cmbRecLenAll = "0";
}

void setRecClass(FileDefInput& input, bool ticked) {
    input.chkRecClass = ticked;
    input.txtRecClassPos = ticked ? "1" : "";
}

std::optional<EditError> validateFileDef(const FileDefInput& input) {
    if (input.txtFileDefName.empty()) {
        return EditError{kMsgNoFileDefName, MessageIcon::Exclamation, EditControl::txtFileDefName};
    }
    if (input.chkRecLenAll && !isPositiveNumber(input.cmbRecLenAll)) {
        return info(kMsgRecordLength, EditControl::cmbRecLenAll);
    }
    if (input.chkRecClass && !isPositiveNumber(input.txtRecClassPos)) {
        return info(kMsgClassPos, EditControl::txtRecClassPos);
    }
    return std::nullopt;
}

EditOutcome submitFileDef(std::int32_t mode, FileDefInput& input, RecordDefTable& table,
                          RecordTree& tree) {
    if (mode != kEditNewFileDef && mode != kEditChangeFileDef) return {};
    if (mode == kEditChangeFileDef && !table.hasDefinition()) return {};
    if (std::optional<EditError> error = validateFileDef(input)) return failed(*error);
    // No title line without a separator between the names.
    if (input.cmbDelimiter.empty()) input.chkTitleLine = false;

    if (mode == kEditNewFileDef) table.reset(1);
    RecordDef& file = table[0];
    file.Name = input.txtFileDefName;
    file.Size = input.chkRecLenAll ? digitsValue(input.cmbRecLenAll).value_or(0) : 0;
    file.Class = input.chkRecClass ? input.txtRecClassPos : "";
    file.Delimiter = input.cmbDelimiter;
    file.TitleLine = input.chkTitleLine;

    if (mode == kEditNewFileDef) {
        showFileDefinitionOnly(tree, table);
        return applied(TreeChangeKind::Rebuilt, 0);
    }
    renameRecordNode(tree, 0, file.Name);
    return applied(TreeChangeKind::RootRenamed, 0);
}

// ---- Record panel --------------------------------------------------------------------------

std::vector<ParentChoice> parentChoices(std::int32_t mode, const RecordDefTable& table,
                                        const RecordTree& tree) {
    std::vector<ParentChoice> choices{{kNoParent, 0}};
    const std::int32_t self = mode == kEditChangeRecord ? tree.selectedTag() : -1;
    for (std::int32_t i = 1; i < tree.nodeCount(); ++i) {
        const RecordTreeNode& node = tree.nodes[i];
        if (self >= 1 && (node.tag == self || isDescendant(table, node.tag, self))) continue;
        choices.push_back({node.text, node.tag});
    }
    return choices;
}

RecordPanel fillRecordPanel(std::int32_t mode, const RecordDefTable& table,
                            const RecordTree& tree) {
    RecordPanel panel;
    if (!table.hasDefinition()) return panel;
    const RecordDef& file = table[0];
    panel.txtRecLenEnabled = file.Size == 0;
    panel.txtRecClassVisible = !file.Class.empty();
    panel.parentChoices = parentChoices(mode, table, tree);
    RecordInput& input = panel.input;
    const std::int32_t selected = tree.selectedTag();
    if (mode == kEditChangeRecord && isRecordIndex(table, selected)) {
        const RecordDef& record = table[selected];
        input.txtRecName = record.Name;
        input.txtRecLen = std::to_string(file.Size != 0 ? file.Size : record.Size);
        input.txtRecClass = record.Class;
        input.cmbRecParent = isRecordIndex(table, record.Parent) ? record.Parent : 0;
    } else {
        input.txtRecLen = file.Size != 0 ? std::to_string(file.Size) : "";
        // A new record goes under the selected record by default.
        input.cmbRecParent = tree.isRecordNodeSelected() ? selected : 0;
    }
    return panel;
}

std::optional<EditError> validateRecord(std::int32_t mode, const RecordInput& input,
                                        const RecordDefTable& table, const RecordTree& tree) {
    if (input.txtRecName.empty()) return info(kMsgNoRecordName, EditControl::txtRecName);
    const bool unchangedName = mode == kEditChangeRecord && tree.selected >= 0 &&
                               tree.selected < tree.nodeCount() &&
                               tree.nodes[tree.selected].text == input.txtRecName;
    if (!unchangedName) {
        for (const RecordTreeNode& node : tree.nodes) {
            if (node.text == input.txtRecName) {
                return info(kMsgRecordNameUsed, EditControl::txtRecName);
            }
        }
    }
    if (!isPositiveNumber(input.txtRecLen)) return info(kMsgRecordLength, EditControl::txtRecLen);
    if (table.hasDefinition() && !table[0].Class.empty() && input.txtRecClass.empty()) {
        return info(kMsgNoClass, EditControl::txtRecClass);
    }
    return std::nullopt;
}

EditOutcome submitRecord(std::int32_t mode, const RecordInput& input, RecordDefTable& table,
                         RecordTree& tree) {
    if (!table.hasDefinition()) return {};
    const std::int32_t self = tree.selectedTag();
    if (mode == kEditChangeRecord && !isRecordIndex(table, self)) return {};
    if (mode != kEditAddRecord && mode != kEditChangeRecord) return {};
    if (std::optional<EditError> error = validateRecord(mode, input, table, tree)) {
        return failed(*error);
    }

    // The parent must be one that the list offers: none, or a record that is neither the
    // record itself nor below it.
    const std::int32_t parent = input.cmbRecParent;
    if (parent != 0 &&
        (!isRecordIndex(table, parent) ||
         (mode == kEditChangeRecord && (parent == self || isDescendant(table, parent, self))))) {
        return failed(info(kMsgBadParent, EditControl::cmbRecParent));
    }
    const std::int32_t size = digitsValue(input.txtRecLen).value_or(0);
    const bool hasClass = !table[0].Class.empty();

    if (mode == kEditAddRecord) {
        RecordDef record;
        record.Name = input.txtRecName;
        record.Size = size;
        record.Class = hasClass ? input.txtRecClass : "";
        record.Parent = parent;
        record.Child = 0;
        table.entries.push_back(std::move(record));
        const std::int32_t index = table.maxIndex();
        if (parent != 0) table[parent].Child = index;
        addRecordNode(tree, table, index);
        return applied(TreeChangeKind::NodeAdded, index);
    }

    RecordDef& record = table[self];
    if (parent != record.Parent && hasChildRecords(table, self)) {
        return failed(info(kMsgParentFixed, EditControl::cmbRecParent));
    }
    record.Name = input.txtRecName;
    record.Size = size;
    record.Class = input.txtRecClass;
    if (parent == record.Parent) {
        renameRecordNode(tree, self, record.Name);
        return applied(TreeChangeKind::NodeRenamed, self);
    }
    const std::int32_t oldParent = record.Parent;
    record.Parent = parent;
    // The old parent keeps naming a remaining child, if it has one.
    settleChild(table, oldParent);
    if (parent != 0) {
        table[parent].Child = self;
    } else {
        table[0].Child = 0;
    }
    moveRecordNode(tree, table, self);
    return applied(TreeChangeKind::NodeMoved, self);
}

// ---- Field panel ---------------------------------------------------------------------------

FieldInput fillFieldPanel(std::int32_t mode, const RecordDefTable& table, std::int32_t record,
                          std::int32_t sel) {
    FieldInput input;
    if (mode != kEditChangeField || !isRecordIndex(table, record)) return input;
    const std::vector<FieldDef>& fields = table[record].Fields;
    if (sel < 1 || static_cast<std::size_t>(sel) > fields.size()) return input;
    const FieldDef& field = fields[static_cast<std::size_t>(sel - 1)];
    input.txtFldName = field.Name;
    input.cmbFldType = field.Type;
    input.txtFldSize = std::to_string(field.Size);
    input.txtFldDec = std::to_string(field.Dec);
    input.txtFldMemo = field.Memo;
    return input;
}

std::optional<EditError> validateField(const FieldInput& input) {
    if (input.txtFldName.empty()) return info(kMsgNoFieldName, EditControl::txtFldName);
    if (hasComma(input.txtFldName)) return info(kMsgFieldNameComma, EditControl::txtFldName);
    if (hasComma(input.cmbFldType)) return info(kMsgFieldTypeComma, EditControl::cmbFldType);
    if (!isPositiveNumber(input.txtFldSize)) return info(kMsgFieldSize, EditControl::txtFldSize);
    if (decimalsVisible(input.cmbFldType) && !digitsValue(input.txtFldDec)) {
        return info(kMsgFieldDec, EditControl::txtFldDec);
    }
    if (hasComma(input.txtFldMemo)) return info(kMsgMemoComma, EditControl::txtFldMemo);
    if (hasLineBreak(input.txtFldMemo)) return info(kMsgMemoLineBreak, EditControl::txtFldMemo);
    return std::nullopt;
}

EditOutcome submitField(std::int32_t mode, const FieldInput& input, RecordDefTable& table,
                        std::int32_t record, std::int32_t sel) {
    if (!isRecordIndex(table, record)) return {};
    RecordDef& entry = table[record];
    const bool change = mode == kEditChangeField;
    if (!change && mode != kEditAddField) return {};
    if (change && (sel < 1 || static_cast<std::size_t>(sel) > entry.Fields.size())) return {};
    if (std::optional<EditError> error = validateField(input)) return failed(*error);

    FieldDef field;
    field.Name = input.txtFldName;
    field.Type = input.cmbFldType;
    field.Size = digitsValue(input.txtFldSize).value_or(0);
    // The decimals box is hidden for "X"; whatever number it still holds is kept, else 0.
    field.Dec = digitsValue(input.txtFldDec).value_or(0);
    field.Check = -1;
    field.Memo = input.txtFldMemo;
    if (change) {
        changeFieldDef(entry, sel - 1, field);
    } else {
        insertFieldDef(entry, entry.Fields.empty() ? 0 : sel, std::move(field));
    }
    return applied(TreeChangeKind::None, -1);
}

std::optional<EditError> ValidateInput(std::int32_t mode, const EditInputs& inputs,
                                       const RecordDefTable& table, const RecordTree& tree) {
    switch (editPanelIndex(mode)) {
        case 1:
            return validateFileDef(inputs.file);
        case 2:
            return validateRecord(mode, inputs.record, table, tree);
        case 3:
            return validateField(inputs.field);
        default:
            return std::nullopt;
    }
}

}  // namespace sorvek
