#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "app/app_state.h"
#include "engine/engine_context.h"

namespace sorvek {

// Runs the prepared job of `state`: makes both paths absolute and calls the engine operation of
// `JobKind`. Returns the operation's result; every failure has been shown when it returns false.
// A CRLF job leaves the line ending upper-cased in JobParams(2); a REC2CSV job leaves its
// working data in the table.
bool runJob(AppState& state, EngineContext& context);

// The record length of a RECLEN job, or nothing after showing why the text is refused.
std::optional<std::int32_t> recordLengthFromText(const std::string& text, Messages& messages);

// True when `text` names a line ending of a CRLF job; otherwise false after showing the refusal
// the job itself would show.
bool lineEndingAccepted(const std::string& text, Messages& messages);

}  // namespace sorvek
