#include "editor/unsaved_changes.h"

#include <gtest/gtest.h>

namespace sorvek::testing {
namespace {

RecordDefTable orders() {
    RecordDefTable table;
    table.reset(2);
    table[0].Name = "受注";
    table[0].Delimiter = "\\t";
    table[1].Name = "H";
    table[1].Size = 6;
    table[1].Fields.push_back(FieldDef{"NO", "9", 1, 6, 0, -1, "", false});
    return table;
}

TEST(UnsavedChanges, EveryStoredMemberCountsTheWorkingMemoryDoesNot) {
    const RecordDefTable saved = orders();
    DefinitionBaseline baseline;
    baseline.markSaved(saved);
    EXPECT_FALSE(baseline.hasUnsavedChanges(saved));

    // What a conversion or a refill of the list leaves behind is no change.
    RecordDefTable used = saved;
    used[1].Data = {'H', '0', '0'};
    used[0].Delimiter = "\t";
    EXPECT_FALSE(baseline.hasUnsavedChanges(used));
    RecordDefTable loaded = saved;
    loaded[1].Fields[0].Check = 1;  // shown ticked, stored as -1
    DefinitionBaseline fromFile;
    fromFile.markSaved(loaded);
    EXPECT_FALSE(fromFile.hasUnsavedChanges(saved));

    using Edit = void (*)(RecordDefTable&);
    const Edit edits[] = {
        [](RecordDefTable& t) { t[0].Name = "受注2"; },
        [](RecordDefTable& t) { t[0].TitleLine = true; },
        [](RecordDefTable& t) { t[0].Delimiter = ","; },
        [](RecordDefTable& t) { t[1].Size = 7; },
        [](RecordDefTable& t) { t[1].Class = "H"; },
        [](RecordDefTable& t) { t[1].Fields[0].Check = 0; },
        [](RecordDefTable& t) { t[1].Fields[0].Memo = "x"; },
        [](RecordDefTable& t) { t[1].Fields[0].leadingSign = true; },
        [](RecordDefTable& t) { t[1].Fields.push_back(FieldDef{}); },
        [](RecordDefTable& t) { t.entries.push_back(RecordDef{}); },
        [](RecordDefTable& t) { t.output.encoding = CsvEncoding::Utf8; },
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        RecordDefTable edited = saved;
        edits[i](edited);
        EXPECT_TRUE(baseline.hasUnsavedChanges(edited)) << "edit " << i;
    }
}

TEST(UnsavedChanges, NothingToLoseWithoutADefinitionAndANewOneIsUnsaved) {
    DefinitionBaseline baseline;  // the page started without a definition
    EXPECT_FALSE(baseline.hasUnsavedChanges(RecordDefTable{}));
    EXPECT_TRUE(baseline.hasUnsavedChanges(orders()));
    baseline.markSaved(orders());
    EXPECT_FALSE(baseline.hasUnsavedChanges(RecordDefTable{})) << "an erased definition";
}

TEST(UnsavedChanges, QuestionNamesTheDefinition) {
    EXPECT_EQ("レコード定義「受注」の変更が保存されていません。\n保存しますか？",
              unsavedQuestion(orders()));
}

}  // namespace
}  // namespace sorvek::testing
