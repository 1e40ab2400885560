#include "engine/xlsx_cells.h"

#include <algorithm>
#include <cstdlib>

namespace sorvek {
namespace {

constexpr std::size_t kMaxSheetName = 31;  // characters

// The digits a number field holds, from its type and size.
int fieldDigits(const FieldDef& f) {
    if (f.Type == "P") return f.Size * 2 - 1;
    if (f.Type == "9") return f.Size;
    // Binary: the digits of its largest value (2 bytes 5, 4 bytes 10, 8 bytes 19).
    switch (f.Size) {
        case 1:
            return 3;
        case 2:
            return 5;
        case 4:
            return 10;
        default:
            return 19;
    }
}

XlsxColumn columnOf(const FieldDef& f) {
    XlsxColumn column;
    column.name = f.Name;
    column.number = f.Type == "9" || f.Type == "P" || f.Type == "BIN";
    double chars = f.Size;
    if (column.number) {
        // A scale moves the point: the text then has no fixed width of digits to keep.
        const int dec = std::max(f.Dec - f.scale, 0);
        const int whole = f.scale == 0 ? std::max(fieldDigits(f) - f.Dec, 1) : 1;
        const bool leadingZeros = f.Type != "BIN" && f.scale == 0;
        column.numberFormat = std::string(static_cast<std::size_t>(leadingZeros ? whole : 1), '0');
        if (dec > 0) column.numberFormat += "." + std::string(static_cast<std::size_t>(dec), '0');
        chars = static_cast<double>(fieldDigits(f) + 2);  // a sign and a point
    }
    column.width = std::clamp(chars + 1, 4.0, 100.0);
    return column;
}

// Bytes of the first `chars` characters of UTF-8 `text`.
std::size_t utf8Prefix(std::string_view text, std::size_t chars) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size(); ++n) {
        if (n == chars) break;
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

std::size_t utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::vector<XlsxColumn> xlsxColumns(const RecordDefTable& table, int leaf) {
    std::vector<int> chain;
    for (int r = leaf; r != 0; r = table[static_cast<std::size_t>(r)].Parent) chain.push_back(r);
    std::vector<XlsxColumn> columns;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const FieldDef& f : table[static_cast<std::size_t>(*it)].Fields) {
            if (f.Check == -1) columns.push_back(columnOf(f));
        }
    }
    return columns;
}

std::optional<double> xlsxNumber(std::string_view text) {
    // A packed field writes a blank where a negative one has its "-".
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return std::nullopt;
    text.remove_prefix(i);
    i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    int digits = 0, significant = 0, points = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            if (++points > 1) return std::nullopt;
        } else if (c >= '0' && c <= '9') {
            ++digits;
            if (significant > 0 || c != '0') ++significant;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || significant > 15) return std::nullopt;
    // Up to 15 significant digits convert to the nearest double and back unchanged.
    const std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

bool XlsxSheetNames::taken(const std::string& name) const {
    std::string key = name;
    for (char& c : key) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return used_.contains(key);
}

std::string XlsxSheetNames::take(std::string_view wanted) {
    std::string base;
    for (char c : wanted) {
        const bool refused = std::string_view(":\\/?*[]").find(c) != std::string_view::npos ||
                             static_cast<unsigned char>(c) < 0x20;
        base += refused ? '_' : c;
    }
    if (base.empty()) base = "Sheet";
    if (base.front() == '\'') base.front() = '_';
    base.resize(utf8Prefix(base, kMaxSheetName));
    if (base.back() == '\'') base.back() = '_';
    std::string name = base;
    for (int n = 2; taken(name); ++n) name = continuation(base, n);
    std::string key = name;
    for (char& c : key) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    used_.insert(key);
    return name;
}

std::string XlsxSheetNames::continuation(const std::string& base, int n) {
    const std::string suffix = " (" + std::to_string(n) + ")";
    const std::size_t room = kMaxSheetName - utf8Length(suffix);
    std::string name = base.substr(0, utf8Prefix(base, room));
    while (!name.empty() && name.back() == '\'') name.pop_back();
    return name + suffix;
}

}  // namespace sorvek
