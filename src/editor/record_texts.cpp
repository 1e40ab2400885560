#include "editor/record_texts.h"

#include "editor/edit_dialog.h"
#include "model/host_data.h"

namespace sorvek {

namespace {
constexpr std::int32_t kMostNinesWritten = 32;

template <typename T, std::size_t N>
const char* captionOf(const std::array<CaptionedChoice<T>, N>& choices, T value) {
    for (const auto& choice : choices) {
        if (choice.value == value) return choice.caption;
    }
    return "";
}

std::string pictureDisplay(const FieldDef& field) {
    // A sign of its own byte is no digit.
    const std::int64_t size =
        field.Type == kTypeZoned && separateSign(field.sign) ? field.Size - 1 : field.Size;
    const std::int64_t digits = (field.Type == "P" ? 2 * size - 1 : size) - field.Dec;
    // No whole digits (PIC SV99): the decimal places alone, after the type unless it is the
    // zoned 9 that the places repeat.
    std::string text = field.Type + "(" + std::to_string(digits) + ")";
    if (digits == 0 && field.Dec > 0) text = field.Type == kTypeZoned ? "" : field.Type + " ";
    if (field.Dec != 0) {
        text += "V";
        if (field.Dec > kMostNinesWritten) {
            text += "9(" + std::to_string(field.Dec) + ")";
        } else if (field.Dec > 0) {
            text.append(static_cast<std::size_t>(field.Dec), '9');
        }
    }
    return text;
}

// A binary field says its bytes, sign and byte order, and its decimal places in words (its
// digits are no count of bytes); double-byte text its characters.
std::string hostTypeDisplay(const FieldDef& field) {
    if (field.Type == kTypeDoubleByte) {
        std::string text = field.Type + "(2バイト文字 " + std::to_string(field.Size / 2) + " 字";
        if (field.Size % 2 != 0) text += "と 1 バイト";
        return text + ")";
    }
    std::string text = field.Type + " " + std::to_string(field.Size) + "バイト、" +
                       (field.signedBinary ? "符号付き" : "符号なし") + "、" +
                       captionOf(kByteOrderChoices, field.byteOrder);
    if (field.Dec != 0) text += "、小数点以下 " + std::to_string(field.Dec) + " 桁";
    return text;
}
std::string recordName(const RecordDefTable& table, std::int32_t index) {
    return table.isRecordIndex(index) ? table[index].Name : "レコード " + std::to_string(index);
}

std::string summedName(const RecordDefTable& table, const ControlTotal& t) {
    if (table.isRecordIndex(t.record) && t.field >= 1 &&
        static_cast<std::size_t>(t.field) <= table[t.record].Fields.size()) {
        return table[t.record].Fields[static_cast<std::size_t>(t.field - 1)].Name;
    }
    return "フィールド " + std::to_string(t.field);
}

std::string totalDisplay(const ControlTotal& t, const RecordDefTable& table) {
    std::string text = "、";
    text += captionOf(kTotalChoices, t.kind);
    text += " (" + recordName(table, t.record);
    if (t.kind == TotalKind::Sum) text += "." + summedName(table, t);
    text +=
        t.group == 0 ? std::string("、") + kWholeFile : "、区切り " + recordName(table, t.group);
    return text + ")";
}

}  // namespace

std::string typeDisplay(const FieldDef& field, const RecordDefTable& table) {
    std::string text = typeDisplay(field);
    if (field.total.present()) text += totalDisplay(field.total, table);
    if (field.width == CharacterWidth::Single) text += "、半角";
    if (field.width == CharacterWidth::SingleUpper) text += "、半角 (英小文字を大文字に)";
    return text;
}

std::string typeDisplay(const FieldDef& field) {
    std::string text;
    if (field.Type == kTypeBinary || field.Type == kTypeDoubleByte) {
        text = hostTypeDisplay(field);
    } else {
        text = pictureDisplay(field);
    }
    // The host forms a layout declares, in the edit dialog's words; a field without them shows
    // as it always did.
    if (field.Type == kTypeZoned && field.sign != SignPosition::Undeclared) {
        text += "、符号: ";
        text += captionOf(kSignChoices, field.sign);
    }
    if (field.scale != 0 &&
        (field.Type == kTypeZoned || field.Type == kTypePacked || field.Type == kTypeBinary)) {
        text += "、位取り " + std::to_string(field.scale) + " 桁";
    }
    return text;
}

std::optional<std::int64_t> lastFieldEnd(const RecordDef& record) {
    if (record.Fields.empty()) return std::nullopt;
    const FieldDef& last = record.Fields.back();
    return static_cast<std::int64_t>(last.Pos) + last.Size - 1;
}

std::optional<std::string> fieldLengthSumText(const RecordDef& record) {
    std::optional<std::int64_t> end = lastFieldEnd(record);
    if (!end) return std::nullopt;
    return "フィールド長の合計: " + std::to_string(*end) + " バイト";
}

std::optional<std::string> fieldLengthMismatchText(const RecordDef& record) {
    std::optional<std::int64_t> end = lastFieldEnd(record);
    if (!end || record.Size <= 0 || *end == record.Size) return std::nullopt;
    return "フィールド長の合計 (" + std::to_string(*end) + " バイト) がレコード長 (" +
           std::to_string(record.Size) + " バイト) と一致しません。";
}

std::string recordLengthText(const RecordDefTable& table, std::int32_t index) {
    const std::int32_t size = table[index].Size;
    return size != 0 ? "レコード長: " + std::to_string(size) + " バイト" : "可変長";
}

std::string classText(const RecordDefTable& table, std::int32_t index) {
    if (index == 0 || table[index].Class.empty()) return "";
    return "識別区分: " + table[index].Class;
}

std::string recordCopyText(const RecordDefTable& table, std::int32_t index) {
    const RecordDef& file = table[0];
    const RecordDef& record = table[index];
    const std::string fileSize = file.Size != 0 ? std::to_string(file.Size) : "可変";
    std::string text;
    text += "\t" + file.Name + " ファイル定義\t\tRec長\t" + fileSize + "\r\n";
    text += "\r\n";
    text += "\t" + record.Name + " レコード定義\t\tRec長\t" + std::to_string(record.Size) + "\r\n";
    text += "\r\n";
    text += "No\tフィールド名\t属性\t位置\t桁数\tメモ\r\n";
    for (std::size_t i = 0; i < record.Fields.size(); ++i) {
        const FieldDef& f = record.Fields[i];
        text += std::to_string(i + 1) + "\t" + f.Name + "\t" + typeDisplay(f) + "\t" +
                std::to_string(f.Pos) + "\t" + std::to_string(f.Size) + "\t" + f.Memo + "\r\n";
    }
    return text;
}

}  // namespace sorvek
