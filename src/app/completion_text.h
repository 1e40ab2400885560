#pragma once
// What the completion message of a job adds after "変換が完了しました。": the output's path and
// size, how many lines or records were written, and the warnings that apply (from the inspection
// of the input that ran alongside the job). Used by both programs; the console program prints
// nothing on success.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "engine/engine_context.h"
#include "engine/inspection_report.h"
#include "platform/files.h"
#include "ports/messages.h"

namespace sorvek {

// A file of an output split by record kind, with the lines written to it.
struct WrittenFile {
    std::string path;  // absolute
    std::int64_t lines = 0;
};

struct JobSummary {
    std::string outputPath;  // absolute
    // An output split by record kind: its files, in place of `outputPath` and its size.
    std::vector<WrittenFile> files;
    std::int64_t outputSize = -1;  // -1 when it cannot be read
    std::string countText;         // "書き出した行数: 12 行", or empty
    std::int64_t elapsedMs = -1;   // how long the job took; -1 when not measured
    std::vector<std::string> warnings;
};

// Runs the job of `state` as `runJob` does (its failure shown through `messages`), with the
// input inspected alongside through the job's definition where it reads records (the job's
// output is the same bytes). The summary of the job when it succeeded, with `elapsedMs` set;
// nothing when it failed. `context.observeInput` is taken for the run and left empty.
std::optional<JobSummary> runJobWithSummary(AppState& state, EngineContext& context,
                                            Messages& messages);

// A duration as people read it: "0.4 秒", "12.3 秒", "2 分 05 秒", "1 時間 02 分 03 秒".
std::string elapsedText(std::int64_t milliseconds);

// The summary of the job of `state` that has just succeeded, whose input `input` describes.
JobSummary summarizeJob(const AppState& state, const InspectionReport& input,
                        FileSystem& files = osFileSystem());

// "出力ファイル: /work/orders.明細.csv (12 行)".
std::string writtenFileText(const WrittenFile& file);

// The lines of the summary: "出力ファイル: …", "サイズ: 1,234 バイト" (for a split output one line
// "出力ファイル: … (12 行)" per file instead), the count, "所要時間: 1.2
// 秒" when measured, and after an empty line "注意:" with one line per warning.
std::string completionDetails(const JobSummary& summary);

}  // namespace sorvek
