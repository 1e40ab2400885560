#pragma once
#include <cstdint>
#include <string>

#include "engine/engine_context.h"

namespace sorvek {

// Rewrites the input into records of `recordLength` bytes, each followed by CR LF, after
// dropping every CR and LF byte of the input. The record count runs on across input lines and
// blocks; a short last record gets no line break. A length of 0 or below inserts no break.
// REQUIRES: absolute paths. Succeeds when the output was written to its end; fails with what went
// wrong (openJobFiles, reading, writing, cancelled) and leaves an existing output as it was.
Status tranRecLen(const std::string& inputPath, const std::string& outputPath,
                  std::int32_t recordLength, EngineContext& context);

}  // namespace sorvek
