#include "editor/record_def_panel.h"

#include "model/record_table_edit.h"
#include "platform/text_checks.h"

namespace sorvek {
namespace {

constexpr const char* kMsgNoRecordName = "レコード名が入力されていません。";
constexpr const char* kMsgRecordNameUsed = "そのレコード名は既に使用されています。";
constexpr const char* kMsgNoClass = "識別区分が入力されていません。";
constexpr const char* kMsgParentFixed =
    "子レコードがあるレコードは、親レコードの変更はできません。";
constexpr const char* kMsgBadParent = "親レコードの指定に誤りがあります。";

}  // namespace

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
    if (mode == kEditChangeRecord && table.isRecordIndex(selected)) {
        const RecordDef& record = table[selected];
        input.txtRecName = record.Name;
        input.txtRecLen = std::to_string(file.Size != 0 ? file.Size : record.Size);
        input.txtRecClass = record.Class;
        input.cmbRecParent = table.isRecordIndex(record.Parent) ? record.Parent : 0;
        panel.varyingTable = varyingTableText(record);
    } else {
        input.txtRecLen = file.Size != 0 ? std::to_string(file.Size) : "";
        // A new record goes under the selected record by default.
        input.cmbRecParent = tree.isRecordNodeSelected() ? selected : 0;
    }
    return panel;
}

std::string varyingTableText(const RecordDef& record) {
    const VaryingTable& t = record.varying;
    if (!t.present()) return {};
    const bool known =
        t.counter >= 1 && static_cast<std::size_t>(t.counter) <= record.Fields.size();
    const std::string counter = known ? record.Fields[static_cast<std::size_t>(t.counter - 1)].Name
                                      : "(フィールド " + std::to_string(t.counter) + ")";
    return "表: 回数 = " + counter + " (" + std::to_string(t.min) + " ～ " + std::to_string(t.max) +
           ")、位置 " + std::to_string(t.Pos) + " から 1 回 " + std::to_string(t.occurrenceSize) +
           " バイト";
}

EditCheck validateRecord(std::int32_t mode, const RecordInput& input, const RecordDefTable& table,
                         const RecordTree& tree) {
    if (input.txtRecName.empty()) return editInfo(kMsgNoRecordName, EditControl::txtRecName);
    const bool unchangedName = mode == kEditChangeRecord && tree.selected >= 0 &&
                               tree.selected < tree.nodeCount() &&
                               tree.nodes[tree.selected].text == input.txtRecName;
    if (!unchangedName) {
        for (const RecordTreeNode& node : tree.nodes) {
            if (node.text == input.txtRecName) {
                return editInfo(kMsgRecordNameUsed, EditControl::txtRecName);
            }
        }
    }
    if (!isPositiveNumber(input.txtRecLen))
        return editInfo(kMsgRecordLength, EditControl::txtRecLen);
    if (table.hasDefinition() && !table[0].Class.empty() && input.txtRecClass.empty()) {
        return editInfo(kMsgNoClass, EditControl::txtRecClass);
    }
    return {};
}

EditOutcome submitRecord(std::int32_t mode, const RecordInput& input, RecordDefTable& table,
                         RecordTree& tree) {
    if (!table.hasDefinition()) return EditEffect::NothingToEdit;
    const std::int32_t self = tree.selectedTag();
    if (mode == kEditChangeRecord && !table.isRecordIndex(self)) return EditEffect::NothingToEdit;
    if (mode != kEditAddRecord && mode != kEditChangeRecord) return EditEffect::NothingToEdit;
    if (EditCheck check = validateRecord(mode, input, table, tree); !check) return check.error();

    // The parent must be one that the list offers: none, or a record that is neither the
    // record itself nor below it.
    const std::int32_t parent = input.cmbRecParent;
    if (parent != 0 &&
        (!table.isRecordIndex(parent) ||
         (mode == kEditChangeRecord && (parent == self || isDescendant(table, parent, self))))) {
        return editInfo(kMsgBadParent, EditControl::cmbRecParent);
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
        return EditEffect::Changed;
    }

    RecordDef& record = table[self];
    if (parent != record.Parent && hasChildRecords(table, self)) {
        return editInfo(kMsgParentFixed, EditControl::cmbRecParent);
    }
    record.Name = input.txtRecName;
    record.Size = size;
    record.Class = input.txtRecClass;
    if (parent == record.Parent) {
        renameRecordNode(tree, self, record.Name);
        return EditEffect::Changed;
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
    return EditEffect::Changed;
}

}  // namespace sorvek
