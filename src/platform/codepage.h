#pragma once
// The one place where text crosses between files (CP932 / Shift-JIS bytes) and memory (UTF-8).
// Every file the program reads or writes holds CP932; every string in memory holds UTF-8.
#include <string>
#include <string_view>

#include "ports/status.h"

namespace sorvek {

// Whether the system can convert between CP932 and UTF-8 (iconv with its code tables). The
// programs check once at start-up and refuse to run without; the conversions below never fail,
// and without a converter they keep ASCII and replace every other character.
Status checkCodePages();

// Decodes CP932 bytes. Never fails: a byte sequence that is not CP932 becomes U+FFFD.
std::string cp932ToUtf8(std::string_view bytes);

// Decodes many short CP932 texts in a row (the values of a preview) with one converter, where
// opening a converter per text would cost more than the decoding. Same results as cp932ToUtf8.
// Not thread-safe: one decoder per thread.
class Cp932Decoder {
  public:
    Cp932Decoder();
    ~Cp932Decoder();
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;
    std::string decode(std::string_view bytes);

  private:
    void* descriptor_;  // the iconv descriptor, or (void*)-1 without a converter
};

// Encodes UTF-8 text as CP932. A character that CP932 cannot hold becomes "?"; so does a
// malformed UTF-8 sequence.
std::string utf8ToCp932(std::string_view text);

// Text as Unicode code points, for the places that count or cut text in characters.
std::u32string toCodePoints(std::string_view utf8);
std::string fromCodePoints(std::u32string_view codePoints);

// Number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// ASCII-only case mapping; the program upper-cases switches and line-ending names only.
std::string asciiUpper(std::string_view text);
std::string asciiLower(std::string_view text);

}  // namespace sorvek
