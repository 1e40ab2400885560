#pragma once
// Text of the program (UTF-8) as the bytes of a data file's page: Shift-JIS (CP932), or an
// EBCDIC page, whose double-byte characters stand between a shift-out and a shift-in byte. The
// way back of the decoders (Cp932Decoder, EbcdicDecoder), for the records made from text. Strict:
// a character the page lacks is refused, never replaced.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_code_page.h"

namespace sorvek {

class PageEncoder {
  public:
    // The encoder of `page`, built from its generated tables at its first use (a table of every
    // character of the Basic Multilingual Plane). Thread-safe.
    static const PageEncoder& get(InputCodePage page);

    // Appends the page's bytes for the UTF-8 text `text` to `out`. Double-byte characters of an
    // EBCDIC page are enclosed in shift bytes, one pair around each run. Returns the byte offset
    // in `text` of the first character the page lacks (or of a malformed sequence), with `out`
    // holding the bytes before it; npos when the whole text was encoded.
    std::size_t encode(std::string_view text, std::string& out) const;

    // The same for a field of double-byte characters without shift bytes (EBCDIC `DBCS`): every
    // character must be one of the page's double-byte characters; a one-byte character is refused
    // as a character the page lacks. On a page without double-byte text, as `encode`.
    std::size_t encodeDoubleByte(std::string_view text, std::string& out) const;

    // The page's blank (0x20, or 0x40 on EBCDIC) and its double-byte blank (0x8140, 0x4040).
    unsigned char blank() const { return blank_; }
    std::uint16_t doubleByteBlank() const { return doubleBlank_; }
    bool ebcdic() const { return ebcdic_; }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  private:
    explicit PageEncoder(InputCodePage page);
    // By code point: 0 for none; else the low 16 bits hold the bytes (one byte, or a pair with
    // its first byte high) and bit 16 says a pair.
    std::vector<std::uint32_t> table_;
    bool ebcdic_ = false;
    bool doubleByte_ = false;  // an EBCDIC page with double-byte text between shift bytes
    unsigned char blank_ = ' ';
    std::uint16_t doubleBlank_ = 0x8140;
};

// The code point of the UTF-8 sequence at `p` (at most `n` bytes) and its length in `length`;
// 0xFFFFFFFF for a malformed sequence (length 1).
std::uint32_t decodeUtf8At(const unsigned char* p, std::size_t n, std::size_t& length);

}  // namespace sorvek
