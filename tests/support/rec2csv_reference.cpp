#include "support/rec2csv_reference.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/codepage.h"

namespace sorvek::testing {
namespace {

bool fieldFits(const FieldDef& f, std::size_t dataSize) {
    return f.Pos >= 1 && f.Size >= 1 &&
           static_cast<std::size_t>(f.Pos - 1) + static_cast<std::size_t>(f.Size) <= dataSize;
}

bool packedValid(const Bytes& data, std::size_t start, std::size_t size) {
    for (std::size_t i = start; i < start + size; ++i) {
        const int high = data[i] >> 4, low = data[i] & 0x0F;
        if (high > 9) return false;
        if (i + 1 < start + size ? low > 9 : low < 10) return false;
    }
    return true;
}

// The digit and sign a zoned byte stands for, spelled out case by case.
std::optional<std::pair<unsigned char, bool>> zonedSignOf(unsigned char b) {
    if (b >= '0' && b <= '9') return std::pair{b, false};
    if (b == '{') return std::pair{static_cast<unsigned char>('0'), false};
    if (b == '}') return std::pair{static_cast<unsigned char>('0'), true};
    if (b >= 'A' && b <= 'I') return std::pair{static_cast<unsigned char>('1' + b - 'A'), false};
    if (b >= 'J' && b <= 'R') return std::pair{static_cast<unsigned char>('1' + b - 'J'), true};
    if (b >= 'p' && b <= 'y') return std::pair{static_cast<unsigned char>('0' + b - 'p'), true};
    const int zone = b >> 4, digit = b & 0x0F;
    if (digit <= 9 && (zone == 0xA || zone == 0xC || zone == 0xE || zone == 0xF)) {
        return std::pair{static_cast<unsigned char>('0' + digit), false};
    }
    if (digit <= 9 && (zone == 0xB || zone == 0xD)) {
        return std::pair{static_cast<unsigned char>('0' + digit), true};
    }
    return std::nullopt;
}

// The characters of CP932 bytes: a lead byte with the byte after it when that can end a
// double-byte character (0x40 or above), or one byte.
std::vector<Bytes> cp932Characters(const Bytes& bytes) {
    std::vector<Bytes> chars;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = bytes[i];
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        const std::size_t n = lead && i + 1 < bytes.size() && bytes[i + 1] >= 0x40 ? 2 : 1;
        chars.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                           bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
        i += n;
    }
    return chars;
}

Bytes trimmedCp932(const Bytes& bytes) {
    std::vector<Bytes> chars = cp932Characters(bytes);
    while (!chars.empty() && (chars.back() == Bytes{' '} || chars.back() == Bytes{0x81, 0x40})) {
        chars.pop_back();
    }
    Bytes out;
    for (const Bytes& c : chars) out.insert(out.end(), c.begin(), c.end());
    return out;
}

std::string trimmedUtf8(const std::string& text) {
    std::u32string points = toCodePoints(text);
    while (!points.empty() && (points.back() == U' ' || points.back() == U'\u3000')) {
        points.pop_back();
    }
    return fromCodePoints(points);
}

std::optional<Bytes> convertField(const FieldDef& f, const Bytes& data,
                                  const CsvOutputOptions& options) {
    if (!fieldFits(f, data.size())) return std::nullopt;
    const std::size_t start = static_cast<std::size_t>(f.Pos - 1);
    const std::size_t size = static_cast<std::size_t>(f.Size);
    const bool utf8 = options.encoding != CsvEncoding::Cp932;
    if (f.Type == "P") {
        if (f.Dec < 0 || f.Dec > 2 * f.Size - 1) return std::nullopt;
        if (options.invalidPacked == InvalidPacked::Empty && !packedValid(data, start, size)) {
            return Bytes{};
        }
        return unpackDecimal(data, start, size, f.Dec);
    }
    Bytes value;
    if (f.Type == "9") {
        if (f.Dec < 0 || f.Dec > f.Size) return std::nullopt;
        Bytes digits = midBytes(data, start, size);
        bool negative = false;
        if (options.zonedSign != ZonedSign::Off) {
            const bool leading = options.zonedSign == ZonedSign::Leading || f.leadingSign;
            unsigned char& carrier = leading ? digits.front() : digits.back();
            if (auto sign = zonedSignOf(carrier)) {
                carrier = sign->first;
                negative = sign->second;
            }
        }
        if (negative) value.push_back('-');
        const std::size_t whole = size - static_cast<std::size_t>(f.Dec);
        for (std::size_t i = 0; i < size; ++i) {
            if (f.Dec != 0 && i == whole) value.push_back('.');
            value.push_back(digits[i]);
        }
        if (utf8) {
            const std::string text = cp932ToUtf8(std::string(value.begin(), value.end()));
            value.assign(text.begin(), text.end());
        }
        return value;
    }
    value = midBytes(data, start, size);
    if (utf8) {
        std::string text = cp932ToUtf8(std::string(value.begin(), value.end()));
        if (options.trimBlanks) text = trimmedUtf8(text);
        return Bytes(text.begin(), text.end());
    }
    return options.trimBlanks ? trimmedCp932(value) : value;
}

Bytes quoted(const Bytes& value, const Bytes& delimiter, CsvQuoting quoting) {
    if (quoting == CsvQuoting::None) return value;
    bool needed = quoting == CsvQuoting::All;
    for (unsigned char c : value) needed = needed || c == '"' || c == '\r' || c == '\n';
    if (!delimiter.empty() && std::search(value.begin(), value.end(), delimiter.begin(),
                                          delimiter.end()) != value.end()) {
        needed = true;
    }
    if (!needed) return value;
    Bytes out{'"'};
    for (unsigned char c : value) {
        out.push_back(c);
        if (c == '"') out.push_back('"');
    }
    out.push_back('"');
    return out;
}

std::optional<Bytes> ownPart(const RecordDef& record, const Bytes& delimiter,
                             const CsvOutputOptions& options) {
    Bytes part;
    bool first = true;
    for (const FieldDef& f : record.Fields) {
        if (f.Check != -1) continue;
        std::optional<Bytes> value = convertField(f, record.Data, options);
        if (!value) return std::nullopt;
        if (!first) part.insert(part.end(), delimiter.begin(), delimiter.end());
        const Bytes q = quoted(*value, delimiter, options.quoting);
        part.insert(part.end(), q.begin(), q.end());
        first = false;
    }
    return part;
}

// The delimiter's bytes in the output's encoding.
Bytes delimiterBytes(const RecordDefTable& table) {
    const std::string& text = table[0].Delimiter;
    const std::string bytes =
        table.output.encoding == CsvEncoding::Cp932 ? utf8ToCp932(text) : text;
    return Bytes(bytes.begin(), bytes.end());
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
    const Bytes delimiter = delimiterBytes(table);
    const CsvOutputOptions& options = table.output;

    // The walk is bounded by the table's size, so a loop of parents cannot keep it going. A
    // generation is kept when it has marked fields, even if all of them came out empty.
    std::vector<Bytes> parts;
    int r = k;
    for (int steps = 0; r >= 1 && r <= table.maxIndex() && steps <= table.maxIndex(); ++steps) {
        const RecordDef& record = table[static_cast<std::size_t>(r)];
        std::optional<Bytes> part = ownPart(record, delimiter, options);
        if (!part) {
            if (steps == 0) return {};
            break;
        }
        const bool marked = std::any_of(record.Fields.begin(), record.Fields.end(),
                                        [](const FieldDef& f) { return f.Check == -1; });
        if (marked) parts.push_back(std::move(*part));
        r = record.Parent;
    }

    Bytes line;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        if (it != parts.rbegin()) line.insert(line.end(), delimiter.begin(), delimiter.end());
        line.insert(line.end(), it->begin(), it->end());
    }
    return line;
}

std::string referenceConversion(const std::string& in, RecordDefTable table,
                                const std::vector<int>& kinds, bool* stopped) {
    for (RecordDef& r : table.entries) r.Data.clear();
    const CsvOutputOptions& options = table.output;
    const std::string lineEnd = options.lineEnd == CsvLineEnd::Lf ? "\n" : "\r\n";
    std::string out = options.encoding == CsvEncoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
    if (stopped != nullptr) *stopped = false;
    std::size_t p = 0;
    for (int k : kinds) {
        RecordDef& r = table[static_cast<std::size_t>(k)];
        const std::size_t size = static_cast<std::size_t>(r.Size);
        const Bytes record(in.begin() + static_cast<std::ptrdiff_t>(p),
                           in.begin() + static_cast<std::ptrdiff_t>(p + size));
        if (options.invalidPacked == InvalidPacked::Fail) {
            for (const FieldDef& f : r.Fields) {
                if (f.Check == -1 && f.Type == "P" &&
                    !packedValid(record, static_cast<std::size_t>(f.Pos - 1),
                                 static_cast<std::size_t>(f.Size))) {
                    if (stopped != nullptr) *stopped = true;
                    return out;
                }
            }
        }
        r.Data = record;
        p += size;
        if (p < in.size() && in[p] == '\r') ++p;
        if (p < in.size() && in[p] == '\n') ++p;
        if (r.Child == 0) {
            const Bytes line = buildCsvLine(table, k);
            out.append(line.begin(), line.end());
            out += lineEnd;
        }
    }
    return out;
}

}  // namespace sorvek::testing
