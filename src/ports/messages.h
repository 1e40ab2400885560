#pragma once
// The message port: modal message boxes of the desktop program, standard error of the console
// program, recorders in tests.
#include <string>

namespace sorvek {

enum class MessageIcon { None, Information, Exclamation, Critical };

class Messages {
  public:
    virtual ~Messages() = default;
    // Shows `text` with an OK button and waits until it is dismissed.
    virtual void show(const std::string& text, const std::string& title, MessageIcon icon) = 0;
    // Asks a Yes/No question (no icon); true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& title) = 0;
    // Asks a question whose Yes may lose the user's data: No is the answer Enter gives, and
    // `icon` is shown beside it. Ports without a default answer ask as askYesNo does.
    virtual bool askBeforeHarm(const std::string& text, const std::string& title,
                               MessageIcon icon) {
        (void)icon;
        return askYesNo(text, title);
    }
};

}  // namespace sorvek
