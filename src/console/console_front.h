#pragma once
// The console front end: what `sorvek-cli` does with its arguments, and what the desktop program
// does where no window can be shown. Messages go to standard error exactly as written, progress
// is drawn there only when it is a terminal, standard output stays empty but for --help,
// --version and the check report.
#include <cstdio>
#include <string>
#include <vector>

namespace sorvek {

// The streams the front end talks to; tests hand it files of their own.
struct ConsoleStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    // Draw the progress bar on `err` (it is a terminal).
    bool drawProgress = false;
    // Put before the program's own messages (not before the job's, which stand as written).
    const char* programName = "sorvek-cli";
};

// The streams of the running process; the bar is drawn when standard error is a terminal.
ConsoleStreams processStreams(const char* programName = "sorvek-cli");

// True for the command lines that only ask the program about itself (--help, --version) or ask
// for the check report (--check): the desktop program answers them on the console even where
// it could show windows.
bool isConsoleOnlyRequest(const std::vector<std::string>& args);

// Runs the command line `args` (without the program's name; see console/command_options.h):
// --help prints the usage (of a job, with its switch) on standard output, --version the
// version, no job the usage on standard error (exit 2), refused options their reason with the
// program's name (exit 2), --check the check report (runCheck); otherwise the job with the
// options (-q no progress bar, -v the job and its outcome, the output options over the
// definition's). While the job runs, SIGINT, SIGTERM and SIGHUP stop it cleanly (StopSignals).
// Returns the exit status: 0 success, 1 the job or its definition failed (or, for --check,
// problems were found), 2 the command line was refused, 128 + the signal's number when a
// signal stopped the job.
int runConsole(const std::vector<std::string>& args, const ConsoleStreams& streams);

}  // namespace sorvek
