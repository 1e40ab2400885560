// The CSV-to-records job: delimited text made into fixed-length records through a record
// definition, the way back of the record-to-CSV job.
#include "app/completion_text.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/tran_csv2rec.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

Status run(AppState& state, EngineContext& context) {
    const JobState& job = state.job;
    return tranCsv2Rec(jobPath(job.JobParams[0]), jobPath(job.JobParams[1]), state.recordDefTable,
                       state.recordOutput, context);
}

void summarize(const AppState&, const InspectionReport& input, JobSummary& summary) {
    summary.countText = "読み込んだ行数: " + groupedNumber(input.bytes.lines) + " 行";
}

const char kUsage[] =
    "  sorvek-cli [オプション] /R 入力ファイル 出力ファイル 定義ファイル\n"
    "  sorvek-cli [オプション] --to-records 定義ファイル 入力ファイル 出力ファイル\n"
    "      CSV→REC変換: 区切り文字付きのテキスト (REC→CSV変換の出力) を定義ファイルに\n"
    "      従って固定長レコードに戻します。\n";

constexpr JobEntry kEntry{
    .kind = kJobCsv2Rec,
    .title = "CSV→REC変換",
    .commandSwitch = "/R",
    .longOption = "--to-records",
    .buttonIndex = 2,
    .page = kPageRecordDefinition,
    .parameterLabel = "レコード定義: ",
    .hint = "CSV形式のテキストを固定長レコードに変換します。",
    .comment =
        "レコード定義情報を入力してください。CSVの各行を、定義に従ってレコードに変換します。",
    .iconName = "job_csv2rec",
    .countRefusal = "パラメータの数が違います。",
    .manualTopic = "csv2rec",
    .usage = kUsage,
    .readsDefinition = true,
    .warnsOnRecordData = false,
    .inputIsRecords = false,
    .makesRecords = true,
    .checkParameter = nullptr,
    .run = run,
    .summarize = summarize,
};

}  // namespace

const JobEntry& csvToRecordsJob() {
    return kEntry;
}

}  // namespace sorvek
