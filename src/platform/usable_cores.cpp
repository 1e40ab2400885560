#include "platform/usable_cores.h"

#include <sched.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace sorvek {
namespace {

std::string firstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

unsigned affinityCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return std::max(CPU_COUNT(&set), 1);
}

// The tightest quota of the process's control group and the groups above it (each bounds the
// ones below), under the unified hierarchy (v2) or the cpu controller's own (v1).
std::optional<unsigned> quotaCores() {
    std::ifstream groups("/proc/self/cgroup");
    std::optional<unsigned> tightest;
    const auto tighten = [&](std::optional<unsigned> cores) {
        if (cores && (!tightest || *cores < *tightest)) tightest = cores;
    };
    for (std::string line; std::getline(groups, line);) {
        // "0::/path" (v2) or "N:cpu,cpuacct:/path" (v1).
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        std::string group = line.substr(second + 1);
        const bool unified = controllers.empty();
        const bool cpu = ("," + controllers + ",").find(",cpu,") != std::string::npos;
        if (!unified && !cpu) continue;
        // A v1 hierarchy is mounted in a folder named by its controllers.
        const std::string root = unified ? "/sys/fs/cgroup" : "/sys/fs/cgroup/" + controllers;
        for (;;) {
            const std::string folder = root + (group == "/" ? "" : group);
            if (unified) {
                std::istringstream words(firstLine(folder + "/cpu.max"));
                std::string quota, period;
                words >> quota >> period;
                tighten(coresOfQuota(quota, period));
            } else {
                tighten(coresOfQuota(firstLine(folder + "/cpu.cfs_quota_us"),
                                     firstLine(folder + "/cpu.cfs_period_us")));
            }
            if (group.empty() || group == "/") break;
            group.erase(std::max<std::size_t>(group.find_last_of('/'), 1));
        }
    }
    return tightest;
}

}  // namespace

unsigned usableCores() {
    const unsigned cores = affinityCores();
    const std::optional<unsigned> quota = quotaCores();
    return quota ? std::min(cores, *quota) : cores;
}

}  // namespace sorvek
