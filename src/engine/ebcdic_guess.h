#pragma once
// Whether the first bytes of a file look like EBCDIC rather than Shift-JIS (or ASCII) text, and
// which Japanese EBCDIC page their one-byte text fits better: IBM930 holds half-width katakana
// where IBM939 holds lower-case Latin letters, and the two put their katakana at different
// bytes, so text read on the wrong page turns into words that mix katakana and Latin letters.
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "platform/input_code_page.h"

namespace sorvek {

struct EbcdicGuess {
    // Runs of blanks and digits are mostly EBCDIC's (0x40, 0xF0-0xF9) rather than ASCII's.
    bool looksEbcdic = false;
    // IBM930 or IBM939 when the one-byte text reads clearly better on one of them; nothing when
    // neither does (no katakana or Latin words, or as many fit both).
    std::optional<InputCodePage> japanesePage;
    bool operator==(const EbcdicGuess&) const = default;
};

// The guess from `head`, the first bytes of a file (any length; a few kilobytes tell).
EbcdicGuess guessEbcdic(std::span<const unsigned char> head);

// What the user is told of `guess` for a file read on `page`: that a file read as Shift-JIS
// looks like EBCDIC (and which Japanese page fits it), or that the other Japanese page fits a
// file read on IBM930 or IBM939 better; empty when the page the file is read on fits.
std::string ebcdicGuessNote(const EbcdicGuess& guess, InputCodePage page);

}  // namespace sorvek
