#include "app/csv_check_report.h"

#include "platform/number_text.h"

namespace sorvek {
namespace {

std::string n(std::int64_t value) {
    return groupedNumber(value);
}

// A value on one line of the report: a line end inside a quoted value would break it.
std::string oneLine(std::string text) {
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) c = '.';
    }
    return text;
}

std::string encodingText(const CsvCheckReport& report) {
    if (report.encoding == CsvEncoding::Cp932) return "Shift-JIS (CP932)";
    return report.byteOrderMark ? "UTF-8 (BOM 付き)" : "UTF-8";
}

}  // namespace

std::string csvFaultText(const CsvFaultLine& fault) {
    std::string text = "行 " + n(fault.line);
    if (fault.problem != CsvLineProblem::Value) return text + ": " + fault.why;
    return text + "、列 " + n(static_cast<std::int64_t>(fault.column)) + " (" + fault.field +
           "): " + fault.why + "値 = " + oneLine(fault.value);
}

std::vector<std::string> csvCheckCounts(const CsvCheckReport& report) {
    std::vector<std::string> lines;
    lines.push_back("文字コード: " + encodingText(report));
    std::string read = "読んだ行数: " + n(report.lines) + " 行";
    if (report.titleLine || report.emptyLines > 0) {
        read += " (";
        if (report.titleLine) read += "見出し行";
        if (report.titleLine && report.emptyLines > 0) read += "、";
        if (report.emptyLines > 0) read += "空行 " + n(report.emptyLines) + " 行";
        read += "を含む)";
    }
    lines.push_back(read);
    std::string made = "作られるレコード数:";
    for (std::size_t k = 1; k < report.recordsByKind.size(); ++k) {
        const std::string& name = k < report.kindNames.size() ? report.kindNames[k] : "";
        made += (k > 1 ? "、" : " ") + name + " " + n(report.recordsByKind[k]) + " 件";
    }
    lines.push_back(made);
    return lines;
}

std::string csvProblemSummary(const CsvCheckReport& report) {
    if (!report.refusal.empty()) {
        std::string reason = report.refusal;
        for (std::size_t i = reason.find('\n'); i != std::string::npos; i = reason.find('\n', i)) {
            reason.replace(i, 1, " / ");
        }
        return "この定義では CSV→REC変換を実行できません: " + reason;
    }
    if (report.faultCount == 0) return "問題は見つかりませんでした。";
    return "レコードを作れない行: " + n(report.faultCount) +
           " 行 (CSV→REC変換は最初の行で止まり、出力ファイルは変わりません)";
}

std::string csvMoreFaultsText(const CsvCheckReport& report) {
    const auto listed = static_cast<std::int64_t>(report.faults.size());
    if (report.faultCount <= listed) return {};
    return "ほかに " + n(report.faultCount - listed) + " 行あります (最初の " + n(listed) +
           " 行だけを示します)";
}

std::vector<std::string> csvCheckReportLines(const CsvCheckReport& report,
                                             const std::string& inputPath,
                                             const std::string& definitionPath) {
    std::vector<std::string> lines;
    lines.push_back("点検したファイル (CSV→REC変換の入力): " + inputPath);
    if (report.cancelled) {
        lines.push_back("  (中断しました。先頭 " + n(report.size) + " バイトまでの結果です)");
    }
    // A definition the job refuses is refused before the text is read.
    if (report.refusal.empty()) {
        lines.push_back("  ファイルサイズ: " + n(report.size) + " バイト");
    }
    lines.push_back("定義: " + definitionPath);
    if (report.refusal.empty()) {
        for (const std::string& line : csvCheckCounts(report)) lines.push_back("  " + line);
    }
    lines.push_back("  " + csvProblemSummary(report));
    for (const CsvFaultLine& fault : report.faults) lines.push_back("  ・" + csvFaultText(fault));
    if (const std::string more = csvMoreFaultsText(report); !more.empty()) {
        lines.push_back("  ・" + more);
    }
    return lines;
}

}  // namespace sorvek
