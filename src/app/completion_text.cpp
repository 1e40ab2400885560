#include "app/completion_text.h"

#include "app/check_report.h"
#include "platform/number_text.h"
#include "platform/paths.h"

namespace sorvek {

JobSummary summarizeJob(const AppState& state, const InspectionReport& input, FileSystem& files) {
    const JobState& job = state.job;
    JobSummary summary;
    summary.outputPath = getFullPath(job.JobParams[1]);
    summary.outputSize = files.fileSize(summary.outputPath);
    const ByteProfile& b = input.bytes;
    if (job.JobKind == kJobRec2Csv) {
        const DefinitionFindings& d = input.definition;
        summary.countText = "書き出した行数: " + groupedNumber(d.linesWritten) + " 行" +
                            (d.titleLine ? " (見出し行を含む)" : "");
        summary.warnings = completionWarnings(input);
    } else if (job.JobKind == kJobCrlf) {
        summary.countText = "書き出した行数: " + groupedNumber(b.lines) + " 行";
    } else if (job.JobKind == kJobRecLen) {
        const std::optional<std::int32_t> length = parseInt32(job.JobParams[2]);
        // Every CR and LF byte is dropped; the rest is cut into records.
        const std::int64_t data = b.size - 2 * b.crlf - b.cr - b.lf;
        if (length && *length > 0) {
            const std::int64_t rest = data % *length;
            summary.countText =
                "書き出したレコード数: " + groupedNumber(data / *length + (rest > 0 ? 1 : 0)) +
                " 件";
            if (rest > 0) {
                summary.warnings.push_back("最後のレコードは " + groupedNumber(rest) +
                                           " バイトでレコード長 (" + groupedNumber(*length) +
                                           " バイト) に満たないため、改行を付けていません。");
            }
        }
    }
    return summary;
}

std::string completionDetails(const JobSummary& summary) {
    std::string text = "出力ファイル: " + summary.outputPath;
    if (summary.outputSize >= 0)
        text += "\nサイズ: " + groupedNumber(summary.outputSize) + " バイト";
    if (!summary.countText.empty()) text += "\n" + summary.countText;
    if (!summary.warnings.empty()) {
        text += "\n\n注意:";
        for (const std::string& w : summary.warnings) text += "\n・" + w;
    }
    return text;
}

}  // namespace sorvek
