#include "editor/record_cells.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <string>

#include "engine/host_numbers.h"
#include "engine/packed_decimal.h"
#include "model/host_data.h"
#include "platform/ebcdic_decoder.h"

namespace sorvek {
namespace {

// Bytes of a value a cell shows at most.
constexpr std::size_t kMostCellBytes = 512;

// The bytes of a field as the conversion writes them.
std::string convertedBytes(const FieldDef& f, const unsigned char* bytes) {
    const auto size = static_cast<std::size_t>(f.Size);
    switch (fieldClass(f)) {
        case FieldClass::Packed: {
            const std::int32_t dec = std::clamp<std::int32_t>(f.Dec, 0, 2 * f.Size - 1);
            std::string out(packedWidth(size, dec), ' ');
            writePacked(bytes, size, dec, out.data());
            return out;
        }
        case FieldClass::Zoned:
            if (f.Dec > 0 && f.Dec <= f.Size) {
                const std::size_t whole = size - static_cast<std::size_t>(f.Dec);
                std::string out(reinterpret_cast<const char*>(bytes), whole);
                out += '.';
                out.append(reinterpret_cast<const char*>(bytes) + whole, size - whole);
                return out;
            }
            break;
        case FieldClass::Text:
            break;
    }
    return std::string(reinterpret_cast<const char*>(bytes), size);
}

// The UTF-8 text of a field that needs a host form (EBCDIC text, a binary field, a declared
// sign, a scale), as the conversion writes it; nothing for any other field.
std::optional<std::string> hostCellText(const FieldDef& f, const unsigned char* bytes,
                                        InputCodePage page) {
    const bool ebcdic = isEbcdic(page);
    const auto size = static_cast<std::size_t>(f.Size);
    const std::int32_t dec = std::clamp<std::int32_t>(f.Dec, 0, 64);
    const std::int32_t scale = std::clamp<std::int32_t>(f.scale, -64, 64);
    char number[256];
    if (f.Type == kTypeBinary) {
        if (size != 2 && size != 4 && size != 8) return std::string();
        const bool bigEndian =
            f.byteOrder == ByteOrder::Big || ebcdic || std::endian::native == std::endian::big;
        return std::string(number,
                           writeBinary(bytes, size, f.signedBinary, bigEndian, dec, scale, number));
    }
    const bool zoned = f.Type == kTypeZoned;
    if (zoned && size <= 64 && (ebcdic || f.sign != SignPosition::Undeclared || f.scale != 0)) {
        char digits[64];
        bool negative = false;
        const SignPosition sign = ebcdic ? effectiveSign(f.sign) : f.sign;
        const std::ptrdiff_t n = zonedDigits(bytes, size, sign, ebcdic, digits, negative);
        if (n >= 0) {
            return std::string(number, writeDecimal(negative, digits, static_cast<std::size_t>(n),
                                                    dec, scale, number));
        }
    }
    if (f.Type == kTypePacked && f.scale != 0 && size <= 32) {
        char digits[64];
        std::size_t n = 0;
        for (std::size_t i = 0; i < size; ++i) {
            digits[n++] = static_cast<char>('0' + (bytes[i] >> 4));
            if (i + 1 < size) digits[n++] = static_cast<char>('0' + (bytes[i] & 0x0F));
        }
        const bool negative = (bytes[size - 1] & 0x0F) == 0x0D;
        return std::string(number, writeDecimal(negative, digits, n, dec, scale, number));
    }
    if (!ebcdic || f.Type == kTypePacked) return std::nullopt;
    const EbcdicDecoder& decoder = EbcdicDecoder::get(page);
    std::string text(EbcdicDecoder::kMaxGrowth * size + EbcdicDecoder::kSlack, '\0');
    char* end = f.Type == kTypeDoubleByte
                    ? decoder.decodeDoubleByte(bytes, size, TextTarget::Utf8, false, text.data())
                    : decoder.decodeText(bytes, size, TextTarget::Utf8, false, text.data());
    text.resize(static_cast<std::size_t>(end - text.data()));
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) c = '.';
    }
    return text;
}

// Control codes would break the display of a cell; they show as ".". (They are single bytes,
// never part of a double-byte character.) A very long value shows its start.
std::string forDisplay(std::string bytes, const Cp932Decoder& decoder) {
    const bool cut = bytes.size() > kMostCellBytes;
    if (cut) bytes.resize(kMostCellBytes);
    for (char& c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) c = '.';
    }
    return cut ? decoder.decode(bytes) + "…" : decoder.decode(bytes);
}

// The checks of each kind by field index (nullptr for fields not checked).
std::vector<std::vector<const FieldCheck*>> checksByField(const RecordDefTable& table,
                                                          const FieldCheckPlan& plan) {
    std::vector<std::vector<const FieldCheck*>> out(table.entries.size());
    for (std::size_t k = 1; k < table.entries.size(); ++k) {
        out[k].assign(table[k].Fields.size(), nullptr);
        for (const FieldCheck& c : plan.checks(static_cast<int>(k))) {
            out[k][static_cast<std::size_t>(c.field)] = &c;
        }
    }
    return out;
}

CellMark markOf(const FieldCheck& c, const unsigned char* record) {
    const unsigned char* f = record + c.offset;
    switch (c.cls) {
        case FieldClass::Packed:
            return packedValid(f, c.size) ? CellMark::None : CellMark::InvalidValue;
        case FieldClass::Zoned:
            return zonedValid(f, c.size) ? CellMark::None : CellMark::InvalidValue;
        case FieldClass::Text:
            if (c.beforeSize != 0 && isSjisLead(f[-1]) &&
                endSplitsCharacter(record + c.beforeOffset, c.beforeSize)) {
                return CellMark::SplitStart;
            }
            if (endSplitsCharacter(f, c.size)) return CellMark::SplitEnd;
            return CellMark::None;
    }
    return CellMark::None;
}

}  // namespace

RecordCells::RecordCells(const RecordDefTable& table)
    : table_(table), plan_(table), checks_(checksByField(table, plan_)) {
    layouts_.resize(table.entries.size());
    for (std::size_t k = 1; k < table.entries.size(); ++k) {
        if (checkVaryingTable(table, static_cast<int>(k))) {
            layouts_[k] = VaryingLayout(table[k], isEbcdic(table[0].codePage));
        }
    }
}

void RecordCells::fill(PreviewRow& row, const unsigned char* bytes, std::size_t reach) const {
    const RecordDef& record = table_[static_cast<std::size_t>(row.kind)];
    const auto& checks = checks_[static_cast<std::size_t>(row.kind)];
    row.cells.resize(record.Fields.size());
    for (std::size_t i = 0; i < record.Fields.size(); ++i) {
        const FieldDef& f = record.Fields[i];
        PreviewCell& cell = row.cells[i];
        cell.written = f.Check == -1;
        if (!fieldWithinRecord(f, record.Size)) {
            cell.mark = CellMark::Outside;
            continue;
        }
        const bool reached = static_cast<std::size_t>(f.Pos - 1 + f.Size) <= reach;
        if (row.present != VaryingLayout::kAll &&
            layouts_[static_cast<std::size_t>(row.kind)].absent(static_cast<std::size_t>(f.Pos - 1),
                                                                row.present)) {
            continue;  // an occurrence the record lacks: empty, not judged
        }
        if (!reached && (f.Type == kTypeZoned || f.Type == kTypePacked || f.Type == kTypeBinary)) {
            // As the conversion writes it: a number cut short is empty.
        } else if (auto host = hostCellText(f, bytes + f.Pos - 1, table_[0].codePage)) {
            cell.text = std::move(*host);
        } else {
            cell.text = forDisplay(convertedBytes(f, bytes + f.Pos - 1), decoder_);
        }
        // A field a shorter record does not reach wholly holds the filling: not judged.
        if (checks[i] != nullptr && checks[i]->offset + checks[i]->size <= reach) {
            cell.mark = markOf(*checks[i], bytes);
        }
    }
}

}  // namespace sorvek
