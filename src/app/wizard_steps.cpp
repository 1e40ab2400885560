#include "app/wizard_steps.h"

#include "app/completion_text.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "ports/app_title.h"

namespace sorvek {

std::string wizardCaption(const JobState& job, int step) {
    return std::string(kAppTitle) + " - " + job.JobTitle + " (" + std::to_string(step + 1) + "/" +
           std::to_string(job.PageSequence.size()) + ")";
}

std::string manualTopic(std::int32_t page, const std::string& jobKind) {
    if (page == kPageRecordLength) return "reclen";
    if (page == kPageRecordDefinition) return "editor";
    if (page == kPageLineEnding) return "crlf";
    const JobEntry* entry = findJobByKind(jobKind);
    return entry != nullptr ? entry->manualTopic : "start";
}

std::string overwriteQuestion(const std::string& outputPath) {
    return "出力ファイル「" + outputPath + "」は既に存在します。\n上書きしますか？";
}

std::string WizardSteps::comment() const {
    const auto i = static_cast<std::size_t>(step_);
    return i < job_.PageComments.size() ? job_.PageComments[i] : std::string();
}

StepChange WizardSteps::next() {
    StepChange change{};
    change.hiddenPage = page();
    ++step_;
    change.shownPage = page();
    change.nextIsExecute = step_ + 1 == stepCount();
    // Entering the last step keeps Next as it was (the previous page's check passed);
    // any other step waits for its own check.
    if (!change.nextIsExecute) change.nextEnabled = false;
    change.backEnabled = true;
    change.detectLineEnding = step_ == 1 && page() == kPageLineEnding;
    change.fillSummary = change.nextIsExecute;
    return change;
}

StepChange WizardSteps::back() {
    StepChange change{};
    change.hiddenPage = page();
    --step_;
    change.shownPage = page();
    change.nextIsExecute = false;
    // The page shown again re-runs its check, which may disable Next once more.
    change.nextEnabled = true;
    change.backEnabled = step_ >= 1;
    return change;
}

ExecuteResult executeJob(AppState& state, EngineContext& context, Messages& messages) {
    if (state.unattended) {
        const bool ok = runJob(state, context, messages);
        return {ok, false, {}};
    }
    const std::optional<JobSummary> summary = runJobWithSummary(state, context, messages);
    if (!summary) return {false, false, {}};
    return {true, true, completionDetails(*summary)};
}

}  // namespace sorvek
