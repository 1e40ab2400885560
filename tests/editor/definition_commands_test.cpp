#include "editor/definition_commands.h"

#include <gtest/gtest.h>

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
    RecordingMessages messages;
    std::size_t sizeSeen = 0;
    auto loader = [&](const std::string& path, RecordDefTable& fresh) -> DefinitionLoadResult {
        sizeSeen = fresh.entries.size();
        EXPECT_EQ("/defs/abc.trd", path);
        fresh = abcTable();
        return LoadedDefinition{};
    };
    EXPECT_TRUE(openDefinition("/defs/abc.trd", table, tree, messages, loader));
    EXPECT_EQ(2u, sizeSeen) << "the reader starts from two cleared entries";
    EXPECT_EQ(3, table.maxIndex());
    EXPECT_EQ(4, tree.nodeCount());
    EXPECT_EQ(1, tree.selectedTag());
    EXPECT_EQ("/defs/abc.trd", tree.Tag);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(OpenDefinition, FailureKeepsThePreviousDefinitionTreeAndFile) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    tree.Tag = "/defs/abc.trd";
    tree.selectTag(3);
    const RecordTree treeBefore = tree;
    RecordingMessages messages;
    auto halfReader = [](const std::string&, RecordDefTable& fresh) -> DefinitionLoadResult {
        fresh[0].Name = "half";
        fresh[1].Name = "filled";
        return DefinitionLoadFailure{};
    };
    EXPECT_FALSE(openDefinition("/defs/bad.trd", table, tree, messages, halfReader));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("/defs/bad.trd の読み込み中にエラーが発生しました。", messages.shown[0].text);
    EXPECT_EQ(MessageIcon::Exclamation, messages.shown[0].icon);
    EXPECT_EQ("Sorvek", messages.shown[0].title);
    EXPECT_EQ("受注", table[0].Name);
    EXPECT_EQ(3, table.maxIndex());
    EXPECT_EQ(treeBefore.nodes, tree.nodes);
    EXPECT_EQ(treeBefore.selected, tree.selected);
    EXPECT_EQ("/defs/abc.trd", tree.Tag);

    bool called = false;
    EXPECT_FALSE(openDefinition("", table, tree, messages, [&](auto&, auto&) {
        called = true;
        return DefinitionLoadResult(LoadedDefinition{});
    }));
    EXPECT_FALSE(called) << "a cancelled dialog reads nothing";
}

TEST(OpenDefinition, RealLoaderReportsAFileThatCannotBeRead) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    RecordingMessages messages;
    EXPECT_FALSE(
        openDefinition("/nonexistent/none.trd", table, tree, messages, definitionFileLoader()));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("/nonexistent/none.trd はレコード定義ファイルではありません。",
              messages.shown.front().text);
    EXPECT_EQ(MessageIcon::Information, messages.shown.front().icon);
    EXPECT_EQ(
        "/nonexistent/none.trd の読み込み中にエラーが発生しました。\n"
        "ファイルまたはフォルダが存在しません。",
        messages.shown.back().text);
    EXPECT_EQ(3, table.maxIndex());

    // A device is refused without being read, with the reason.
    messages.shown.clear();
    EXPECT_FALSE(openDefinition("/dev/zero", table, tree, messages, definitionFileLoader()));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("/dev/zero の読み込み中にエラーが発生しました。\n通常のファイルではありません。",
              messages.shown.back().text);
    EXPECT_EQ(3, table.maxIndex());
}

TEST(OpenDefinition, AFileReadAsUtf8IsNotedOnce) {
    TempDir dir;
    const std::string path =
        dir.write("utf8.trd",
                  "\xEF\xBB\xBF[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\n"
                  "MaxRecordIndex=1\r\nName=受注\r\nSize=0\r\nClassPos=\r\nDelimiter=,\r\n"
                  "TitleLine=False\r\n[Record_1]\r\nName=明細\r\nSize=2\r\nClass=\r\nParent=0\r\n"
                  "Child=0\r\nMaxFieldIndex=0\r\nField_0=数量,9,1,2,0,-1,\r\n");
    RecordDefTable table;
    RecordTree tree;
    RecordingMessages messages;
    EXPECT_TRUE(openDefinition(path, table, tree, messages, definitionFileLoader()));
    EXPECT_EQ("受注", table[0].Name);
    EXPECT_EQ("数量", table[1].Fields[0].Name);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(path +
                  " は UTF-8 のテキストとして読み込みました。保存するときは Shift-JIS (CP932) "
                  "で書き込みます。",
              messages.shown[0].text);
    EXPECT_EQ(MessageIcon::Information, messages.shown[0].icon);
}

TEST(SaveDefinition, SetsTheFileAndReportsAFailedWrite) {
    RecordDefTable table = abcTable();
    RecordTree tree;
    buildRecordTree(tree, table);
    RecordingMessages messages;
    std::string written;
    auto writer = [&](const std::string& path, const RecordDefTable& t) {
        written = path + ":" + std::to_string(t.maxIndex());
        return path != "/ro/x.trd" ? Status{} : Status{failure("read-only")};
    };
    EXPECT_FALSE(saveDefinition("", table, tree, messages, writer));
    EXPECT_EQ("", written);
    EXPECT_TRUE(saveDefinition("/defs/x.trd", table, tree, messages, writer));
    EXPECT_EQ("/defs/x.trd:3", written);
    EXPECT_EQ("/defs/x.trd", tree.Tag);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(saveDefinition("/ro/x.trd", table, tree, messages, writer));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ("ファイル保存中にエラーが発生しました。\nread-only", messages.shown[0].text);
    EXPECT_EQ(MessageIcon::Exclamation, messages.shown[0].icon);
    EXPECT_EQ("/ro/x.trd", tree.Tag) << "names the file that was tried";
}

}  // namespace
}  // namespace sorvek::testing
