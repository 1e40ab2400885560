#pragma once
// Windows only (wide_text_win32.cpp): the core's UTF-8 text and paths to and from the UTF-16 of
// the Win32 API, at the edge of the platform layer.
#include <string>
#include <string_view>

namespace sorvek {

// UTF-16 of the UTF-8 `text`; a byte that is no UTF-8 becomes U+FFFD.
std::wstring wideText(std::string_view text);
// UTF-8 of the UTF-16 `text`; a lone surrogate becomes U+FFFD.
std::string utf8Text(std::wstring_view text);

// The path `path` (UTF-8, "\" or "/", relative, a drive letter or \\server\share) as the wide
// path the file functions take: made absolute and, when longer than the 260 characters the
// plain form allows (less the 12 of a file name for a folder), given the \\?\ (or \\?\UNC\)
// prefix that lifts the limit. A device name (NUL, CON, \\.\...) and an empty path stay as
// they are.
std::wstring widePath(const std::string& path);

}  // namespace sorvek
