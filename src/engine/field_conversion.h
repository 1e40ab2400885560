#pragma once
// Field values of fixed-length records as CSV text: text ("X", and any other type) copied,
// zoned decimal ("9") copied with a decimal point put in, packed decimal ("P") unpacked to a
// sign and digits. Values are fixed-width: nothing is trimmed, quoted or escaped.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "definition/record_def.h"

namespace sorvek {

using Bytes = std::vector<unsigned char>;

// `length` bytes of `bytes` from the 0-based `start` on. Bytes beyond the end of `bytes` are
// not there: the result is then shorter (empty when `start` is past the end).
Bytes midBytes(const Bytes& bytes, std::size_t start, std::size_t length);

// Copies every byte of `source` into `target` from the 0-based `position` on, growing `target`
// when it is too short. Returns the source's upper bound (its size - 1, -1 when empty); the
// caller advances its own position.
std::ptrdiff_t putBytes(Bytes& target, std::size_t position, const Bytes& source);

// `left`, the CP932 bytes of `separator`, `right`.
Bytes joinBytes(const Bytes& left, const Bytes& right, const std::string& separator);

// Width in the line of a packed field of `size` bytes: a sign, 2 × size - 1 digits and, with
// decimal places, a point.
constexpr std::size_t packedWidth(std::size_t size, std::int32_t dec) {
    return 2 * size + (dec != 0 ? 1 : 0);
}

// Both digits of every packed byte, so that a byte is unpacked by one lookup.
struct PackedDigitPairs {
    char pairs[256][2];
    constexpr PackedDigitPairs() : pairs{} {
        for (int b = 0; b < 256; ++b) {
            pairs[b][0] = static_cast<char>((b >> 4) | 0x30);
            pairs[b][1] = static_cast<char>((b & 0x0F) | 0x30);
        }
    }
};
inline constexpr PackedDigitPairs kPackedDigitPairs;

// Writes the packed value of the `size` bytes at `field` to `out` (packedWidth bytes): "-"
// when the last byte's low nibble is D, a blank for any other sign; then the digits, each
// nibble OR 0x30 (so the invalid nibbles A to F come out as ":" to "?"); a "." before the last
// `dec` digits when `dec` is not 0. REQUIRES: size >= 1, 0 <= dec <= 2 × size - 1.
// Returns the end of what was written.
inline char* writePacked(const unsigned char* field, std::size_t size, std::int32_t dec,
                         char* out) {
    const auto& pairs = kPackedDigitPairs.pairs;
    const unsigned char last = field[size - 1];
    *out++ = (last & 0x0F) == 0x0D ? '-' : ' ';
    std::size_t j = 0;
    if (dec > 0) {
        // The point goes before digit `whole`; the digits are written around it, not moved.
        const std::size_t whole = 2 * size - 1 - static_cast<std::size_t>(dec);
        for (; j < whole / 2; ++j, out += 2) std::memcpy(out, pairs[field[j]], 2);
        if (whole % 2 != 0) {
            // The point falls between the two digits of byte j (never the last byte).
            out[0] = pairs[field[j]][0];
            out[1] = '.';
            out[2] = pairs[field[j]][1];
            out += 3;
            ++j;
        } else {
            *out++ = '.';
        }
    }
    for (; j + 1 < size; ++j, out += 2) std::memcpy(out, pairs[field[j]], 2);
    *out++ = static_cast<char>((last >> 4) | 0x30);
    return out;
}

// The packed value of the `size` bytes of `bytes` from the 0-based `start` on, as text bytes
// (see writePacked). Empty when the field does not lie within `bytes`, `size` is 0 or `dec` is
// outside 0 .. 2 × size - 1.
Bytes unpackDecimal(const Bytes& bytes, std::size_t start, std::size_t size, std::int32_t dec);

// The output line of record definition `k`, without its line break: the marked fields
// (`Check` -1) of its top-level ancestor first, then of each generation below it, its own last,
// each converted by its type from the definition's `Data`; the CP932 bytes of entry 0's
// `Delimiter` between every two fields and nowhere else. A definition that cannot give its
// fields (a marked field outside its `Data`, a `Data` not yet filled, a `Dec` out of range)
// ends the line there: an ancestor's failure leaves it and the generations above it out; a
// failure of `k` itself gives an empty line. REQUIRES: 1 <= k <= table.maxIndex().
Bytes buildCsvLine(const RecordDefTable& table, int k);

}  // namespace sorvek
