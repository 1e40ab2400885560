#include "editor/record_tree.h"

#include <gtest/gtest.h>

#include "editor/definition_page.h"
#include "support/recorders.h"
#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

// "text:tag<parentTag" per node in collection order, e.g. "C:3<2"; top-level nodes omit "<".
std::vector<std::string> shape(const RecordTree& tree) {
    std::vector<std::string> result;
    for (const RecordTreeNode& n : tree.nodes) {
        std::string s = n.text + ":" + std::to_string(n.tag);
        if (n.parentTag >= 0) s += "<" + std::to_string(n.parentTag);
        result.push_back(s);
    }
    return result;
}

using Shape = std::vector<std::string>;

TEST(BuildRecordTree, LoadedTableShowsParentsAndTags) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    tree.Tag = "/defs/a.trd";
    buildRecordTree(tree, table);
    EXPECT_EQ((Shape{"受注:0", "A:1", "B:2", "C:3<2"}), shape(tree));
    EXPECT_EQ((RecordTreeNode{"受注", "", kImageFileDefinition, 0, -1, true}), tree.nodes[0]);
    EXPECT_EQ((RecordTreeNode{"C", "C", kImageRecordDefinition, 3, 2, false}), tree.nodes[3]);
    EXPECT_EQ(1, tree.selectedTag());
    EXPECT_TRUE(tree.enabled);
    EXPECT_EQ("/defs/a.trd", tree.Tag);
}

TEST(BuildRecordTree, ParentWithAHigherIndexThanItsChildStillShows) {
    // 1 X under 3 P, 2 Y under 1 X, 4 Z under 3 P.
    RecordDefTable table = makeTable({{"X", 3}, {"Y", 1}, {"P", 0, 4}, {"Z", 3}});
    RecordTree tree;
    buildRecordTree(tree, table);
    EXPECT_EQ((Shape{"受注:0", "P:3", "Z:4<3", "X:1<3", "Y:2<1"}), shape(tree));
    EXPECT_EQ(3, tree.selected) << "record 1 is selected wherever its node is";
}

TEST(BuildRecordTree, MissingParentsAndCirclesShowAtTheTopLevel) {
    RecordDefTable table = makeTable({{"A", 2}, {"B", 1}, {"C", 7}, {"D", 4}});
    RecordTree tree;
    buildRecordTree(tree, table);
    EXPECT_EQ((Shape{"受注:0", "A:1", "B:2", "C:3", "D:4"}), shape(tree));
}

TEST(BuildRecordTree, FileDefinitionOnlySelectsItsNode) {
    RecordDefTable table = makeTable({});
    RecordTree tree;
    buildRecordTree(tree, table);
    EXPECT_EQ((Shape{"受注:0"}), shape(tree));
    EXPECT_TRUE(tree.isFileNodeSelected());
}

TEST(RecordTreeEdits, AddRenameMoveFollowTheNodeRules) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    table.entries.push_back(table[1]);
    table[4].Name = "D";
    table[4].Parent = 2;
    addRecordNode(tree, table, 4);
    EXPECT_EQ((Shape{"受注:0", "A:1", "B:2", "C:3<2", "D:4<2"}), shape(tree));
    EXPECT_EQ(4, tree.selectedTag());
    renameRecordNode(tree, 1, "A2");
    EXPECT_EQ("A2", tree.nodes[1].key);
    table[3].Parent = 1;
    moveRecordNode(tree, table, 3);
    EXPECT_EQ((Shape{"受注:0", "A2:1", "B:2", "D:4<2", "C:3<1"}), shape(tree));
    EXPECT_EQ(3, tree.selectedTag());
}

// ---- The page: DeleteRecordDef, details, menus, page check ---------------------------------

TEST(DeleteRecordDef, DeletingAReindexesTableAndTags) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    RecordingMessages messages;
    EXPECT_EQ(RecordDeletion::RecordDeleted, DeleteRecordDef(table, tree, 1, messages));
    EXPECT_EQ((Shape{"受注:0", "B:1", "C:2<1"}), shape(tree));
    EXPECT_EQ(2, table[1].Child);
    EXPECT_EQ(1, table[2].Parent);
    EXPECT_TRUE(tree.isFileNodeSelected()) << "the node before a top-level node";
    EXPECT_TRUE(messages.shown.empty());
    // Rebuilding from the table (as after saving and reopening) gives the same tree.
    RecordTree reopened;
    buildRecordTree(reopened, table);
    EXPECT_EQ(tree.nodes, reopened.nodes);
}

TEST(DeleteRecordDef, DeletingBIsRefusedAfterTheQuestion) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(2);
    RecordingMessages messages;
    messages.answers = {true};
    EXPECT_TRUE(deleteSelectedDefinition(table, tree, messages));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("Bを削除してもよろしいですか？", messages.shown[0].text);
    EXPECT_EQ("レコード定義の削除", messages.shown[0].title);
    EXPECT_EQ("子レコードがあるレコードは削除できません。", messages.shown[1].text);
    EXPECT_EQ(MessageIcon::Information, messages.shown[1].icon);
    EXPECT_EQ("Sorvek", messages.shown[1].title);
    EXPECT_EQ(3, table.maxIndex());
    EXPECT_EQ(4, tree.nodeCount());
}

TEST(DeleteRecordDef, LastEntryKeepsEveryOtherTagAndSelectsTheParent) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(3);
    RecordingMessages messages;
    messages.answers = {true};
    EXPECT_TRUE(deleteSelectedDefinition(table, tree, messages));
    EXPECT_EQ((Shape{"受注:0", "A:1", "B:2"}), shape(tree));
    EXPECT_EQ(2, tree.selectedTag());
    EXPECT_EQ(0, table[2].Child);
}

TEST(DeleteRecordDef, DeclinedChangesNothingFileDefinitionErasesEverything) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(0);
    RecordingMessages messages;
    messages.answers = {false, true};
    EXPECT_FALSE(deleteSelectedDefinition(table, tree, messages));
    EXPECT_EQ(3, table.maxIndex());
    EXPECT_TRUE(deleteSelectedDefinition(table, tree, messages));
    EXPECT_EQ("受注を削除してもよろしいですか？", messages.shown[1].text);
    EXPECT_EQ("ファイル定義の削除", messages.shown[1].title);
    EXPECT_FALSE(table.hasDefinition());
    EXPECT_TRUE(tree.nodes.empty());
    EXPECT_FALSE(tree.enabled);
    RecordDetails details = refreshDetails(table, tree);
    EXPECT_FALSE(details.fieldListEnabled);
    EXPECT_TRUE(details.rows.empty());
}

TEST(RefreshDetails, ByKindOfNode) {
    RecordDefTable table = makeTable({{"A", 0, 0, 20, "H"}, {"B"}}, 0, "1");
    table[1].Fields = {field("a", 1, 8), field("b", 9, 12)};
    table[1].Fields[1].Check = 5;
    RecordTree tree;
    buildRecordTree(tree, table);

    RecordDetails a = refreshDetails(table, tree);
    EXPECT_EQ("レコード長: 20 バイト", a.lblRecLen);
    EXPECT_EQ("識別区分: H", a.lblClass);
    EXPECT_TRUE(a.fieldListEnabled);
    ASSERT_EQ(2u, a.rows.size());
    EXPECT_EQ((FieldRow{"b", "X(12)", "9", "12", "", true}), a.rows[1]);
    EXPECT_EQ(-1, table[1].Fields[1].Check) << "the refill stores ticked rows as -1";
    EXPECT_EQ("フィールド長の合計: 20 バイト", a.lblFldLenSum);
    EXPECT_TRUE(a.runPageCheck);

    tree.selectTag(2);
    RecordDetails b = refreshDetails(table, tree);
    EXPECT_TRUE(b.fieldListEnabled);
    EXPECT_TRUE(b.rows.empty());
    EXPECT_EQ(std::nullopt, b.lblFldLenSum) << "keeps the previous text";
    EXPECT_FALSE(b.runPageCheck);

    tree.selectTag(0);
    RecordDetails file = refreshDetails(table, tree);
    EXPECT_EQ("可変長", file.lblRecLen);
    EXPECT_EQ("", file.lblClass);
    EXPECT_FALSE(file.fieldListEnabled);

    tree.selected = -1;
    RecordDetails none = refreshDetails(table, tree);
    EXPECT_EQ(std::nullopt, none.lblRecLen);
    EXPECT_FALSE(none.fieldListEnabled);
    EXPECT_TRUE(none.runPageCheck);
}

TEST(RecordMenu, CaptionsAndCopyByNode) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.selectTag(0);
    RecordMenu file = recordMenu(tree, 3);
    EXPECT_EQ("ファイル定義の変更(&U)", file.changeCaption);
    EXPECT_EQ("ファイル定義の削除(&D)", file.deleteCaption);
    EXPECT_FALSE(file.copyEnabled);
    EXPECT_EQ(2, changeEditMode(tree));
    tree.selectTag(3);
    EXPECT_EQ("レコードの変更(&U)", recordMenu(tree, 1).changeCaption);
    EXPECT_EQ("レコードの削除(&D)", recordMenu(tree, 1).deleteCaption);
    EXPECT_TRUE(recordMenu(tree, 1).copyEnabled);
    EXPECT_FALSE(recordMenu(tree, 0).copyEnabled);
    EXPECT_EQ(4, changeEditMode(tree));
    tree.selected = -1;
    EXPECT_FALSE(recordMenu(tree, 1).show);
    EXPECT_EQ(0, changeEditMode(tree));
}

TEST(RecordTreeKeys, InsertDeleteEnterAndCopyByWhatIsSelected) {
    const KeyModifiers none{};
    const KeyModifiers ctrl{true, false, false};
    const KeyModifiers shift{false, true, false};
    const KeyModifiers ctrlShift{true, true, false};
    RecordMenu record{true, "", "", true};
    RecordMenu fileNode{true, "", "", false};
    RecordMenu nothing{};
    struct Case {
        RecordTreeKey key;
        KeyModifiers modifiers;
        RecordMenu menu;
        RecordCommand command;
        bool consumed;
    };
    const Case cases[] = {
        {RecordTreeKey::Insert, none, nothing, RecordCommand::Add, true},
        {RecordTreeKey::Insert, ctrl, record, RecordCommand::Add, true},
        {RecordTreeKey::Insert, ctrlShift, record, RecordCommand::None, false},
        {RecordTreeKey::Delete, none, record, RecordCommand::Delete, true},
        {RecordTreeKey::Delete, ctrl, fileNode, RecordCommand::Delete, true},
        {RecordTreeKey::Delete, shift, record, RecordCommand::None, false},
        {RecordTreeKey::Delete, none, nothing, RecordCommand::None, false},
        {RecordTreeKey::Enter, shift, record, RecordCommand::Change, true},
        {RecordTreeKey::Enter, none, nothing, RecordCommand::None, true},
        {RecordTreeKey::C, ctrl, record, RecordCommand::Copy, true},
        {RecordTreeKey::C, ctrl, fileNode, RecordCommand::None, false},
        {RecordTreeKey::C, none, record, RecordCommand::None, false},
        {RecordTreeKey::Other, ctrl, record, RecordCommand::None, false},
    };
    for (const Case& c : cases) {
        const RecordKeyAction action = recordTreeKeyAction(c.key, c.modifiers, c.menu);
        EXPECT_EQ(c.command, action.command) << int(c.key);
        EXPECT_EQ(c.consumed, action.consumeKey) << int(c.key);
    }
}

TEST(DeleteSelectedField, AsksWithTheFieldNameAndDeletesOnYes) {
    RecordDefTable table = abcTable();
    table[1] = threeFields();
    RecordingMessages messages;
    messages.answers = {false, true};
    EXPECT_FALSE(deleteSelectedField(table, 1, 2, messages));
    EXPECT_EQ(3u, table[1].Fields.size());
    EXPECT_TRUE(deleteSelectedField(table, 1, 2, messages));
    EXPECT_EQ("bを削除してもよろしいですか？", messages.shown[1].text);
    EXPECT_EQ("フィールド定義の削除", messages.shown[1].title);
    EXPECT_EQ((std::vector<std::int32_t>{1, 11}), positions(table[1]));
    EXPECT_FALSE(deleteSelectedField(table, 1, 0, messages)) << "no row selected: no question";
    EXPECT_EQ(2u, messages.shown.size());
}

}  // namespace
}  // namespace sorvek::testing
