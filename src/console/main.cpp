// sorvek-cli: the jobs of the desktop program's command line, without any window.
#include <string>
#include <vector>

#include "console/console_front.h"
#include "console/process_arguments.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = sorvek::processArguments(argc, argv);
    return sorvek::runConsole(args, sorvek::processStreams());
}
