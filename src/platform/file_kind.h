#pragma once
// What kind of thing a path names, for the places that read a file only to look at it (a
// preview, a hint) and must never wait on, or take bytes from, a pipe or a device that the job
// itself is to read.
#include <string>

namespace sorvek {

// True when `path` names a regular file (after following symbolic links). False for anything
// else, also when nothing is there or it cannot be examined.
bool isPlainFile(const std::string& path);

}  // namespace sorvek
