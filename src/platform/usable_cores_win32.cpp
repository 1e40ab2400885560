#include "platform/usable_cores.h"

#include <windows.h>

#include <bit>

namespace sorvek {

// The processors of the process's affinity mask (its processor group).
unsigned usableCores() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) return 1;
    return static_cast<unsigned>(std::popcount(static_cast<unsigned long long>(process)));
}

}  // namespace sorvek
