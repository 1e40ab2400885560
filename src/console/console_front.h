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
};

// The streams of the running process; the bar is drawn when standard error is a terminal.
ConsoleStreams processStreams();

// True for the arguments that only ask the program about itself (--help, -h, --version) or ask
// for the check report (--check): the desktop program answers them on the console even where
// it could show windows.
bool isConsoleOnlyRequest(const std::vector<std::string>& args);

// Runs the command line `args` (without the program's name): --help or -h prints the usage on
// standard output, --version the version, no argument the usage on standard error (exit 2),
// --check the check report (runCheckCommand); otherwise the job. Returns the exit status: 0
// success, 1 the job or its definition failed, 2 the command line was refused.
int runConsole(const std::vector<std::string>& args, const ConsoleStreams& streams);

}  // namespace sorvek
