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
    if (lineOpen_ && !atEnd && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    draw();
}

void ConsoleProgress::draw() {
    constexpr int kWidth = 40;
    int filled = bar_.percent() * kWidth / 100;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(kWidth - filled), '-');
    line += "] " + bar_.label();
    std::fputs(line.c_str(), out_);
    std::fflush(out_);
    lineOpen_ = true;
}

void ConsoleProgress::endLine() {
    if (!lineOpen_) return;
    std::fputc('\n', out_);
    std::fflush(out_);
    lineOpen_ = false;
}

}  // namespace sorvek
