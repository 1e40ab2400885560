#pragma once
// The routing of tranRec2CsvByKind (engine/parallel_jobs.h) for outputs other than a file per
// kind: each kind's lines go to a stream of the caller's, in the order of the input.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/engine_context.h"
#include "engine/job_files.h"
#include "engine/part_pipeline.h"
#include "engine/rec2csv_text.h"
#include "model/record_def.h"
#include "platform/files.h"

namespace sorvek {

struct Rec2CsvByKindRun {
    PartPipelineOutcome outcome;  // how the walk through the input ended
    Status written;               // the first failed write to a stream, if any
};

// Converts `input` with `context.jobs` workers (1: the parts one after the other), writing
// `preambles[i]` first to `streams[i]`, then each line of kind k to streams[streamOfKind[k]].
// The streams are written one call at a time, in order, and neither synced nor closed; they
// and `input` outlive the call. After a failed write nothing more is written. REQUIRES:
// `table` and `text` as prepareRec2CsvRun left and returned them; a stream for every kind that
// writes lines.
Rec2CsvByKindRun runRec2CsvByKind(JobInput& input, RecordDefTable& table, const Rec2CsvText& text,
                                  std::vector<WritableFile*> streams,
                                  const std::vector<std::size_t>& streamOfKind,
                                  const std::vector<std::string>& preambles, EngineContext& context,
                                  ProgressReporter& progress);

}  // namespace sorvek
