#pragma once
// The checks of the wizard's pages: whether Next may be pressed, why not (one line in the page's
// own words, shown on the page while Next is greyed), and the parameters they take over into the
// job state when the page's inputs are valid. Texts are compared exactly.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "engine/inspection_report.h"
#include "platform/files.h"
#include "platform/text_checks.h"

namespace sorvek {

// The target line endings the line-ending page offers, in list order.
inline constexpr const char* kLineEndingChoices[] = {"CR+LF", "CR", "LF"};

// The caption of a file's present line ending (a detectLineEnding code): "改行無し", "CR+LF",
// "CR", "LF", "ファイル無し", or "不明" for any other code.
std::string lineEndingCaption(int code);
// What the line-ending page shows as the present ending of a file with more than one form.
inline constexpr const char* kMixedLineEndingCaption = "混在";

// What the line-ending page says of the endings found in the whole input: "見つかった改行:
// CR+LF 1,200 行、LF 3 行 (混在しています)", or "改行はありません。".
std::string lineEndingCountsText(const ByteProfile& profile);
// True when the input holds more than one form of line ending.
bool lineEndingsMixed(const ByteProfile& profile);

// The outcome of one page's check: Next is enabled exactly when it passes; `reason` says why it
// does not (empty when it passes).
struct PageCheck {
    bool passes = false;
    std::string reason;
    explicit operator bool() const { return passes; }
};

// Page 0: both paths given and different, the input a file that exists (or "-", standard input)
// and the output's folder one that exists; the output may not be a folder. Relative paths are
// taken from the current folder, as the job takes them. The reasons are the execute page's
// ("入力ファイルが存在しません。"). Takes the paths over as JobParams 0 and 1.
PageCheck checkFilesPage(const std::string& input, const std::string& output, JobState& job,
                         FileSystem& files = osFileSystem());

// Page 10: digits only, and a value the record-length job can take (at most 2147483647).
// Takes the text over as JobParams 2.
PageCheck checkRecordLengthPage(const std::string& text, JobState& job);

struct RecordDefinitionCheck {
    bool nextEnabled;
    bool saveEnabled;
    std::string reason;  // why Next is greyed; empty when it is not
};
// Page 11: with fewer than two tree nodes (no record yet) neither Next nor saving is possible.
// Otherwise the definition may be saved, and Next needs record 1 to have a field; then the
// definition's name (entry 0) becomes JobParams 2.
RecordDefinitionCheck checkRecordDefinitionPage(int treeNodeCount, const RecordDefTable& table,
                                                JobState& job);

// Page 13: the target is exactly one of the offered endings and differs from the caption of
// the present one, unless the input mixes endings (`mixed`): then every target makes its line
// endings one. Takes the target over as JobParams 2.
PageCheck checkLineEndingPage(const std::string& target, const std::string& present, bool mixed,
                              JobState& job);

// What a page's controls hold when its check runs.
struct PageInputs {
    std::string inputPath;
    std::string outputPath;
    std::string recordLength;
    std::string lineEndingTarget;
    std::string lineEndingPresent;
    bool lineEndingMixed = false;
    int treeNodeCount = 0;
};

struct PageCheckResult {
    bool nextEnabled = false;
    // Page 11 only: the enabled state of the save button.
    std::optional<bool> saveEnabled;
    // Why Next is greyed; empty when it is enabled.
    std::string reason;
};

// The check of page `page`; nothing (and nothing changed) for the execute page or a number
// that is no page. On page 11 a definition that the job would refuse at its start greys Next
// too, the job's reason after "この定義では変換できません: ".
std::optional<PageCheckResult> checkPage(std::int32_t page, const PageInputs& inputs,
                                         AppState& state, FileSystem& files = osFileSystem());

}  // namespace sorvek
