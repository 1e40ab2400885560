#pragma once
#include <string>
#include <vector>

namespace sorvek {

// Cuts a command-line text (what follows the program name) into arguments. Only the space
// separates; several spaces count as one; a double quote always starts or ends an argument, so
// `ab"c d"e` gives ab, "c d" and e; a quoted argument whose closing quote is missing is dropped.
// Returns false for an empty text and leaves `args` alone; otherwise replaces `args` and returns
// true, also when the text held no argument.
bool splitCommandLine(const std::string& text, std::vector<std::string>& args);

}  // namespace sorvek
