#include "editor/record_def_panel.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/edit_panels.h"
#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

struct RecordCase {
    const char* what;
    std::int32_t mode;
    std::function<void(RecordInput&)> edit;
    std::optional<EditError> expected;
};

TEST(ValidateRecord, FirstFailureInOrder) {
    // Class codes in use; B (tag 2) selected.
    RecordDefTable table = makeTable({{"A", 0, 0, 10, "A"}, {"B", 0, 0, 10, "B"}}, 0, "1");
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(2);
    auto valid = [](RecordInput& in) {
        in.txtRecName = "C", in.txtRecLen = "12", in.txtRecClass = "C";
    };
    const std::vector<RecordCase> cases = {
        {"empty", kEditAddRecord, [](RecordInput&) {},
         EditError{"レコード名が入力されていません。", kInfo, EditControl::txtRecName}},
        {"name of the file definition", kEditAddRecord,
         [&](RecordInput& in) { valid(in), in.txtRecName = "受注"; },
         EditError{"そのレコード名は既に使用されています。", kInfo, EditControl::txtRecName}},
        {"name of another record", kEditChangeRecord, [&](RecordInput& in) { in.txtRecName = "A"; },
         EditError{"そのレコード名は既に使用されています。", kInfo, EditControl::txtRecName}},
        {"own unchanged name", kEditChangeRecord, [](RecordInput&) {}, std::nullopt},
        {"own name in add mode", kEditAddRecord,
         [&](RecordInput& in) { valid(in), in.txtRecName = "B"; },
         EditError{"そのレコード名は既に使用されています。", kInfo, EditControl::txtRecName}},
        {"names compare by case", kEditAddRecord,
         [&](RecordInput& in) { valid(in), in.txtRecName = "a"; }, std::nullopt},
        {"empty length", kEditAddRecord, [&](RecordInput& in) { valid(in), in.txtRecLen = ""; },
         EditError{kRecLenMsg, kInfo, EditControl::txtRecLen}},
        {"length 0", kEditAddRecord, [&](RecordInput& in) { valid(in), in.txtRecLen = "0"; },
         EditError{kRecLenMsg, kInfo, EditControl::txtRecLen}},
        {"length with a letter", kEditAddRecord,
         [&](RecordInput& in) { valid(in), in.txtRecLen = "1O"; },
         EditError{kRecLenMsg, kInfo, EditControl::txtRecLen}},
        {"length beyond 32 bits", kEditChangeRecord,
         [&](RecordInput& in) { in.txtRecLen = "2147483648"; },
         EditError{kRecLenMsg, kInfo, EditControl::txtRecLen}},
        {"no class code", kEditAddRecord, [&](RecordInput& in) { valid(in), in.txtRecClass = ""; },
         EditError{"識別区分が入力されていません。", kInfo, EditControl::txtRecClass}},
        {"all given", kEditAddRecord, valid, std::nullopt},
    };
    for (const RecordCase& c : cases) {
        RecordInput input = fillRecordPanel(c.mode, table, tree).input;
        c.edit(input);
        EXPECT_EQ(c.expected, firstError(validateRecord(c.mode, input, table, tree))) << c.what;
    }
}

TEST(ValidateRecord, NoClassCodeNeededWithoutAClassPosition) {
    RecordDefTable table = makeTable({{"A"}});
    RecordTree tree;
    buildRecordTree(tree, table);
    RecordInput input{"B", "5", "", 0};
    EXPECT_EQ(std::nullopt, firstError(validateRecord(kEditAddRecord, input, table, tree)));
}

TEST(RecordEdit, AddGoesUnderTheSelectedRecordByDefault) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(2);
    RecordPanel panel = fillRecordPanel(kEditAddRecord, table, tree);
    EXPECT_EQ((RecordInput{"", "", "", 2}), panel.input);
    EXPECT_TRUE(panel.txtRecLenEnabled);
    EXPECT_FALSE(panel.txtRecClassVisible);
    EXPECT_EQ((std::vector<ParentChoice>{{"(無し)", 0}, {"A", 1}, {"B", 2}, {"C", 3}}),
              panel.parentChoices);

    panel.input.txtRecName = "D";
    panel.input.txtRecLen = "7";
    panel.input.txtRecClass = "ignored";  // hidden: records carry no class code
    EditOutcome outcome = submitRecord(kEditAddRecord, panel.input, table, tree);
    EXPECT_TRUE(changed(outcome));
    ASSERT_EQ(4, table.maxIndex());
    EXPECT_EQ("", table[4].Class);
    EXPECT_EQ(7, table[4].Size);
    EXPECT_EQ(2, table[4].Parent);
    EXPECT_EQ(4, table[2].Child);
    EXPECT_EQ((Shape{"受注:0", "A:1", "B:2", "C:3<2", "D:4<2"}), shape(tree));
    EXPECT_EQ(4, tree.selectedTag());
}

TEST(RecordEdit, CommonLengthIsFixedAndTopLevelWhenFileNodeSelected) {
    RecordDefTable table = makeTable({{"A", 0, 0, 20}}, 20, "1");
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(0);
    RecordPanel panel = fillRecordPanel(kEditAddRecord, table, tree);
    EXPECT_EQ((RecordInput{"", "20", "", 0}), panel.input);
    EXPECT_FALSE(panel.txtRecLenEnabled);
    EXPECT_TRUE(panel.txtRecClassVisible);
    panel.input.txtRecName = "B";
    panel.input.txtRecClass = "2";
    EXPECT_TRUE(changed(submitRecord(kEditAddRecord, panel.input, table, tree)));
    EXPECT_EQ(20, table[2].Size);
    EXPECT_EQ("2", table[2].Class);
    EXPECT_EQ((Shape{"受注:0", "A:1", "B:2"}), shape(tree));
    EXPECT_EQ(0, table[0].Child);
}

TEST(RecordEdit, ParentChoicesLeaveOutTheRecordAndItsDescendants) {
    // A > B > C, D; changing B offers neither B nor C.
    RecordDefTable table = makeTable({{"A", 0, 2}, {"B", 1, 3}, {"C", 2}, {"D"}});
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(2);
    RecordPanel panel = fillRecordPanel(kEditChangeRecord, table, tree);
    EXPECT_EQ((RecordInput{"B", "10", "", 1}), panel.input);
    EXPECT_EQ((std::vector<ParentChoice>{{"(無し)", 0}, {"A", 1}, {"D", 4}}), panel.parentChoices);
    tree.selectTag(1);
    EXPECT_EQ((std::vector<ParentChoice>{{"(無し)", 0}, {"D", 4}}),
              parentChoices(kEditChangeRecord, table, tree));

    // A parent that the list would not offer is refused even when passed directly.
    RecordDefTable leaf = makeTable({{"A", 0, 2}, {"B", 1}, {"D"}});
    buildRecordTree(tree, leaf);
    tree.selectTag(1);
    RecordInput input = fillRecordPanel(kEditChangeRecord, leaf, tree).input;
    input.cmbRecParent = 1;
    EditOutcome self = submitRecord(kEditChangeRecord, input, leaf, tree);
    ASSERT_FALSE(self.ok());
    EXPECT_EQ(EditControl::cmbRecParent, self.error().focus);
    EXPECT_EQ(0, leaf[1].Parent);
}

TEST(RecordEdit, RecordWithAChildKeepsItsParentAndAllItsValues) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(2);
    RecordInput input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.txtRecName = "B2";
    input.txtRecLen = "99";
    input.cmbRecParent = 1;
    EditOutcome outcome = submitRecord(kEditChangeRecord, input, table, tree);
    EXPECT_FALSE(changed(outcome));
    EXPECT_EQ((EditError{"子レコードがあるレコードは、親レコードの変更はできません。", kInfo,
                         EditControl::cmbRecParent}),
              outcome.error());
    EXPECT_EQ("B", table[2].Name);
    EXPECT_EQ(10, table[2].Size);
    EXPECT_EQ(0, table[2].Parent);
    EXPECT_EQ("B", tree.nodes[2].text);

    input.cmbRecParent = 0;  // same parent: renaming is fine
    outcome = submitRecord(kEditChangeRecord, input, table, tree);
    EXPECT_TRUE(changed(outcome));
    EXPECT_EQ((Shape{"受注:0", "A:1", "B2:2", "C:3<2"}), shape(tree));
    EXPECT_EQ("B2", tree.nodes[2].key);
    EXPECT_EQ(99, table[2].Size);
}

TEST(RecordEdit, MovingOneOfSeveralChildrenKeepsTheParentsChildRight) {
    // P (1) with children X (2) and Y (3); Child names Y, attached last. Q (4) elsewhere.
    RecordDefTable table = makeTable({{"P", 0, 3}, {"X", 1}, {"Y", 1}, {"Q"}});
    RecordTree tree;
    buildRecordTree(tree, table);

    tree.selectTag(3);
    RecordInput input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.cmbRecParent = 4;
    EditOutcome outcome = submitRecord(kEditChangeRecord, input, table, tree);
    EXPECT_TRUE(changed(outcome));
    EXPECT_EQ(2, table[1].Child) << "X still hangs under P";
    EXPECT_EQ(3, table[4].Child);
    EXPECT_EQ(4, table[3].Parent);
    EXPECT_EQ((Shape{"受注:0", "P:1", "X:2<1", "Q:4", "Y:3<4"}), shape(tree));
    EXPECT_EQ(3, tree.selectedTag());

    // P still has a child, so it can neither be deleted nor moved.
    tree.selectTag(1);
    input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.cmbRecParent = 4;
    EXPECT_FALSE(submitRecord(kEditChangeRecord, input, table, tree).ok());

    // X leaves for the top level: P has no child any more and Child becomes 0.
    tree.selectTag(2);
    input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.cmbRecParent = 0;
    EXPECT_TRUE(changed(submitRecord(kEditChangeRecord, input, table, tree)));
    EXPECT_EQ(0, table[1].Child);
    EXPECT_EQ(0, table[2].Parent);
    EXPECT_EQ((Shape{"受注:0", "P:1", "Q:4", "Y:3<4", "X:2"}), shape(tree));
}

TEST(RecordEdit, ChildMovedBelowAParentWithAHigherIndexRebuildsTheSame) {
    RecordDefTable table = makeTable({{"A"}, {"B"}});
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(1);
    RecordInput input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.cmbRecParent = 2;
    EXPECT_TRUE(changed(submitRecord(kEditChangeRecord, input, table, tree)));
    RecordTree reopened;
    buildRecordTree(reopened, table);
    EXPECT_EQ(shape(tree), shape(reopened));
    EXPECT_EQ((Shape{"受注:0", "B:2", "A:1<2"}), shape(reopened));
}

}  // namespace
}  // namespace sorvek::testing
