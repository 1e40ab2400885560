#include "editor/field_def_panel.h"

#include <gtest/gtest.h>

#include <functional>

#include "editor/definition_page.h"
#include "editor/field_list.h"
#include "editor/unsaved_changes.h"
#include "formats/trd_file.h"
#include "model/record_table_edit.h"
#include "support/edit_panels.h"
#include "support/sample_tables.h"
#include "support/temp_dir.h"

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

TEST(ValidateField, HostFormsAreCheckedOnlyWhereTheyApply) {
    const char* const binSizeMsg =
        "バイナリのフィールド長には 2、4、8 のいずれかを指定してください。";
    const char* const binDecMsg =
        "バイナリの小数点以下桁数には 0 から 20 までの数値を指定してください。";
    const char* const scaleMsg = "位取りには -64 から 64 までの数値を指定してください。";
    const char* const separateMsg = "符号を独立させるときは、フィールド長を 2 以上にしてください。";
    auto typed = [](const char* type, const char* size) {
        return [type, size](FieldInput& in) {
            in.txtFldName = "金額", in.cmbFldType = type, in.txtFldSize = size;
        };
    };
    auto with = [](auto base, std::function<void(FieldInput&)> more) {
        return [base, more](FieldInput& in) { base(in), more(in); };
    };
    const std::vector<FieldCase> cases = {
        {"binary of 2, 4 and 8 bytes", typed("BIN", "8"), std::nullopt},
        {"binary of 3 bytes", typed("BIN", "3"),
         EditError{binSizeMsg, kInfo, EditControl::txtFldSize}},
        {"binary of 16 bytes", typed("BIN", "16"),
         EditError{binSizeMsg, kInfo, EditControl::txtFldSize}},
        {"binary size 0 keeps the general message", typed("BIN", "0"),
         EditError{"フィールド長には 1 以上の数値を指定してください。", kInfo,
                   EditControl::txtFldSize}},
        {"binary with 20 decimals", with(typed("BIN", "8"), [](auto& in) { in.txtFldDec = "20"; }),
         std::nullopt},
        {"binary with 21 decimals", with(typed("BIN", "8"), [](auto& in) { in.txtFldDec = "21"; }),
         EditError{binDecMsg, kInfo, EditControl::txtFldDec}},
        // Places beyond the digits (a zoned byte holds one, a packed field two a byte but for
        // the sign) would make the definition one that no conversion takes.
        {"zoned with as many places as digits",
         with(typed("9", "3"), [](auto& in) { in.txtFldDec = "3"; }), std::nullopt},
        {"zoned with more places than digits",
         with(typed("9", "3"), [](auto& in) { in.txtFldDec = "21"; }),
         EditError{"小数点以下桁数にはフィールドの桁数 (3) 以下の数値を指定してください。", kInfo,
                   EditControl::txtFldDec}},
        {"packed of 4 bytes with 7 places",
         with(typed("P", "4"), [](auto& in) { in.txtFldDec = "7"; }), std::nullopt},
        {"packed of 4 bytes with 9 places",
         with(typed("P", "4"), [](auto& in) { in.txtFldDec = "9"; }),
         EditError{"小数点以下桁数にはフィールドの桁数 (7) 以下の数値を指定してください。", kInfo,
                   EditControl::txtFldDec}},
        {"scale at both bounds, with blanks",
         with(typed("P", "5"), [](auto& in) { in.txtFldScale = " -64 "; }), std::nullopt},
        {"scale beyond the bound", with(typed("9", "5"), [](auto& in) { in.txtFldScale = "65"; }),
         EditError{scaleMsg, kInfo, EditControl::txtFldScale}},
        {"empty scale", with(typed("BIN", "4"), [](auto& in) { in.txtFldScale = ""; }),
         EditError{scaleMsg, kInfo, EditControl::txtFldScale}},
        {"scale that is no number", with(typed("P", "4"), [](auto& in) { in.txtFldScale = "3P"; }),
         EditError{scaleMsg, kInfo, EditControl::txtFldScale}},
        {"text ignores the scale box",
         with(typed("X", "4"), [](auto& in) { in.txtFldScale = "x"; }), std::nullopt},
        {"a sign of its own in one byte",
         with(typed("9", "1"), [](auto& in) { in.cmbFldSign = SignPosition::LeadingSeparate; }),
         EditError{separateMsg, kInfo, EditControl::cmbFldSign}},
        {"a sign of its own in two bytes",
         with(typed("9", "2"), [](auto& in) { in.cmbFldSign = SignPosition::TrailingSeparate; }),
         std::nullopt},
        {"a sign in the zone fits one byte",
         with(typed("9", "1"), [](auto& in) { in.cmbFldSign = SignPosition::Leading; }),
         std::nullopt},
        {"packed ignores the sign list",
         with(typed("P", "1"), [](auto& in) { in.cmbFldSign = SignPosition::LeadingSeparate; }),
         std::nullopt},
        {"the memo comes after the host forms",
         with(typed("BIN", "3"), [](auto& in) { in.txtFldMemo = ","; }),
         EditError{binSizeMsg, kInfo, EditControl::txtFldSize}},
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

// A record with a binary field, a zoned field with a declared sign and a scaled packed field.
RecordDef hostFields() {
    RecordDef record;
    record.Name = "R";
    record.Size = 16;
    record.Fields = {field("qty", 1, 4, "BIN"), field("amount", 5, 5, "9", 2),
                     field("rate", 10, 3, "P")};
    record.Fields[0].signedBinary = true;
    record.Fields[0].byteOrder = ByteOrder::Native;
    record.Fields[1].sign = SignPosition::LeadingSeparate;
    record.Fields[1].leadingSign = true;
    record.Fields[2].scale = -3;
    return record;
}

TEST(FieldEdit, HostFormsAreShownAndWrittenBack) {
    RecordDefTable table = makeTable({{"R", 0, 0, 16}});
    table[1] = hostFields();
    const RecordDef before = table[1];
    FieldInput bin = fillFieldPanel(kEditChangeField, table, 1, 1);
    EXPECT_TRUE(bin.chkFldSigned);
    EXPECT_EQ(ByteOrder::Native, bin.cmbFldByteOrder);
    FieldInput zoned = fillFieldPanel(kEditChangeField, table, 1, 2);
    EXPECT_EQ(SignPosition::LeadingSeparate, zoned.cmbFldSign);
    EXPECT_EQ("-3", fillFieldPanel(kEditChangeField, table, 1, 3).txtFldScale);
    // OK without a change leaves every field as it was, the output option's sign included.
    for (std::int32_t sel = 1; sel <= 3; ++sel) {
        EXPECT_TRUE(changed(submitField(
            kEditChangeField, fillFieldPanel(kEditChangeField, table, 1, sel), table, 1, sel)));
    }
    EXPECT_EQ(before.Fields, table[1].Fields);

    bin.chkFldSigned = false;
    bin.cmbFldByteOrder = ByteOrder::Big;
    bin.txtFldScale = "2";
    EXPECT_TRUE(changed(submitField(kEditChangeField, bin, table, 1, 1)));
    const FieldDef& qty = table[1].Fields[0];
    EXPECT_FALSE(qty.signedBinary);
    EXPECT_EQ(ByteOrder::Big, qty.byteOrder);
    EXPECT_EQ(2, qty.scale);

    // A new field takes what applies to its type.
    FieldInput added = fillFieldPanel(kEditAddField, table, 1, 3);
    added.txtFldName = "count";
    added.cmbFldType = "BIN";
    added.txtFldSize = "2";
    added.chkFldSigned = true;
    added.cmbFldSign = SignPosition::Leading;  // a zoned field's, left over in the list
    EXPECT_TRUE(changed(submitField(kEditAddField, added, table, 1, 3)));
    FieldDef expected = field("count", 13, 2, "BIN");
    expected.signedBinary = true;
    EXPECT_EQ(expected, table[1].Fields[3]);
}

TEST(FieldEdit, AnotherTypeDropsTheFormsThatNoLongerApply) {
    struct Case {
        int sel;
        const char* type;
        const char* size;
        FieldDef expected;
    };
    FieldDef zonedOfBinary = field("qty", 1, 4, "9");
    FieldDef packedOfZoned = field("amount", 5, 5, "P", 2);
    packedOfZoned.leadingSign = true;  // the output option's, not the dialog's
    FieldDef textOfPacked = field("rate", 10, 3, "X");
    const std::vector<Case> cases = {
        {1, "9", "4", zonedOfBinary},
        {2, "P", "5", packedOfZoned},
        {3, "X", "3", textOfPacked},
    };
    for (const Case& c : cases) {
        RecordDefTable table = makeTable({{"R", 0, 0, 16}});
        table[1] = hostFields();
        FieldInput input = fillFieldPanel(kEditChangeField, table, 1, c.sel);
        input.cmbFldType = c.type;
        input.txtFldSize = c.size;
        EXPECT_TRUE(changed(submitField(kEditChangeField, input, table, 1, c.sel))) << c.type;
        EXPECT_EQ(c.expected, table[1].Fields[static_cast<std::size_t>(c.sel - 1)]) << c.type;
    }
}

TEST(FieldEdit, DefinitionsWithoutHostFormsSaveAsBeforeAfterAnEdit) {
    TempDir dir;
    RecordDefTable table = makeTable({{"R"}});
    table[1] = threeFields();
    table[1].Fields[2].Type = "9";
    ASSERT_TRUE(writeTrdFile(dir.file("before.trd"), table).ok());
    for (std::int32_t sel = 1; sel <= 3; ++sel) {
        FieldInput input = fillFieldPanel(kEditChangeField, table, 1, sel);
        // What the host controls hold while disabled or untouched writes nothing.
        input.chkFldSigned = true;
        input.txtFldScale = sel == 3 ? "0" : "abc";
        ASSERT_TRUE(changed(submitField(kEditChangeField, input, table, 1, sel)));
    }
    ASSERT_TRUE(writeTrdFile(dir.file("after.trd"), table).ok());
    EXPECT_EQ(readFile(dir.file("before.trd")), readFile(dir.file("after.trd")));

    // A host form goes through the file and back as the dialog set it.
    FieldInput input = fillFieldPanel(kEditChangeField, table, 1, 3);
    input.cmbFldSign = SignPosition::TrailingSeparate;
    input.txtFldScale = "-2";
    ASSERT_TRUE(changed(submitField(kEditChangeField, input, table, 1, 3)));
    ASSERT_TRUE(writeTrdFile(dir.file("host.trd"), table).ok());
    RecordDefTable read;
    ASSERT_TRUE(readTrdFile(dir.file("host.trd"), read).ok());
    EXPECT_EQ(input, fillFieldPanel(kEditChangeField, read, 1, 3));
}

// Header ヘッダー, data データ (区分 X, 名前 X(5), 金額 9(5)) and trailer トレーラー (区分 X,
// 件数 9(3), 合計 9(7)).
RecordDefTable transfers() {
    RecordDefTable table = makeTable({{"ヘッダー", 0, 2}, {"データ", 1, 0}, {"トレーラー"}});
    table[1].Fields = {field("区分", 1, 1)};
    table[2].Fields = {field("区分", 1, 1), field("名前", 2, 5), field("金額", 7, 5, "9")};
    table[3].Fields = {field("区分", 1, 1), field("件数", 2, 3, "9"), field("合計", 5, 7, "9")};
    return table;
}

TEST(FieldEdit, TotalsAndHalfWidthMarksAreSetSavedAndFollowTheirFieldsAndRecords) {
    RecordDefTable table = transfers();
    const RecordDefTable before = table;
    FieldInput count = fillFieldPanel(kEditChangeField, table, 3, 2);
    EXPECT_EQ(TotalKind::None, count.cmbFldTotal);
    count.cmbFldTotal = TotalKind::Count;
    // No record chosen.
    EXPECT_EQ(
        (EditError{"集計するレコードを指定してください。", kInfo, EditControl::cmbFldTotalRecord}),
        submitField(kEditChangeField, count, table, 3, 2).error());
    count.cmbFldTotalRecord = 2;
    count.cmbFldTotalField = 3;  // a count sums no field: not kept
    count.cmbFldTotalGroup = 1;
    ASSERT_TRUE(changed(submitField(kEditChangeField, count, table, 3, 2)));
    EXPECT_EQ((ControlTotal{TotalKind::Count, 2, 0, 1}), table[3].Fields[1].total);

    const char* const sumMsg =
        "合計するフィールドには数値のフィールド (9、P、BIN) を指定してください。";
    FieldInput sum = fillFieldPanel(kEditChangeField, table, 3, 3);
    sum.cmbFldTotal = TotalKind::Sum;
    sum.cmbFldTotalRecord = 2;
    sum.cmbFldTotalGroup = 1;
    sum.cmbFldTotalField = 2;  // 名前, a text
    EXPECT_EQ((EditError{sumMsg, kInfo, EditControl::cmbFldTotalField}),
              submitField(kEditChangeField, sum, table, 3, 3).error());
    sum.cmbFldTotalField = 0;
    EXPECT_EQ(sumMsg, submitField(kEditChangeField, sum, table, 3, 3).error().message);
    EXPECT_EQ((std::vector<TotalChoice>{{"金額", 3}}), totalFieldChoices(table, 2));
    sum.cmbFldTotalField = 3;
    ASSERT_TRUE(changed(submitField(kEditChangeField, sum, table, 3, 3)));

    // A text field holds no total, a number no half-width mark, whatever the controls hold.
    FieldInput name = fillFieldPanel(kEditChangeField, table, 2, 2);
    name.chkFldUpper = true;  // without 半角のみ: nothing
    name.cmbFldTotal = TotalKind::Count;
    ASSERT_TRUE(changed(submitField(kEditChangeField, name, table, 2, 2)));
    EXPECT_EQ(FieldDef{}.total, table[2].Fields[1].total);
    EXPECT_EQ(CharacterWidth::Any, table[2].Fields[1].width);
    name = fillFieldPanel(kEditChangeField, table, 2, 2);
    name.chkFldSingle = name.chkFldUpper = true;
    ASSERT_TRUE(changed(submitField(kEditChangeField, name, table, 2, 2)));
    EXPECT_EQ(CharacterWidth::SingleUpper, table[2].Fields[1].width);
    EXPECT_FALSE(sameStoredDefinition(before, table));

    std::vector<FieldRow> rows = refillFieldRows(table[3], table);
    EXPECT_EQ("9(3)、件数 (データ、区切り ヘッダー)", rows[1].type);
    EXPECT_EQ("9(7)、合計 (データ.金額、区切り ヘッダー)", rows[2].type);
    EXPECT_EQ("X(5)、半角 (英小文字を大文字に)", refillFieldRows(table[2], table)[1].type);

    // Through the file and back as the dialog set them.
    TempDir dir;
    ASSERT_TRUE(writeTrdFile(dir.file("totals.trd"), table).ok());
    RecordDefTable read;
    ASSERT_TRUE(readTrdFile(dir.file("totals.trd"), read).ok());
    EXPECT_EQ(sum, fillFieldPanel(kEditChangeField, read, 3, 3));
    EXPECT_EQ(name, fillFieldPanel(kEditChangeField, read, 2, 2));
    EXPECT_TRUE(sameStoredDefinition(table, read));

    // The sum follows 金額 when fields are added before it and it moves; it goes with it.
    FieldInput added = fillFieldPanel(kEditAddField, table, 2, 1);
    added.txtFldName = "支店";
    added.txtFldSize = "3";
    ASSERT_TRUE(changed(submitField(kEditAddField, added, table, 2, 1)));
    EXPECT_EQ(4, table[3].Fields[2].total.field);
    ASSERT_TRUE(MoveFieldDef(table, 2, 3, -1));
    EXPECT_EQ(3, table[3].Fields[2].total.field);
    EXPECT_EQ("金額", table[2].Fields[2].Name);
    ASSERT_TRUE(DeleteFieldDef(table, 2, 0));
    EXPECT_EQ(2, table[3].Fields[2].total.field);
    ASSERT_TRUE(DeleteFieldDef(table, 2, 1));
    EXPECT_FALSE(table[3].Fields[2].total.present());
    EXPECT_TRUE(table[3].Fields[1].total.present());

    // Records: a total of a deleted record goes; the others keep naming theirs.
    table[3].Fields[2].total = {TotalKind::Count, 3, 0, 0};
    ASSERT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 2));
    EXPECT_FALSE(table[2].Fields[1].total.present());
    EXPECT_EQ((ControlTotal{TotalKind::Count, 2, 0, 0}), table[2].Fields[2].total);
}

}  // namespace
}  // namespace sorvek::testing
