#include "editor/field_def_panel.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/edit_panels.h"
#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

struct FieldCase {
    const char* what;
    std::function<void(FieldInput&)> edit;
    std::optional<EditError> expected;
};

TEST(ValidateField, FirstFailureInOrder) {
    const char* const sizeMsg = "フィールド長には 1 以上の数値を指定してください。";
    const char* const decMsg = "小数点以下桁数には 0 以上の数値を指定してください。";
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
        EXPECT_EQ(c.expected, firstError(validateField(input))) << c.what;
    }
}

TEST(FieldEdit, AddAfterRowTwoAndIntoAnEmptyRecord) {
    RecordDefTable table = makeTable({{"R"}, {"E"}});
    table[1] = threeFields();
    FieldInput input = fillFieldPanel(kEditAddField, table, 1, 2);
    EXPECT_EQ((FieldInput{"", "X", "", "0", ""}), input);
    input.txtFldName = "new";
    input.txtFldSize = "4";
    EditOutcome outcome = submitField(kEditAddField, input, table, 1, 2);
    EXPECT_TRUE(changed(outcome));
    EXPECT_EQ((std::vector<std::int32_t>{1, 11, 21, 25}), positions(table[1]));
    EXPECT_EQ((FieldDef{"new", "X", 21, 4, 0, -1, ""}), table[1].Fields[2]);

    input.cmbFldType = "9";
    input.txtFldDec = "2";
    EXPECT_TRUE(changed(submitField(kEditAddField, input, table, 2, 0)));
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
    EXPECT_TRUE(changed(submitField(kEditChangeField, input, table, 1, 1)));
    EXPECT_EQ((std::vector<std::int32_t>{1, 7, 17}), positions(table[1]));
    EXPECT_EQ(3, table[1].Fields[0].Dec);
    EXPECT_EQ(0, table[1].Fields[0].Check) << "a change keeps the check";

    input.txtFldDec = "";
    EXPECT_TRUE(changed(submitField(kEditChangeField, input, table, 1, 1)));
    EXPECT_EQ(0, table[1].Fields[0].Dec);

    input.txtFldName = "";
    EditOutcome refused = submitField(kEditChangeField, input, table, 1, 1);
    EXPECT_FALSE(changed(refused));
    EXPECT_EQ("a", table[1].Fields[0].Name);
    input.txtFldName = "b";
    EditOutcome noRow = submitField(kEditChangeField, input, table, 1, 4);
    ASSERT_TRUE(noRow.ok()) << "no such row: nothing to edit, no error";
    EXPECT_EQ(EditEffect::NothingToEdit, *noRow);
}

}  // namespace
}  // namespace sorvek::testing
