#include "app/page_checks.h"

#include <filesystem>

#include "engine/csv_record_lines.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/tran_crlf.h"
#include "platform/number_text.h"
#include "platform/paths.h"

namespace sorvek {
namespace {

PageCheck refused(std::string reason) {
    return {false, std::move(reason)};
}

// Why the job of `state` would refuse its definition at the start (its lines joined by " / "),
// or nothing when it would take it.
std::string definitionRefusal(const AppState& state) {
    Status check;
    if (state.job.JobKind == kJobRec2Csv) check = checkRec2CsvDefinition(state.recordDefTable);
    if (state.job.JobKind == kJobCsv2Rec) {
        check = checkCsvToRecordsRun(state.recordDefTable, state.recordOutput);
    }
    if (check) return {};
    std::string reason = check.error().reason;
    for (std::size_t i = reason.find('\n'); i != std::string::npos; i = reason.find('\n', i)) {
        reason.replace(i, 1, " / ");
    }
    return "この定義では変換できません: " + reason;
}

// The folder a path's file is in: what the job would create the output in.
std::string folderOf(const std::string& absolute) {
    return std::filesystem::path(absolute).parent_path().string();
}

}  // namespace

std::string lineEndingCaption(int code) {
    switch (code) {
        case kNoLineBreak:
            return "改行無し";
        case kCrLf:
            return "CR+LF";
        case kCr:
            return "CR";
        case kLf:
            return "LF";
        case kNoFile:
            return "ファイル無し";
        default:
            return "不明";
    }
}

bool lineEndingsMixed(const ByteProfile& profile) {
    const int kinds = (profile.crlf > 0) + (profile.lf > 0) + (profile.cr > 0);
    return kinds > 1;
}

std::string lineEndingCountsText(const ByteProfile& profile) {
    if (profile.breaks() == 0) return "改行はありません。";
    std::string text = "見つかった改行:";
    const std::pair<const char*, std::int64_t> counts[] = {
        {"CR+LF", profile.crlf}, {"LF", profile.lf}, {"CR", profile.cr}};
    bool first = true;
    for (const auto& [name, count] : counts) {
        if (count == 0) continue;
        text += std::string(first ? " " : "、") + name + " " + groupedNumber(count) + " 行";
        first = false;
    }
    if (lineEndingsMixed(profile)) text += " (混在しています)";
    return text;
}

PageCheck checkFilesPage(const std::string& input, const std::string& output, JobState& job,
                         FileSystem& files) {
    // What is wrong with the input is said first: it is the field filled first.
    if (input.empty()) return refused("入力ファイルを指定してください。");
    if (input != kStandardStream) {
        Result<FileInfo> in = files.inspect(getFullPath(input));
        if (in && in->kind == FileKind::Missing) return refused("入力ファイルが存在しません。");
        if (in && in->kind == FileKind::Folder) {
            return refused("入力ファイルにフォルダが指定されています。");
        }
    }
    if (output.empty()) return refused("出力ファイルを指定してください。");
    if (input == output) return refused("入力ファイルと出力ファイルに同じパスが指定されています。");
    if (output != kStandardStream) {
        const std::string absolute = getFullPath(output);
        Result<FileInfo> out = files.inspect(absolute);
        if (out && out->kind == FileKind::Folder) {
            return refused("出力ファイルにフォルダが指定されています。");
        }
        Result<FileInfo> folder = files.inspect(folderOf(absolute));
        if (folder && folder->kind != FileKind::Folder) {
            return refused("出力ファイルのフォルダが存在しません。");
        }
    }
    job.JobParams[0] = input;
    job.JobParams[1] = output;
    return {true, {}};
}

PageCheck checkRecordLengthPage(const std::string& text, JobState& job) {
    if (text.empty()) return refused("レコード長を入力してください。");
    // Digits only already excludes signs and blanks; the range test keeps the job from being
    // handed a length it would refuse.
    if (!isDigitsOnly(text)) return refused("レコード長はバイト数を半角数字で入力してください。");
    if (!parseInt32(text)) return refused("レコード長は 2147483647 以下で入力してください。");
    job.JobParams[2] = text;
    return {true, {}};
}

RecordDefinitionCheck checkRecordDefinitionPage(int treeNodeCount, const RecordDefTable& table,
                                                JobState& job) {
    if (treeNodeCount < 1) {
        return {false, false,
                "「定義を開く」で読み込むか、「新規作成」でレコード定義を作ってください。"};
    }
    if (treeNodeCount < 2) return {false, false, "レコード定義を追加してください。"};
    const bool firstRecordHasFields = table.maxIndex() >= 1 && !table[1].Fields.empty();
    if (!firstRecordHasFields) {
        const std::string name = table.maxIndex() >= 1 ? table[1].Name : std::string();
        return {false, true, "最初のレコード定義「" + name + "」にフィールドを追加してください。"};
    }
    job.JobParams[2] = table[0].Name;
    return {true, true, {}};
}

PageCheck checkLineEndingPage(const std::string& target, const std::string& present, bool mixed,
                              JobState& job) {
    if (target.empty()) return refused("変換後の改行コードを選んでください。");
    bool offered = false;
    for (const char* choice : kLineEndingChoices) offered = offered || target == choice;
    if (!offered) return refused("改行コードは CR+LF、CR、LF のどれかを指定してください。");
    if (target == present && !mixed) {
        return refused("入力ファイルの改行コードは既に " + present + " です。");
    }
    job.JobParams[2] = target;
    return {true, {}};
}

std::optional<PageCheckResult> checkPage(std::int32_t page, const PageInputs& inputs,
                                         AppState& state, FileSystem& files) {
    auto result = [](const PageCheck& check) {
        return PageCheckResult{check.passes, {}, check.reason};
    };
    switch (page) {
        case kPageFiles:
            return result(checkFilesPage(inputs.inputPath, inputs.outputPath, state.job, files));
        case kPageRecordLength:
            return result(checkRecordLengthPage(inputs.recordLength, state.job));
        case kPageRecordDefinition: {
            RecordDefinitionCheck check =
                checkRecordDefinitionPage(inputs.treeNodeCount, state.recordDefTable, state.job);
            // A definition the job would refuse greys Next with the job's reason.
            if (check.nextEnabled) {
                if (std::string refused = definitionRefusal(state); !refused.empty()) {
                    check.nextEnabled = false;
                    check.reason = std::move(refused);
                }
            }
            return PageCheckResult{check.nextEnabled, check.saveEnabled, check.reason};
        }
        case kPageLineEnding:
            return result(checkLineEndingPage(inputs.lineEndingTarget, inputs.lineEndingPresent,
                                              inputs.lineEndingMixed, state.job));
        default:
            return std::nullopt;
    }
}

}  // namespace sorvek
