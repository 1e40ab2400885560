#include "console/console_ports.h"

#include <string>

namespace sorvek {

void ConsoleMessages::show(const std::string& text, const std::string&, MessageIcon) {
    if (progress_ != nullptr) progress_->endLine();
    std::fputs(text.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

bool ConsoleMessages::askYesNo(const std::string& text, const std::string& title) {
    show(text, title, MessageIcon::None);
    return false;
}

void ConsoleProgress::showLabel() {}

void ConsoleProgress::showProgress(std::int32_t value, std::int32_t maximum) {
    if (!enabled_) return;
    bool applied = bar_.apply(value, maximum);
    if (maximum != -1) active_ = applied;  // an empty input sets no maximum: draw nothing
    if (!applied || !active_) return;
    // At most ten redraws a second, but always the first report and the end.
    auto now = std::chrono::steady_clock::now();
    bool atEnd = bar_.value() == bar_.maximum();
    if (!atEnd && dueForRedraw(now)) return;
    lastDraw_ = now;
    draw();
}

void ConsoleProgress::showBytesDone(std::int64_t bytes) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (bytes == 0 || countStart_ == std::chrono::steady_clock::time_point{}) countStart_ = now;
    if (dueForRedraw(now)) return;
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - countStart_).count();
    std::string line = byteCountText(bytes);
    if (seconds >= 0.5) {
        line += " (" +
                byteCountText(static_cast<std::int64_t>(static_cast<double>(bytes) / seconds)) +
                "/s)";
    }
    drawLine(line);
}

bool ConsoleProgress::dueForRedraw(std::chrono::steady_clock::time_point now) const {
    return lineOpen_ && now - lastDraw_ < std::chrono::milliseconds(100);
}

void ConsoleProgress::draw() {
    constexpr int kWidth = 40;
    int filled = bar_.percent() * kWidth / 100;
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kWidth - filled), '-');
    line += "] " + bar_.label();
    drawLine(line);
}

void ConsoleProgress::drawLine(const std::string& line) {
    std::string text = "\r" + line;
    if (line.size() < drawnWidth_) text.append(drawnWidth_ - line.size(), ' ');
    drawnWidth_ = line.size();
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    lineOpen_ = true;
}

void ConsoleProgress::endLine() {
    drawnWidth_ = 0;
    if (!lineOpen_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    lineOpen_ = false;
}

}  // namespace sorvek
