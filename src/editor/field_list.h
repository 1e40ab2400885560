#pragma once
// The field list `lvwFldDef` without the control: its rows, its menu and keys, and which row is
// selected and brought into view after each command. Rows are numbered from 1; row r shows
// field r - 1 of the current record. "sel" is the selected row (0 when the list has no rows or
// no row is selected), "top" the first visible row (0 when the list has no rows), "perPage" the
// number of rows that fit in the list, "count" the number of rows after the command's refill.
#include <cstdint>
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

struct FieldRow {
    std::string name;      // item text, column "フィールド名"
    std::string type;      // sub-item 1, "属性": the type display
    std::string pos;       // sub-item 2, "位置"
    std::string size;      // sub-item 3, "バイト数"
    std::string memo;      // sub-item 4, "メモ"
    bool checked = false;  // ticked rows are drawn in button-text colour, others greyed

    bool operator==(const FieldRow&) const = default;
};

// The rows of the list for `record`, one per field. Like the list's refill, writes every
// `Check` back as -1 (any value but 0 shows ticked) or 0. The marks of totals name the records
// and fields of `table` (which may hold `record`).
std::vector<FieldRow> refillFieldRows(RecordDef& record, const RecordDefTable& table);

enum class FieldCommand { None, Add, Change, Delete, MoveUp, MoveDown, CheckAll, UncheckAll };

// Which items of the pop-up menu `mnuTFldDef` are enabled when it opens.
struct FieldMenuState {
    bool add = true;          // item 0
    bool change = false;      // item 1
    bool remove = false;      // item 2
    bool moveUp = false;      // item 4
    bool moveDown = false;    // item 5
    bool checkAll = false;    // item 7
    bool uncheckAll = false;  // item 8
};
FieldMenuState fieldMenuState(std::int32_t sel, std::int32_t count);

// The command of a menu item index (0 to 9); separators and the hidden item give None.
FieldCommand fieldMenuCommand(std::int32_t itemIndex);

enum class FieldListKey { Insert, Delete, Up, Down, Enter, Other };
struct KeyModifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
};
struct FieldKeyAction {
    FieldCommand command = FieldCommand::None;
    bool consumeKey = false;  // true: the list's own handling of the key must not happen
};
// The keyboard commands of the list: Enter (with any modifier) changes; Insert alone or with Ctrl
// alone adds, Delete alone or with Ctrl alone deletes; Ctrl alone with Up or Down moves the
// selected field when it is not already the first or last. Commands that act on a row give None
// when no row is selected. A key that gives a command is consumed, and so are Enter (it never
// reaches the window's default button from the list) and Ctrl alone with Up or Down (the list's
// cursor does not move either).
FieldKeyAction fieldListKeyAction(FieldListKey key, KeyModifiers modifiers, std::int32_t sel,
                                  std::int32_t count);

// Where the list goes after a command: the row to select and the row to bring into view with the
// least scrolling (0 for none), both within 1..count.
struct FieldListPlacement {
    std::int32_t selectRow = 0;
    std::int32_t scrollToRow = 0;
    bool operator==(const FieldListPlacement&) const = default;
};
// After a field was added after row `sel`: the new row sel + 1 is selected.
FieldListPlacement placementAfterAdd(std::int32_t sel, std::int32_t top, std::int32_t perPage,
                                     std::int32_t count);
// After row `sel` was changed: it stays selected.
FieldListPlacement placementAfterChange(std::int32_t sel, std::int32_t top, std::int32_t perPage,
                                        std::int32_t count);
// After row `sel` was deleted: the row that took its place, or the new last row. Nothing when
// the list is empty.
FieldListPlacement placementAfterDelete(std::int32_t sel, std::int32_t top, std::int32_t perPage,
                                        std::int32_t count);
// After row `sel` moved up (`direction` -1) or down (+1): the selection follows it.
FieldListPlacement placementAfterMove(std::int32_t sel, std::int32_t direction, std::int32_t top,
                                      std::int32_t perPage, std::int32_t count);

// The question asked before a field is deleted: the field's name (the row's text) and
// "を削除してもよろしいですか？", titled "フィールド定義の削除", Yes and No, no icon.
inline constexpr const char* kDeleteFieldTitle = "フィールド定義の削除";
std::string deleteQuestion(const std::string& nodeOrRowText);

}  // namespace sorvek
