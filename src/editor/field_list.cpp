#include "editor/field_list.h"

#include <algorithm>

#include "editor/record_texts.h"

namespace sorvek {
namespace {

// What field `j` of `record` is to its varying table: its counter ("、表の回数 0～3"), a field
// of occurrence n of m ("、繰り返し 2/3"), or nothing.
std::string tableRole(const RecordDef& record, std::size_t j) {
    const VaryingTable& t = record.varying;
    if (!t.present()) return {};
    if (static_cast<std::size_t>(t.counter) == j + 1) {
        return "、表の回数 " + std::to_string(t.min) + "～" + std::to_string(t.max);
    }
    const std::int64_t pos = record.Fields[j].Pos;
    if (t.occurrenceSize < 1 || pos < t.Pos || pos >= t.end()) return {};
    return "、繰り返し " + std::to_string((pos - t.Pos) / t.occurrenceSize + 1) + "/" +
           std::to_string(t.max);
}

}  // namespace

std::vector<FieldRow> refillFieldRows(RecordDef& record, const RecordDefTable& table) {
    std::vector<FieldRow> rows;
    rows.reserve(record.Fields.size());
    for (FieldDef& field : record.Fields) {
        field.Check = field.Check != 0 ? -1 : 0;
        rows.push_back(FieldRow{
            field.Name, typeDisplay(field, table) + tableRole(record, rows.size()),
            std::to_string(field.Pos), std::to_string(field.Size), field.Memo, field.Check != 0});
    }
    return rows;
}

FieldMenuState fieldMenuState(std::int32_t sel, std::int32_t count) {
    const bool selected = sel >= 1 && sel <= count;
    FieldMenuState state;
    state.change = state.remove = state.checkAll = state.uncheckAll = selected;
    state.moveUp = selected && sel > 1;
    state.moveDown = selected && sel < count;
    return state;
}

FieldCommand fieldMenuCommand(std::int32_t itemIndex) {
    switch (itemIndex) {
        case 0:
            return FieldCommand::Add;
        case 1:
            return FieldCommand::Change;
        case 2:
            return FieldCommand::Delete;
        case 4:
            return FieldCommand::MoveUp;
        case 5:
            return FieldCommand::MoveDown;
        case 7:
            return FieldCommand::CheckAll;
        case 8:
            return FieldCommand::UncheckAll;
        default:
            return FieldCommand::None;
    }
}

FieldKeyAction fieldListKeyAction(FieldListKey key, KeyModifiers modifiers, std::int32_t sel,
                                  std::int32_t count) {
    const bool selected = sel >= 1 && sel <= count;
    const bool ctrlAlone = modifiers.ctrl && !modifiers.shift && !modifiers.alt;
    const bool alone = !modifiers.ctrl && !modifiers.shift && !modifiers.alt;
    FieldKeyAction action;
    switch (key) {
        case FieldListKey::Enter:
            action.consumeKey = true;
            if (selected) action.command = FieldCommand::Change;
            break;
        case FieldListKey::Insert:
            if (ctrlAlone || alone) action.command = FieldCommand::Add;
            break;
        case FieldListKey::Delete:
            if ((ctrlAlone || alone) && selected) action.command = FieldCommand::Delete;
            break;
        case FieldListKey::Up:
            if (ctrlAlone) {
                action.consumeKey = true;
                if (selected && sel > 1) action.command = FieldCommand::MoveUp;
            }
            break;
        case FieldListKey::Down:
            if (ctrlAlone) {
                action.consumeKey = true;
                if (selected && sel < count) action.command = FieldCommand::MoveDown;
            }
            break;
        case FieldListKey::Other:
            break;
    }
    if (action.command != FieldCommand::None) action.consumeKey = true;
    return action;
}

namespace {

// Rows outside the list cannot be brought into view; 0 asks for no scrolling.
FieldListPlacement placed(std::int32_t select, std::int32_t scrollTo, std::int32_t count) {
    if (count <= 0) return {};
    return {std::clamp(select, 1, count), scrollTo == 0 ? 0 : std::clamp(scrollTo, 1, count)};
}

}  // namespace

FieldListPlacement placementAfterAdd(std::int32_t sel, std::int32_t top, std::int32_t perPage,
                                     std::int32_t count) {
    std::int32_t scrollTo = 0;
    if (perPage < count) scrollTo = sel + 1 < top + perPage ? top + perPage - 1 : top + perPage;
    return placed(sel + 1, scrollTo, count);
}

FieldListPlacement placementAfterChange(std::int32_t sel, std::int32_t top, std::int32_t perPage,
                                        std::int32_t count) {
    return placed(sel, count >= perPage ? top + perPage - 1 : 0, count);
}

FieldListPlacement placementAfterDelete(std::int32_t sel, std::int32_t top, std::int32_t perPage,
                                        std::int32_t count) {
    const std::int32_t select = count >= sel ? sel : sel - 1;
    const std::int32_t scrollTo = perPage >= count - top ? count : top + perPage - 1;
    return placed(select, scrollTo, count);
}

FieldListPlacement placementAfterMove(std::int32_t sel, std::int32_t direction, std::int32_t top,
                                      std::int32_t perPage, std::int32_t count) {
    const std::int32_t select = sel + direction;
    std::int32_t scrollTo = 0;
    if (perPage < count) scrollTo = select >= top + perPage ? top + perPage : top + perPage - 1;
    return placed(select, scrollTo, count);
}

std::string deleteQuestion(const std::string& nodeOrRowText) {
    return nodeOrRowText + "を削除してもよろしいですか？";
}

}  // namespace sorvek
