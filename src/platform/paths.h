#pragma once
#include <string>

namespace sorvek {

// Absolute form of `path`, resolved against the current directory; "." and ".." are folded.
// The file need not exist. An empty path gives the current directory.
std::string getFullPath(const std::string& path);

// The folder separator of the platform: "/" here, "\" on Windows.
char folderSeparator();

// `folder` with the separator appended when it does not end in one; "" gives the root.
std::string withTrailingSeparator(const std::string& folder);

// The folder that holds what `path` names, without a trailing separator unless it is the root
// ("/", or "C:\" on Windows); "." for a bare name. And the name after the folder.
std::string folderOfPath(const std::string& path);
std::string nameOfPath(const std::string& path);

// Folder (without a trailing separator) and base name (without extension) of the running
// executable. Empty when they cannot be found.
std::string executableFolder();
std::string executableBaseName();

}  // namespace sorvek
