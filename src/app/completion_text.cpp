#include "app/completion_text.h"

#include <algorithm>

#include "app/job_registry.h"
#include "platform/number_text.h"
#include "platform/paths.h"

namespace sorvek {

JobSummary summarizeJob(const AppState& state, const InspectionReport& input, FileSystem& files) {
    const JobState& job = state.job;
    JobSummary summary;
    summary.outputPath = getFullPath(job.JobParams[1]);
    summary.outputSize = files.fileSize(summary.outputPath);
    if (const JobEntry* entry = findJobByKind(job.JobKind); entry && entry->summarize) {
        entry->summarize(state, input, summary);
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
