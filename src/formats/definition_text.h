#pragma once
// Reading a definition file (.trd or .rcdef) as text, bounded: only what a definition can be is
// read, so that a device, a FIFO or a large data file given by mistake costs neither time nor
// memory, and a file an editor saved as UTF-8 is read as what it is.
#include <cstddef>
#include <string>

#include "platform/codepage.h"
#include "platform/files.h"

namespace sorvek {

// The largest definition file read.
inline constexpr std::size_t kMaxDefinitionFileBytes = 64 << 20;

struct DefinitionText {
    std::string text;  // UTF-8
    TextEncoding encoding = TextEncoding::Cp932;
};

// Reads the definition file at `path`: a regular file (or a symbolic link to one) of at most
// kMaxDefinitionFileBytes, decoded as CP932 unless detectTextEncoding tells UTF-8. Anything
// else fails with the reason (readRegularFile), without opening it.
Result<DefinitionText> readDefinitionText(const std::string& path, FileSystem& files);

// The note shown after a definition was read as UTF-8.
std::string utf8DefinitionNote(const std::string& path);

}  // namespace sorvek
