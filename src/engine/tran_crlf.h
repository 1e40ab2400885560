#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine_context.h"

namespace sorvek {

// Rewrites every line break of the input (CR LF, a CR alone, an LF alone) as the target line
// ending: "CR+LF" or "CRLF" (CR LF), "CR" or "LF", in any letter case. `lineEnding` is turned
// into upper case in place; a name that is none of the four is refused before any file is
// touched (RefusedArgument, about LineEnding, with the upper-cased name). REQUIRES: absolute
// paths. Succeeds when the output was written to its end; fails with what went wrong as
// tranRecLen does.
Status tranCrlf(const std::string& inputPath, const std::string& outputPath,
                std::string& lineEnding, EngineContext& context);

// The bytes of the line ending named `lineEnding` ("CR+LF", "CRLF", "CR" or "LF" in any letter
// case), or nullptr for any other name.
const char* lineEndingBytes(std::string_view lineEnding);

// The refusal of a line-ending name, as tranCrlf refuses it.
Failure lineEndingRefusal(std::string_view lineEnding);

// The present line ending of a file, as one of these codes (shows no message).
enum LineEndingCode : std::int16_t {
    kNoFile = -1,        // no file at the path
    kUndetermined = -2,  // cannot be opened, or no CR or LF in its first 20480 bytes
    kNoLineBreak = 0,    // shorter than 20480 bytes and no CR or LF at all
    kCrLf = 1,
    kCr = 2,
    kLf = 3,
};
std::int16_t detectLineEnding(const std::string& path, FileSystem& files = osFileSystem());

}  // namespace sorvek
