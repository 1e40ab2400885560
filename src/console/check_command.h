#pragma once
// The check report of the console program: `--check [--json] INPUT [DEFINITION]` reads the whole
// input (through the definition when one is given) and reports what the conversions would meet,
// without writing any file.
#include <string>
#include <vector>

#include "console/console_front.h"

namespace sorvek {

// True when the command line asks for the check report (its first argument is --check or
// --json: the options come before the arguments).
bool isCheckCommand(const std::vector<std::string>& args);

// Runs the check of `args`: the report in Japanese on standard output, or with --json one JSON
// object. Progress is drawn on standard error when it is a terminal. Returns 0 when nothing is
// wrong, 1 when the report found problems or the input or definition could not be read, 2 for
// a refused command line (an unknown option, a wrong number of arguments).
int runCheckCommand(const std::vector<std::string>& args, const ConsoleStreams& streams);

}  // namespace sorvek
