#include "app/wizard_steps.h"

#include "app/completion_text.h"
#include "app/run_job.h"
#include "engine/inspection.h"
#include "ports/app_title.h"

namespace sorvek {

std::string wizardCaption(const JobState& job, int step) {
    return std::string(kAppTitle) + " - " + job.JobTitle + " (" + std::to_string(step + 1) + "/" +
           std::to_string(job.PageSequence.size()) + ")";
}

std::vector<std::string> summaryLines(const JobState& job) {
    return {job.JobTitle, job.JobParams[0], job.JobParams[1], job.JobParams[2]};
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

ExecuteResult executeJob(AppState& state, EngineContext& context) {
    if (state.unattended) {
        const bool ok = runJob(state, context);
        return {ok, false, {}};
    }
    // The definition is taken as it is before the job changes it (a "\t" delimiter, the data).
    Inspector inspector(state.job.JobKind == kJobRec2Csv ? &state.recordDefTable : nullptr);
    context.observeInput = [&inspector](const char* data, std::size_t size) {
        inspector.add(data, size);
    };
    const bool ok = runJob(state, context);
    context.observeInput = nullptr;
    if (!ok) return {false, false, {}};
    return {true, true, completionDetails(summarizeJob(state, inspector.finish(), context.files))};
}

}  // namespace sorvek
