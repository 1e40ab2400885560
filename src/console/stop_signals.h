#pragma once
// The console program's answer to SIGINT (Ctrl+C), SIGTERM and SIGHUP while a job runs: the job
// is asked to stop (platform/stop_request.h) and ends through its failure path, so that a file
// being replaced keeps what it held and no temporary file is left; a second such signal ends
// the process at once. SIGPIPE is ignored, so that a reader that went away (an output to a pipe)
// is a write failure with its reason rather than a silent end.
namespace sorvek {

class StopSignals {
  public:
    // Installs the handlers.
    StopSignals();
    // Puts back what was there before.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};

// The exit status after a job that a signal stopped: 128 + the signal's number, as shells
// report a process that a signal ended (130 for SIGINT, 143 for SIGTERM). 0 when no signal
// asked to stop.
int stoppedExitStatus();

}  // namespace sorvek
