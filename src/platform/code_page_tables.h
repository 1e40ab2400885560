#pragma once
// The tables of the code pages, generated at build time from the build machine's converter
// (tools/generate_code_page_tables.cpp): what every byte and pair of bytes decodes to, and the
// bytes of every code point each page writes. The decoders and encoders build on them alone, so
// that the programs need no converter of the system.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/input_code_page.h"

namespace sorvek::code_tables {

inline constexpr std::uint32_t kNoCharacter = 0xFFFFFFFFu;

// `count` consecutive byte codes from `code` (one byte, or a pair with its first byte high) that
// decode to as many consecutive code points from `codePoint`.
struct DecodeRun {
    std::uint16_t code;
    std::uint16_t count;
    std::uint32_t codePoint;
};
// `count` consecutive code points from `codePoint` that encode to as many consecutive byte codes
// from `code`, all of `length` bytes: 1, 2 for a pair, or 0 for characters the page takes but
// writes nothing for (the tag characters U+E0000-E007F).
struct EncodeRun {
    std::uint32_t codePoint;
    std::uint16_t count;
    std::uint16_t code;
    std::uint8_t length;
};

// Each sorted by its first member.
struct PageTables {
    // What a byte alone decodes to (on the EBCDIC pages outside double-byte text).
    std::span<const DecodeRun> singles;
    // CP932: every lead byte (a byte that decodes to nothing alone) with the byte after it. The
    // EBCDIC pages with double-byte text: every pair with both bytes in 40-FE between shift bytes.
    std::span<const DecodeRun> pairs;
    // The bytes the page writes for a code point, one-way forms (that decode to another
    // character) included; on the EBCDIC pages a pair stands between shift bytes.
    std::span<const EncodeRun> encodings;
};

// The tables of `page` (in the generated source).
const PageTables& pageTables(InputCodePage page);

// The code point of the byte `b` alone, or kNoCharacter.
std::uint32_t decodeSingle(const PageTables& tables, unsigned char b);
// The code point of the pair `first` `second`, or kNoCharacter.
std::uint32_t decodePair(const PageTables& tables, unsigned char first, unsigned char second);

// The bytes of a code point, when `found`: `length` bytes of `code`, one byte or a pair with its
// first byte high, or none.
struct Encoded {
    bool found = false;
    std::uint8_t length = 0;
    std::uint16_t code = 0;
};
Encoded encode(const PageTables& tables, std::uint32_t codePoint);

// The UTF-8 bytes of `codePoint`, or "" for kNoCharacter.
std::string utf8Of(std::uint32_t codePoint);
// The CP932 bytes of `codePoint`, or "" when CP932 has none.
std::string cp932Of(std::uint32_t codePoint);

}  // namespace sorvek::code_tables
