#pragma once
// Port implementations for tests: they record what the engine showed and answer questions.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ports/messages.h"
#include "ports/progress.h"

namespace sorvek::testing {

struct ShownMessage {
    std::string text;
    std::string title;
    MessageIcon icon;
};

class RecordingMessages final : public Messages {
  public:
    void show(const std::string& text, const std::string& title, MessageIcon icon) override {
        shown.push_back({text, title, icon});
    }
    bool askYesNo(const std::string& text, const std::string& title) override {
        shown.push_back({text, title, MessageIcon::None});
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<ShownMessage> shown;
    std::deque<bool> answers;  // the next answers to Yes/No questions; No when empty
};

struct ProgressCall {
    std::int32_t value;
    std::int32_t maximum;
    bool operator==(const ProgressCall&) const = default;
};

class RecordingProgress final : public Progress {
  public:
    void showLabel() override { ++labelShown; }
    void showProgress(std::int32_t value, std::int32_t maximum) override {
        calls.push_back({value, maximum});
    }
    void showBytesDone(std::int64_t bytes) override { bytesDone.push_back(bytes); }

    int labelShown = 0;
    std::vector<ProgressCall> calls;
    std::vector<std::int64_t> bytesDone;
};

}  // namespace sorvek::testing
