#pragma once
// The inspection of a regular file in parts, several at once: each worker reads its own part
// and profiles its bytes, follows the record walk (class codes and lengths only) in the parts'
// turns to find where its records start and what the records before them leave, then checks
// its records; the parts are joined in order into the report one reading in order gives.
#include <cstdint>
#include <string>

#include "engine/inspection.h"
#include "engine/record_framing.h"
#include "engine/record_lineage.h"

namespace sorvek {

struct RecordsResume {
    std::int64_t offset = 0;         // file offset of the first record (or CR or LF after one)
    std::int64_t recordsBefore = 0;  // records met before it, skipped ones included
    FramingState framing;
    // The lineage as the records before left it; nullptr at the start of the file.
    const RecordLineage* lineage = nullptr;
};

// inspectFile with `context.jobs` workers (at least one) over parts of four blocks each (the
// first part reaches past `context.limits.startBytes()`), at most jobs + 1 in flight. What is
// no regular file (a pipe, a device) is read in order. Progress grows as the parts are joined;
// `context.cancel` stops it between parts, and the report covers the parts joined until then.
// Fails as inspectFile does.
Result<InspectionReport> inspectFileInParts(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context);

}  // namespace sorvek
