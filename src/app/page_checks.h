#pragma once
// The checks of the wizard's pages: whether Next may be pressed, and the parameters they take
// over into the job state when the page's inputs are valid. Texts are compared exactly.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "platform/text_checks.h"

namespace sorvek {

// The target line endings the line-ending page offers, in list order.
inline constexpr const char* kLineEndingChoices[] = {"CR+LF", "CR", "LF"};

// The caption of a file's present line ending (a detectLineEnding code): "改行無し", "CR+LF",
// "CR", "LF", "ファイル無し", or "不明" for any other code.
std::string lineEndingCaption(int code);

// Page 0: both paths given and different. Takes them over as JobParams 0 and 1.
bool checkFilesPage(const std::string& input, const std::string& output, JobState& job);

// Page 10: digits only, and a value the record-length job can take (at most 2147483647).
// Takes the text over as JobParams 2.
bool checkRecordLengthPage(const std::string& text, JobState& job);

struct RecordDefinitionCheck {
    bool nextEnabled;
    bool saveEnabled;
};
// Page 11: with fewer than two tree nodes (no record yet) neither Next nor saving is possible.
// Otherwise the definition may be saved, and Next needs record 1 to have a field; then the
// definition's name (entry 0) becomes JobParams 2.
RecordDefinitionCheck checkRecordDefinitionPage(int treeNodeCount, const RecordDefTable& table,
                                                JobState& job);

// Page 13: the target is exactly one of the offered endings and differs from the caption of
// the present one. Takes the target over as JobParams 2.
bool checkLineEndingPage(const std::string& target, const std::string& present, JobState& job);

// What a page's controls hold when its check runs.
struct PageInputs {
    std::string inputPath;
    std::string outputPath;
    std::string recordLength;
    std::string lineEndingTarget;
    std::string lineEndingPresent;
    int treeNodeCount = 0;
};

struct PageCheckResult {
    bool nextEnabled = false;
    // Page 11 only: the enabled state of the save button.
    std::optional<bool> saveEnabled;
};

// The check of page `page`; nothing (and nothing changed) for the execute page or a number
// that is no page.
std::optional<PageCheckResult> checkPage(std::int32_t page, const PageInputs& inputs,
                                         AppState& state);

}  // namespace sorvek
