#include "app/command_line.h"

namespace sorvek {

// The text is UTF-8. The only characters that matter, space and quote, are ASCII, and no byte
// of a multi-byte UTF-8 character is ever an ASCII byte, so scanning bytes cuts the text at
// exactly the characters a scan by characters would.
bool splitCommandLine(const std::string& text, std::vector<std::string>& args) {
    if (text.empty()) return false;
    args.clear();
    constexpr std::size_t kNone = std::string::npos;
    std::size_t quoteAt = kNone;  // position of the opening quote of a quoted argument
    std::size_t wordAt = kNone;   // start of an unquoted argument
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            if (quoteAt != kNone) {
                args.push_back(text.substr(quoteAt + 1, i - quoteAt - 1));
                quoteAt = kNone;
            } else {
                if (wordAt != kNone) {
                    args.push_back(text.substr(wordAt, i - wordAt));
                    wordAt = kNone;
                }
                quoteAt = i;
            }
        } else if (c == ' ') {
            if (quoteAt == kNone && wordAt != kNone) {
                args.push_back(text.substr(wordAt, i - wordAt));
                wordAt = kNone;
            }
        } else if (quoteAt == kNone && wordAt == kNone) {
            wordAt = i;
        }
    }
    if (wordAt != kNone) args.push_back(text.substr(wordAt));
    return true;
}

}  // namespace sorvek
