#include "editor/edit_dialog.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

using Shape = std::vector<std::string>;
Shape shape(const RecordTree& tree) {
    Shape result;
    for (const RecordTreeNode& n : tree.nodes) {
        std::string s = n.text + ":" + std::to_string(n.tag);
        if (n.parentTag >= 0) s += "<" + std::to_string(n.parentTag);
        result.push_back(s);
    }
    return result;
}

const MessageIcon kInfo = MessageIcon::Information;
const char* const kRecLenMsg = "レコード長には 1 以上の数値を指定してください。";

// ---- Validation, data-driven ---------------------------------------------------------------

struct FileCase {
    const char* what;
    std::function<void(FileDefInput&)> edit;
    std::optional<EditError> expected;
};

TEST(ValidateFileDef, FirstFailureInOrder) {
    auto named = [](FileDefInput& in) { in.txtFileDefName = "受注"; };
    const std::vector<FileCase> cases = {
        {"fresh dialog", [](FileDefInput&) {},
         EditError{"ファイル定義名が入力されていません。", MessageIcon::Exclamation,
                   EditControl::txtFileDefName}},
        {"name but length still 0", named, EditError{kRecLenMsg, kInfo, EditControl::cmbRecLenAll}},
        {"length with a letter", [&](FileDefInput& in) { named(in), in.cmbRecLenAll = "12a"; },
         EditError{kRecLenMsg, kInfo, EditControl::cmbRecLenAll}},
        {"length beyond 32 bits",
         [&](FileDefInput& in) { named(in), in.cmbRecLenAll = "2147483648"; },
         EditError{kRecLenMsg, kInfo, EditControl::cmbRecLenAll}},
        {"largest length", [&](FileDefInput& in) { named(in), in.cmbRecLenAll = "2147483647"; },
         std::nullopt},
        {"variable length", [&](FileDefInput& in) { named(in), setRecLenAll(in, false); },
         std::nullopt},
        {"class position 0",
         [&](FileDefInput& in) {
             named(in), setRecLenAll(in, false), setRecClass(in, true);
             in.txtRecClassPos = "0";
         },
         EditError{"識別区分の開始位置には 1 以上の数値を指定してください。", kInfo,
                   EditControl::txtRecClassPos}},
        {"class position beyond 32 bits",
         [&](FileDefInput& in) {
             named(in), in.cmbRecLenAll = "80", setRecClass(in, true);
             in.txtRecClassPos = "99999999999";
         },
         EditError{"識別区分の開始位置には 1 以上の数値を指定してください。", kInfo,
                   EditControl::txtRecClassPos}},
        {"class position proposed",
         [&](FileDefInput& in) { named(in), in.cmbRecLenAll = "80", setRecClass(in, true); },
         std::nullopt},
    };
    for (const FileCase& c : cases) {
        FileDefInput input = fillFileDefPanel(kEditNewFileDef, RecordDefTable{});
        c.edit(input);
        EXPECT_EQ(c.expected, validateFileDef(input)) << c.what;
    }
}

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
        EXPECT_EQ(c.expected, validateRecord(c.mode, input, table, tree)) << c.what;
    }
}

TEST(ValidateRecord, NoClassCodeNeededWithoutAClassPosition) {
    RecordDefTable table = makeTable({{"A"}});
    RecordTree tree;
    buildRecordTree(tree, table);
    RecordInput input{"B", "5", "", 0};
    EXPECT_EQ(std::nullopt, validateRecord(kEditAddRecord, input, table, tree));
}

struct FieldCase {
    const char* what;
    std::function<void(FieldInput&)> edit;
    std::optional<EditError> expected;
};

TEST(ValidateField, FirstFailureInOrder) {
    const char* const sizeMsg = "フィールド長には 1 以上の数値を指定してください。";
    const char* const decMsg = "小数点以下桁数には 1 以上の数値を指定してください。";
    auto valid = [](FieldInput& in) { in.txtFldName = "数量", in.txtFldSize = "9"; };
    auto zoned = [&](FieldInput& in) { valid(in), in.cmbFldType = "9"; };
    const std::vector<FieldCase> cases = {
        {"empty", [](FieldInput&) {},
         EditError{"フィールド名が入力されていません。", kInfo, EditControl::txtFldName}},
        {"comma in the name", [&](FieldInput& in) { valid(in), in.txtFldName = "数,量"; },
         EditError{"フィールド名にカンマ（,）は使用できません。", kInfo, EditControl::txtFldName}},
        {"comma in the type", [&](FieldInput& in) { valid(in), in.cmbFldType = "X,"; },
         EditError{"タイプにカンマ（,）は使用できません。", kInfo, EditControl::cmbFldType}},
        {"empty size", [&](FieldInput& in) { valid(in), in.txtFldSize = ""; },
         EditError{sizeMsg, kInfo, EditControl::txtFldSize}},
        {"size 0", [&](FieldInput& in) { valid(in), in.txtFldSize = "0"; },
         EditError{sizeMsg, kInfo, EditControl::txtFldSize}},
        {"negative size", [&](FieldInput& in) { valid(in), in.txtFldSize = "-4"; },
         EditError{sizeMsg, kInfo, EditControl::txtFldSize}},
        {"size beyond 32 bits", [&](FieldInput& in) { valid(in), in.txtFldSize = "4294967297"; },
         EditError{sizeMsg, kInfo, EditControl::txtFldSize}},
        {"decimals 0 for 9", zoned, std::nullopt},
        {"empty decimals for P",
         [&](FieldInput& in) { valid(in), in.cmbFldType = "P", in.txtFldDec = ""; },
         EditError{decMsg, kInfo, EditControl::txtFldDec}},
        {"signed decimals", [&](FieldInput& in) { zoned(in), in.txtFldDec = "+2"; },
         EditError{decMsg, kInfo, EditControl::txtFldDec}},
        {"decimal point", [&](FieldInput& in) { zoned(in), in.txtFldDec = "1.5"; },
         EditError{decMsg, kInfo, EditControl::txtFldDec}},
        {"decimals beyond 32 bits", [&](FieldInput& in) { zoned(in), in.txtFldDec = "2147483648"; },
         EditError{decMsg, kInfo, EditControl::txtFldDec}},
        {"X ignores the decimals box", [&](FieldInput& in) { valid(in), in.txtFldDec = "x"; },
         std::nullopt},
        {"comma in the memo", [&](FieldInput& in) { valid(in), in.txtFldMemo = "税込,円"; },
         EditError{"メモにカンマ（,）は使用できません。", kInfo, EditControl::txtFldMemo}},
        {"line break in the memo", [&](FieldInput& in) { valid(in), in.txtFldMemo = "一\r\n二"; },
         EditError{"メモに改行は使用できません。", kInfo, EditControl::txtFldMemo}},
        {"commas elsewhere come after the name",
         [&](FieldInput& in) { in.txtFldMemo = ",", in.txtFldSize = "0"; },
         EditError{"フィールド名が入力されていません。", kInfo, EditControl::txtFldName}},
    };
    for (const FieldCase& c : cases) {
        FieldInput input = fillFieldPanel(kEditAddField, RecordDefTable{}, 0, 0);
        c.edit(input);
        EXPECT_EQ(c.expected, validateField(input)) << c.what;
    }
}

TEST(ValidateInput, ChecksOnlyThePanelOfTheMode) {
    RecordDefTable table = makeTable({{"A"}});
    RecordTree tree;
    buildRecordTree(tree, table);
    EditInputs inputs;  // every panel empty
    EXPECT_EQ(EditControl::txtFileDefName,
              ValidateInput(kEditChangeFileDef, inputs, table, tree)->focus);
    EXPECT_EQ(EditControl::txtRecName, ValidateInput(kEditAddRecord, inputs, table, tree)->focus);
    EXPECT_EQ(EditControl::txtFldName, ValidateInput(kEditChangeField, inputs, table, tree)->focus);
    EXPECT_EQ(std::nullopt, ValidateInput(kEditCancelled, inputs, table, tree));
}

// ---- File definition edits ----------------------------------------------------------------

TEST(FileDefEdit, FillingAndEnablingRules) {
    FileDefInput fresh = fillFileDefPanel(kEditNewFileDef, RecordDefTable{});
    EXPECT_EQ((FileDefInput{"", true, "0", false, "", true, ","}), fresh);
    EXPECT_TRUE(cmbRecLenAllEnabled(fresh));
    EXPECT_FALSE(txtRecClassPosEnabled(fresh));
    setRecClass(fresh, true);
    EXPECT_EQ("1", fresh.txtRecClassPos);
    setRecLenAll(fresh, false);
    EXPECT_EQ("0", fresh.cmbRecLenAll);
    fresh.cmbDelimiter = "";
    EXPECT_FALSE(chkTitleLineEnabled(fresh));

    RecordDefTable table = makeTable({}, 0, "3");
    table[0].Delimiter = "\\t";
    table[0].TitleLine = false;
    EXPECT_EQ((FileDefInput{"受注", false, "0", true, "3", false, "\\t"}),
              fillFileDefPanel(kEditChangeFileDef, table));
    table[0].Size = 80;
    table[0].Class = "";
    EXPECT_EQ((FileDefInput{"受注", true, "80", false, "", false, "\\t"}),
              fillFileDefPanel(kEditChangeFileDef, table));
    EXPECT_EQ("ファイル定義の新規作成", editDialogTitle(kEditNewFileDef));
    EXPECT_EQ("フィールド定義の変更", editDialogTitle(kEditChangeField));
    EXPECT_EQ(3, editPanelIndex(kEditChangeField));
}

TEST(FileDefEdit, NewDefinitionReplacesEverythingAndDropsTheTitleLineWithoutDelimiter) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.Tag = "/defs/old.trd";
    FileDefInput input{"新規", false, "0", true, "5", true, ""};
    EditOutcome outcome = submitFileDef(kEditNewFileDef, input, table, tree);
    ASSERT_TRUE(outcome.applied);
    EXPECT_EQ((TreeChange{TreeChangeKind::Rebuilt, 0}), outcome.tree);
    EXPECT_FALSE(input.chkTitleLine);
    ASSERT_EQ(0, table.maxIndex());
    EXPECT_EQ("新規", table[0].Name);
    EXPECT_EQ(0, table[0].Size);
    EXPECT_EQ("5", table[0].Class);
    EXPECT_EQ("", table[0].Delimiter);
    EXPECT_FALSE(table[0].TitleLine);
    EXPECT_EQ((Shape{"新規:0"}), shape(tree));
    EXPECT_TRUE(tree.nodes[0].bold);
    EXPECT_TRUE(tree.isFileNodeSelected());
    EXPECT_EQ("/defs/old.trd", tree.Tag) << "emptied by the new-definition command, not here";
}

TEST(FileDefEdit, ChangeKeepsTheRecordsAndRenamesTheFirstNode) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    FileDefInput input = fillFileDefPanel(kEditChangeFileDef, table);
    input.txtFileDefName = "売上";
    input.chkRecLenAll = true;
    input.cmbRecLenAll = "128";
    EditOutcome outcome = submitFileDef(kEditChangeFileDef, input, table, tree);
    EXPECT_EQ((TreeChange{TreeChangeKind::RootRenamed, 0}), outcome.tree);
    EXPECT_EQ(128, table[0].Size);
    EXPECT_EQ(10, table[1].Size) << "records keep their own length";
    EXPECT_EQ((Shape{"売上:0", "A:1", "B:2", "C:3<2"}), shape(tree));

    FileDefInput bad = input;
    bad.txtFileDefName = "";
    EditOutcome refused = submitFileDef(kEditChangeFileDef, bad, table, tree);
    EXPECT_FALSE(refused.applied);
    ASSERT_TRUE(refused.error);
    EXPECT_EQ("売上", table[0].Name);
}

// ---- Record edits --------------------------------------------------------------------------

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
    EXPECT_EQ((TreeChange{TreeChangeKind::NodeAdded, 4}), outcome.tree);
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
    submitRecord(kEditAddRecord, panel.input, table, tree);
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
    ASSERT_TRUE(self.error);
    EXPECT_EQ(EditControl::cmbRecParent, self.error->focus);
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
    EXPECT_FALSE(outcome.applied);
    EXPECT_EQ((EditError{"子レコードがあるレコードは、親レコードの変更はできません。", kInfo,
                         EditControl::cmbRecParent}),
              outcome.error);
    EXPECT_EQ("B", table[2].Name);
    EXPECT_EQ(10, table[2].Size);
    EXPECT_EQ(0, table[2].Parent);
    EXPECT_EQ("B", tree.nodes[2].text);

    input.cmbRecParent = 0;  // same parent: renaming is fine
    outcome = submitRecord(kEditChangeRecord, input, table, tree);
    EXPECT_EQ((TreeChange{TreeChangeKind::NodeRenamed, 2}), outcome.tree);
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
    EXPECT_EQ((TreeChange{TreeChangeKind::NodeMoved, 3}), outcome.tree);
    EXPECT_EQ(2, table[1].Child) << "X still hangs under P";
    EXPECT_EQ(3, table[4].Child);
    EXPECT_EQ(4, table[3].Parent);
    EXPECT_EQ((Shape{"受注:0", "P:1", "X:2<1", "Q:4", "Y:3<4"}), shape(tree));
    EXPECT_EQ(3, tree.selectedTag());

    // P still has a child, so it can neither be deleted nor moved.
    tree.selectTag(1);
    input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.cmbRecParent = 4;
    EXPECT_TRUE(submitRecord(kEditChangeRecord, input, table, tree).error);

    // X leaves for the top level: P has no child any more and Child becomes 0.
    tree.selectTag(2);
    input = fillRecordPanel(kEditChangeRecord, table, tree).input;
    input.cmbRecParent = 0;
    submitRecord(kEditChangeRecord, input, table, tree);
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
    submitRecord(kEditChangeRecord, input, table, tree);
    RecordTree reopened;
    buildRecordTree(reopened, table);
    EXPECT_EQ(shape(tree), shape(reopened));
    EXPECT_EQ((Shape{"受注:0", "B:2", "A:1<2"}), shape(reopened));
}

// ---- Field edits ---------------------------------------------------------------------------

TEST(FieldEdit, AddAfterRowTwoAndIntoAnEmptyRecord) {
    RecordDefTable table = makeTable({{"R"}, {"E"}});
    table[1] = threeFields();
    FieldInput input = fillFieldPanel(kEditAddField, table, 1, 2);
    EXPECT_EQ((FieldInput{"", "X", "", "0", ""}), input);
    input.txtFldName = "new";
    input.txtFldSize = "4";
    EditOutcome outcome = submitField(kEditAddField, input, table, 1, 2);
    EXPECT_TRUE(outcome.applied);
    EXPECT_EQ((std::vector<std::int32_t>{1, 11, 21, 25}), positions(table[1]));
    EXPECT_EQ((FieldDef{"new", "X", 21, 4, 0, -1, ""}), table[1].Fields[2]);

    input.cmbFldType = "9";
    input.txtFldDec = "2";
    submitField(kEditAddField, input, table, 2, 0);
    EXPECT_EQ((std::vector<FieldDef>{{"new", "9", 1, 4, 2, -1, ""}}), table[2].Fields);
}

TEST(FieldEdit, ChangeSizeMovesLaterFieldsAndXKeepsTheNumberInTheDecimalsBox) {
    RecordDefTable table = makeTable({{"R"}});
    table[1] = threeFields();
    table[1].Fields[0].Check = 0;
    FieldInput input = fillFieldPanel(kEditChangeField, table, 1, 1);
    EXPECT_EQ((FieldInput{"a", "X", "10", "0", ""}), input);
    input.txtFldSize = "6";
    input.txtFldDec = "3";
    EXPECT_TRUE(submitField(kEditChangeField, input, table, 1, 1).applied);
    EXPECT_EQ((std::vector<std::int32_t>{1, 7, 17}), positions(table[1]));
    EXPECT_EQ(3, table[1].Fields[0].Dec);
    EXPECT_EQ(0, table[1].Fields[0].Check) << "a change keeps the check";

    input.txtFldDec = "";
    submitField(kEditChangeField, input, table, 1, 1);
    EXPECT_EQ(0, table[1].Fields[0].Dec);

    input.txtFldName = "";
    EditOutcome refused = submitField(kEditChangeField, input, table, 1, 1);
    EXPECT_FALSE(refused.applied);
    EXPECT_EQ("a", table[1].Fields[0].Name);
    EXPECT_FALSE(submitField(kEditChangeField, input, table, 1, 4).applied) << "no such row";
}

}  // namespace
}  // namespace sorvek::testing
