#include "console/stop_signals.h"

#include <signal.h>

#include <array>

#include "platform/stop_request.h"

namespace sorvek {
namespace {

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};

// What was installed before, to be put back; one StopSignals lives at a time.
struct sigaction previous[kStopSignals.size()];
struct sigaction previousPipe;

extern "C" void onStopSignal(int signalNumber) {
    requestStop(signalNumber);
}

}  // namespace

StopSignals::StopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read that waits on a pipe returns, and the job sees the request. Reset
    // after the first signal, so that a second one ends the process as usual.
    action.sa_flags = SA_RESETHAND;
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &action, &previous[i]);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &previousPipe);
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kStopSignals.size(); ++i) {
        sigaction(kStopSignals[i], &previous[i], nullptr);
    }
    sigaction(SIGPIPE, &previousPipe, nullptr);
}

int stoppedExitStatus() {
    const int signalNumber = stopSignal();
    return signalNumber == 0 ? 0 : 128 + signalNumber;
}

}  // namespace sorvek
