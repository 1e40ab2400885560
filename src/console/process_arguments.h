#pragma once
// The running program's arguments and standard streams as the console front end takes them.
#include <string>
#include <vector>

namespace sorvek {

// The arguments after the program's name, as UTF-8. On Windows they are taken from the
// UTF-16 command line (so a Japanese path arrives whatever the system's code page is), "/?" as
// the first is "--help", standard input and output are set to bytes (no line-end translation)
// and a console's output page to UTF-8 while the program runs; the UTF-8 written to standard
// error reaches a console as UTF-16 and a pipe or file in the console's page, through a thread
// that the end of the process waits for. Call once, at the start of main, before anything is
// written.
std::vector<std::string> processArguments(int argc, char** argv);

// Whether standard error is a terminal (a console), where the progress bar is drawn.
bool standardErrorIsTerminal();

}  // namespace sorvek
