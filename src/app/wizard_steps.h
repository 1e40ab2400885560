#pragma once
// The wizard's step logic: which page is on show, what Next and Back change, the caption and
// the summary, and the execute step. The window only moves these values into its controls.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "engine/engine_context.h"
#include "ports/messages.h"

namespace sorvek {

inline constexpr const char* kNextCaption = "次へ(&N) >";
inline constexpr const char* kExecuteCaption = "実行(&X) >";
inline constexpr const char* kCompletionMessage = "変換が完了しました。";

// "Sorvek - レコード長変換 (1/3)": the application title, the job title, the 1-based step and
// the number of steps.
std::string wizardCaption(const JobState& job, int step);

// The manual's topic (the anchor in its page) of wizard page `page` of a job of kind `jobKind`:
// the job's own section for the files and execute pages, the editor's for the definition page.
std::string manualTopic(std::int32_t page, const std::string& jobKind);

// The question asked before an existing output file is replaced: "出力ファイル「/d/out.csv」は既
// に存在します。\n上書きしますか？".
std::string overwriteQuestion(const std::string& outputPath);

// The question asked when the user cancels a running job (the job then says it stopped).
inline constexpr const char* kCancelRunQuestion =
    "実行中の変換を中止しますか？\n出力ファイルは変換を始める前のまま残ります。";

// The execute page's guidance while a job runs, while the cancel question holds it, after a
// yes while it stops, and after it stopped.
inline constexpr const char* kRunningComment = "変換しています。しばらくお待ちください。";
inline constexpr const char* kPausedComment =
    "変換を一時停止しています。中止するかどうかを選んでください。";
inline constexpr const char* kStoppingComment = "変換を中止しています…";
inline constexpr const char* kCancelledComment =
    "変換を中止しました。出力ファイルは変換を始める前のままです。";
// Said instead of the cancel question once the job has begun to replace its outputs.
inline constexpr const char* kTooLateToCancel =
    "変換は既に完了し、出力ファイルを置き換えています。中止はできません。";

// What the window changes when the step moves.
struct StepChange {
    std::int32_t hiddenPage;
    std::int32_t shownPage;
    bool nextIsExecute;               // the Next button's caption: Execute or Next
    std::optional<bool> nextEnabled;  // nothing: Next keeps its enabled state
    bool backEnabled;
    bool detectLineEnding = false;  // show the input file's present line ending
    bool fillSummary = false;       // refill the summary list
};

// The current step of one wizard. The job state must outlive it and keep its page sequence.
class WizardSteps {
  public:
    // Starts at step 0. REQUIRES: job.PageSequence and job.PageComments of equal, non-zero size.
    explicit WizardSteps(const JobState& job) : job_(job) {}

    int step() const { return step_; }
    int stepCount() const { return static_cast<int>(job_.PageSequence.size()); }
    std::int32_t page() const { return job_.PageSequence[static_cast<std::size_t>(step_)]; }
    bool onExecutePage() const { return page() == kPageExecute; }
    bool canGoNext() const { return !onExecutePage() && step_ + 1 < stepCount(); }
    bool canGoBack() const { return step_ >= 1; }
    std::string caption() const { return wizardCaption(job_, step_); }
    std::string comment() const;

    // Moves one step on. REQUIRES: canGoNext().
    StepChange next();
    // Moves one step back. REQUIRES: canGoBack().
    StepChange back();

  private:
    const JobState& job_;
    int step_ = 0;
};

struct ExecuteResult {
    bool succeeded;
    // An interactive run that succeeded: show the completion message, record the history and
    // close the wizard. Otherwise the wizard stays on the execute page.
    bool completeInteractively;
    // What the completion message adds after kCompletionMessage (completionDetails); empty
    // unless completeInteractively.
    std::string completionDetails;
};

// The execute step: runs the prepared job (every failure has been shown through `messages` when it
// fails). An interactive run inspects the input as the job reads it, for the completion message.
ExecuteResult executeJob(AppState& state, EngineContext& context, Messages& messages);

}  // namespace sorvek
