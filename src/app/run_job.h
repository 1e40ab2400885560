#pragma once
#include <string>
#include <vector>

#include "app/app_state.h"
#include "engine/engine_context.h"
#include "ports/messages.h"

namespace sorvek {

// A path of the job as the engine takes it: absolute, but "-" (the standard streams) as it is.
std::string jobPath(const std::string& typed);

// The files a job's output may not name besides its input: the definition file of a job that
// reads one, and the settings file (the program's own and the desktop program's, also in an
// unattended run that reads none).
std::vector<KeptFile> filesKeptFromOutput(const AppState& state);

// Runs the prepared job of `state` through its entry in the job registry: sets the files the
// output may not name (context.keptFiles) and calls the job's runner, which makes both paths
// absolute (jobPath) and calls the engine operation. True when the job succeeded; otherwise
// false after its failure has been shown through `messages` (failureMessage); a kind no job has
// is false without a message. A CRLF job leaves the line ending upper-cased in JobParams(2); a
// REC2CSV job leaves its working data in the table.
bool runJob(AppState& state, EngineContext& context, Messages& messages);

}  // namespace sorvek
