#include "platform/text_checks.h"

#include "platform/number_text.h"

namespace sorvek {

bool isDigitsOnly(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::optional<std::int32_t> digitsValue(std::string_view text) {
    if (!isDigitsOnly(text)) return std::nullopt;
    return parseInt32(text);
}

bool hasComma(std::string_view text) {
    return text.find(',') != std::string_view::npos;
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace sorvek
