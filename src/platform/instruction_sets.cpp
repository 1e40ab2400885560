#include "platform/instruction_sets.h"

#include <cstdlib>
#include <string_view>

namespace sorvek {

InstructionSets allowedInstructionSets() {
    static const InstructionSets allowed = [] {
        const char* value = std::getenv("SORVEK_CPU");
        const std::string_view name = value != nullptr ? value : "";
        if (name == "baseline") return InstructionSets::Baseline;
        if (name == "avx2") return InstructionSets::Avx2;
        return InstructionSets::Avx512;
    }();
    return allowed;
}

bool avx512BwVbmiUsable() {
#if defined(__x86_64__)
    static const bool usable = instructionSetsAllowed(InstructionSets::Avx512) &&
                               __builtin_cpu_supports("avx512bw") &&
                               __builtin_cpu_supports("avx512vbmi");
    return usable;
#else
    return false;
#endif
}

}  // namespace sorvek
