#include "formats/trd_field_marks.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/number_text.h"

namespace sorvek {
namespace {

constexpr const char* kTotalsSection = "Field Totals";
constexpr const char* kWidthSection = "Character Width";

std::string fieldMarkKey(int i, std::size_t j) {
    return "Field_" + std::to_string(i) + "_" + std::to_string(j);
}

// The number after `prefix` in `word` ("Record_3" → 3), if it is one at least `least`.
std::optional<std::int32_t> numberAfter(std::string_view word, std::string_view prefix,
                                        std::int32_t least) {
    if (word.substr(0, prefix.size()) != prefix) return std::nullopt;
    std::optional<std::int32_t> n = parseInt32(word.substr(prefix.size()));
    if (!n || *n < least || *n == INT32_MAX) return std::nullopt;
    return n;
}

std::string totalText(const ControlTotal& t) {
    std::string text = t.kind == TotalKind::Count ? "count" : "sum";
    text += ",record=Record_" + std::to_string(t.record);
    if (t.kind == TotalKind::Sum) text += ",field=Field_" + std::to_string(t.field - 1);
    if (t.group != 0) text += ",group=Record_" + std::to_string(t.group);
    return text;
}

std::optional<ControlTotal> parseTotal(std::string_view text) {
    ControlTotal t;
    bool first = true;
    while (!text.empty() || first) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (first) {
            first = false;
            if (item == "count") {
                t.kind = TotalKind::Count;
            } else if (item == "sum") {
                t.kind = TotalKind::Sum;
            } else {
                return std::nullopt;
            }
            continue;
        }
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view name = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        std::optional<std::int32_t> n =
            name == "field" ? numberAfter(value, "Field_", 0) : numberAfter(value, "Record_", 1);
        if (!n) return std::nullopt;
        if (name == "record") {
            t.record = *n;
        } else if (name == "field") {
            t.field = *n + 1;
        } else if (name == "group") {
            t.group = *n;
        } else {
            return std::nullopt;
        }
    }
    if (t.record == 0 || (t.kind == TotalKind::Sum) != (t.field != 0)) return std::nullopt;
    return t;
}

std::optional<CharacterWidth> parseWidth(std::string_view text) {
    if (text == "half-width") return CharacterWidth::Single;
    if (text == "half-width,upper-case") return CharacterWidth::SingleUpper;
    return std::nullopt;
}

Failure badMark(const char* what, const std::string& key, const std::string& value) {
    return failure(std::string(what) + "\n" + key + " = " + value, FailureKind::InvalidDefinition);
}

}  // namespace

Status readFieldMarks(const IniDocument& doc, RecordDefTable& table) {
    for (int i = 1; i <= table.maxIndex(); ++i) {
        std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            const std::string key = fieldMarkKey(i, j);
            if (const std::string text = doc.get(kTotalsSection, key); !text.empty()) {
                std::optional<ControlTotal> total = parseTotal(text);
                if (!total) return badMark("集計項目の指定に誤りがあります。", key, text);
                fields[j].total = *total;
            }
            if (const std::string text = doc.get(kWidthSection, key); !text.empty()) {
                std::optional<CharacterWidth> width = parseWidth(text);
                if (!width) return badMark("文字幅の指定に誤りがあります。", key, text);
                fields[j].width = *width;
            }
        }
    }
    return {};
}

void writeFieldMarks(IniDocument& doc, const RecordDefTable& table) {
    // All the totals first, so that each section is written whole, in the same place.
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            const ControlTotal& t = fields[j].total;
            if (t.present()) doc.set(kTotalsSection, fieldMarkKey(i, j), totalText(t));
        }
    }
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            const CharacterWidth width = fields[j].width;
            if (width == CharacterWidth::Any) continue;
            doc.set(kWidthSection, fieldMarkKey(i, j),
                    width == CharacterWidth::Single ? "half-width" : "half-width,upper-case");
        }
    }
}

}  // namespace sorvek
