#pragma once
// The console programs' command line: the job's switch form (`/L /C /E` with three parameters,
// taken exactly as given) and, before it, GNU-style options:
//
//   [OPTIONS] /L|/C|/E INPUT OUTPUT PARAMETER
//   [OPTIONS] --record-length N | --definition FILE | --line-ending LE   INPUT OUTPUT
//   --check [--json] INPUT [DEFINITION]
//   [OPTIONS] --check --csv [--json] INPUT DEFINITION
//   --help [/L|/C|/E]    --version    --layouts
//
// Options end at the first argument that is not one (the switch, or INPUT) and at "--"; what
// follows is taken as it stands, so a file name may begin with "-".
#include <string>
#include <vector>

#include "app/definition_options.h"

namespace sorvek {

enum class ConsoleRequest {
    Usage,    // nothing to do: the usage goes to standard error (a refusal)
    Help,     // --help: the usage, or a job's usage, on standard output
    Version,  // --version
    Layouts,  // --layouts: the shipped layouts' names and titles
    Job,      // run `jobArgs` (the switch form) with the options
    Check,    // --check: the check report of `checkArgs` (INPUT and, when given, DEFINITION)
    Refused,  // the options were refused: `refusal` says why
};

struct ConsoleCommand {
    ConsoleRequest request = ConsoleRequest::Usage;
    // Help: the switch of the job asked about ("/L", "/C", "/E"), or empty for the whole usage.
    std::string helpSwitch;
    // Job: the switch and the three parameters, as the switch form would give them. The switch
    // and the count are checked by the job's start-up, with its own refusals.
    std::vector<std::string> jobArgs;
    // The options over the definition: the text's form, the records' code page and format, the
    // layout of records made from text.
    RunOverrides overrides;
    // Check: the input and, when given, the definition; `json` for one JSON object; `csv` for
    // the input read as the CSV-to-records job reads it (the definition given, the overrides
    // over it).
    std::vector<std::string> checkArgs;
    bool json = false;
    bool csv = false;
    // --jobs: workers that convert parts of the input at once; 0 when not given or 0: chosen by the
    // machine (engine/job_count.h).
    unsigned jobs = 0;
    bool quiet = false;    // -q: no progress bar
    bool verbose = false;  // -v: the job, its files and its outcome on standard error
    // Refused: the lines to show, without the program's name.
    std::string refusal;
};

// Reads the command line `args` (without the program's name). Never fails: a refusal is a
// command of its own.
ConsoleCommand parseConsoleCommand(const std::vector<std::string>& args);

// Every long option the parser knows ("--encoding", ...), for the documentation's checks.
std::vector<std::string> knownLongOptions();

}  // namespace sorvek
