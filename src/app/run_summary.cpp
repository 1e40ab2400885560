#include "app/run_summary.h"

#include "app/job_registry.h"
#include "engine/kind_files.h"
#include "model/option_captions.h"
#include "platform/paths.h"

namespace sorvek {
namespace {

bool readsDefinition(const JobState& job) {
    const std::string& kind = job.JobKind;
    if (kind == kJobCheck) return !job.JobParams[2].empty();
    return kind == kJobRec2Csv || kind == kJobCsv2Rec || kind == kJobCsvCheck;
}

std::string text(std::string_view caption) {
    return std::string(caption);
}

std::string definitionFileLine(const AppState& state, bool unsavedEdits) {
    std::string line = "定義ファイル: ";
    if (state.definitionFile.empty()) return line + "(保存していない定義)";
    line += state.definitionFile;
    if (unsavedEdits) line += " (保存していない変更があります)";
    return line;
}

// How the records are read (or, for a job that makes them, written).
void addRecordLines(const AppState& state, std::vector<std::string>& lines) {
    const RecordDef& file = state.recordDefTable[0];
    const bool makesRecords = state.job.JobKind == kJobCsv2Rec;
    lines.push_back((makesRecords ? "レコードの文字コード: " : "入力の文字コード: ") +
                    text(choiceCaption(kInputCodePageChoices, file.codePage)));
    lines.push_back("レコード形式: " +
                    text(choiceCaption(kRecordFormatChoices, file.recordFormat)));
    if (file.recordFormat != RecordFormat::Fixed) {
        lines.push_back(
            "記述語: " +
            text(choiceCaption(kDescriptorByteOrderChoices, file.descriptorWords.byteOrder)) +
            "、" + text(choiceCaption(kDescriptorLengthChoices, file.descriptorWords.length)));
    }
    if (!makesRecords) return;
    if (file.recordFormat == RecordFormat::VB) {
        lines.push_back("ブロックの最大バイト数: " + std::to_string(state.recordOutput.blockSize));
    }
    lines.push_back("レコードの後の改行: " +
                    text(choiceCaption(kRecordEndChoices, state.recordOutput.end)));
}

// How the delimited text is written (or read back).
void addTextLines(const AppState& state, std::vector<std::string>& lines) {
    const RecordDefTable& table = state.recordDefTable;
    const CsvOutputOptions& o = table.output;
    const std::string& delimiter = table[0].Delimiter;
    if (state.job.JobKind == kJobRec2Csv) {
        lines.push_back("出力形式: " + text(choiceCaption(kFormatChoices, o.format)));
    }
    if (o.format == OutputFormat::Xlsx) {
        // A workbook's cells: the options of the values alone apply.
        lines.push_back(std::string("文字項目の末尾の空白: ") +
                        (o.trimBlanks ? "取り除く" : "そのまま"));
        lines.push_back("ゾーン10進数の符号: " +
                        text(choiceCaption(kZonedSignChoices, o.zonedSign)));
        lines.push_back("不正なパック10進数: " +
                        text(choiceCaption(kInvalidPackedChoices, o.invalidPacked)));
        return;
    }
    lines.push_back("区切り記号: " +
                    (delimiter == "\\t" ? std::string("タブ") : "「" + delimiter + "」"));
    lines.push_back(std::string("1行目: ") +
                    (table[0].TitleLine ? "フィールド名を出力する" : "フィールド名なし"));
    lines.push_back("テキストの文字コード: " + text(choiceCaption(kEncodingChoices, o.encoding)));
    lines.push_back("引用符: " + text(choiceCaption(kQuotingChoices, o.quoting)));
    lines.push_back(std::string("文字項目の末尾の空白: ") +
                    (o.trimBlanks ? "取り除く" : "そのまま"));
    lines.push_back("ゾーン10進数の符号: " + text(choiceCaption(kZonedSignChoices, o.zonedSign)));
    lines.push_back("不正なパック10進数: " +
                    text(choiceCaption(kInvalidPackedChoices, o.invalidPacked)));
    lines.push_back("改行: " + text(choiceCaption(kLineEndChoices, o.lineEnd)));
}

void addSplitLines(const AppState& state, std::vector<std::string>& lines) {
    const RecordDefTable& table = state.recordDefTable;
    if (!table.output.splitKinds) {
        lines.emplace_back("種類ごとのファイル: 分けない (1つのファイルに出力)");
        return;
    }
    lines.emplace_back("種類ごとのファイル: 分ける (出力ファイルは作りません)");
    for (const KindFile& file : kindFiles(getFullPath(state.job.JobParams[1]), table)) {
        lines.push_back("　出力ファイル (" + table[static_cast<std::size_t>(file.kind)].Name +
                        "): " + file.path);
    }
}

}  // namespace

std::vector<std::string> summaryLines(const AppState& state, bool unsavedEdits) {
    const JobState& job = state.job;
    const JobEntry* entry = findJobByKind(job.JobKind);
    const std::string parameter = entry != nullptr ? entry->parameterLabel : "パラメータ: ";
    std::vector<std::string> lines{
        "変換の種類: " + job.JobTitle, "入力ファイル: " + job.JobParams[0],
        "出力ファイル: " + job.JobParams[1], parameter + job.JobParams[2]};
    if (!readsDefinition(job) || !state.recordDefTable.hasDefinition()) return lines;
    lines.push_back(definitionFileLine(state, unsavedEdits));
    addRecordLines(state, lines);
    if (job.JobKind == kJobCheck) return lines;
    addTextLines(state, lines);
    if (job.JobKind == kJobRec2Csv && state.recordDefTable.output.format == OutputFormat::Csv)
        addSplitLines(state, lines);
    return lines;
}

}  // namespace sorvek
