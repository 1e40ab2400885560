#include "editor/definition_history.h"

#include <gtest/gtest.h>

#include "editor/unsaved_changes.h"

namespace sorvek::testing {
namespace {

RecordDefTable named(const std::string& name) {
    RecordDefTable table;
    table.reset(2);
    table[0].Name = name;
    table[1].Name = "H";
    table[1].Size = 4;
    table[1].Fields.push_back(FieldDef{"NO", "9", 1, 4, 0, -1, "", false});
    return table;
}

TEST(DefinitionHistory, UndoAndRedoWalkTheStepsAndANewEditDropsWhatWasUndone) {
    DefinitionHistory history;
    RecordDefTable table;  // the page starts without a definition
    history.reset(table);
    EXPECT_FALSE(history.undo(table));

    table = named("A");
    EXPECT_TRUE(history.record(table));
    table[0].codePage = InputCodePage::Ibm930;
    EXPECT_TRUE(history.record(table));
    table[1].Fields[0].Check = 0;  // a field's check box
    EXPECT_TRUE(history.record(table));
    // What stores alike is no step: a cancelled dialog, or the conversion's working memory.
    table[1].Data = {'1'};
    EXPECT_FALSE(history.record(table));

    ASSERT_TRUE(history.undo(table));
    EXPECT_EQ(-1, table[1].Fields[0].Check);
    ASSERT_TRUE(history.undo(table));
    EXPECT_EQ(InputCodePage::Cp932, table[0].codePage);
    ASSERT_TRUE(history.redo(table));
    EXPECT_EQ(InputCodePage::Ibm930, table[0].codePage);
    ASSERT_TRUE(history.undo(table));
    ASSERT_TRUE(history.undo(table));
    EXPECT_FALSE(table.hasDefinition()) << "back to the page as it started";
    EXPECT_FALSE(history.undo(table));
    EXPECT_FALSE(table.hasDefinition());

    ASSERT_TRUE(history.redo(table));
    EXPECT_TRUE(sameStoredDefinition(named("A"), table));
    table[0].Name = "B";
    ASSERT_TRUE(history.record(table));
    EXPECT_FALSE(history.canRedo()) << "a new edit drops the steps undone";
    ASSERT_TRUE(history.undo(table));
    EXPECT_EQ("A", table[0].Name);
}

TEST(DefinitionHistory, KeepsTheLatestStepsOnly) {
    DefinitionHistory history;
    RecordDefTable table = named("0");
    history.reset(table);
    const std::size_t edits = DefinitionHistory::kMostSteps + 5;
    for (std::size_t i = 1; i <= edits; ++i) {
        table[0].Name = std::to_string(i);
        ASSERT_TRUE(history.record(table));
    }
    std::size_t undone = 0;
    while (history.undo(table)) ++undone;
    EXPECT_EQ(DefinitionHistory::kMostSteps, undone);
    EXPECT_EQ(std::to_string(edits - DefinitionHistory::kMostSteps), table[0].Name);
}

}  // namespace
}  // namespace sorvek::testing
