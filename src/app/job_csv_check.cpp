// The check of a delimited text for the CSV-to-records job: the text read through the definition
// exactly as that job reads it, and every line that would stop it reported, without writing
// anything.
#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/csv_check.h"

namespace sorvek {
namespace {

Status run(AppState& state, EngineContext& context) {
    Result<CsvCheckReport> report = checkCsvFile(jobPath(state.job.JobParams[0]),
                                                 state.recordDefTable, state.recordOutput, context);
    if (!report) return report.error();
    state.csvCheck = std::move(*report);
    return {};
}

const char kUsage[] =
    "  sorvek-cli [-q] [オプション] --check --csv [--json] 入力ファイル 定義ファイル\n"
    "      CSV の点検: 入力ファイルを CSV→REC変換と同じように (同じオプションで) 読み、\n"
    "      レコードを作れない行 (引用符の誤り、どのレコードにも合わない値の数や識別区分、\n"
    "      フィールドに入らない値) を行・列・フィールド・値と理由で、作られるレコードの数を\n"
    "      種類ごとに標準出力に報告します。何も書き出しません。--json を付けると JSON で\n"
    "      出力します。終了コード: 0 すべての行からレコードを作れる、1 問題あり。\n";

constexpr JobEntry kEntry{
    .kind = kJobCsvCheck,
    .title = "CSV の点検",
    .commandSwitch = nullptr,
    .longOption = "--csv",
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
    .inputIsRecords = false,
    .makesRecords = false,
    .checkParameter = nullptr,
    .run = run,
    .summarize = nullptr,
};

}  // namespace

const JobEntry& csvCheckJob() {
    return kEntry;
}

}  // namespace sorvek
