#pragma once
// The one place where text crosses between files (CP932 / Shift-JIS bytes) and memory (UTF-8).
// Every file the program reads or writes holds CP932; every string in memory holds UTF-8.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ports/status.h"

namespace sorvek {

// Whether the system can convert between CP932 and UTF-8 (iconv with its code tables). The
// programs check once at start-up and refuse to run without; the conversions below never fail,
// and without a converter they keep ASCII and replace every other character.
Status checkCodePages();

// Decodes CP932 bytes. Never fails: a byte sequence that is not CP932 becomes U+FFFD.
std::string cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text as CP932. A character that CP932 cannot hold becomes "?"; so does a
// malformed UTF-8 sequence.
std::string utf8ToCp932(std::string_view text);

// CP932 bytes decoded to UTF-8 by table lookups, for data written in bulk (fields of records):
// the same result as cp932ToUtf8 without a conversion call per piece. Immutable once built.
class Cp932Decoder {
  public:
    // Bytes `decode` writes at most per input byte (a one-byte katakana or an invalid byte
    // becomes three), plus one byte it may write beyond its result.
    static constexpr std::size_t kMaxGrowth = 3;
    static constexpr std::size_t kSlack = 1;

    // The decoder of the process, built from the system's converter at its first use.
    static const Cp932Decoder& get();

    // Writes the UTF-8 of the `n` bytes at `in` to `out` and returns the end of what it wrote.
    // ASCII bytes are copied. REQUIRES: room for kMaxGrowth × n + kSlack bytes at `out`.
    char* decode(const unsigned char* in, std::size_t n, char* out) const {
        const unsigned char* const end = in + n;
        while (in != end) {
            if (end - in >= 8) {
                std::uint64_t eight;
                std::memcpy(&eight, in, 8);
                if ((eight & 0x8080808080808080ull) == 0) {
                    std::memcpy(out, &eight, 8);
                    in += 8;
                    out += 8;
                    continue;
                }
            }
            const unsigned char c = *in;
            if (c < 0x80) {
                *out++ = static_cast<char>(c);
                ++in;
                continue;
            }
            Entry e = single_[c];
            ++in;
            if (e.length == 0) {
                // A lead byte: its pair, or U+FFFD for the lead byte alone when the pair is
                // none (the byte after it is then read on its own).
                const Entry* pair = in != end ? &pairs_[leadRow_[c]][*in] : nullptr;
                if (pair != nullptr && pair->length != 0) {
                    e = *pair;
                    ++in;
                } else {
                    e = kReplacement;
                }
            }
            std::memcpy(out, &e, sizeof e);
            out += e.length;
        }
        return out;
    }

  private:
    struct Entry {
        char bytes[3];
        std::uint8_t length;  // 0: a lead byte (single_) or no character (pairs_)
    };
    static constexpr Entry kReplacement{{'\xEF', '\xBF', '\xBD'}, 3};
    Cp932Decoder();

    std::array<Entry, 256> single_{};
    std::array<std::uint8_t, 256> leadRow_{};    // lead byte -> row of pairs_
    std::vector<std::array<Entry, 256>> pairs_;  // row 0: no pair at all
};

// Text as Unicode code points, for the places that count or cut text in characters.
std::u32string toCodePoints(std::string_view utf8);
std::string fromCodePoints(std::u32string_view codePoints);

// Number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// ASCII-only case mapping; the program upper-cases switches and line-ending names only.
std::string asciiUpper(std::string_view text);
std::string asciiLower(std::string_view text);

}  // namespace sorvek
