#pragma once
// The cores this process may use: those the scheduler lets it run on, bounded by the CPU time
// its control group allows (a container given two cores on a machine of sixty-four).
#include <optional>
#include <string_view>

namespace sorvek {

// The cores the process may run on now: at least 1. Reads the affinity mask and the control
// group's quota each call (they may change while the process runs).
unsigned usableCores();

// The cores a control group's CPU quota allows, rounded down but at least 1, or nothing where
// it sets none. `quota` and `period` in microseconds: the two words of cgroup v2's `cpu.max`
// ("max 100000" sets none), or cgroup v1's `cpu.cfs_quota_us` (-1 sets none) and
// `cpu.cfs_period_us`. Text that is no number sets none.
std::optional<unsigned> coresOfQuota(std::string_view quota, std::string_view period);

}  // namespace sorvek
