#include "platform/code_page_tables.h"

#include <algorithm>

namespace sorvek::code_tables {
namespace {

std::uint32_t decodeCode(std::span<const DecodeRun> runs, std::uint16_t code) {
    // The last run that starts at or before `code`.
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), code,
                         [](std::uint16_t c, const DecodeRun& r) { return c < r.code; });
    if (after == runs.begin()) return kNoCharacter;
    const DecodeRun& run = after[-1];
    const unsigned offset = static_cast<unsigned>(code - run.code);
    return offset < run.count ? run.codePoint + offset : kNoCharacter;
}

}  // namespace

std::uint32_t decodeSingle(const PageTables& tables, unsigned char b) {
    return decodeCode(tables.singles, b);
}

std::uint32_t decodePair(const PageTables& tables, unsigned char first, unsigned char second) {
    return decodeCode(tables.pairs, static_cast<std::uint16_t>(first << 8 | second));
}

Encoded encode(const PageTables& tables, std::uint32_t codePoint) {
    const auto& runs = tables.encodings;
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), codePoint,
                         [](std::uint32_t cp, const EncodeRun& r) { return cp < r.codePoint; });
    if (after == runs.begin()) return {};
    const EncodeRun& run = after[-1];
    const std::uint32_t offset = codePoint - run.codePoint;
    if (offset >= run.count) return {};
    if (run.length == 0) return {true, 0, 0};
    return {true, run.length, static_cast<std::uint16_t>(run.code + offset)};
}

std::string utf8Of(std::uint32_t cp) {
    std::string s;
    if (cp == kNoCharacter) return s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | cp >> 6);
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | cp >> 12);
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | cp >> 18);
        s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

std::string cp932Of(std::uint32_t codePoint) {
    const Encoded e = encode(pageTables(InputCodePage::Cp932), codePoint);
    if (!e.found || e.length == 0) return {};
    if (e.length == 1) return std::string(1, static_cast<char>(e.code));
    return {static_cast<char>(e.code >> 8), static_cast<char>(e.code & 0xFF)};
}

}  // namespace sorvek::code_tables
