#include "engine/rec2csv_definition_check.h"

#include <cstdint>

#include "platform/number_text.h"

namespace sorvek {
namespace {

std::string recordLine(const RecordDef& record) {
    return "\nレコード = " + record.Name;
}

std::string fieldLines(const RecordDef& record, const FieldDef& field) {
    return recordLine(record) + "\nフィールド = " + field.Name;
}

Status checkField(const RecordDef& record, const FieldDef& f) {
    if (f.Pos < 1) {
        return failure("フィールドの位置に誤りがあります。" + fieldLines(record, f) +
                       "\n位置 = " + std::to_string(f.Pos));
    }
    if (f.Size < 1) {
        return failure("フィールド長に誤りがあります。" + fieldLines(record, f) +
                       "\nフィールド長 = " + std::to_string(f.Size));
    }
    if (static_cast<std::int64_t>(f.Pos) + f.Size - 1 > record.Size) {
        return failure("フィールドがレコード長を超えています。" + fieldLines(record, f) +
                       "\n位置 = " + std::to_string(f.Pos) + "\nフィールド長 = " +
                       std::to_string(f.Size) + "\nレコード長 = " + std::to_string(record.Size));
    }
    const std::int64_t maxDec = f.Type == "9"   ? f.Size
                                : f.Type == "P" ? 2 * static_cast<std::int64_t>(f.Size) - 1
                                                : INT32_MAX;
    if (f.Dec < 0 || f.Dec > maxDec) {
        return failure("小数点以下桁数に誤りがあります。" + fieldLines(record, f) +
                       "\n小数点以下桁数 = " + std::to_string(f.Dec));
    }
    return {};
}

// True when following `Parent` from `index` reaches 0 through existing records only.
bool parentChainEnds(const RecordDefTable& table, int index) {
    int r = table[static_cast<std::size_t>(index)].Parent;
    for (int steps = 0; steps < table.maxIndex(); ++steps) {
        if (r == 0) return true;
        if (r < 1 || r > table.maxIndex() || r == index) return false;
        r = table[static_cast<std::size_t>(r)].Parent;
    }
    return r == 0;
}

}  // namespace

Status checkRec2CsvDefinition(const RecordDefTable& table) {
    if (table.maxIndex() < 1) return failure("レコード定義がありません。");
    const RecordDef& file = table[0];
    if (file.Size < 0) {
        return failure("ファイル定義のレコード長に誤りがあります。\nレコード長 = " +
                       std::to_string(file.Size));
    }
    if (!file.Class.empty()) {
        std::optional<std::int32_t> position = parseInt32(file.Class);
        if (!position || *position < 1) {
            return failure("識別区分の開始位置に誤りがあります。\n識別区分の開始位置 = " +
                           file.Class);
        }
    }
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const RecordDef& record = table[static_cast<std::size_t>(i)];
        if (record.Size < 1) {
            return failure("レコード長に誤りがあります。" + recordLine(record) +
                           "\nレコード長 = " + std::to_string(record.Size));
        }
        if (!parentChainEnds(table, i)) {
            return failure("親レコードの指定に誤りがあります。" + recordLine(record) +
                           "\n親レコード = " + std::to_string(record.Parent));
        }
        for (const FieldDef& f : record.Fields) {
            if (f.Check != -1) continue;
            if (Status field = checkField(record, f); !field) return field;
        }
    }
    return {};
}

}  // namespace sorvek
