#pragma once
// Packed decimal ("P") fields unpacked to a sign and digits, as fixed-width text.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sorvek {

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

}  // namespace sorvek
