#include "engine/varying_table.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/csv_line_plan.h"
#include "engine/host_numbers.h"
#include "engine/inspection.h"
#include "engine/rec2csv_definition_check.h"
#include "model/host_data.h"

namespace sorvek {
namespace {

// `what`: the first line; `lines`: the values at fault, after the record's name.
Failure invalidTable(const RecordDefTable& table, int index, const char* what,
                     const std::string& lines) {
    return failure(what + refusedRecordLine(table, index) + lines, FailureKind::InvalidDefinition);
}

constexpr std::int64_t kCounterCeiling = INT64_MAX / 10 - 10;

// Adds a digit to a count that stays at the ceiling once it reaches it: no record holds more.
std::int64_t addDigit(std::int64_t value, int digit) {
    return value >= kCounterCeiling ? kCounterCeiling : value * 10 + digit;
}

}  // namespace

Status checkVaryingTable(const RecordDefTable& table, int index) {
    const RecordDef& record = table[static_cast<std::size_t>(index)];
    const VaryingTable& t = record.varying;
    if (!t.present()) return {};
    const auto count = static_cast<std::int32_t>(record.Fields.size());
    if (t.counter < 1 || t.counter > count) {
        return invalidTable(table, index, "表の回数のフィールドがありません。",
                            "\n回数のフィールド = " + std::to_string(t.counter));
    }
    const FieldDef& c = record.Fields[static_cast<std::size_t>(t.counter - 1)];
    const std::string counterLine = "\n回数のフィールド = " + c.Name;
    if ((c.Type != kTypeZoned && c.Type != kTypePacked && c.Type != kTypeBinary) || c.Dec != 0 ||
        c.scale != 0 || c.Pos < 1 || c.Size < 1 ||
        (c.Type == kTypeBinary && c.Size != 2 && c.Size != 4 && c.Size != 8)) {
        return invalidTable(table, index, "表の回数のフィールドが整数の数値項目ではありません。",
                            counterLine);
    }
    if (t.occurrenceSize < 1 || t.min < 0 || t.max < 1 || t.min > t.max || t.Pos < 1 ||
        t.end() - 1 > record.Size) {
        return invalidTable(table, index, "表の位置、長さまたは回数に誤りがあります。",
                            "\n表の位置 = " + std::to_string(t.Pos) +
                                "\n長さ = " + std::to_string(t.occurrenceSize) + "\n回数 = " +
                                std::to_string(t.min) + " ～ " + std::to_string(t.max) +
                                "\nレコード長 = " + std::to_string(record.Size));
    }
    if (static_cast<std::int64_t>(c.Pos) + c.Size > t.Pos) {
        return invalidTable(table, index, "表の回数のフィールドが表より前にありません。",
                            counterLine);
    }
    for (const FieldDef& f : record.Fields) {
        if (f.Check != -1 || f.Size < 1) continue;
        const std::int64_t begin = f.Pos, end = static_cast<std::int64_t>(f.Pos) + f.Size;
        if (end <= t.Pos || begin >= t.end()) continue;
        const std::int64_t occurrence = (begin - t.Pos) / t.occurrenceSize;
        const std::int64_t occurrenceEnd = t.Pos + (occurrence + 1) * t.occurrenceSize;
        if (begin < t.Pos || end > occurrenceEnd) {
            return invalidTable(table, index, "フィールドが表の繰り返しの区切りをまたいでいます。",
                                "\nフィールド = " + f.Name);
        }
    }
    return {};
}

VaryingLayout::VaryingLayout(const RecordDef& record, bool ebcdic) {
    const VaryingTable& t = record.varying;
    if (!t.present()) return;
    used_ = true;
    ebcdic_ = ebcdic;
    counterField_ = record.Fields[static_cast<std::size_t>(t.counter - 1)];
    counterOffset_ = static_cast<std::size_t>(counterField_.Pos - 1);
    counterEnd_ = counterOffset_ + static_cast<std::size_t>(counterField_.Size);
    begin_ = static_cast<std::size_t>(t.Pos - 1);
    occurrenceSize_ = static_cast<std::size_t>(t.occurrenceSize);
    end_ = begin_ + static_cast<std::size_t>(t.max) * occurrenceSize_;
    size_ = static_cast<std::size_t>(record.Size);
    min_ = t.min;
    max_ = static_cast<std::uint32_t>(t.max);
}

std::optional<std::int64_t> VaryingLayout::counter(const unsigned char* record) const {
    const unsigned char* field = record + counterOffset_;
    const std::size_t size = counterEnd_ - counterOffset_;
    const FieldDef& f = counterField_;
    std::int64_t value = 0;
    bool negative = false;
    if (f.Type == kTypePacked) {
        if (!packedFieldValid(field, size)) return std::nullopt;
        for (std::size_t i = 0; i + 1 < size; ++i) {
            value = addDigit(addDigit(value, field[i] >> 4), field[i] & 0x0F);
        }
        value = addDigit(value, field[size - 1] >> 4);
        const int sign = field[size - 1] & 0x0F;
        negative = sign == 0xB || sign == 0xD;
    } else if (f.Type == kTypeBinary) {
        std::uint64_t bits = 0;
        const bool big = f.byteOrder == ByteOrder::Big || std::endian::native == std::endian::big;
        for (std::size_t i = 0; i < size; ++i) {
            bits = bits << 8 | field[big ? i : size - 1 - i];
        }
        if (f.signedBinary && size < 8 && (bits >> (8 * size - 1)) != 0) {
            bits |= ~std::uint64_t{0} << (8 * size);  // sign-extended
        }
        if (f.signedBinary && static_cast<std::int64_t>(bits) < 0) {
            return static_cast<std::int64_t>(bits);
        }
        return static_cast<std::int64_t>(std::min<std::uint64_t>(bits, INT64_MAX));
    } else {
        // Read once a record: the digits go to the stack for any counter of a usual length.
        std::array<char, 32> small;
        std::vector<char> large(size > small.size() ? size : 0);
        char* digits = size > small.size() ? large.data() : small.data();
        const std::ptrdiff_t n =
            zonedDigits(field, size, effectiveSign(f.sign), ebcdic_, digits, negative);
        if (n <= 0) return std::nullopt;
        for (std::ptrdiff_t i = 0; i < n; ++i) value = addDigit(value, digits[i] - '0');
    }
    return negative ? -value : value;
}

std::size_t VaryingLayout::expand(const unsigned char* record, std::size_t read,
                                  std::uint32_t count, unsigned char blank,
                                  unsigned char* out) const {
    const std::size_t held = begin_ + static_cast<std::size_t>(count) * occurrenceSize_;
    std::memset(out, blank, size_);
    std::memcpy(out, record, std::min(read, held));
    if (read <= held) return read;
    const std::size_t tail = std::min(read - held, size_ - end_);
    std::memcpy(out + end_, record + held, tail);
    return end_ + tail;
}

std::size_t VaryingLayout::compact(unsigned char* record, std::uint32_t count) const {
    const std::size_t held = begin_ + static_cast<std::size_t>(count) * occurrenceSize_;
    std::memmove(record + held, record + end_, size_ - end_);
    return length(count);
}

std::uint32_t VaryingLayout::presentIn(const unsigned char* expanded, std::size_t reach) const {
    if (reach < counterEnd_) return 0;
    const std::optional<std::int64_t> count = counter(expanded);
    return count && inRange(*count) ? static_cast<std::uint32_t>(*count) : 0;
}

std::string VaryingLayout::counterFaultText(std::int64_t number, std::int64_t offset,
                                            const std::string& record,
                                            const unsigned char* bytes) const {
    const std::optional<std::int64_t> count = counter(bytes);
    std::string value;
    if (count) {
        value = std::to_string(*count);
    } else {
        value = "0x";
        for (std::size_t i = counterOffset_; i < counterEnd_; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
            value += hex;
        }
    }
    return std::string(count ? "表の回数が範囲外です。" : "表の回数が数値ではありません。") + "\n" +
           recordPlaceText(number, offset) + "\nレコード = " + record +
           "\nフィールド = " + counterField_.Name + "\n値 = " + value +
           "\n範囲 = " + std::to_string(min_) + " ～ " + std::to_string(max_);
}

}  // namespace sorvek
