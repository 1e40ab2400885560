#include "engine/part_pipeline.h"

namespace sorvek {

bool PartChain::admit(std::uint64_t index, PartRead read, Status failure) {
    if (ended_.load(std::memory_order_relaxed)) return false;
    if (read == PartRead::Done) return true;
    // A part is skipped only after the end, which is never undone.
    if (read == PartRead::Failed) failure_ = std::move(failure);
    cancelled_ = read == PartRead::Cancelled;
    unreadPart_ = index;
    ended_.store(true, std::memory_order_release);
    return false;
}

void PartChain::end() {
    ended_.store(true, std::memory_order_release);
}

}  // namespace sorvek
