#pragma once
// The ports of the console program: messages as plain text on standard error, progress as a
// bar on standard error when that is a terminal.
#include <chrono>
#include <cstdio>
#include <string>

#include "ports/messages.h"
#include "ports/progress.h"

namespace sorvek {

class ConsoleProgress;

class ConsoleMessages final : public Messages {
  public:
    // `progress`, when given, has its bar line ended before a message is written.
    ConsoleMessages(std::FILE* out, ConsoleProgress* progress) : out_(out), progress_(progress) {}
    // Writes the text exactly as it stands, followed by a line feed.
    void show(const std::string& text, const std::string& title, MessageIcon icon) override;
    // Nobody can answer an unattended run: every question is answered No.
    bool askYesNo(const std::string& text, const std::string& title) override;

  private:
    std::FILE* out_;
    ConsoleProgress* progress_;
};

class ConsoleProgress final : public Progress {
  public:
    // Draws only when `enabled` (standard error is a terminal).
    ConsoleProgress(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}
    ~ConsoleProgress() override { endLine(); }

    void showLabel() override;
    void showProgress(std::int32_t value, std::int32_t maximum) override;
    // An input of unknown length: the bytes done and the rate, "12.3 MiB (45.6 MiB/s)".
    void showBytesDone(std::int64_t bytes) override;
    // Ends the bar's line so that a following message starts on a line of its own.
    void endLine();

  private:
    void draw();
    // Writes `line` over the line drawn last, blanking what it leaves of a longer one.
    void drawLine(const std::string& line);
    bool dueForRedraw(std::chrono::steady_clock::time_point now) const;

    std::FILE* out_;
    bool enabled_;
    bool lineOpen_ = false;
    bool active_ = false;  // a job has set a maximum the bar accepted
    ProgressBarModel bar_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::chrono::steady_clock::time_point countStart_{};  // when bytes done were first shown
    std::size_t drawnWidth_ = 0;                          // bytes of the line drawn last
};

}  // namespace sorvek
