#include "app/startup.h"

#include "app/run_job.h"
#include "editor/definition_commands.h"
#include "formats/load_definition.h"
#include "platform/codepage.h"
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
    const std::string sw = asciiUpper(args[0]);
    if (sw == "/L") {
        job.JobKind = kJobRecLen;
        job.JobTitle = "レコード長変換";
    } else if (sw == "/C") {
        job.JobKind = kJobRec2Csv;
        job.JobTitle = "REC→CSV変換";
    } else if (sw == "/E") {
        job.JobKind = kJobCrlf;
        job.JobTitle = "改行コード変換";
    } else {
        return refuse(messages, "パラメータに誤りがあります。");
    }
    if (args.size() != 4) {
        return refuse(messages,
                      sw == "/C" ? "パラメータの数が違います。" : "パラメータの数が違います");
    }
    // A record length that is no 32-bit number is refused here, before anything is loaded.
    if (sw == "/L" && !recordLengthFromText(args[3], messages)) {
        return {StartupAction::End, kExitRefused};
    }

    job.PageSequence = {kPageExecute};
    job.PageComments = {"コマンドライン実行中です。"};
    job.JobParams = {args[1], args[2], args[3]};
    state.unattended = true;

    if (sw == "/C") {
        state.recordDefTable.reset(2);
        const std::string definitionPath = getFullPath(args[3]);
        const Status loaded = loadDefinition(definitionPath, state.recordDefTable, files);
        if (!loaded) {
            showLoadFailure(definitionPath, loaded, messages);
            return {StartupAction::End, kExitFailure};
        }
    }
    return {StartupAction::RunJob, kExitSuccess};
}

}  // namespace sorvek
