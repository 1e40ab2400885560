#include "app/run_job.h"

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

bool lineEndingAccepted(const std::string& text, Messages& messages) {
    if (lineEndingBytes(text) != nullptr) return true;
    showLineEndingRefusal(text, messages);
    return false;
}

bool runJob(AppState& state, EngineContext& context) {
    JobState& job = state.job;
    if (job.JobKind == kJobRecLen) {
        // Checked before the paths are resolved, so that nothing is touched for a bad length.
        std::optional<std::int32_t> length =
            recordLengthFromText(job.JobParams[2], context.messages);
        if (!length) return false;
        std::string input = getFullPath(job.JobParams[0]);
        std::string output = getFullPath(job.JobParams[1]);
        return tranRecLen(input, output, *length, context);
    }
    if (job.JobKind == kJobRec2Csv) {
        std::string input = getFullPath(job.JobParams[0]);
        std::string output = getFullPath(job.JobParams[1]);
        return tranRec2Csv(input, output, state.recordDefTable, context);
    }
    if (job.JobKind == kJobCrlf) {
        std::string input = getFullPath(job.JobParams[0]);
        std::string output = getFullPath(job.JobParams[1]);
        return tranCrlf(input, output, job.JobParams[2], context);
    }
    return false;
}

}  // namespace sorvek
