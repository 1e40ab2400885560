#pragma once
// The instruction sets that the fast paths may use. Each path still asks the processor for the
// features it needs; this only takes the wider ones away. The environment variable SORVEK_CPU
// set to "baseline" (SSE2 alone) or "avx2" (no AVX-512) makes a machine run the paths that
// older processors take, so that the tests cover them wherever they run. Any other value, or
// none, leaves every set the processor has.

namespace sorvek {

enum class InstructionSets { Baseline, Avx2, Avx512 };

// The widest sets allowed, from SORVEK_CPU as it was at the first call (read once: the paths
// chosen stay the same for the whole process).
InstructionSets allowedInstructionSets();

// Whether `sets` are allowed: allowedInstructionSets() is `sets` or wider.
inline bool instructionSetsAllowed(InstructionSets sets) {
    return static_cast<int>(allowedInstructionSets()) >= static_cast<int>(sets);
}

// Whether the 64-byte walks built with AVX-512 BW and VBMI may run: AVX-512 is allowed and the
// processor has both. Decided once per process; false off x86-64.
bool avx512BwVbmiUsable();

}  // namespace sorvek
