#include "app/run_job.h"

#include "app/failure_message.h"
#include "app/job_registry.h"
#include "app/settings.h"
#include "platform/paths.h"

namespace sorvek {

std::string jobPath(const std::string& typed) {
    return typed == kStandardStream ? typed : getFullPath(typed);
}

std::vector<KeptFile> filesKeptFromOutput(const AppState& state) {
    std::vector<KeptFile> kept;
    const JobEntry* job = findJobByKind(state.job.JobKind);
    if (job != nullptr && job->readsDefinition && !state.definitionFile.empty()) {
        kept.push_back({state.definitionFile, "レコード定義ファイルと同じファイルです。"});
    }
    // Also in an unattended run, which reads no setting: the file is the user's all the same,
    // and so is the desktop program's beside the console program.
    for (const std::string& settings :
         {state.IniFilePath, settingsFilePath(), settingsFilePathOf("sorvek")}) {
        if (!settings.empty()) kept.push_back({settings, "設定ファイルと同じファイルです。"});
    }
    return kept;
}

bool runJob(AppState& state, EngineContext& context, Messages& messages) {
    const JobEntry* job = findJobByKind(state.job.JobKind);
    if (job == nullptr) return false;
    context.keptFiles = filesKeptFromOutput(state);
    const Status outcome = job->run(state, context);
    if (!outcome) showFailure(outcome.error(), messages);
    return outcome.ok();
}

}  // namespace sorvek
