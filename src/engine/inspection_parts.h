#pragma once
// The inspection of a regular file in parts, several at once: each worker maps (or reads) its
// own part and profiles its bytes at once with the others, then, in the parts' turns, hands them
// to the one record walk of the file, which takes them in order. The profiles are joined in
// order; the report is the one a reading in order gives.
#include <cstdint>
#include <string>

#include "engine/inspection.h"

namespace sorvek {

// inspectFile with `context.jobs` workers (at least one) over parts of four blocks each (the
// first part reaches past `context.limits.startBytes()`), at most jobs + 1 in flight. What is
// no regular file (a pipe, a device) is read in order. Progress grows as the parts are joined;
// `context.cancel` stops it between parts, and the report covers the parts joined until then.
// Fails as inspectFile does.
Result<InspectionReport> inspectFileInParts(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context);

}  // namespace sorvek
