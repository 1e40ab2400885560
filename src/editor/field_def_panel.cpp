#include "editor/field_def_panel.h"

#include <optional>
#include <string>

#include "model/record_table_edit.h"
#include "platform/number_text.h"
#include "platform/text_checks.h"

namespace sorvek {
namespace {

constexpr const char* kMsgNoFieldName = "フィールド名が入力されていません。";
constexpr const char* kMsgFieldNameComma = "フィールド名にカンマ（,）は使用できません。";
constexpr const char* kMsgFieldTypeComma = "タイプにカンマ（,）は使用できません。";
constexpr const char* kMsgFieldSize = "フィールド長には 1 以上の数値を指定してください。";
constexpr const char* kMsgFieldDec = "小数点以下桁数には 0 以上の数値を指定してください。";
constexpr const char* kMsgBinarySize =
    "バイナリのフィールド長には 2、4、8 のいずれかを指定してください。";
constexpr const char* kMsgBinaryDec =
    "バイナリの小数点以下桁数には 0 から 20 までの数値を指定してください。";
constexpr const char* kMsgScale = "位取りには -64 から 64 までの数値を指定してください。";
constexpr const char* kMsgSeparateSign =
    "符号を独立させるときは、フィールド長を 2 以上にしてください。";
constexpr const char* kMsgTotalRecord = "集計するレコードを指定してください。";
constexpr const char* kMsgTotalField =
    "合計するフィールドには数値のフィールド (9、P、BIN) を指定してください。";
constexpr const char* kMsgTotalGroup = "区切りにはファイル全体かレコードを指定してください。";
constexpr const char* kMsgMemoComma = "メモにカンマ（,）は使用できません。";
constexpr const char* kMsgMemoLineBreak = "メモに改行は使用できません。";

std::optional<std::int32_t> scaleValue(const std::string& text) {
    std::optional<std::int32_t> scale = parseInt32(text);
    if (!scale || *scale < -kMaxScale || *scale > kMaxScale) return std::nullopt;
    return scale;
}

bool numericField(const FieldDef& f) {
    return decimalsVisible(f.Type);
}

// The total the inputs give, where the type holds one.
ControlTotal totalOf(const FieldInput& input) {
    if (!cmbFldTotalEnabled(input.cmbFldType) || input.cmbFldTotal == TotalKind::None) return {};
    const bool sum = input.cmbFldTotal == TotalKind::Sum;
    return {input.cmbFldTotal, input.cmbFldTotalRecord, sum ? input.cmbFldTotalField : 0,
            input.cmbFldTotalGroup};
}

CharacterWidth widthOf(const FieldInput& input) {
    if (!chkFldSingleEnabled(input.cmbFldType) || !input.chkFldSingle) return CharacterWidth::Any;
    return input.chkFldUpper ? CharacterWidth::SingleUpper : CharacterWidth::Single;
}

}  // namespace

std::vector<TotalChoice> totalRecordChoices(const RecordDefTable& table) {
    std::vector<TotalChoice> out;
    for (std::int32_t i = 1; i <= table.maxIndex(); ++i) out.push_back({table[i].Name, i});
    return out;
}

std::vector<TotalChoice> totalFieldChoices(const RecordDefTable& table, std::int32_t record) {
    std::vector<TotalChoice> out;
    if (!table.isRecordIndex(record)) return out;
    const std::vector<FieldDef>& fields = table[record].Fields;
    for (std::size_t j = 0; j < fields.size(); ++j) {
        if (numericField(fields[j]))
            out.push_back({fields[j].Name, static_cast<std::int32_t>(j + 1)});
    }
    return out;
}

std::vector<TotalChoice> totalGroupChoices(const RecordDefTable& table) {
    std::vector<TotalChoice> out{{kWholeFile, 0}};
    for (TotalChoice& choice : totalRecordChoices(table)) out.push_back(std::move(choice));
    return out;
}

FieldInput fillFieldPanel(std::int32_t mode, const RecordDefTable& table, std::int32_t record,
                          std::int32_t sel) {
    FieldInput input;
    if (mode != kEditChangeField || !table.isRecordIndex(record)) return input;
    const std::vector<FieldDef>& fields = table[record].Fields;
    if (sel < 1 || static_cast<std::size_t>(sel) > fields.size()) return input;
    const FieldDef& field = fields[static_cast<std::size_t>(sel - 1)];
    input.txtFldName = field.Name;
    input.cmbFldType = field.Type;
    input.txtFldSize = std::to_string(field.Size);
    input.txtFldDec = std::to_string(field.Dec);
    input.txtFldMemo = field.Memo;
    input.cmbFldSign = field.sign;
    input.chkFldSigned = field.signedBinary;
    input.cmbFldByteOrder = field.byteOrder;
    input.txtFldScale = std::to_string(field.scale);
    input.cmbFldTotal = field.total.kind;
    input.cmbFldTotalRecord = field.total.record;
    input.cmbFldTotalField = field.total.field;
    input.cmbFldTotalGroup = field.total.group;
    input.chkFldSingle = field.width != CharacterWidth::Any;
    input.chkFldUpper = field.width == CharacterWidth::SingleUpper;
    return input;
}

EditCheck validateField(const FieldInput& input) {
    if (input.txtFldName.empty()) return editInfo(kMsgNoFieldName, EditControl::txtFldName);
    if (hasComma(input.txtFldName)) return editInfo(kMsgFieldNameComma, EditControl::txtFldName);
    if (hasComma(input.cmbFldType)) return editInfo(kMsgFieldTypeComma, EditControl::cmbFldType);
    if (!isPositiveNumber(input.txtFldSize))
        return editInfo(kMsgFieldSize, EditControl::txtFldSize);
    const std::string& type = input.cmbFldType;
    const std::int32_t size = digitsValue(input.txtFldSize).value_or(0);
    if (binaryFormEnabled(type) && size != 2 && size != 4 && size != 8) {
        return editInfo(kMsgBinarySize, EditControl::txtFldSize);
    }
    if (decimalsVisible(type)) {
        std::optional<std::int32_t> dec = digitsValue(input.txtFldDec);
        if (!dec) return editInfo(kMsgFieldDec, EditControl::txtFldDec);
        if (binaryFormEnabled(type) && *dec > kMaxBinaryDecimals) {
            return editInfo(kMsgBinaryDec, EditControl::txtFldDec);
        }
        // More places than the field has digits: the conversion would refuse the definition.
        if (const std::int64_t digits = maxDecimalPlaces(type, size); *dec > digits) {
            return EditError{"小数点以下桁数にはフィールドの桁数 (" + std::to_string(digits) +
                                 ") 以下の数値を指定してください。",
                             MessageIcon::Information, EditControl::txtFldDec};
        }
    }
    if (txtFldScaleEnabled(type) && !scaleValue(input.txtFldScale)) {
        return editInfo(kMsgScale, EditControl::txtFldScale);
    }
    if (cmbFldSignEnabled(type) && separateSign(input.cmbFldSign) && size < 2) {
        return editInfo(kMsgSeparateSign, EditControl::cmbFldSign);
    }
    if (hasComma(input.txtFldMemo)) return editInfo(kMsgMemoComma, EditControl::txtFldMemo);
    if (hasLineBreak(input.txtFldMemo)) return editInfo(kMsgMemoLineBreak, EditControl::txtFldMemo);
    return {};
}

EditCheck validateTotal(const FieldInput& input, const RecordDefTable& table) {
    const ControlTotal total = totalOf(input);
    if (!total.present()) return {};
    if (!table.isRecordIndex(total.record)) {
        return editInfo(kMsgTotalRecord, EditControl::cmbFldTotalRecord);
    }
    if (total.kind == TotalKind::Sum) {
        const std::vector<FieldDef>& fields = table[total.record].Fields;
        if (total.field < 1 || static_cast<std::size_t>(total.field) > fields.size() ||
            !numericField(fields[static_cast<std::size_t>(total.field - 1)])) {
            return editInfo(kMsgTotalField, EditControl::cmbFldTotalField);
        }
    }
    if (total.group != 0 && !table.isRecordIndex(total.group)) {
        return editInfo(kMsgTotalGroup, EditControl::cmbFldTotalGroup);
    }
    return {};
}

EditOutcome submitField(std::int32_t mode, const FieldInput& input, RecordDefTable& table,
                        std::int32_t record, std::int32_t sel) {
    if (!table.isRecordIndex(record)) return EditEffect::NothingToEdit;
    RecordDef& entry = table[record];
    const bool change = mode == kEditChangeField;
    if (!change && mode != kEditAddField) return EditEffect::NothingToEdit;
    if (change && (sel < 1 || static_cast<std::size_t>(sel) > entry.Fields.size()))
        return EditEffect::NothingToEdit;
    if (EditCheck check = validateField(input); !check) return check.error();
    if (EditCheck check = validateTotal(input, table); !check) return check.error();

    FieldDef field;
    field.Name = input.txtFldName;
    field.Type = input.cmbFldType;
    field.Size = digitsValue(input.txtFldSize).value_or(0);
    // The decimals box is hidden for "X"; whatever number it still holds is kept, else 0.
    field.Dec = digitsValue(input.txtFldDec).value_or(0);
    field.Check = -1;
    field.Memo = input.txtFldMemo;
    const std::string& type = input.cmbFldType;
    if (cmbFldSignEnabled(type)) field.sign = input.cmbFldSign;
    if (binaryFormEnabled(type)) {
        field.signedBinary = input.chkFldSigned;
        field.byteOrder = input.cmbFldByteOrder;
    }
    if (txtFldScaleEnabled(type)) field.scale = scaleValue(input.txtFldScale).value_or(0);
    field.total = totalOf(input);
    field.width = widthOf(input);
    if (change) {
        changeFieldDef(entry, sel - 1, field);
        // The field keeps its place and check; its host forms and marks are the dialog's.
        FieldDef& changed = entry.Fields[static_cast<std::size_t>(sel - 1)];
        changed.sign = field.sign;
        changed.signedBinary = field.signedBinary;
        changed.byteOrder = field.byteOrder;
        changed.scale = field.scale;
        changed.total = field.total;
        changed.width = field.width;
    } else {
        insertFieldDef(table, record, entry.Fields.empty() ? 0 : sel, std::move(field));
    }
    return EditEffect::Changed;
}

}  // namespace sorvek
