#pragma once
// What the tests' temporary folders need of the system, POSIX or Windows.
#include <string>

namespace sorvek::testing {

// Creates a folder of a name no one else has under the system's temporary folder and returns
// its path; throws std::runtime_error when none can be made.
std::string makeFreshFolder();

// Makes a FIFO at `path`; false where the system has none (Windows) or it cannot be made.
bool makeFifo(const std::string& path);

}  // namespace sorvek::testing
