#pragma once
// A request to stop the running job, made by a signal (the console program's SIGINT, SIGTERM
// and SIGHUP). A signal reaches the whole process, so this is the one process-wide flag of the
// program: the signal handler sets it, the engine sees it between blocks (through
// `EngineContext::cancelled`), and a read or write that a signal interrupted while it waited
// (a pipe with nothing to read) gives up instead of waiting on.
#include <atomic>

namespace sorvek {

// Records that `signalNumber` asked the process to stop. Async-signal-safe.
void requestStop(int signalNumber) noexcept;
// The flag requestStop sets; true once a stop was requested.
const std::atomic<bool>& stopRequestFlag() noexcept;
// The signal that asked to stop, or 0. A request stays for the rest of the process: the program
// ends with the job it stopped.
int stopSignal() noexcept;

}  // namespace sorvek
