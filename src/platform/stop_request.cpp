#include "platform/stop_request.h"

namespace sorvek {
namespace {

// Lock-free atomics are the only shared state a signal handler may touch.
std::atomic<bool> requested{false};
std::atomic<int> signalSeen{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

}  // namespace

void requestStop(int signalNumber) noexcept {
    signalSeen.store(signalNumber, std::memory_order_relaxed);
    requested.store(true, std::memory_order_release);
}

const std::atomic<bool>& stopRequestFlag() noexcept {
    return requested;
}

int stopSignal() noexcept {
    return signalSeen.load(std::memory_order_relaxed);
}

}  // namespace sorvek
