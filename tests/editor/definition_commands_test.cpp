#include "editor/definition_commands.h"

#include <gtest/gtest.h>

#include "editor/file_def_panel.h"
#include "formats/trd_file.h"
#include "support/recorders.h"
#include "support/sample_tables.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

TEST(DefinitionDialogs, StartPaths) {
    RecordTree tree;
    tree.nodes.push_back(RecordTreeNode{"受注", "", kImageFileDefinition, 0, -1, true});
    EXPECT_EQ("/", openDefinitionStartPath(tree, ""));
    EXPECT_EQ("/defs/", openDefinitionStartPath(tree, "/defs"));
    EXPECT_EQ("/defs/", openDefinitionStartPath(tree, "/defs/"));
    EXPECT_EQ("/受注.trd", saveDefinitionStartPath(tree, ""));
    EXPECT_EQ("/defs/受注.trd", saveDefinitionStartPath(tree, "/defs"));

    // Without a folder set, the input's folder, else home: never the root.
    EXPECT_EQ("/defs", definitionFolder("/defs", "/data/in.dat", "/home/u"));
    EXPECT_EQ("/data/", definitionFolder("", "/data/in.dat", "/home/u"));
    EXPECT_EQ("/home/u", definitionFolder("", "", "/home/u"));

    tree.Tag = "/data/in/x.rcdef";
    EXPECT_EQ("/data/in/x.rcdef", openDefinitionStartPath(tree, "/defs"));
    EXPECT_EQ("/data/in/x.trd", saveDefinitionStartPath(tree, "/defs"));
}

TEST(DefinitionDialogs, SaveNameReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ("/data/ver1.2/def.trd", withTrdExtension("/data/ver1.2/def"));
    EXPECT_EQ("x.trd", withTrdExtension("x.rcdef"));
    EXPECT_EQ("/d/a.b.trd", withTrdExtension("/d/a.b.TRD"));
    EXPECT_EQ("/d/a.trd", withTrdExtension("/d/a.trd"));
    EXPECT_EQ("trd.trd", withTrdExtension("trd"));
    EXPECT_EQ("/d/x.trd", withTrdExtension("/d/x."));
    EXPECT_EQ("/d/.hidden.trd", withTrdExtension("/d/.hidden"));
}

TEST(OpenDefinition, SuccessReplacesTheTableAndBuildsTheTree) {
    RecordDefTable table = makeTable({{"old"}});
    RecordTree tree;
    buildRecordTree(tree, table);
    std::size_t sizeSeen = 0;
    auto loader = [&](const std::string& path, RecordDefTable& fresh) -> DefinitionLoadResult {
        sizeSeen = fresh.entries.size();
        EXPECT_EQ("/defs/abc.trd", path);
        fresh = abcTable();
        return LoadedDefinition{};
    };
    const auto opened = openDefinition("/defs/abc.trd", table, tree, loader);
    ASSERT_TRUE(opened.has_value());
    EXPECT_TRUE(opened->ok());
    EXPECT_EQ(2u, sizeSeen) << "the reader starts from two cleared entries";
    EXPECT_EQ(3, table.maxIndex());
    EXPECT_EQ(4, tree.nodeCount());
    EXPECT_EQ(1, tree.selectedTag());
    EXPECT_EQ("/defs/abc.trd", tree.Tag);
}

TEST(OpenDefinition, FailureKeepsThePreviousDefinitionTreeAndFile) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.Tag = "/defs/abc.trd";
    tree.selectTag(3);
    const RecordTree treeBefore = tree;
    auto halfReader = [](const std::string&, RecordDefTable& fresh) -> DefinitionLoadResult {
        fresh[0].Name = "half";
        fresh[1].Name = "filled";
        return DefinitionLoadFailure{};
    };
    const auto opened = openDefinition("/defs/bad.trd", table, tree, halfReader);
    ASSERT_TRUE(opened.has_value());
    EXPECT_FALSE(opened->ok());
    EXPECT_EQ("受注", table[0].Name);
    EXPECT_EQ(3, table.maxIndex());
    EXPECT_EQ(treeBefore.nodes, tree.nodes);
    EXPECT_EQ(treeBefore.selected, tree.selected);
    EXPECT_EQ("/defs/abc.trd", tree.Tag);

    bool called = false;
    EXPECT_FALSE(openDefinition("", table, tree, [&](auto&, auto&) {
                     called = true;
                     return DefinitionLoadResult(LoadedDefinition{});
                 }).has_value());
    EXPECT_FALSE(called) << "a cancelled dialog reads nothing";
}

TEST(OpenDefinition, AFileThatCannotBeReadLeavesTheDefinition) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    for (const char* path : {"/nonexistent/none.trd", "/dev/zero"}) {
        const auto opened = openDefinition(path, table, tree, definitionFileLoader());
        ASSERT_TRUE(opened.has_value());
        ASSERT_FALSE(opened->ok());
        EXPECT_EQ(path + std::string(" はレコード定義ファイルではありません。"),
                  opened->error().notice.reason);
        EXPECT_EQ(3, table.maxIndex());
    }
}

// A copybook says nothing of how its records are stored: what the user chose for it in the file
// definition is what the saved definition file holds and reads back.
TEST(SaveDefinition, AnImportedCopybookKeepsTheInputChosenForIt) {
    TempDir dir;
    const std::string copybook = dir.write("host.cpy", "01 REC.\n   05 NAME PIC X(4).\n");
    RecordDefTable table;
    RecordTree tree;
    const auto opened = openDefinition(copybook, table, tree, definitionFileLoader());
    ASSERT_TRUE(opened && opened->ok());
    FileDefInput input = fillFileDefPanel(kEditChangeFileDef, table);
    input.cmbCodePage = "IBM037";
    input.cmbRecordFormat = "vb";
    input.cmbRdwByteOrder = "little";
    input.cmbRdwLength = "exclusive";
    ASSERT_TRUE(submitFileDef(kEditChangeFileDef, input, table, tree));

    RecordingMessages messages;
    const std::string saved = saveDefinitionStartPath(tree, dir.path());
    EXPECT_EQ(dir.file("host.trd"), saved);
    ASSERT_TRUE(saveDefinition(
        saved, table, tree, messages,
        [](const std::string& path, const RecordDefTable& t) { return writeTrdFile(path, t); }));
    RecordDefTable back;
    back.reset(2);
    ASSERT_TRUE(loadDefinition(saved, back));
    EXPECT_EQ(input, fillFileDefPanel(kEditChangeFileDef, back));
    EXPECT_TRUE(table[1].Fields == back[1].Fields);
}

}  // namespace
}  // namespace sorvek::testing
