#include "app/run_job.h"

#include "app/settings.h"
#include "engine/tran_crlf.h"
#include "engine/tran_rec2csv.h"
#include "engine/tran_rec_len.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "ports/app_title.h"

namespace sorvek {

std::optional<std::int32_t> recordLengthFromText(const std::string& text, Messages& messages) {
    std::optional<std::int32_t> length = parseInt32(text);
    if (!length) {
        messages.show("レコード長の指定に誤りがあります。\nレコード長 = " + text, kAppTitle,
                      MessageIcon::Exclamation);
    }
    return length;
}

std::string jobPath(const std::string& typed) {
    return typed == kStandardStream ? typed : getFullPath(typed);
}

std::vector<KeptFile> filesKeptFromOutput(const AppState& state) {
    std::vector<KeptFile> kept;
    if (state.job.JobKind == kJobRec2Csv && !state.definitionFile.empty()) {
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

bool lineEndingAccepted(const std::string& text, Messages& messages) {
    if (lineEndingBytes(text) != nullptr) return true;
    showLineEndingRefusal(text, messages);
    return false;
}

bool runJob(AppState& state, EngineContext& context) {
    JobState& job = state.job;
    context.keptFiles = filesKeptFromOutput(state);
    if (job.JobKind == kJobRecLen) {
        // Checked before the paths are resolved, so that nothing is touched for a bad length.
        std::optional<std::int32_t> length =
            recordLengthFromText(job.JobParams[2], context.messages);
        if (!length) return false;
        std::string input = jobPath(job.JobParams[0]);
        std::string output = jobPath(job.JobParams[1]);
        return tranRecLen(input, output, *length, context);
    }
    if (job.JobKind == kJobRec2Csv) {
        std::string input = jobPath(job.JobParams[0]);
        std::string output = jobPath(job.JobParams[1]);
        return tranRec2Csv(input, output, state.recordDefTable, context);
    }
    if (job.JobKind == kJobCrlf) {
        std::string input = jobPath(job.JobParams[0]);
        std::string output = jobPath(job.JobParams[1]);
        return tranCrlf(input, output, job.JobParams[2], context);
    }
    return false;
}

}  // namespace sorvek
