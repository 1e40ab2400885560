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

// Whether the code pages can be converted. The tables are part of the program, so this always
// succeeds; the programs still ask once at start-up. The conversions below never fail.
Status checkCodePages();

// Decodes CP932 bytes. Never fails: a byte sequence that is not CP932 becomes U+FFFD.
std::string cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text as CP932. A character that CP932 cannot hold becomes "?"; so does a
// malformed UTF-8 sequence.
std::string utf8ToCp932(std::string_view text);

// How a text file that ought to hold CP932 is written. Editors today mostly write UTF-8.
enum class TextEncoding { Cp932, Utf8 };

// UTF-8 when `bytes` start with the UTF-8 byte-order mark, or are well-formed UTF-8 holding at
// least one multi-byte character and are not valid CP932; CP932 otherwise (ASCII included).
TextEncoding detectTextEncoding(std::string_view bytes);

// Decodes `bytes` written in `encoding`. For UTF-8 a byte-order mark is dropped and a malformed
// sequence becomes U+FFFD; CP932 as cp932ToUtf8.
std::string decodeText(std::string_view bytes, TextEncoding encoding);
// CP932 bytes decoded to UTF-8 by table lookups, for data written in bulk (fields of records):
// the same result as cp932ToUtf8 without a conversion call per piece. Immutable once built.
class Cp932Decoder {
  public:
    // Bytes `decode` writes at most per input byte (a one-byte katakana or an invalid byte
    // becomes three), plus the bytes it may write beyond its result.
    static constexpr std::size_t kMaxGrowth = 3;
    static constexpr std::size_t kSlack = 8;

    // The decoder of the process, built from the generated tables at its first use.
    static const Cp932Decoder& get();

    // Writes the UTF-8 of the `n` bytes at `in` to `out` and returns the end of what it wrote.
    // REQUIRES: room for kMaxGrowth × n + kSlack bytes at `out`.
    char* decode(const unsigned char* in, std::size_t n, char* out) const;
    // The UTF-8 of `bytes`, as cp932ToUtf8 gives it, for many short texts in a row (the values
    // of a preview) where a conversion call per text would cost more than the decoding.
    std::string decode(std::string_view bytes) const;

    // Whether `byte` is always a character of its own: ASCII, decoded as itself and never the
    // second byte of a pair, while no byte beyond ASCII decodes to ASCII and the blanks are
    // 20 and 81 40 only. Text cut just before and after such bytes decodes piece by piece as
    // it decodes whole, so it may be quoted and trimmed in CP932 and decoded afterwards. False
    // for every byte where the table is not like that.
    bool standsAlone(unsigned char byte) const {
        return byte < 0x80 && (standAlone_[byte / 64] >> (byte % 64) & 1) != 0;
    }

    // How many of the `n` bytes at `in` are left when the blanks (U+0020, U+3000) at the end of
    // their text are cut, the characters read as `decode` reads them. REQUIRES: standsAlone(' ').
    std::size_t withoutTrailingBlanks(const unsigned char* in, std::size_t n) const;

  private:
    // The UTF-8 bytes of the character at a pair of bytes (one to three), how many it has and
    // how many input bytes it took: bytes 0-2 UTF-8, byte 3 the output length plus 4 × the
    // input length.
    using Entry = std::uint32_t;
    static constexpr Entry kSpace = 0x20u | 1u << 24 | 1u << 26;
    static constexpr Entry kFullWidthBlank = 0x8080E3u | 3u << 24 | 2u << 26;  // 81 40
    Cp932Decoder();
    void findBytesThatStandAlone();

    std::vector<Entry> entries_;  // by first byte × 256 + next byte
    // Only bytes of the lead range 81-9F, E0-FC take the byte after them.
    bool leadsInRange_ = false;
    // Decodes 16 bytes a step where the processor can (platform/cp932_decode_wide.h).
    bool wide_ = false;
    std::uint64_t standAlone_[2] = {0, 0};  // by ASCII byte
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
