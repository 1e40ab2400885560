#include "platform/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace sorvek {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::optional<std::int32_t> parseInt32(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<bool> parseBoolean(std::string_view text) {
    text = trimBlanks(text);
    if (equalsIgnoringCase(text, "true")) return true;
    if (equalsIgnoringCase(text, "false")) return false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    bool nonZero = false;
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        nonZero = nonZero || c != '0';
    }
    return nonZero;
}

std::optional<std::int32_t> leadingNumber(std::string_view text) {
    // Collect the number's characters without the blanks, then convert them in one go, so that
    // the rounding is that of the nearest double (as a floating-point reading would give).
    std::string number = "0";  // so that a number that begins with its point converts as well
    std::size_t at = 0;
    auto skipBlanks = [&] {
        while (at < text.size() && (isBlank(text[at]) || text[at] == '\n')) ++at;
    };
    auto takeDigits = [&] {
        bool any = false;
        for (skipBlanks(); at < text.size() && isDigit(text[at]); skipBlanks()) {
            number += text[at++];
            any = true;
        }
        return any;
    };
    skipBlanks();
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    bool digits = takeDigits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        std::size_t before = number.size();
        number += '.';
        if (takeDigits()) {
            digits = true;
        } else {
            number.resize(before);
        }
    }
    if (!digits) return 0;
    if (at < text.size() &&
        (text[at] == 'E' || text[at] == 'e' || text[at] == 'D' || text[at] == 'd')) {
        // An exponent counts only when digits follow it.
        std::size_t mark = at;
        std::size_t before = number.size();
        ++at;
        skipBlanks();
        number += 'e';
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) number += text[at++];
        if (!takeDigits()) {
            number.resize(before);
            at = mark;
        }
    }
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is out of range anyway.
        std::size_t e = number.find('e');
        if (e != std::string::npos && number.find('-', e) != std::string::npos) return 0;
        return std::nullopt;
    }
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    // nearbyint rounds in the current mode, which is to nearest, halves to even.
    double rounded = std::nearbyint(negative ? -value : value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::string groupedNumber(std::int64_t value) {
    const std::string digits = std::to_string(value);
    const std::size_t sign = value < 0 ? 1 : 0;
    std::string out = digits.substr(0, sign);
    for (std::size_t i = sign; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace sorvek
