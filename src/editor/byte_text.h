#pragma once
// The text beside the bytes of the preview's byte ruler: what each line of bytes reads as in the
// definition's code page, so that a user can find a field's text among the hex without knowing
// the code by heart.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_code_page.h"

namespace sorvek {

// The text of `bytes` cut into lines of `perLine` bytes (UTF-8, one line per line of bytes).
// A one-byte character stands for its byte; a double-byte character (a CP932 pair, or an EBCDIC
// pair between shift-out and shift-in) is shown on the line its first byte is on and stands for
// both bytes. A control code, a shift byte and a byte that is no character show as ".".
std::vector<std::string> bytesAsText(std::string_view bytes, std::size_t perLine,
                                     InputCodePage page);

}  // namespace sorvek
