#include "app/completion_text.h"

#include <algorithm>
#include <chrono>

#include "app/job_registry.h"
#include "app/run_job.h"
#include "engine/inspection.h"
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

std::optional<JobSummary> runJobWithSummary(AppState& state, EngineContext& context,
                                            Messages& messages) {
    // The definition is taken as it is before the job changes it (a "\t" delimiter, the data).
    const JobEntry* entry = findJobByKind(state.job.JobKind);
    Inspector inspector(entry != nullptr && entry->inputIsRecords ? &state.recordDefTable
                                                                  : nullptr);
    context.observeInput = [&inspector](const char* data, std::size_t size) {
        inspector.add(data, size);
    };
    const auto started = std::chrono::steady_clock::now();
    const bool ok = runJob(state, context, messages);
    const auto took = std::chrono::steady_clock::now() - started;
    context.observeInput = nullptr;
    if (!ok) return std::nullopt;
    JobSummary summary = summarizeJob(state, inspector.finish(), context.files);
    summary.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
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

std::string writtenFileText(const WrittenFile& file) {
    return "出力ファイル: " + file.path + " (" + groupedNumber(file.lines) + " 行)";
}

std::string completionDetails(const JobSummary& summary) {
    std::string text;
    if (summary.files.empty()) {
        text = "出力ファイル: " + summary.outputPath;
        if (summary.outputSize >= 0)
            text += "\nサイズ: " + groupedNumber(summary.outputSize) + " バイト";
    }
    for (const WrittenFile& file : summary.files) {
        if (!text.empty()) text += "\n";
        text += writtenFileText(file);
    }
    if (!summary.countText.empty()) text += "\n" + summary.countText;
    if (summary.elapsedMs >= 0) text += "\n所要時間: " + elapsedText(summary.elapsedMs);
    if (!summary.warnings.empty()) {
        text += "\n\n注意:";
        for (const std::string& w : summary.warnings) text += "\n・" + w;
    }
    return text;
}

}  // namespace sorvek
