#pragma once
// The text jobs as described, one byte at a time: the reference the block-wise conversions must
// match byte for byte.
#include <cstdint>
#include <string>

namespace sorvek::testing {

// Drops every CR and LF; appends CR LF after each `length` data bytes (never for length <= 0).
inline std::string referenceRecLen(const std::string& in, std::int32_t length) {
    std::string out;
    std::int32_t count = 0;
    for (char c : in) {
        if (c == '\r' || c == '\n') continue;
        out += c;
        if (++count == length) {
            out += "\r\n";
            count = 0;
        }
    }
    return out;
}

// Every CR, and every LF not right after a CR, becomes `ending`.
inline std::string referenceCrlf(const std::string& in, const std::string& ending) {
    std::string out;
    bool afterCr = false;
    for (char c : in) {
        if (c == '\r' || (c == '\n' && !afterCr)) out += ending;
        if (c != '\r' && c != '\n') out += c;
        afterCr = c == '\r';
    }
    return out;
}

}  // namespace sorvek::testing
