#pragma once
// Before a job that removes or rewrites line breaks (record length, line endings): does its input
// look like record data, whose packed and binary fields hold CR and LF bytes that the job would
// change? Only the start of the input is read.
#include <optional>

#include "app/app_state.h"
#include "engine/inspection_report.h"
#include "platform/files.h"

namespace sorvek {

// The report on the first bytes of the job's input (JobParams 0) when the job is RECLEN or CRLF
// and those bytes look like record data. Nothing for another job, for text, and for an input
// that is no regular file (the bytes read here would be lost to the job) or cannot be read.
std::optional<InspectionReport> recordDataInInput(const JobState& job,
                                                  FileSystem& files = osFileSystem());

}  // namespace sorvek
