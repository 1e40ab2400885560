#include "engine/rec2csv_definition_check.h"

#include <cstdint>
#include <vector>

#include "engine/varying_table.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

Failure invalid(std::string text) {
    return failure(std::move(text), FailureKind::InvalidDefinition);
}

constexpr const char* kNoLeafRecordText =
    "子レコードの無いレコードがありません。出力する行がありません。";

std::string recordLine(const RecordDefTable& table, int index) {
    return refusedRecordLine(table, index);
}

std::string fieldLines(const RecordDefTable& table, int index, const FieldDef& field) {
    return recordLine(table, index) + "\nフィールド = " + field.Name;
}

Status checkField(const RecordDefTable& table, int index, const FieldDef& f) {
    const RecordDef& record = table[static_cast<std::size_t>(index)];
    if (f.Pos < 1) {
        return invalid("フィールドの位置に誤りがあります。" + fieldLines(table, index, f) +
                       "\n位置 = " + std::to_string(f.Pos));
    }
    if (f.Size < 1) {
        return invalid("フィールド長に誤りがあります。" + fieldLines(table, index, f) +
                       "\nフィールド長 = " + std::to_string(f.Size));
    }
    if (static_cast<std::int64_t>(f.Pos) + f.Size - 1 > record.Size) {
        return invalid("フィールドがレコード長を超えています。" + fieldLines(table, index, f) +
                       "\n位置 = " + std::to_string(f.Pos) + "\nフィールド長 = " +
                       std::to_string(f.Size) + "\nレコード長 = " + std::to_string(record.Size));
    }
    if (f.Type == kTypeBinary && f.Size != 2 && f.Size != 4 && f.Size != 8) {
        return invalid("バイナリのフィールド長は 2、4、8 のいずれかです。" +
                       fieldLines(table, index, f) + "\nフィールド長 = " + std::to_string(f.Size));
    }
    if (f.scale < -kMaxScale || f.scale > kMaxScale) {
        return invalid("桁の位取りに誤りがあります。" + fieldLines(table, index, f) +
                       "\n位取り = " + std::to_string(f.scale));
    }
    const std::int64_t digits = maxDecimalPlaces(f.Type, f.Size);
    const std::int64_t maxDec = digits >= 0 ? digits : INT32_MAX;
    if (f.Dec < 0 || f.Dec > maxDec) {
        return invalid("小数点以下桁数に誤りがあります。" + fieldLines(table, index, f) +
                       "\n小数点以下桁数 = " + std::to_string(f.Dec));
    }
    return {};
}

bool numericType(const FieldDef& f) {
    return f.Type == "9" || f.Type == "P" || f.Type == kTypeBinary;
}

// A control total names a kind, a numeric field of it and the kind that starts its groups; the
// total and the field it sums lie within their records, written or not. Half-width is a mark of
// text fields.
Status checkFieldMarks(const RecordDefTable& table, int index, const FieldDef& f) {
    if (f.width != CharacterWidth::Any && f.Type != "X") {
        return invalid("半角の指定は文字のフィールド (X) にしかできません。" +
                       fieldLines(table, index, f) + "\n属性 = " + f.Type);
    }
    const ControlTotal& t = f.total;
    if (!t.present()) return {};
    if (!numericType(f)) {
        return invalid("集計は数値のフィールド (9、P、BIN) にしか指定できません。" +
                       fieldLines(table, index, f) + "\n属性 = " + f.Type);
    }
    if (Status field = checkField(table, index, f); !field) return field;
    if (!table.isRecordIndex(t.record) || (t.group != 0 && !table.isRecordIndex(t.group))) {
        return invalid("集計するレコードの指定に誤りがあります。" + fieldLines(table, index, f) +
                       "\n集計するレコード = " + std::to_string(t.record) +
                       "\n区切りのレコード = " + std::to_string(t.group));
    }
    // Records of a varying table move their fields after it: a total is kept off them.
    if (table[static_cast<std::size_t>(index)].varying.present() ||
        table[static_cast<std::size_t>(t.record)].varying.present()) {
        return invalid("表の回数のあるレコードには集計を指定できません。" +
                       fieldLines(table, index, f));
    }
    if (t.kind != TotalKind::Sum) return {};
    const std::vector<FieldDef>& summed = table[static_cast<std::size_t>(t.record)].Fields;
    if (t.field < 1 || static_cast<std::size_t>(t.field) > summed.size() ||
        !numericType(summed[static_cast<std::size_t>(t.field - 1)])) {
        return invalid("合計するフィールドの指定に誤りがあります。" + fieldLines(table, index, f) +
                       "\n合計するフィールド = " + std::to_string(t.field));
    }
    return checkField(table, t.record, summed[static_cast<std::size_t>(t.field - 1)]);
}

// `what`: the first line and the record's line.
Failure tooLong(const std::string& what, std::int64_t length) {
    return invalid(what + "\nレコード長 = " + std::to_string(length) +
                   "\n上限 = " + std::to_string(kMaxRecordLength));
}

// For each record, whether following `Parent` from it reaches 0 through existing records
// without a loop. Each record is walked once: a chain stops where it meets a record already
// settled, so the cost is linear however deep the tree is.
std::vector<bool> parentChainsEnd(const RecordDefTable& table) {
    enum : std::uint8_t { kUnknown, kOnPath, kEnds, kBroken };
    const int n = table.maxIndex();
    std::vector<std::uint8_t> state(static_cast<std::size_t>(n) + 1, kUnknown);
    std::vector<int> path;
    for (int i = 1; i <= n; ++i) {
        path.clear();
        int r = i;
        std::uint8_t result = kEnds;
        for (;;) {
            if (r == 0) break;
            if (r < 1 || r > n) {
                result = kBroken;
                break;
            }
            const std::uint8_t seen = state[static_cast<std::size_t>(r)];
            if (seen == kEnds || seen == kBroken) {
                result = seen;
                break;
            }
            if (seen == kOnPath) {  // a loop
                result = kBroken;
                break;
            }
            state[static_cast<std::size_t>(r)] = kOnPath;
            path.push_back(r);
            r = table[static_cast<std::size_t>(r)].Parent;
        }
        for (int p : path) state[static_cast<std::size_t>(p)] = result;
    }
    std::vector<bool> ends(state.size());
    for (std::size_t i = 1; i < state.size(); ++i) ends[i] = state[i] == kEnds;
    return ends;
}

}  // namespace

std::string refusedRecordLine(const RecordDefTable& table, int index) {
    const std::string& name = table[static_cast<std::size_t>(index)].Name;
    return "\nレコード = " + name + (name.empty() ? "(" : " (") + std::to_string(index) + ")";
}

Status checkRec2CsvDefinition(const RecordDefTable& table) {
    if (table.maxIndex() < 1) return invalid("レコード定義がありません。");
    const RecordDef& file = table[0];
    if (file.Size < 0) {
        return invalid("ファイル定義のレコード長に誤りがあります。\nレコード長 = " +
                       std::to_string(file.Size));
    }
    if (!file.Class.empty()) {
        std::optional<std::int32_t> position = parseInt32(file.Class);
        // A class code beyond the longest record cannot be read, and would size the input's window.
        if (!position || *position < 1 || *position > kMaxRecordLength) {
            return invalid("識別区分の開始位置に誤りがあります。\n識別区分の開始位置 = " +
                           file.Class);
        }
    }
    const std::vector<bool> chainEnds = parentChainsEnd(table);
    std::int64_t total = 0;
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const RecordDef& record = table[static_cast<std::size_t>(i)];
        if (record.Size < 1) {
            return invalid("レコード長に誤りがあります。" + recordLine(table, i) +
                           "\nレコード長 = " + std::to_string(record.Size));
        }
        if (record.Size > kMaxRecordLength) {
            return tooLong("レコード長が扱える長さを超えています。" + recordLine(table, i),
                           record.Size);
        }
        total += record.Size;
        if (total > kMaxRecordLengthTotal) {
            return invalid("レコード長の合計が扱える長さを超えています。" + recordLine(table, i) +
                           "\nレコード長の合計 = " + std::to_string(total) +
                           "\n上限 = " + std::to_string(kMaxRecordLengthTotal));
        }
        if (!chainEnds[static_cast<std::size_t>(i)]) {
            return invalid("親レコードの指定に誤りがあります。" + recordLine(table, i) +
                           "\n親レコード = " + std::to_string(record.Parent));
        }
        for (const FieldDef& f : record.Fields) {
            if (Status marks = checkFieldMarks(table, i, f); !marks) return marks;
            if (f.Check != -1) continue;
            if (Status field = checkField(table, i, f); !field) return field;
        }
        if (Status varying = checkVaryingTable(table, i); !varying) return varying;
    }
    // After the records, so that a record as long as the file's length is the one named.
    if (file.Size > kMaxRecordLength) {
        return tooLong("ファイル定義のレコード長が扱える長さを超えています。", file.Size);
    }
    // Only a record without a child writes lines: without one nothing could be converted.
    bool anyLeaf = false;
    for (int i = 1; i <= table.maxIndex() && !anyLeaf; ++i) {
        anyLeaf = table[static_cast<std::size_t>(i)].Child == 0;
    }
    if (!anyLeaf) return invalid(kNoLeafRecordText);
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const RecordDef& record = table[static_cast<std::size_t>(i)];
        const std::int32_t child = record.Child;
        if (child != 0 &&
            (!table.isRecordIndex(child) || table[static_cast<std::size_t>(child)].Parent != i)) {
            return invalid("子レコードの指定に誤りがあります。" + recordLine(table, i) +
                           "\n子レコード = " + std::to_string(child));
        }
    }
    return {};
}

}  // namespace sorvek
