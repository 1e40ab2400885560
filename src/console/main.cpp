// sorvek-cli: the jobs of the desktop program's command line, without any window.
#include <string>
#include <vector>

#include "console/console_front.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return sorvek::runConsole(args, sorvek::processStreams());
}
