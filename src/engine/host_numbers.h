#pragma once
// Numeric fields as host programs write them, turned into exact decimal text: binary integers
// (COBOL COMP, COMP-4, BINARY and COMP-5), zoned fields whose layout declares where the sign
// is, or whose file is EBCDIC, and any numeric field scaled by P positions. No floating point:
// the digits are moved as text, so 37 digits come out as exactly as 3.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "model/host_data.h"

namespace sorvek {

// Widest text of a value of `digits` digits with `dec` decimal places and `scale` (see
// writeDecimal): a sign, the digits, a point, a leading "0" and the zeros of the scale.
constexpr std::size_t decimalWidth(std::size_t digits, std::int32_t dec, std::int32_t scale) {
    const std::size_t shift = static_cast<std::size_t>(scale < 0 ? -scale : scale);
    return digits + static_cast<std::size_t>(dec < 0 ? -dec : dec) + shift + 3;
}

// Writes the value of the `n` decimal digits at `digits` ("0"-"9"), divided by 10 to the power
// `dec` and multiplied by 10 to the power `scale`, to `out` and returns the end: "-" first when
// `negative`, the digits as they are (leading zeros kept), a "." before the decimal places and
// "0" before a point that would come first; a positive effective scale appends zeros, a
// negative one puts zeros after the point. REQUIRES: room for decimalWidth(n, dec, scale).
char* writeDecimal(bool negative, const char* digits, std::size_t n, std::int32_t dec,
                   std::int32_t scale, char* out);

// Digits of a binary field of `size` bytes (2, 4 or 8).
constexpr std::size_t binaryDigits(std::size_t size) {
    return size <= 2 ? 5 : size <= 4 ? 10 : 20;
}

// Writes the value of the binary field of `size` bytes at `field` as decimal text, without
// leading zeros (see writeDecimal for the point and the scale). `isSigned`: two's complement;
// `bigEndian`: the first byte is the most significant. REQUIRES: size is 2, 4 or 8; room for
// decimalWidth(binaryDigits(size), dec, scale).
char* writeBinary(const unsigned char* field, std::size_t size, bool isSigned, bool bigEndian,
                  std::int32_t dec, std::int32_t scale, char* out);

// The digits and sign of a zoned field. `ebcdic`: digits are F0-F9 (else "0"-"9"); the byte
// that carries the sign has the zone C, F, A or E (positive) or D or B (negative), or, in a
// Shift-JIS file, any of the forms of zoneSign; a separate sign is "+" or "-" of the page.
// `digits` receives the digits (REQUIRES: room for `size` bytes). Returns how many were
// written, or -1 when a byte is none of these, so that the caller can show the field as text.
std::ptrdiff_t zonedDigits(const unsigned char* field, std::size_t size, SignPosition sign,
                           bool ebcdic, char* digits, bool& negative);

// 1 for the bytes F0-F9; for the last byte, the sign too: 2 positive, 3 negative.
struct EbcdicDigitTable {
    unsigned char digit[256] = {};
    unsigned char last[256] = {};
    constexpr EbcdicDigitTable() {
        for (int d = 0; d <= 9; ++d) {
            digit[0xF0 | d] = 1;
            for (int zone : {0xA, 0xC, 0xE, 0xF}) last[zone << 4 | d] = 2;
            for (int zone : {0xB, 0xD}) last[zone << 4 | d] = 3;
        }
    }
};
inline constexpr EbcdicDigitTable kEbcdicDigits;

// The common case of an EBCDIC file, on a path of its own: a zoned field with the sign in the
// last byte's zone, written as writeDecimal would write it, straight to `out`. Returns nullptr
// (having written anything up to the field's width) when a byte is no digit, or when the point
// would fall outside the digits (the caller then takes the general path).
// REQUIRES: size >= 1, room for decimalWidth(size, dec, scale) bytes.
namespace detail {

// Bytes that are not F0-F9 among the bytes of `v`, as non-zero bits; `ones`: 0x01 in each byte.
template <class Word>
constexpr Word notEbcdicDigits(Word v, Word ones) {
    const Word zones = v & (ones * 0xF0);
    const Word low = v & (ones * 0x0F);
    // A low half above 9 carries into the zone's bits when 6 is added; no byte carries into
    // the next.
    return (zones ^ (ones * 0xF0)) | ((low + ones * 6) & (ones * 0xF0));
}

template <class Word>
inline Word copyEbcdicDigitWord(const unsigned char* in, char* out) {
    constexpr Word kOnes = static_cast<Word>(~Word{0}) / 0xFF;
    Word v;
    std::memcpy(&v, in, sizeof v);
    const Word ascii = (v & (kOnes * 0x0F)) | (kOnes * 0x30);
    std::memcpy(out, &ascii, sizeof ascii);
    return notEbcdicDigits(v, kOnes);
}

}  // namespace detail

// Writes the `n` EBCDIC digits at `in` (F0-F9) as ASCII digits to `out`, a word at a time
// (the last word overlapping the one before it), and returns false when a byte is no such
// digit (having written `n` bytes all the same). Reads and writes only those `n` bytes.
inline bool copyEbcdicDigits(const unsigned char* in, std::size_t n, char* out) {
    if (n >= 8) {
        std::uint64_t bad = 0;
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8)
            bad |= detail::copyEbcdicDigitWord<std::uint64_t>(in + i, out + i);
        if (i < n) bad |= detail::copyEbcdicDigitWord<std::uint64_t>(in + n - 8, out + n - 8);
        return bad == 0;
    }
    if (n >= 4) {
        const std::uint32_t bad =
            detail::copyEbcdicDigitWord<std::uint32_t>(in, out) |
            detail::copyEbcdicDigitWord<std::uint32_t>(in + n - 4, out + n - 4);
        return bad == 0;
    }
    unsigned char valid = 1;
    for (std::size_t i = 0; i < n; ++i) {
        valid &= kEbcdicDigits.digit[in[i]];
        out[i] = static_cast<char>('0' + (in[i] & 0x0F));
    }
    return valid != 0;
}

inline char* writeEbcdicZonedTrailing(const unsigned char* field, std::size_t size,
                                      std::int32_t dec, std::int32_t scale, char* out) {
    const std::int64_t places = static_cast<std::int64_t>(dec) - scale;
    if (places < 0 || places >= static_cast<std::int64_t>(size)) return nullptr;
    const unsigned char sign = kEbcdicDigits.last[field[size - 1]];
    if (sign == 0) return nullptr;
    if (sign == 3) *out++ = '-';
    const std::size_t whole = size - static_cast<std::size_t>(places);
    // The digits but the last (which carries the sign) in one go; then the decimal places among
    // them move one on for the point.
    const std::size_t digits = size - 1;
    if (!copyEbcdicDigits(field, digits, out)) return nullptr;
    const std::size_t point = places != 0 ? 1 : 0;
    if (point != 0) {
        for (std::size_t i = digits; i > whole; --i) out[i] = out[i - 1];
        out[whole] = '.';
    }
    out[digits + point] = static_cast<char>('0' + (field[digits] & 0x0F));
    return out + size + point;
}

// Where the sign is when the layout declares none: the last byte's zone on an EBCDIC page.
inline SignPosition effectiveSign(SignPosition declared) {
    return declared == SignPosition::Undeclared ? SignPosition::Trailing : declared;
}

}  // namespace sorvek
