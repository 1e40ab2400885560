#include "editor/field_list.h"

#include <gtest/gtest.h>

#include "editor/record_def_panel.h"
#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

TEST(FieldListRows, ShowEveryFieldAndNormaliseChecks) {
    RecordDef record = threeFields();
    record.Fields[0].Check = 0;
    record.Fields[1].Check = 7;
    record.Fields[2] = FieldDef{"金額", "P", 21, 4, 2, -1, "税込"};
    std::vector<FieldRow> rows = refillFieldRows(record, RecordDefTable{});
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ((FieldRow{"a", "X(10)", "1", "10", "", false}), rows[0]);
    EXPECT_TRUE(rows[1].checked);
    EXPECT_EQ(-1, record.Fields[1].Check);
    EXPECT_EQ((FieldRow{"金額", "P(5)V99", "21", "4", "税込", true}), rows[2]);
}

TEST(FieldListRows, ShowTheCounterAndTheOccurrenceOfAVaryingTable) {
    RecordDef record = threeFields();  // a X(10), b X(10), c X(5)
    record.Fields[0].Type = "9";
    record.Size = 30;
    record.varying = {1, 11, 10, 0, 2};
    const std::vector<FieldRow> rows = refillFieldRows(record, RecordDefTable{});
    EXPECT_EQ("9(10)、表の回数 0～2", rows[0].type);
    EXPECT_EQ("X(10)、繰り返し 1/2", rows[1].type);
    EXPECT_EQ("X(5)、繰り返し 2/2", rows[2].type);
    EXPECT_EQ("表: 回数 = a (0 ～ 2)、位置 11 から 1 回 10 バイト", varyingTableText(record));
}

TEST(FieldMenuState, EnabledByTheSelectedRow) {
    FieldMenuState none = fieldMenuState(0, 3);
    EXPECT_TRUE(none.add);
    EXPECT_FALSE(none.change || none.remove || none.moveUp || none.moveDown || none.checkAll ||
                 none.uncheckAll);
    FieldMenuState first = fieldMenuState(1, 3);
    EXPECT_TRUE(first.change && first.remove && first.moveDown && first.checkAll);
    EXPECT_FALSE(first.moveUp);
    FieldMenuState last = fieldMenuState(3, 3);
    EXPECT_TRUE(last.moveUp);
    EXPECT_FALSE(last.moveDown);
    EXPECT_EQ(FieldCommand::MoveDown, fieldMenuCommand(5));
    EXPECT_EQ(FieldCommand::None, fieldMenuCommand(3));
    EXPECT_EQ(FieldCommand::None, fieldMenuCommand(9));
}

TEST(FieldListKeys, InsertDeleteAloneOrWithCtrlEnterWithAnyModifier) {
    const KeyModifiers none{};
    const KeyModifiers ctrl{true, false, false};
    const KeyModifiers ctrlShift{true, true, false};
    const KeyModifiers shift{false, true, false};
    auto command = [](FieldListKey k, KeyModifiers m, int sel, int count) {
        return fieldListKeyAction(k, m, sel, count).command;
    };
    EXPECT_EQ(FieldCommand::Add, command(FieldListKey::Insert, ctrl, 0, 0));
    EXPECT_EQ(FieldCommand::None, command(FieldListKey::Insert, ctrlShift, 1, 3));
    EXPECT_EQ(FieldCommand::Add, command(FieldListKey::Insert, none, 1, 3));
    EXPECT_EQ(FieldCommand::Delete, command(FieldListKey::Delete, none, 2, 3));
    EXPECT_EQ(FieldCommand::None, command(FieldListKey::Delete, none, 0, 3));
    EXPECT_EQ(FieldCommand::None, command(FieldListKey::Delete, shift, 2, 3));
    EXPECT_EQ(FieldCommand::Change, command(FieldListKey::Enter, shift, 2, 3));
    EXPECT_EQ(FieldCommand::None, command(FieldListKey::Enter, none, 0, 3));
    EXPECT_EQ(FieldCommand::Delete, command(FieldListKey::Delete, ctrl, 2, 3));
    EXPECT_EQ(FieldCommand::None, command(FieldListKey::Delete, ctrl, 0, 3));
    EXPECT_EQ(FieldCommand::MoveUp, command(FieldListKey::Up, ctrl, 2, 3));
    EXPECT_EQ(FieldCommand::MoveDown, command(FieldListKey::Down, ctrl, 2, 3));

    FieldKeyAction firstUp = fieldListKeyAction(FieldListKey::Up, ctrl, 1, 3);
    EXPECT_EQ(FieldCommand::None, firstUp.command);
    EXPECT_TRUE(firstUp.consumeKey) << "the list's cursor must not move either";
    FieldKeyAction lastDown = fieldListKeyAction(FieldListKey::Down, ctrl, 3, 3);
    EXPECT_EQ(FieldCommand::None, lastDown.command);
    EXPECT_TRUE(lastDown.consumeKey);
    EXPECT_FALSE(fieldListKeyAction(FieldListKey::Up, ctrlShift, 2, 3).consumeKey);
    EXPECT_FALSE(fieldListKeyAction(FieldListKey::Up, none, 2, 3).consumeKey);
    // A command is the key's whole effect; Enter never reaches the window's default button.
    EXPECT_TRUE(fieldListKeyAction(FieldListKey::Insert, ctrl, 0, 0).consumeKey);
    EXPECT_TRUE(fieldListKeyAction(FieldListKey::Enter, none, 0, 0).consumeKey);
    EXPECT_FALSE(fieldListKeyAction(FieldListKey::Insert, ctrlShift, 1, 3).consumeKey);
}

TEST(FieldListPlacement, AddSelectsTheNewRowAndKeepsTheScroll) {
    EXPECT_EQ((FieldListPlacement{3, 0}), placementAfterAdd(2, 1, 10, 4));
    EXPECT_EQ((FieldListPlacement{1, 0}), placementAfterAdd(0, 0, 10, 1)) << "first field";
    EXPECT_EQ((FieldListPlacement{3, 5}), placementAfterAdd(2, 1, 5, 8));
    EXPECT_EQ((FieldListPlacement{6, 6}), placementAfterAdd(5, 1, 5, 8)) << "below the page";
}

TEST(FieldListPlacement, ChangeKeepsTheRow) {
    EXPECT_EQ((FieldListPlacement{2, 0}), placementAfterChange(2, 1, 10, 4));
    EXPECT_EQ((FieldListPlacement{7, 8}), placementAfterChange(7, 4, 5, 9));
}

TEST(FieldListPlacement, DeleteSelectsTheFollowerOrTheNewLast) {
    EXPECT_EQ((FieldListPlacement{2, 2}), placementAfterDelete(2, 1, 10, 2))
        << "the former third field took the deleted one's place";
    EXPECT_EQ((FieldListPlacement{2, 2}), placementAfterDelete(3, 1, 10, 2)) << "last deleted";
    EXPECT_EQ((FieldListPlacement{}), placementAfterDelete(1, 1, 10, 0));
    EXPECT_EQ((FieldListPlacement{4, 8}), placementAfterDelete(4, 4, 5, 20));
}

TEST(FieldListPlacement, MoveFollowsTheField) {
    EXPECT_EQ((FieldListPlacement{1, 0}), placementAfterMove(2, -1, 1, 10, 3));
    EXPECT_EQ((FieldListPlacement{6, 6}), placementAfterMove(5, +1, 1, 5, 8));
    EXPECT_EQ((FieldListPlacement{3, 5}), placementAfterMove(4, -1, 1, 5, 8));
}

}  // namespace
}  // namespace sorvek::testing
