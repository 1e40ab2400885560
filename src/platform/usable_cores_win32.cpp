#include "platform/usable_cores.h"

#include <windows.h>

#include <algorithm>
#include <bit>
#include <charconv>

namespace sorvek {

std::optional<unsigned> coresOfQuota(std::string_view quota, std::string_view period) {
    long long q = 0, p = 0;
    if (std::from_chars(quota.data(), quota.data() + quota.size(), q).ec != std::errc{} ||
        std::from_chars(period.data(), period.data() + period.size(), p).ec != std::errc{} ||
        q <= 0 || p <= 0) {
        return std::nullopt;
    }
    return static_cast<unsigned>(std::max<long long>(q / p, 1));
}

// The processors of the process's affinity mask (its processor group).
unsigned usableCores() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
    return static_cast<unsigned>(std::popcount(static_cast<unsigned long long>(process)));
}

}  // namespace sorvek
