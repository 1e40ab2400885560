#pragma once
// The reasons the operating system gives for a failed file operation, in the user's words.
#include "ports/status.h"

namespace sorvek {

// The reason for the error number `error` (an errno value) as one sentence:
// "アクセスが拒否されました。", "ディスクの空き容量が不足しています。" and so on; an error without
// words of its own is named by its number.
std::string systemErrorText(int error);

// The kind of failure the error number `error` tells: NotFound, Permission, NoSpace and so on;
// Failed for an error of no particular kind (the caller knows whether it read or wrote).
FailureKind systemFailureKind(int error);

// A failure whose reason is systemErrorText(error), of kind systemFailureKind(error).
Failure systemFailure(int error);

}  // namespace sorvek
