#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "engine/engine_context.h"

namespace sorvek {

// A path of the job as the engine takes it: absolute, but "-" (the standard streams) as it is.
std::string jobPath(const std::string& typed);

// The files a job's output may not name besides its input: the definition file of a REC2CSV
// job, and the settings file (the program's own and the desktop program's, also in an
// unattended run that reads none).
std::vector<KeptFile> filesKeptFromOutput(const AppState& state);

// Runs the prepared job of `state`: makes both paths absolute (jobPath), sets the files the
// output may not name (context.keptFiles) and calls the engine operation of `JobKind`. Returns
// the operation's result; every failure has been shown when it returns false. A CRLF job leaves
// the line ending upper-cased in JobParams(2); a REC2CSV job leaves its working data in the
// table.
bool runJob(AppState& state, EngineContext& context);

// The record length of a RECLEN job, or nothing after showing why the text is refused.
std::optional<std::int32_t> recordLengthFromText(const std::string& text, Messages& messages);

// True when `text` names a line ending of a CRLF job; otherwise false after showing the refusal
// the job itself would show.
bool lineEndingAccepted(const std::string& text, Messages& messages);

}  // namespace sorvek
