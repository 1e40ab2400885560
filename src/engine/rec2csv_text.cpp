#include "engine/rec2csv_text.h"

#include <vector>

#include "engine/inspection.h"
#include "model/csv_output_options.h"
#include "platform/codepage.h"

namespace sorvek {
namespace {

// Encloses `value` in double quotes as `quoting` asks (doubling the quotes inside), for the
// title line; the fields do the same in the line plan.
std::string quoteText(const std::string& value, const std::string& delimiter, CsvQuoting quoting) {
    const bool needed = quoting == CsvQuoting::All ||
                        (quoting == CsvQuoting::Minimal &&
                         (value.find_first_of("\"\r\n") != std::string::npos ||
                          (!delimiter.empty() && value.find(delimiter) != std::string::npos)));
    if (!needed) return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// The title line of the lines of kind `leaf`: the marked field names of its ancestors,
// top-level ancestor first, then its own, in the output's encoding and quoting, with its line
// end.
std::string titleLine(const RecordDefTable& table, int leaf, const std::string& delimiter,
                      const CsvOutputOptions& options, const std::string& lineEnd) {
    const bool cp932 = options.encoding == CsvEncoding::Cp932;
    std::vector<int> chain;
    for (int r = leaf; r != 0; r = table[static_cast<std::size_t>(r)].Parent) chain.push_back(r);
    std::string text;
    bool first = true;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const FieldDef& f : table[static_cast<std::size_t>(*it)].Fields) {
            if (f.Check != -1) continue;
            if (!first) text += delimiter;
            text += quoteText(cp932 ? utf8ToCp932(f.Name) : f.Name, delimiter, options.quoting);
            first = false;
        }
    }
    return text + lineEnd;
}

}  // namespace

Rec2CsvText prepareRec2CsvRun(RecordDefTable& table) {
    RecordDef& file = table[0];
    if (file.Delimiter == "\\t") file.Delimiter = "\t";
    for (RecordDef& record : table.entries) record.Data.clear();
    const CsvOutputOptions& options = table.output;
    Rec2CsvText text;
    text.delimiter =
        options.encoding == CsvEncoding::Cp932 ? utf8ToCp932(file.Delimiter) : file.Delimiter;
    text.lineEnd = options.lineEnd == CsvLineEnd::Lf ? "\n" : "\r\n";
    if (options.encoding == CsvEncoding::Utf8Bom) text.preamble = "\xEF\xBB\xBF";
    if (file.TitleLine) {
        // The one output's title line names the first kind without a child.
        int leaf = 0;
        for (int k = 1; k <= table.maxIndex() && leaf == 0; ++k) {
            if (table[static_cast<std::size_t>(k)].Child == 0) leaf = k;
        }
        text.preamble += titleLine(table, leaf, text.delimiter, options, text.lineEnd);
    }
    return text;
}

std::string kindPreamble(const RecordDefTable& table, const Rec2CsvText& text, int kind) {
    const CsvOutputOptions& options = table.output;
    std::string preamble = options.encoding == CsvEncoding::Utf8Bom ? "\xEF\xBB\xBF" : "";
    if (table[0].TitleLine)
        preamble += titleLine(table, kind, text.delimiter, options, text.lineEnd);
    return preamble;
}

std::string invalidPackedText(std::int64_t recordNumber, std::int64_t offset,
                              const std::string& record, const std::string& field) {
    return "パック10進数のフィールドに不正な値があります。\nレコード番号 = " +
           std::to_string(recordNumber) + "\nオフセット = " + std::to_string(offset) +
           "\nレコード = " + record + "\nフィールド = " + field;
}

std::string unknownKindText(std::int64_t recordNumber, std::int64_t offset) {
    return std::string(kUnknownKindText) + "\n" + recordPlaceText(recordNumber, offset);
}

}  // namespace sorvek
