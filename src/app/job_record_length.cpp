// The record-length job: the input's bytes without line breaks, cut into records of N bytes.
#include <optional>

#include "app/completion_text.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/tran_rec_len.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// The record length of the job, or why the text is refused: a number of 0 (no records, the line
// breaks dropped) or more; a sign of minus, even on 0, is no length.
Result<std::int32_t> recordLengthFromText(const std::string& text) {
    std::optional<std::int32_t> length = parseInt32(text);
    if (!length || *length < 0 || text.starts_with('-')) {
        return Failure(FailureKind::RefusedArgument, "", FailureSubject::RecordLength, text);
    }
    return *length;
}

Status checkLength(const std::string& text) {
    Result<std::int32_t> length = recordLengthFromText(text);
    if (!length) return length.error();
    return {};
}

Status run(AppState& state, EngineContext& context) {
    const JobState& job = state.job;
    // Checked before the paths are resolved, so that nothing is touched for a bad length.
    const Result<std::int32_t> length = recordLengthFromText(job.JobParams[2]);
    if (!length) return length.error();
    return tranRecLen(jobPath(job.JobParams[0]), jobPath(job.JobParams[1]), *length, context);
}

void summarize(const AppState& state, const InspectionReport& input, JobSummary& summary) {
    const std::optional<std::int32_t> length = parseInt32(state.job.JobParams[2]);
    if (!length || *length <= 0) return;
    // Every CR and LF byte is dropped; the rest is cut into records.
    const ByteProfile& b = input.bytes;
    const std::int64_t data = b.size - 2 * b.crlf - b.cr - b.lf;
    const std::int64_t rest = data % *length;
    summary.countText =
        "書き出したレコード数: " + groupedNumber(data / *length + (rest > 0 ? 1 : 0)) + " 件";
    if (rest > 0) {
        summary.warnings.push_back("最後のレコードは " + groupedNumber(rest) +
                                   " バイトでレコード長 (" + groupedNumber(*length) +
                                   " バイト) に満たないため、改行を付けていません。");
    }
}

const char kUsage[] =
    "  sorvek-cli [オプション] /L 入力ファイル 出力ファイル レコード長\n"
    "  sorvek-cli [オプション] --record-length レコード長 入力ファイル 出力ファイル\n"
    "      レコード長変換: 改行を取り除き、指定バイト数ごとに CR LF を入れます。\n"
    "      レコード長 0 は改行無しのデータにします。\n";

// The guidance text has a full-width space after its first sentence.
constexpr JobEntry kEntry{
    .kind = kJobRecLen,
    .title = "レコード長変換",
    .commandSwitch = "/L",
    .longOption = "--record-length",
    .buttonIndex = 0,
    .page = kPageRecordLength,
    .parameterLabel = "レコード長: ",
    .hint = "レコード長を指定桁数に変換します。",
    .comment =
        "レコード長をバイト数で指定してください。　0 "
        "を指定すると、改行無しのデータに変換できます。",
    .iconName = "job_reclen",
    .countRefusal = "パラメータの数が違います",
    .manualTopic = "reclen",
    .usage = kUsage,
    .readsDefinition = false,
    .warnsOnRecordData = true,
    .inputIsRecords = false,
    .makesRecords = false,
    .checkParameter = checkLength,
    .run = run,
    .summarize = summarize,
};

}  // namespace

const JobEntry& recordLengthJob() {
    return kEntry;
}

}  // namespace sorvek
