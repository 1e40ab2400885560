#pragma once
// Text as the fields that take one byte per character hold it (bank transfer files and the
// like): the half-width form of what people type in full width.
#include <cstddef>
#include <string>
#include <string_view>

namespace sorvek {

inline constexpr std::size_t kAllHalfWidth = static_cast<std::size_t>(-1);

// Appends to `out` the half-width form of the UTF-8 text `text`, in UTF-8: every character of
// it is one that Shift-JIS writes in one byte (U+0000 to U+007F, the half-width katakana
// U+FF61 to U+FF9F).
// - Full-width katakana and hiragana become half-width katakana; a voiced or semi-voiced one
//   becomes two characters (ガ, が → ｶﾞ; パ → ﾊﾟ; ヴ → ｳﾞ), the small ones stay small (ァ → ｧ),
//   and so do the marks ー ・ ゛ ゜ (and the combining ones) 「 」 、 。.
// - The full-width forms of ASCII (U+FF01 to U+FF5E) become ASCII, the ideographic space a
//   blank, ￥ "\" (the yen sign of Shift-JIS 0x5C), the minus sign, the hyphen, the horizontal
//   bar and the full-width hyphen-minus "-".
// - With `upperCase`, the letters a to z (typed in either width) become A to Z.
// - Characters already of one byte pass as they are.
// Returns the byte offset in `text` of the first character that has no half-width form (a
// kanji, ①, ヰ, ヶ, ...) or of a malformed sequence, with `out` holding the form of the text
// before it; kAllHalfWidth when the whole text was converted. Pure; throws only for memory.
std::size_t appendHalfWidth(std::string_view text, bool upperCase, std::string& out);

}  // namespace sorvek
