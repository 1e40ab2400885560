#include "app/startup.h"

#include "app/failure_message.h"
#include "app/job_registry.h"
#include "app/shipped_layouts.h"
#include "formats/load_definition.h"
#include "platform/paths.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

StartupOutcome refuse(Messages& messages, const std::string& text) {
    messages.show(text, kAppTitle, MessageIcon::Exclamation);
    return {StartupAction::End, kExitRefused};
}

}  // namespace

StartupOutcome prepareStartup(const std::vector<std::string>& args, AppState& state,
                              Messages& messages, FileSystem& files) {
    if (args.empty()) return {StartupAction::ShowMainWindow, kExitSuccess};

    JobState& job = state.job;
    const JobEntry* entry = findJobBySwitch(args[0]);
    if (entry == nullptr) {
        showFailure(Failure(FailureKind::RefusedArgument, "", FailureSubject::JobSwitch, args[0]),
                    messages);
        return {StartupAction::End, kExitRefused};
    }
    job.JobKind = entry->kind;
    job.JobTitle = entry->title;
    if (args.size() != 4) return refuse(messages, entry->countRefusal);
    // A parameter the job cannot take (a record length that is no 32-bit number) is refused
    // here, before anything is loaded.
    if (entry->checkParameter != nullptr) {
        if (const Status accepted = entry->checkParameter(args[3]); !accepted) {
            showFailure(accepted.error(), messages);
            return {StartupAction::End, kExitRefused};
        }
    }

    job.PageSequence = {kPageExecute};
    job.PageComments = {"コマンドライン実行中です。"};
    job.JobParams = {args[1], args[2], args[3]};
    state.unattended = true;

    if (entry->readsDefinition && !loadJobDefinition(args[3], state, messages, files)) {
        return {StartupAction::End, kExitFailure};
    }
    return {StartupAction::RunJob, kExitSuccess};
}

bool loadJobDefinition(const std::string& typed, AppState& state, Messages& messages,
                       FileSystem& files) {
    state.recordDefTable.reset(2);
    const std::string definitionPath = definitionPathFor(typed, shippedLayoutsFolder(files), files);
    auto loaded = loadDefinition(definitionPath, state.recordDefTable, files);
    // A job tells of kinds it cannot tell apart itself, whatever the definition came from: -v,
    // the check's findings, the completion message.
    if (loaded) loaded->untoldKinds = 0;
    if (!showLoadOutcome(definitionPath, loaded, messages)) return false;
    state.definitionFile = definitionPath;
    return true;
}

}  // namespace sorvek
