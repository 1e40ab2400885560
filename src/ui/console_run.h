#pragma once
// The desktop program where no window can be shown: the command line runs as in the console
// program (messages and progress on standard error, the exit status tells the outcome).
#include <string>
#include <vector>

namespace sorvek {

int runWithoutDisplay(const std::vector<std::string>& args);

}  // namespace sorvek
