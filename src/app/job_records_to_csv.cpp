// The record-to-CSV job: fixed-length records, read through a record definition, written as
// delimited text.
#include "app/check_report.h"
#include "app/completion_text.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/kind_files.h"
#include "engine/tran_rec2csv.h"
#include "engine/xlsx_cells.h"
#include "platform/number_text.h"
#include "platform/paths.h"

namespace sorvek {
namespace {

Status run(AppState& state, EngineContext& context) {
    const JobState& job = state.job;
    return tranRec2Csv(jobPath(job.JobParams[0]), jobPath(job.JobParams[1]), state.recordDefTable,
                       context);
}

// The files of an output split by kind, each with its lines: a record of a kind without a
// child writes one line, and each file has its own title line.
std::vector<WrittenFile> splitFiles(const AppState& state, const DefinitionFindings& d) {
    std::vector<WrittenFile> files;
    const RecordDefTable& table = state.recordDefTable;
    for (const KindFile& file : kindFiles(getFullPath(state.job.JobParams[1]), table)) {
        const auto k = static_cast<std::size_t>(file.kind);
        const std::int64_t records = k < d.recordsByKind.size() ? d.recordsByKind[k] : 0;
        files.push_back({file.path, records + (table[0].TitleLine ? 1 : 0)});
    }
    return files;
}

// The rows of a workbook: each kind's lines under a title row on each of its sheets.
std::int64_t workbookRows(const RecordDefTable& table, const DefinitionFindings& d) {
    std::int64_t rows = 0;
    for (const KindFile& file : kindFiles("", table)) {
        const auto k = static_cast<std::size_t>(file.kind);
        const std::int64_t lines = k < d.recordsByKind.size() ? d.recordsByKind[k] : 0;
        const std::int64_t perSheet = kXlsxRowsPerSheet - 1;
        rows += lines + std::max<std::int64_t>(1, (lines + perSheet - 1) / perSheet);
    }
    return rows;
}

void summarize(const AppState& state, const InspectionReport& input, JobSummary& summary) {
    const DefinitionFindings& d = input.definition;
    const CsvOutputOptions& output = state.recordDefTable.output;
    if (output.writesFilePerKind()) {
        summary.files = splitFiles(state, d);
        summary.outputSize = -1;
    }
    std::int64_t lines = d.linesWritten;
    if (!summary.files.empty()) {
        lines = 0;
        for (const WrittenFile& file : summary.files) lines += file.lines;
    }
    const bool workbook = output.format == OutputFormat::Xlsx;
    if (workbook) lines = workbookRows(state.recordDefTable, d);
    summary.countText = "書き出した行数: " + groupedNumber(lines) + " 行" +
                        (d.titleLine || workbook ? " (見出し行を含む)" : "");
    summary.warnings = completionWarnings(input);
}

const char kUsage[] =
    "  sorvek-cli [オプション] /C 入力ファイル 出力ファイル 定義ファイル\n"
    "  sorvek-cli [オプション] --definition 定義ファイル 入力ファイル 出力ファイル\n"
    "      REC→CSV変換: 固定長レコードを定義ファイル(.trd または .rcdef)に従って\n"
    "      区切り文字付きのテキストに変換します。\n";

constexpr JobEntry kEntry{
    .kind = kJobRec2Csv,
    .title = "REC→CSV変換",
    .commandSwitch = "/C",
    .longOption = "--definition",
    .buttonIndex = 1,
    .page = kPageRecordDefinition,
    .parameterLabel = "レコード定義: ",
    .hint = "固定長レコードをCSV形式に変換します。",
    .comment =
        "レコード定義情報を入力してください。項目のチェックを外すことで、出力しないように"
        "制限できます。",
    .iconName = "job_rec2csv",
    .countRefusal = "パラメータの数が違います。",
    .manualTopic = "rec2csv",
    .usage = kUsage,
    .readsDefinition = true,
    .warnsOnRecordData = false,
    .inputIsRecords = true,
    .makesRecords = false,
    .checkParameter = nullptr,
    .run = run,
    .summarize = summarize,
};

}  // namespace

const JobEntry& recordsToCsvJob() {
    return kEntry;
}

}  // namespace sorvek
