// The reading of a control group's CPU quota, the same on every system (the files themselves
// exist on Linux alone: platform/usable_cores.cpp).
#include "platform/usable_cores.h"

#include <algorithm>
#include <charconv>

namespace sorvek {
namespace {

std::optional<long long> wholeNumber(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<unsigned> coresOfQuota(std::string_view quota, std::string_view period) {
    const std::optional<long long> q = wholeNumber(quota);
    const std::optional<long long> p = wholeNumber(period);
    if (!q || !p || *q <= 0 || *p <= 0) return std::nullopt;
    return static_cast<unsigned>(std::max<long long>(*q / *p, 1));
}

}  // namespace sorvek
