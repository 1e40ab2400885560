#include "editor/file_def_panel.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/edit_panels.h"
#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

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
        {"name but no length typed", named,
         EditError{kRecLenMsg, kInfo, EditControl::cmbRecLenAll}},
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
        EXPECT_EQ(c.expected, firstError(validateFileDef(input))) << c.what;
    }
}

TEST(FileDefEdit, FillingAndEnablingRules) {
    FileDefInput fresh = fillFileDefPanel(kEditNewFileDef, RecordDefTable{});
    EXPECT_EQ((FileDefInput{"", true, "", false, "", true, ","}), fresh);
    EXPECT_TRUE(cmbRecLenAllEnabled(fresh));
    EXPECT_FALSE(txtRecClassPosEnabled(fresh));
    setRecClass(fresh, true);
    EXPECT_EQ("1", fresh.txtRecClassPos);
    setRecLenAll(fresh, false);
    EXPECT_EQ("0", fresh.cmbRecLenAll);
    setRecLenAll(fresh, true);
    EXPECT_EQ("", fresh.cmbRecLenAll);
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
    ASSERT_TRUE(changed(outcome));
    EXPECT_TRUE(changed(outcome));
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
    EXPECT_TRUE(changed(outcome));
    EXPECT_EQ(128, table[0].Size);
    EXPECT_EQ(10, table[1].Size) << "records keep their own length";
    EXPECT_EQ((Shape{"売上:0", "A:1", "B:2", "C:3<2"}), shape(tree));

    FileDefInput bad = input;
    bad.txtFileDefName = "";
    EditOutcome refused = submitFileDef(kEditChangeFileDef, bad, table, tree);
    EXPECT_FALSE(changed(refused));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ("売上", table[0].Name);
}

TEST(FileDefEdit, CodePageAndRecordFormatGoBothWays) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    FileDefInput input = fillFileDefPanel(kEditChangeFileDef, table);
    EXPECT_EQ("CP932", input.cmbCodePage);
    EXPECT_EQ("fixed", input.cmbRecordFormat);
    input.cmbCodePage = "IBM939";
    input.cmbRecordFormat = "vb";
    ASSERT_TRUE(changed(submitFileDef(kEditChangeFileDef, input, table, tree)));
    EXPECT_EQ(InputCodePage::Ibm939, table[0].codePage);
    EXPECT_EQ(RecordFormat::VB, table[0].recordFormat);
    EXPECT_EQ(input, fillFileDefPanel(kEditChangeFileDef, table));
    // A new definition starts from the defaults.
    EXPECT_EQ("CP932", fillFileDefPanel(kEditNewFileDef, table).cmbCodePage);
}

}  // namespace
}  // namespace sorvek::testing
