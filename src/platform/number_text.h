#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvek {

// Strict whole-number conversion: decimal digits with an optional sign, surrounded by any number
// of blanks (spaces and tabs), within the 32-bit signed range. Anything else gives nothing.
std::optional<std::int32_t> parseInt32(std::string_view text);

}  // namespace sorvek
