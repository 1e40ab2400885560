#pragma once
// The check report of the console program: `--check [--json] INPUT [DEFINITION]` reads the whole
// input (through the definition when one is given) and reports what the conversions would meet,
// without writing any file; `--check --csv [--json] INPUT DEFINITION` reads a delimited text as
// the CSV-to-records job reads it and reports the lines that would stop the job.
#include <string>
#include <vector>

#include "app/definition_options.h"
#include "console/console_front.h"
#include "engine/csv_check_report.h"
#include "engine/inspection_report.h"

namespace sorvek {

// What `--check [--json] INPUT [DEFINITION]` asks for (read by parseConsoleCommand).
struct CheckRequest {
    std::string input;
    std::string definition;  // empty: the input is looked at without a definition
    bool json = false;
    bool quiet = false;  // -q: no progress bar
    // --jobs: workers that read parts of a regular input at once; 0: chosen (engine/job_count.h).
    unsigned jobs = 0;
    // --csv: the input is the text of the CSV-to-records job, read through the definition (which
    // it needs) with `overrides` over it.
    bool csv = false;
    RunOverrides overrides = {};
};

// The report as one JSON object (indented by two), as --check --json prints it: `input` and
// `definition` as the report names them (the definition empty for none).
std::string checkReportJson(const InspectionReport& report, const std::string& input,
                            const std::string& definition);

// The report of `--check --csv --json` as one JSON object (indented by two):
//   file, definition        the paths as the report names them
//   file_size               bytes read
//   encoding                how the text was read: "cp932" or "utf-8" (the words of --encoding)
//   byte_order_mark         the text starts with a UTF-8 byte order mark
//   refused                 why the job would not run with this definition, or null (then
//                           nothing was read and the counts are 0)
//   lines                   lines read (the title line and empty lines too)
//   title_line, empty_lines the title line passed over (true/false), lines without values
//   records_by_kind         records the lines make, by kind name ("NAME#k" for a name met twice)
//   records                 all of them
//   line_failures           {count: every line that makes no record, first: the first 100 of
//                           them, each {line, offset, problem ("quotes", "value_count",
//                           "class_code", "value"), values, column (null for the line as a
//                           whole), field, value (null but for "value"), reason}}
//   cancelled               present (true) when the reading was stopped
//   problems                true when the job would not make the records of every line
std::string csvCheckReportJson(const CsvCheckReport& report, const std::string& input,
                               const std::string& definition);

// Runs the check: the report in Japanese on standard output, or with `json` one JSON object.
// Progress is drawn on standard error when it is a terminal. Returns 0 when nothing is wrong, 1
// when the report found problems or the input or definition could not be read. With `csv`, the
// report of the text read as the CSV-to-records job reads it.
int runCheck(const CheckRequest& request, const ConsoleStreams& streams);

}  // namespace sorvek
