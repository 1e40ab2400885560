#pragma once
// The check report of the console program: `--check [--json] INPUT [DEFINITION]` reads the whole
// input (through the definition when one is given) and reports what the conversions would meet,
// without writing any file.
#include <string>
#include <vector>

#include "console/console_front.h"
#include "engine/inspection_report.h"

namespace sorvek {

// What `--check [--json] INPUT [DEFINITION]` asks for (read by parseConsoleCommand).
struct CheckRequest {
    std::string input;
    std::string definition;  // empty: the input is looked at without a definition
    bool json = false;
    bool quiet = false;  // -q: no progress bar
    // --jobs: workers that read parts of a regular input at once; 0: kDefaultJobs.
    unsigned jobs = 0;
};

// The report as one JSON object (indented by two), as --check --json prints it: `input` and
// `definition` as the report names them (the definition empty for none).
std::string checkReportJson(const InspectionReport& report, const std::string& input,
                            const std::string& definition);

// Runs the check: the report in Japanese on standard output, or with `json` one JSON object.
// Progress is drawn on standard error when it is a terminal. Returns 0 when nothing is wrong, 1
// when the report found problems or the input or definition could not be read.
int runCheck(const CheckRequest& request, const ConsoleStreams& streams);

}  // namespace sorvek
