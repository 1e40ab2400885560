#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvek {

// Strict whole-number conversion: decimal digits with an optional sign, surrounded by any number
// of blanks (spaces and tabs), within the 32-bit signed range. Anything else gives nothing.
std::optional<std::int32_t> parseInt32(std::string_view text);

// Strict boolean conversion: "True" or "False" in any letter case, or a decimal number of any
// length with an optional sign (0 is false, any other number true), surrounded by any number of
// blanks. Anything else (empty text included) gives nothing.
std::optional<bool> parseBoolean(std::string_view text);

// Lenient number reading for text that carries a number at its front ("12;", " 3 4", "2.5E1"):
// blanks (spaces, tabs, line feeds) anywhere are ignored; an optional sign, digits, an optional
// fraction and an optional exponent (E or D) are taken; reading stops at the first character that
// cannot continue the number; text without a number gives 0. The value is rounded to the nearest
// whole number, halves to even. Gives nothing only when the result lies outside the 32-bit signed
// range.
std::optional<std::int32_t> leadingNumber(std::string_view text);

// A whole number in decimal with its digits grouped by threes: "1,234,567", "-1,000", "0".
std::string groupedNumber(std::int64_t value);

}  // namespace sorvek
