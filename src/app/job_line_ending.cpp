// The line-ending job: every line break of the input rewritten as CR LF, CR or LF.
#include "app/completion_text.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/tran_crlf.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// A name the job would refuse is refused before any file is touched, as the job refuses it.
Status checkLineEnding(const std::string& text) {
    if (lineEndingBytes(text) != nullptr) return {};
    return lineEndingRefusal(text);
}

Status run(AppState& state, EngineContext& context) {
    JobState& job = state.job;
    return tranCrlf(jobPath(job.JobParams[0]), jobPath(job.JobParams[1]), job.JobParams[2],
                    context);
}

void summarize(const AppState&, const InspectionReport& input, JobSummary& summary) {
    summary.countText = "書き出した行数: " + groupedNumber(input.bytes.lines) + " 行";
}

const char kUsage[] =
    "  sorvek-cli [オプション] /E 入力ファイル 出力ファイル 改行コード\n"
    "  sorvek-cli [オプション] --line-ending 改行コード 入力ファイル 出力ファイル\n"
    "      改行コード変換: 改行を CR+LF, CRLF, CR, LF のいずれかに揃えます。\n";

constexpr JobEntry kEntry{
    .kind = kJobCrlf,
    .title = "改行コード変換",
    .commandSwitch = "/E",
    .longOption = "--line-ending",
    .buttonIndex = 3,
    .page = kPageLineEnding,
    .parameterLabel = "改行コード: ",
    .hint = "改行コード(LF,CR,CRLF)を変換します。",
    .comment = "変換後の改行コードを指定してください。",
    .iconName = "job_crlf",
    .countRefusal = "パラメータの数が違います",
    .manualTopic = "crlf",
    .usage = kUsage,
    .readsDefinition = false,
    .warnsOnRecordData = true,
    .inputIsRecords = false,
    .makesRecords = false,
    .checkParameter = checkLineEnding,
    .run = run,
    .summarize = summarize,
};

}  // namespace

const JobEntry& lineEndingJob() {
    return kEntry;
}

}  // namespace sorvek
