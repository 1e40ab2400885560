// The check: the whole input read, through a definition when one is given, and what the
// conversions would meet reported, without writing anything.
#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/inspection.h"

namespace sorvek {
namespace {

Status run(AppState& state, EngineContext& context) {
    const JobState& job = state.job;
    InspectionContext inspection{context.progress, context.files};
    inspection.cancel = context.cancelled;
    inspection.jobs = context.jobs;
    const bool withDefinition = !job.JobParams[2].empty();
    Result<InspectionReport> report = inspectFile(
        jobPath(job.JobParams[0]), withDefinition ? &state.recordDefTable : nullptr, inspection);
    if (!report) return report.error();
    state.inspection = std::move(*report);
    return {};
}

const char kUsage[] =
    "  sorvek-cli [-q] [--jobs N] --check [--json] 入力ファイル [定義ファイル]\n"
    "      点検: ファイルを最後まで読み、改行、テキストかレコードデータか、レコード長の\n"
    "      候補を、定義ファイルがあれば変換で起きること (識別区分の不明なレコード、\n"
    "      不完全なレコード、正しくない値など) を標準出力に報告します。何も書き出しません。\n"
    "      --json を付けると JSON で出力します。終了コード: 0 問題なし、1 問題あり。\n";

constexpr JobEntry kEntry{
    .kind = kJobCheck,
    .title = "点検",
    .commandSwitch = nullptr,
    .longOption = "--check",
    .buttonIndex = -1,
    .page = -1,
    .parameterLabel = "レコード定義: ",
    .hint = "",
    .comment = "",
    .iconName = "",
    .countRefusal = "",
    .manualTopic = "cmdline",
    .usage = kUsage,
    .readsDefinition = true,
    .warnsOnRecordData = false,
    .inputIsRecords = true,
    .makesRecords = false,
    .checkParameter = nullptr,
    .run = run,
    .summarize = nullptr,
};

}  // namespace

const JobEntry& checkJob() {
    return kEntry;
}

}  // namespace sorvek
