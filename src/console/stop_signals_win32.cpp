// Ctrl+C and Ctrl+Break in a console: the job is asked to stop, as SIGINT does on POSIX. The
// handler runs on a thread of its own; a second press is left to the system, which ends the
// process at once. A reader that went away is a write failure (ERROR_NO_DATA) already.
#include <windows.h>

#include <csignal>

#include "console/stop_signals.h"
#include "platform/stop_request.h"

namespace sorvek {
namespace {

BOOL WINAPI onConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (stopRequestFlag().load(std::memory_order_acquire)) return FALSE;
    requestStop(event == CTRL_C_EVENT ? SIGINT : SIGBREAK);
    return TRUE;
}

}  // namespace

StopSignals::StopSignals() {
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopSignals::~StopSignals() {
    ::SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

// 130 after Ctrl+C, 149 after Ctrl+Break, as on POSIX.
int stoppedExitStatus() {
    const int signalNumber = stopSignal();
    return signalNumber == 0 ? 0 : 128 + signalNumber;
}

}  // namespace sorvek
