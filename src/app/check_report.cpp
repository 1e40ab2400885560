#include "app/check_report.h"

#include <algorithm>

#include "app/untold_kinds.h"
#include "platform/input_code_page.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// What the first bytes say of the page the file is read on (engine/ebcdic_guess.h); empty when
// it fits.
std::string ebcdicNote(const InspectionReport& report) {
    const InputCodePage page =
        report.pageText.present
            ? parseInputCodePage(report.pageText.page).value_or(InputCodePage::Cp932)
            : InputCodePage::Cp932;
    return ebcdicGuessNote(report.ebcdic, page);
}

// Places shown per finding in the text report (the JSON report and the desktop list have all).
constexpr std::size_t kPlacesInText = 5;

std::string n(std::int64_t value) {
    return groupedNumber(value);
}

std::string kindName(const DefinitionFindings& d, int kind) {
    const auto k = static_cast<std::size_t>(kind);
    return k < d.kindNames.size() ? d.kindNames[k] : std::to_string(kind);
}

std::string fieldName(const DefinitionFindings& d, int kind, int field) {
    const auto k = static_cast<std::size_t>(kind);
    const auto f = static_cast<std::size_t>(field);
    if (k >= d.fieldNames.size() || f >= d.fieldNames[k].size()) return kindName(d, kind);
    return kindName(d, kind) + "." + d.fieldNames[k][f];
}

std::string fieldType(const DefinitionFindings& d, int kind, int field) {
    const auto k = static_cast<std::size_t>(kind);
    const auto f = static_cast<std::size_t>(field);
    if (k >= d.fieldTypes.size() || f >= d.fieldTypes[k].size()) return {};
    return d.fieldTypes[k][f];
}

// The places of `o`; `start` is how far into its record a field finding lies.
std::vector<FindingPlace> placesOf(const Occurrences& o, std::int64_t start = 0) {
    std::vector<FindingPlace> places;
    for (std::size_t i = 0; i < o.offsets.size(); ++i) {
        places.push_back({o.offsets[i], i < o.recordNumbers.size() ? o.recordNumbers[i] : 0,
                          o.offsets[i] - start, i < o.blockLefts.size() ? o.blockLefts[i] : 0});
    }
    return places;
}

std::int64_t fieldStart(const DefinitionFindings& d, int kind, int field) {
    const auto k = static_cast<std::size_t>(kind);
    const auto f = static_cast<std::size_t>(field);
    if (k >= d.fieldPositions.size() || f >= d.fieldPositions[k].size()) return 0;
    return d.descriptorBytes + d.fieldPositions[k][f] - 1;
}

// "集計が合いません (集計値 = 3、レコードの値 = 2)".
std::string wrongTotalText(const TotalFinding& t) {
    return "集計が合いません (集計値 = " + t.expected +
           "、レコードの値 = " + (t.found.empty() ? "数値ではありません" : t.found) + ")";
}

std::string firstPlace(const Occurrences& o) {
    if (o.offsets.empty()) return {};
    return placeText({o.offsets[0], o.recordNumbers.empty() ? 0 : o.recordNumbers[0]});
}

// Where the Shift-JIS test looked: "先頭 4,194,304 バイトで、" when not the whole file.
std::string sjisScope(const ByteProfile& b) {
    return b.sjisBytes < b.size ? "先頭 " + n(b.sjisBytes) + " バイトで、" : "";
}

std::string lineEndingLine(const ByteProfile& b) {
    std::string line = "改行: CR+LF " + n(b.crlf) + "、LF " + n(b.lf) + "、CR " + n(b.cr);
    const int forms = (b.crlf > 0) + (b.lf > 0) + (b.cr > 0);
    if (forms == 0) line += " (改行無し)";
    if (forms > 1) line += " (混在)";
    return line;
}

// Where the page's text was looked for: "先頭 4,194,304 バイトで、" when not the whole file.
std::string pageScope(const PageTextProfile& t, const ByteProfile& b) {
    return t.bytes < b.size ? "先頭 " + n(t.bytes) + " バイトで、" : "";
}

// What the bytes are on the definition's EBCDIC page, for the text report.
std::vector<std::string> pageTextLines(const PageTextProfile& t, const ByteProfile& b) {
    std::vector<std::string> lines;
    lines.push_back("文字コード: " + t.page +
                    " (EBCDIC、定義による。レコードの間に改行はなく、"
                    "CR・LF にあたるバイトもデータです)");
    const std::int64_t percent = t.bytes > 0 ? t.textBytes * 100 / t.bytes : 0;
    lines.push_back(pageScope(t, b) + t.page + " の文字として読めるバイト: " + n(t.textBytes) +
                    " (" + n(percent) + "%)");
    if (t.noCharacter.any()) {
        lines.push_back(t.page + " の文字でない並び: " + n(t.noCharacter.count) + " か所 (最初は" +
                        firstPlace(t.noCharacter) + ")");
    }
    if (t.control.any()) {
        lines.push_back("制御コード (NUL を含む): " + n(t.control.count) + " バイト (最初は" +
                        firstPlace(t.control) + ")");
    }
    if (t.unpairedShift.any()) {
        lines.push_back("対になっていないシフトアウト・シフトイン: " + n(t.unpairedShift.count) +
                        " か所 (最初は" + firstPlace(t.unpairedShift) + ")");
    }
    return lines;
}

void addGroup(std::vector<FindingGroup>& out, std::string text, bool problem,
              const Occurrences& where, std::int64_t start = 0) {
    out.push_back({std::move(text), problem, placesOf(where, start)});
}

void definitionGroups(const DefinitionFindings& d, std::vector<FindingGroup>& out) {
    if (!d.definitionError.empty()) {
        std::string message = d.definitionError;
        for (std::size_t i = message.find('\n'); i != std::string::npos;
             i = message.find('\n', i)) {
            message.replace(i, 1, " / ");
        }
        out.push_back({"この定義では変換できません: " + message, true, {}});
    }
    if (!d.recordsCut) {
        out.push_back(
            {"定義からレコードを切り出せないため、レコードは点検していません。", true, {}});
        return;
    }
    for (const FieldFinding& f : d.fieldsOutside) {
        out.push_back({"レコードの外にあるフィールド: " + fieldName(d, f.kind, f.field), true, {}});
    }
    if (!d.framingMessage.empty()) {
        std::string message = d.framingMessage;
        for (std::size_t i = message.find('\n'); i != std::string::npos;
             i = message.find('\n', i)) {
            message.replace(i, 1, " / ");
        }
        Occurrences at;
        at.add(d.stopOffset, d.stopRecord, d.stopBlockLeft);
        addGroup(out, message + " (変換はここで止まり、ここから先は点検していません)", true, at);
    } else if (d.stopped) {
        Occurrences at;
        at.add(d.stopOffset, d.stopRecord, d.stopBlockLeft);
        addGroup(out,
                 "識別区分の不明なレコードがあります。可変長のため、変換はここで止まり、"
                 "ここから先は点検していません。",
                 true, at);
    } else if (d.unknownKind.any()) {
        addGroup(out,
                 "識別区分の不明なレコード: " + n(d.unknownKind.count) +
                     " 件 (変換では読み飛ばされます)",
                 true, d.unknownKind);
    }
    if (d.extraLineBreaks.any()) {
        addGroup(out,
                 "改行で始まるレコード: " + n(d.extraLineBreaks.count) +
                     " 件 (余分な改行があり、それ以降のレコードがずれています)",
                 true, d.extraLineBreaks);
    }
    if (d.trailingBytes > 0) {
        Occurrences at;
        at.add(d.trailingOffset, d.trailingRecord);
        addGroup(out,
                 "末尾の " + n(d.trailingBytes) +
                     " バイトはレコード長に満たない不完全なレコードで、出力されません",
                 true, at);
    }
    for (std::size_t k = 1; k < d.childBeforeParent.size(); ++k) {
        const Occurrences& o = d.childBeforeParent[k];
        if (!o.any()) continue;
        addGroup(out,
                 "親レコードより前にある子レコード (" + kindName(d, static_cast<int>(k)) +
                     "): " + n(o.count) + " 件 (親のフィールドなしで出力されます)",
                 true, o);
    }
    for (std::size_t k = 1; k < d.recordsWithoutLine.size(); ++k) {
        const Occurrences& o = d.recordsWithoutLine[k];
        if (!o.any()) continue;
        addGroup(out,
                 "子レコードが続かないため、どの行にも出力されないレコード (" +
                     kindName(d, static_cast<int>(k)) + "): " + n(o.count) + " 件",
                 true, o);
    }
    for (const FieldFinding& f : d.invalidFields) {
        const std::string type = fieldType(d, f.kind, f.field);
        const std::string what = type == "P" ? "パック10進数として正しくない値 (数字でない半バイト"
                                               "、または符号でない最後の半バイト)"
                                             : "ゾーン10進数として正しくない値 (数字でないバイト)";
        addGroup(out,
                 fieldName(d, f.kind, f.field) + ": " + what + ": " + n(f.places.count) + " 件",
                 true, f.places, fieldStart(d, f.kind, f.field));
    }
    for (const TotalFinding& t : d.wrongTotals) {
        Occurrences at;
        at.add(t.offset, t.record);
        addGroup(out, fieldName(d, t.kind, t.field) + ": " + wrongTotalText(t), true, at);
    }
    if (d.wrongTotalCount > static_cast<std::int64_t>(d.wrongTotals.size())) {
        addGroup(out,
                 "ほかにも集計の合わないレコードが " +
                     n(d.wrongTotalCount - static_cast<std::int64_t>(d.wrongTotals.size())) +
                     " 件あります",
                 true, {});
    }
    for (const FieldFinding& f : d.fullWidthCharacters) {
        addGroup(out,
                 fieldName(d, f.kind, f.field) +
                     ": 半角のフィールドに全角の文字: " + n(f.places.count) + " 件",
                 true, f.places, fieldStart(d, f.kind, f.field));
    }
    for (const SplitFinding& s : d.splitCharacters) {
        addGroup(out,
                 fieldName(d, s.kind, s.field) +
                     (s.at == SplitAt::Start ? ": 始まりが2バイト文字の途中です: "
                                             : ": 終わりで2バイト文字が分断されます: ") +
                     n(s.places.count) + " 件",
                 true, s.places, fieldStart(d, s.kind, s.field));
    }
}

}  // namespace

std::optional<std::string> untoldKindsNote(const InspectionReport& report) {
    const DefinitionFindings& d = report.definition;
    if (!report.withDefinition || !d.kindsUntold || d.kindNames.size() < 3) return std::nullopt;
    return untoldKindsNote(d.kindNames[1], d.kindNames.size() - 1);
}

std::string placeText(const FindingPlace& place) {
    if (place.recordNumber > 0) {
        return "レコード " + n(place.recordNumber) + " (オフセット " + n(place.offset) + ")";
    }
    return "オフセット " + n(place.offset);
}

std::vector<std::string> recordDataEvidence(const InspectionReport& report) {
    std::vector<std::string> lines;
    if (!report.looksBinary) return lines;
    const ByteProfile& b = report.bytes;
    if (b.nonText.any()) {
        lines.push_back("テキストに現れない制御コードが " + n(b.nonText.count) +
                        " バイトあります (最初は" + firstPlace(b.nonText) + ")");
    }
    if (b.invalidSjis.any() && !report.looksUtf8) {
        lines.push_back(sjisScope(b) + "Shift-JIS として読めない並びが " + n(b.invalidSjis.count) +
                        " か所あります (最初は" + firstPlace(b.invalidSjis) + ")");
    }
    const int forms = (b.crlf > 0) + (b.lf > 0) + (b.cr > 0);
    if (b.breaks() > 0 && (forms > 1 || b.commonLineCount * 10 < b.lines * 9)) {
        lines.push_back("CR・LF のバイトが一定の間隔で現れません (CR+LF " + n(b.crlf) + "、LF " +
                        n(b.lf) + "、CR " + n(b.cr) + "、行の長さ " + n(b.shortestLine) + "～" +
                        n(b.longestLine) + " バイト)");
    }
    return lines;
}

namespace {

// Line breaks, line lengths and whether the bytes look like text, for the text report.
void textProfileLines(const InspectionReport& report, std::vector<std::string>& lines) {
    const ByteProfile& b = report.bytes;
    lines.push_back("  " + lineEndingLine(b));
    if (b.breaks() > 0) {
        lines.push_back("  行の長さ: 最短 " + n(b.shortestLine) + "、最長 " + n(b.longestLine) +
                        " バイト (改行を除く)");
    }
    if (report.looksBinary) {
        lines.push_back("  内容: レコードデータのようです (テキストではありません)");
        for (const std::string& e : recordDataEvidence(report)) lines.push_back("    ・" + e);
    } else {
        lines.push_back(std::string("  内容: テキストのようです") +
                        (report.looksUtf8 ? " (UTF-8)" : ""));
    }
}

}  // namespace

std::vector<FindingGroup> reportFindings(const InspectionReport& report) {
    std::vector<FindingGroup> out;
    if (report.withDefinition) definitionGroups(report.definition, out);
    if (const auto note = untoldKindsNote(report); note) out.push_back({*note, false, {}});
    if (const std::string note = ebcdicNote(report); !note.empty())
        out.push_back({note, false, {}});
    const ByteProfile& b = report.bytes;
    if (report.pageText.present) {
        const PageTextProfile& t = report.pageText;
        if (t.noCharacter.any()) {
            addGroup(
                out,
                pageScope(t, b) + t.page + " の文字でない並び: " + n(t.noCharacter.count) + " か所",
                false, t.noCharacter);
        }
        if (t.control.any()) {
            addGroup(out, t.page + " の制御コード: " + n(t.control.count) + " バイト", false,
                     t.control);
        }
        if (t.unpairedShift.any()) {
            addGroup(
                out,
                "対になっていないシフトアウト・シフトイン: " + n(t.unpairedShift.count) + " か所",
                false, t.unpairedShift);
        }
        return out;
    }
    if (b.nonText.any()) {
        addGroup(out, "テキストに現れない制御コード: " + n(b.nonText.count) + " バイト", false,
                 b.nonText);
    }
    if (b.invalidSjis.any()) {
        addGroup(out,
                 sjisScope(b) + "Shift-JIS として読めない並び: " + n(b.invalidSjis.count) + " か所",
                 false, b.invalidSjis);
    }
    return out;
}

std::vector<std::string> reportLines(const InspectionReport& report, const std::string& inputPath,
                                     const std::string& definitionPath) {
    std::vector<std::string> lines;
    const ByteProfile& b = report.bytes;
    lines.push_back("点検したファイル: " + inputPath);
    if (report.cancelled) {
        lines.push_back("  (中断しました。先頭 " + n(b.size) + " バイトまでの結果です)");
    }
    lines.push_back("  ファイルサイズ: " + n(b.size) + " バイト");
    if (report.pageText.present) {
        for (const std::string& line : pageTextLines(report.pageText, b)) {
            lines.push_back("  " + line);
        }
    } else {
        textProfileLines(report, lines);
    }
    if (const std::string note = ebcdicNote(report); !note.empty()) {
        lines.push_back("  注意: " + note);
    }
    lines.push_back("  レコード長の候補:");

    if (report.suggestions.empty()) lines.push_back("    (候補はありません)");
    for (const RecordLengthSuggestion& s : report.suggestions) {
        lines.push_back("    " + n(s.length) + " バイト: " + s.reason);
    }

    std::vector<FindingGroup> groups = reportFindings(report);
    if (report.withDefinition) {
        const DefinitionFindings& d = report.definition;
        lines.push_back("定義: " + definitionPath);
        if (d.recordsCut) {
            std::string counts = "  レコード数:";
            for (std::size_t k = 1; k < d.recordsByKind.size(); ++k) {
                counts += (k > 1 ? "、" : " ") + kindName(d, static_cast<int>(k)) + " " +
                          n(d.recordsByKind[k]) + " 件";
            }
            if (d.unknownKind.any())
                counts += "、識別区分の不明なもの " + n(d.unknownKind.count) + " 件";
            lines.push_back(counts);
            lines.push_back("  書き出される行数: " + n(d.linesWritten) + " 行" +
                            (d.titleLine ? " (見出し行を含む)" : ""));
        }
        if (const auto note = untoldKindsNote(report); note) lines.push_back("  注意: " + *note);
        std::size_t problems = 0;
        for (const FindingGroup& g : groups) problems += g.problem ? 1 : 0;
        if (problems == 0) {
            lines.push_back("  問題は見つかりませんでした。");
        } else {
            lines.push_back("  問題: " + std::to_string(problems) + " 種類");
        }
    }
    for (const FindingGroup& g : groups) {
        if (!g.problem) continue;
        lines.push_back("  ・" + g.text);
        if (g.places.empty()) continue;
        std::string where = "      ";
        for (std::size_t i = 0; i < g.places.size() && i < kPlacesInText; ++i) {
            where += (i > 0 ? "、" : "") + placeText(g.places[i]);
        }
        if (g.places.size() > kPlacesInText) where += " ほか";
        lines.push_back(where);
    }
    return lines;
}

std::string recordDataWarning(const InspectionReport& report, const std::string& jobTitle) {
    std::string text = "警告: 入力ファイルは固定長のレコードデータのようです。" + jobTitle +
                       "は CR (0x0D) と LF (0x0A) のバイトを取り除くか書き換えるため、パック10進数"
                       "などの中にあるこれらのバイトも変わり、データが壊れます。";
    for (const std::string& e : recordDataEvidence(report)) text += "\n・" + e;
    return text;
}

std::string recordDataQuestion(const InspectionReport& report, const std::string& jobTitle) {
    std::string text = "入力ファイルは固定長のレコードデータのようです。\n" + jobTitle +
                       "は CR (0x0D) と LF (0x0A) のバイトを取り除くか書き換えるため、パック10進数"
                       "などの中にあるこれらのバイトも変わり、データが壊れます。\n";
    for (const std::string& e : recordDataEvidence(report)) text += "\n・" + e;
    return text + "\n\nこのまま実行しますか？";
}

std::vector<std::string> completionWarnings(const InspectionReport& report) {
    std::vector<std::string> out;
    if (!report.withDefinition || !report.definition.recordsCut) return out;
    const DefinitionFindings& d = report.definition;
    if (const auto note = untoldKindsNote(report); note) out.push_back(*note);
    if (d.trailingBytes > 0) {
        out.push_back("末尾の " + n(d.trailingBytes) + " バイト (オフセット " +
                      n(d.trailingOffset) + " から) はレコード長に満たないため出力していません。");
    }
    for (std::size_t k = 1; k < d.recordsWithoutLine.size(); ++k) {
        const Occurrences& o = d.recordsWithoutLine[k];
        if (!o.any()) continue;
        out.push_back("子レコードが続かなかったため、" + kindName(d, static_cast<int>(k)) + " の " +
                      n(o.count) + " 件のレコードはどの行にも出力されていません (最初は" +
                      firstPlace(o) + ")。");
    }
    for (const FieldFinding& f : d.invalidFields) {
        out.push_back(fieldName(d, f.kind, f.field) + " に正しくない値が " + n(f.places.count) +
                      " 件ありました (最初は" + firstPlace(f.places) + ")。");
    }
    for (const FieldFinding& f : d.fullWidthCharacters) {
        out.push_back(fieldName(d, f.kind, f.field) + " に全角の文字が " + n(f.places.count) +
                      " 件ありました (最初は" + firstPlace(f.places) + ")。");
    }
    if (d.unknownKind.any() && !d.stopped) {
        out.push_back("識別区分の不明なレコード " + n(d.unknownKind.count) +
                      " 件を読み飛ばしました (最初は" + firstPlace(d.unknownKind) + ")。");
    }
    for (std::size_t k = 1; k < d.childBeforeParent.size(); ++k) {
        const Occurrences& o = d.childBeforeParent[k];
        if (!o.any()) continue;
        out.push_back("親レコードより前にある " + kindName(d, static_cast<int>(k)) + " の " +
                      n(o.count) + " 件は、親のフィールドなしで出力しました (最初は" +
                      firstPlace(o) + ")。");
    }
    // The first few are enough to find the group; the check lists more.
    constexpr std::size_t kTotalsTold = 5;
    const std::size_t told = std::min(d.wrongTotals.size(), kTotalsTold);
    for (std::size_t i = 0; i < told; ++i) {
        const TotalFinding& t = d.wrongTotals[i];
        out.push_back(fieldName(d, t.kind, t.field) + " の" + wrongTotalText(t) + ": " +
                      placeText({t.offset, t.record}) + "。");
    }
    if (d.wrongTotalCount > static_cast<std::int64_t>(told)) {
        out.push_back("ほかにも集計の合わないレコードが " +
                      n(d.wrongTotalCount - static_cast<std::int64_t>(told)) + " 件あります。");
    }
    for (const SplitFinding& s : d.splitCharacters) {
        out.push_back(fieldName(d, s.kind, s.field) +
                      (s.at == SplitAt::Start ? " の始まり" : " の終わり") +
                      "で2バイト文字が分断されています: " + n(s.places.count) + " 件 (最初は" +
                      firstPlace(s.places) + ")。");
    }
    if (d.extraLineBreaks.any()) {
        out.push_back("改行で始まるレコードが " + n(d.extraLineBreaks.count) +
                      " 件あります。余分な改行でレコードがずれています (最初は" +
                      firstPlace(d.extraLineBreaks) + ")。");
    }
    return out;
}

}  // namespace sorvek
