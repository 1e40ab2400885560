#pragma once
// Checks of typed text shared by the wizard's page checks and the definition edit dialog.
#include <cstdint>
#include <optional>
#include <string_view>

namespace sorvek {

// True when `text` is not empty and every character is one of the ASCII digits 0 to 9 (no sign,
// blank, decimal point or full-width digit). An empty text gives false.
bool isDigitsOnly(std::string_view text);

// The value of a digits-only text that fits a 32-bit signed integer; nothing for any other text
// (so "2147483648" gives nothing, "0" and "007" give their value).
std::optional<std::int32_t> digitsValue(std::string_view text);

// True when `text` holds a comma, which would split a field line of a definition file.
bool hasComma(std::string_view text);

// True when `text` holds a CR or LF, which would break a line of a definition file.
bool hasLineBreak(std::string_view text);

}  // namespace sorvek
