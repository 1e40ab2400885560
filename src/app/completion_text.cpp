#include "app/completion_text.h"

#include <algorithm>

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

std::string elapsedText(std::int64_t milliseconds) {
    const std::int64_t tenths = (std::max<std::int64_t>(milliseconds, 0) + 50) / 100;
    if (tenths < 600) {
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " 秒";
    }
    const std::int64_t seconds = (milliseconds + 500) / 1000;
    auto twoDigits = [](std::int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    if (seconds < 3600) {
        return std::to_string(seconds / 60) + " 分 " + twoDigits(seconds % 60) + " 秒";
    }
    return std::to_string(seconds / 3600) + " 時間 " + twoDigits(seconds / 60 % 60) + " 分 " +
           twoDigits(seconds % 60) + " 秒";
}

std::string completionDetails(const JobSummary& summary) {
    std::string text = "出力ファイル: " + summary.outputPath;
    if (summary.outputSize >= 0)
        text += "\nサイズ: " + groupedNumber(summary.outputSize) + " バイト";
    if (!summary.countText.empty()) text += "\n" + summary.countText;
    if (summary.elapsedMs >= 0) text += "\n所要時間: " + elapsedText(summary.elapsedMs);
    if (!summary.warnings.empty()) {
        text += "\n\n注意:";
        for (const std::string& w : summary.warnings) text += "\n・" + w;
    }
    return text;
}

}  // namespace sorvek
