#pragma once
// The commands of the record-definition page that need no dialog of their own: the details
// refresh of the selected node, the record pop-up menu, and deleting a record or a field after
// the question. They act on the table and the tree model; the widgets then show the result.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/field_list.h"
#include "editor/record_tree.h"
#include "model/record_def.h"
#include "model/record_table_edit.h"
#include "ports/messages.h"

namespace sorvek {

inline constexpr const char* kMsgRecordHasChildNoDelete =
    "子レコードがあるレコードは削除できません。";
inline constexpr const char* kDeleteFileDefinitionTitle = "ファイル定義の削除";
inline constexpr const char* kDeleteRecordDefinitionTitle = "レコード定義の削除";

// What the details refresh (`tvwRecDef_Click`) puts on the page. A label given as nothing keeps
// its present text.
struct RecordDetails {
    std::optional<std::string> lblRecLen;
    std::optional<std::string> lblClass;
    bool fieldListEnabled = false;
    std::vector<FieldRow> rows;  // the field list's rows after the refill (empty: no rows)
    std::optional<std::string> lblFldLenSum;
    // Set when the sum differs from the record's length: the label is shown as a warning with
    // this text as its tooltip.
    std::optional<std::string> fldLenSumWarning;
    bool runPageCheck = false;  // the wizard's page check runs for the page on show
};
// The details of the selected node; refilling the rows writes every `Check` back as -1 or 0.
// No node selected: the list is disabled and the page check runs. The file-definition node:
// its length and an empty class label, list disabled. A record: length, class code, its rows
// and field-length sum and the page check when it has fields; without fields the sum label
// keeps its text and no page check runs.
RecordDetails refreshDetails(RecordDefTable& table, const RecordTree& tree);

// The record pop-up menu `mnuTRecDef` as it opens over the selected node. `show` is false while
// no node is selected (the menu then stays hidden).
struct RecordMenu {
    bool show = false;
    std::string changeCaption;  // item 1
    std::string deleteCaption;  // item 2
    bool copyEnabled = false;   // item 3: a record whose field list has rows
};
RecordMenu recordMenu(const RecordTree& tree, std::int32_t fieldRowCount);

// The commands of the record menu, by their item index (0 add, 1 change, 2 delete, 3 copy).
enum class RecordCommand { None = -1, Add = 0, Change = 1, Delete = 2, Copy = 3 };

enum class RecordTreeKey { Insert, Delete, Enter, C, Other };
// The keyboard commands of the record tree: Insert alone or with Ctrl alone adds a record, Delete
// alone or with Ctrl alone deletes the selected definition (after the question), Enter with any
// modifier changes it, Ctrl+C copies the selected record's layout. Commands that act on a node
// give None while no node is selected; copying needs `menu.copyEnabled`. A key that gives a
// command is consumed, and so is Enter (it never reaches the window's default button).
struct RecordKeyAction {
    RecordCommand command = RecordCommand::None;
    bool consumeKey = false;
};
RecordKeyAction recordTreeKeyAction(RecordTreeKey key, KeyModifiers modifiers,
                                    const RecordMenu& menu);

// The edit mode of the change command (item 1, or a double-click): 2 on the file-definition
// node, 4 on a record node, 0 when no node is selected.
std::int32_t changeEditMode(const RecordTree& tree);

// `DeleteRecordDef`: deletes entry `index` from the table and its node from the tree. A record
// with children is refused with "子レコードがあるレコードは削除できません。" (information icon);
// nothing changes. Index 0 erases the whole definition, empties and disables the tree (the
// caller empties `lblRecLen` and `lblClass`). A record is removed, the entries after it move
// down, and every node tag above it is lowered by one.
RecordDeletion DeleteRecordDef(RecordDefTable& table, RecordTree& tree, std::int32_t index,
                               Messages& messages);

// Menu item 2: asks "<node text>を削除してもよろしいですか？" (Yes/No, titled after the node's
// kind) and on Yes runs `DeleteRecordDef` on the selected node. Returns false when no node is
// selected or the user declined (then nothing changed and no details refresh follows).
bool deleteSelectedDefinition(RecordDefTable& table, RecordTree& tree, Messages& messages);

// Field menu item 2 on row `sel` of record `record`: asks "<field name>を削除してもよろしいです
// か？" titled "フィールド定義の削除" and on Yes runs `DeleteFieldDef` on field sel - 1. Returns
// true when the field was deleted (the list is then refilled and placed by
// `placementAfterDelete`).
bool deleteSelectedField(RecordDefTable& table, std::int32_t record, std::int32_t sel,
                         Messages& messages);

}  // namespace sorvek
