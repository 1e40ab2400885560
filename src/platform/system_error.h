#pragma once
// The reasons the operating system gives for a failed file operation, in the user's words.
#include "ports/status.h"

namespace sorvek {

// The reason for the error number `error` (an errno value) as one sentence:
// "アクセスが拒否されました。", "ディスクの空き容量が不足しています。" and so on; an error without
// words of its own is named by its number.
std::string systemErrorText(int error);

// A failure whose message is systemErrorText(error).
Failure systemFailure(int error);

}  // namespace sorvek
