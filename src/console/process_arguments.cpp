#include "console/process_arguments.h"

#include <unistd.h>

namespace sorvek {

std::vector<std::string> processArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace sorvek
