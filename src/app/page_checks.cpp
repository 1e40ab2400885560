#include "app/page_checks.h"

#include "engine/tran_crlf.h"
#include "platform/number_text.h"

namespace sorvek {

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

bool checkFilesPage(const std::string& input, const std::string& output, JobState& job) {
    if (input.empty() || output.empty() || input == output) return false;
    job.JobParams[0] = input;
    job.JobParams[1] = output;
    return true;
}

bool checkRecordLengthPage(const std::string& text, JobState& job) {
    // Digits only already excludes signs and blanks; the range test keeps the job from being
    // handed a length it would refuse.
    if (!isDigitsOnly(text) || !parseInt32(text)) return false;
    job.JobParams[2] = text;
    return true;
}

RecordDefinitionCheck checkRecordDefinitionPage(int treeNodeCount, const RecordDefTable& table,
                                                JobState& job) {
    if (treeNodeCount < 2) return {false, false};
    const bool firstRecordHasFields = table.maxIndex() >= 1 && !table[1].Fields.empty();
    if (firstRecordHasFields) job.JobParams[2] = table[0].Name;
    return {firstRecordHasFields, true};
}

bool checkLineEndingPage(const std::string& target, const std::string& present, JobState& job) {
    bool offered = false;
    for (const char* choice : kLineEndingChoices) offered = offered || target == choice;
    if (!offered || target == present) return false;
    job.JobParams[2] = target;
    return true;
}

std::optional<PageCheckResult> checkPage(std::int32_t page, const PageInputs& inputs,
                                         AppState& state) {
    switch (page) {
        case kPageFiles:
            return PageCheckResult{checkFilesPage(inputs.inputPath, inputs.outputPath, state.job),
                                   {}};
        case kPageRecordLength:
            return PageCheckResult{checkRecordLengthPage(inputs.recordLength, state.job), {}};
        case kPageRecordDefinition: {
            RecordDefinitionCheck check =
                checkRecordDefinitionPage(inputs.treeNodeCount, state.recordDefTable, state.job);
            return PageCheckResult{check.nextEnabled, check.saveEnabled};
        }
        case kPageLineEnding:
            return PageCheckResult{
                checkLineEndingPage(inputs.lineEndingTarget, inputs.lineEndingPresent, state.job),
                {}};
        default:
            return std::nullopt;
    }
}

}  // namespace sorvek
