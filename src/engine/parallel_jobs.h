#pragma once
// The jobs with several workers (EngineContext::jobs above 1), each a kind of part of the part
// pipeline (engine/part_pipeline.h): a regular input is read part by part by the workers, any
// other input in order by the job's thread; the state each part starts in (for record-to-CSV
// the record walk, for the text jobs what the bytes before the cut leave) is handed on in the
// parts' turns; the workers convert the parts and write their results in order through the one
// output, which is replaced only when the job succeeded. The output is byte for byte what the
// sequential run writes; memory is bounded by a few parts in flight.
#include <cstddef>
#include <functional>
#include <string>

#include "engine/engine_context.h"
#include "model/record_def.h"
#include "model/record_output_options.h"
#include "ports/status.h"

namespace sorvek {

// Bytes of input in one part when the context asks for nothing else.
std::size_t partLength(const EngineContext& context);

// tranRec2Csv with `context.jobs` workers, with its outcome. REQUIRES: `table` passed the
// definition check.
Status tranRec2CsvInParts(const std::string& inputPath, const std::string& outputPath,
                          RecordDefTable& table, EngineContext& context);

// tranRec2Csv into one file per record kind that writes lines (engine/kind_files.h), each with
// its own byte order mark and title line, with `context.jobs` workers (1 too: the parts are then
// converted one after the other). Each line goes to its kind's file as the one output would have
// it. The files are written through SafeOutput each and committed one after the other only when
// the whole job succeeded; after a failure, a cancellation or a stop in the data none is
// replaced (a file written as it is, a device, has what was written). `outputPath` itself is not
// touched. REQUIRES: `table` passed the definition check.
Status tranRec2CsvByKind(const std::string& inputPath, const std::string& outputPath,
                         RecordDefTable& table, EngineContext& context);

// tranCsv2Rec with `context.jobs` workers, with its outcome. REQUIRES: checkCsvToRecordsRun
// passed, and the records are not laid out in blocks (VB), whose filling runs through the file.
Status tranCsv2RecInParts(const std::string& inputPath, const std::string& outputPath,
                          const RecordDefTable& table, const RecordOutputOptions& records,
                          EngineContext& context);

// Converts the bytes [begin, end) of one part: writes at most the promised bound at `out` and
// returns the end of what it wrote.
using TextPartTask = std::function<char*(const char* begin, const char* end, char* out)>;
// Called with each part in order (on one thread at a time, in the order of the input); returns
// the part's conversion, which carries the state the part starts in (what the bytes before it
// leave). `measured`: what `TextPartMeasure` found in the part, or 0.
using TextPartCutter =
    std::function<TextPartTask(const char* data, std::size_t size, std::int64_t measured)>;
// What a part's bytes do to the state that runs on into the next part, found on the part's own
// worker before its turn (so that parts are measured at once): e.g. the data bytes it holds.
using TextPartMeasure = std::function<std::int64_t(const char* data, std::size_t size)>;

// convertByBlocks with `context.jobs` workers, each part converted by what `cut` returns.
// `measure` may be empty.
Status convertTextInParts(const std::string& inputPath, const std::string& outputPath,
                          EngineContext& context, std::size_t perByte, std::size_t extra,
                          const TextPartCutter& cut, const TextPartMeasure& measure = {});

}  // namespace sorvek
