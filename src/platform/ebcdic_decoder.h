#pragma once
// EBCDIC text of record fields decoded by table lookups: the tables of a code page are built
// once from its generated tables (platform/code_page_tables.h), so that decoding a field is a
// walk over its bytes. The text is written as Shift-JIS (CP932) or UTF-8.
//
// Text fields ("X") start with one-byte characters; on the Japanese pages a shift-out byte
// (0x0E) starts double-byte text and a shift-in byte (0x0F) ends it. Each field is decoded on
// its own: one that ends inside double-byte text is closed there, and a double-byte character
// cut by the field's end is no character. The shift bytes and such a cut byte are no
// characters either; each becomes a blank at the end of the text, so that in Shift-JIS a field
// keeps its width. Double-byte fields ("G", COBOL PIC G and PIC N) hold double-byte text
// without shift bytes.
//
// A byte or pair that is no character of the page becomes U+FFFD in UTF-8 and "?" in
// Shift-JIS; so does a character that Shift-JIS cannot hold.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_code_page.h"
#include "platform/one_byte_text.h"

namespace sorvek {
namespace code_tables {
struct PageTables;
}

enum class TextTarget : std::uint8_t { Cp932, Utf8 };

class EbcdicDecoder {
  public:
    // Bytes written at most per input byte, and beyond the end of what is written.
    static constexpr std::size_t kMaxGrowth = 3;
    static constexpr std::size_t kSlack = 4;
    static constexpr unsigned char kShiftOut = 0x0E;
    static constexpr unsigned char kShiftIn = 0x0F;
    static constexpr unsigned char kBlank = 0x40;

    // The decoder of `page`, built at its first use. REQUIRES: isEbcdic(page).
    static const EbcdicDecoder& get(InputCodePage page);

    bool doubleByte() const { return doubleByte_; }

    // Writes the text of the `n` bytes of a text field at `in` to `out` and returns the end of
    // what it wrote. `trim`: trailing blanks (one-byte and double-byte) and NULs are left out,
    // the blanks for shift bytes included. REQUIRES: room for kMaxGrowth × n + kSlack bytes.
    char* decodeText(const unsigned char* in, std::size_t n, TextTarget target, bool trim,
                     char* out) const;
    // The same for a double-byte field: pairs of bytes without shift bytes; an odd last byte
    // becomes a blank. On a page without double-byte text the bytes are read as text.
    char* decodeDoubleByte(const unsigned char* in, std::size_t n, TextTarget target, bool trim,
                           char* out) const;
    // Writes the one-byte character `b` and returns the end.
    // REQUIRES: room for kMaxGrowth + kSlack bytes.
    char* putSingle(unsigned char b, TextTarget target, char* out) const {
        const std::uint32_t e = (target == TextTarget::Cp932 ? singleCp932_ : singleUtf8_)[b];
        return put(out, e);
    }

    // The UTF-8 text of a text field, as decodeText writes it (for display and messages).
    std::string textToUtf8(std::string_view bytes) const;
    // The page's bytes for UTF-8 text, double-byte characters between shift bytes; "" when
    // some character has none or the text is not well-formed UTF-8. For the class codes that tell
    // record kinds apart.
    std::string fromUtf8(std::string_view text) const;

    // What a byte outside double-byte text is on this page: a character, a control code (C0 or
    // C1, NUL included), no character at all, or on the Japanese pages a shift byte.
    enum class ByteClass : std::uint8_t { Text, Control, NoCharacter, ShiftOut, ShiftIn };
    ByteClass classOf(unsigned char b) const { return classes_[b]; }
    // Whether two bytes inside double-byte text are a character of the page (the double-byte
    // blank 40 40 included). False on a page without double-byte text.
    bool pairIsCharacter(unsigned char first, unsigned char second) const;

    // How a text field ends: inside double-byte text (no shift-in after the last shift-out),
    // and with a double-byte character cut in two (an odd byte after the shift-out).
    struct TextEnd {
        bool insideDoubleByte = false;
        bool cutCharacter = false;
    };
    TextEnd textEnd(const unsigned char* in, std::size_t n) const;

  private:
    explicit EbcdicDecoder(InputCodePage page);

    // An entry holds up to three bytes of output in its low bytes, their number in bits 24-25,
    // and in bit 31 whether the character is a blank (or NUL) that trimming leaves out.
    static constexpr std::uint32_t kBlankBit = 0x80000000u;
    static char* put(char* out, std::uint32_t e) {
        std::memcpy(out, &e, 4);
        return out + ((e >> 24) & 3);
    }
    const std::uint32_t* singles(TextTarget t) const {
        return t == TextTarget::Cp932 ? singleCp932_ : singleUtf8_;
    }
    const std::uint32_t* pairs(TextTarget t) const {
        return t == TextTarget::Cp932 ? pairCp932_.data() : pairUtf8_.data();
    }
    // The general walk, with shift states and entries of any length, writing from `out`; `kept`
    // is the end of the last character before `out` that trimming keeps.
    char* decodeShifted(const unsigned char* in, std::size_t n, TextTarget target, bool trim,
                        bool startDoubleByte, char* out, char* kept) const;

    const code_tables::PageTables* tables_;
    bool doubleByte_ = false;
    std::uint32_t singleCp932_[256] = {};
    std::uint32_t singleUtf8_[256] = {};
    // By target: the one byte of each byte that becomes one, for the start of a text field
    // without shift bytes; the others (a shift byte, a character of two bytes or more, or of
    // none) need the general walk.
    OneByteTable oneByte_[2];
    // The blank 40 is " " in both targets: runs of it (the padding of text) go eight at a time.
    bool blankIsSpace_ = false;
    ByteClass classes_[256] = {};
    // By first byte × 256 + second byte; empty on pages without double-byte text.
    std::vector<std::uint32_t> pairCp932_;
    std::vector<std::uint32_t> pairUtf8_;
};

}  // namespace sorvek
