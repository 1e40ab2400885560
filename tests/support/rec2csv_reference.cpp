#include "support/rec2csv_reference.h"

#include <algorithm>
#include <optional>

#include "platform/codepage.h"

namespace sorvek::testing {
namespace {

bool fieldFits(const FieldDef& f, std::size_t dataSize) {
    return f.Pos >= 1 && f.Size >= 1 &&
           static_cast<std::size_t>(f.Pos - 1) + static_cast<std::size_t>(f.Size) <= dataSize;
}

std::optional<Bytes> convertField(const FieldDef& f, const Bytes& data) {
    if (!fieldFits(f, data.size())) return std::nullopt;
    const std::size_t start = static_cast<std::size_t>(f.Pos - 1);
    const std::size_t size = static_cast<std::size_t>(f.Size);
    if (f.Type == "P") {
        if (f.Dec < 0 || f.Dec > 2 * f.Size - 1) return std::nullopt;
        return unpackDecimal(data, start, size, f.Dec);
    }
    if (f.Type == "9" && f.Dec != 0) {
        if (f.Dec < 0 || f.Dec > f.Size) return std::nullopt;
        const std::size_t whole = size - static_cast<std::size_t>(f.Dec);
        Bytes out = midBytes(data, start, whole);
        out.push_back('.');
        Bytes decimals = midBytes(data, start + whole, static_cast<std::size_t>(f.Dec));
        out.insert(out.end(), decimals.begin(), decimals.end());
        return out;
    }
    return midBytes(data, start, size);
}

std::optional<Bytes> ownPart(const RecordDef& record, const Bytes& delimiter) {
    Bytes part;
    for (const FieldDef& f : record.Fields) {
        if (f.Check != -1) continue;
        std::optional<Bytes> value = convertField(f, record.Data);
        if (!value) return std::nullopt;
        if (!part.empty()) part.insert(part.end(), delimiter.begin(), delimiter.end());
        part.insert(part.end(), value->begin(), value->end());
    }
    return part;
}

}  // namespace

Bytes midBytes(const Bytes& bytes, std::size_t start, std::size_t length) {
    if (start >= bytes.size()) return {};
    const std::size_t n = std::min(length, bytes.size() - start);
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                 bytes.begin() + static_cast<std::ptrdiff_t>(start + n));
}

std::ptrdiff_t putBytes(Bytes& target, std::size_t position, const Bytes& source) {
    if (target.size() < position + source.size()) target.resize(position + source.size());
    std::copy(source.begin(), source.end(), target.begin() + static_cast<std::ptrdiff_t>(position));
    return static_cast<std::ptrdiff_t>(source.size()) - 1;
}

Bytes joinBytes(const Bytes& left, const Bytes& right, const std::string& separator) {
    const std::string sep = utf8ToCp932(separator);
    Bytes out(left);
    out.insert(out.end(), sep.begin(), sep.end());
    out.insert(out.end(), right.begin(), right.end());
    return out;
}

Bytes unpackDecimal(const Bytes& bytes, std::size_t start, std::size_t size, std::int32_t dec) {
    if (size == 0 || start > bytes.size() || size > bytes.size() - start) return {};
    if (dec < 0 || static_cast<std::size_t>(dec) > 2 * size - 1) return {};
    std::vector<unsigned char> nibbles;
    for (std::size_t i = start; i < start + size; ++i) {
        nibbles.push_back(bytes[i] >> 4);
        nibbles.push_back(bytes[i] & 0x0F);
    }
    const unsigned char sign = nibbles.back();
    nibbles.pop_back();
    Bytes out;
    out.push_back(sign == 0x0D ? '-' : ' ');
    const std::size_t whole = nibbles.size() - static_cast<std::size_t>(dec);
    for (std::size_t i = 0; i < nibbles.size(); ++i) {
        if (dec != 0 && i == whole) out.push_back('.');
        out.push_back(static_cast<unsigned char>(nibbles[i] | 0x30));
    }
    return out;
}

Bytes buildCsvLine(const RecordDefTable& table, int k) {
    const std::string& delimiterText = table[0].Delimiter;
    const std::string delimiterCp932 = utf8ToCp932(delimiterText);
    const Bytes delimiter(delimiterCp932.begin(), delimiterCp932.end());

    // The walk is bounded by the table's size, so a loop of parents cannot keep it going.
    std::vector<Bytes> parts;
    int r = k;
    for (int steps = 0; r >= 1 && r <= table.maxIndex() && steps <= table.maxIndex(); ++steps) {
        std::optional<Bytes> part = ownPart(table[static_cast<std::size_t>(r)], delimiter);
        if (!part) {
            if (steps == 0) return {};
            break;
        }
        if (!part->empty()) parts.push_back(std::move(*part));
        r = table[static_cast<std::size_t>(r)].Parent;
    }

    Bytes line;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        line = line.empty() ? std::move(*it) : joinBytes(line, *it, delimiterText);
    }
    return line;
}

std::string referenceConversion(const std::string& in, RecordDefTable table,
                                const std::vector<int>& kinds) {
    for (RecordDef& r : table.entries) r.Data.clear();
    std::string out;
    std::size_t p = 0;
    for (int k : kinds) {
        RecordDef& r = table[static_cast<std::size_t>(k)];
        const std::size_t size = static_cast<std::size_t>(r.Size);
        r.Data.assign(in.begin() + static_cast<std::ptrdiff_t>(p),
                      in.begin() + static_cast<std::ptrdiff_t>(p + size));
        p += size;
        if (p < in.size() && in[p] == '\r') ++p;
        if (p < in.size() && in[p] == '\n') ++p;
        if (r.Child == 0) {
            const Bytes line = buildCsvLine(table, k);
            out.append(line.begin(), line.end());
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace sorvek::testing
