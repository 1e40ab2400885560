#pragma once
#include <string>

#include "definition/record_def.h"
#include "engine/engine_context.h"

namespace sorvek {

// Converts a file of fixed-length records into delimited text, one line per record of a kind
// without children, as `table` describes. REQUIRES: absolute paths. Returns true when the whole
// input was processed; false after it has shown the failure.
bool tranRec2Csv(const std::string& inputPath, const std::string& outputPath,
                 RecordDefTable& table, EngineContext& context);

}  // namespace sorvek
