#pragma once
// The check of a delimited text for the CSV-to-records job: the text read exactly as the job
// reads it (engine/csv_record_lines.h), nothing written, and every line that would stop the job
// reported, in bounded memory for any length of text.
#include <cstddef>
#include <string>

#include "engine/csv_check_report.h"
#include "engine/engine_context.h"
#include "model/record_def.h"
#include "model/record_output_options.h"
#include "ports/status.h"

namespace sorvek {

// Reads the text at `path` as tranCsv2Rec reads it through `table` and `records`, and writes
// nothing. Reads on past every line that would stop the job: the first `kept` of them are kept
// in detail (their line, value, field, the value and why), all are counted, and the records the
// other lines make are counted by kind. A definition or layout the job refuses (before it reads,
// or after its first block) is the report's `refusal`, with no line read. Progress as the jobs
// report it; `context.cancelled` stops the reading between two blocks, and the report then
// covers the lines read (`cancelled`). Fails as a job's input fails: it is missing, a folder,
// cannot be opened or cannot be read (about InputRead); "-" is standard input.
Result<CsvCheckReport> checkCsvFile(const std::string& path, const RecordDefTable& table,
                                    const RecordOutputOptions& records, EngineContext& context,
                                    std::size_t kept = kKeptCsvFaults);

}  // namespace sorvek
