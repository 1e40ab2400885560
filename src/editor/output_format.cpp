#include "editor/output_format.h"

namespace sorvek {

OutputFormat outputFormatFor(std::string_view outputPath, OutputFormat defined) {
    constexpr std::string_view kSuffix = ".xlsx";
    if (outputPath.size() <= kSuffix.size()) return defined;
    const std::string_view end = outputPath.substr(outputPath.size() - kSuffix.size());
    for (std::size_t i = 0; i < kSuffix.size(); ++i) {
        const char c = end[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kSuffix[i])
            return defined;
    }
    return OutputFormat::Xlsx;
}

OutputFormatForm loadOutputFormat(const RecordDefTable& table) {
    OutputFormatForm form;
    form.options = table.output;
    for (int r = 1; r <= table.maxIndex(); ++r) {
        const RecordDef& record = table[static_cast<std::size_t>(r)];
        for (std::size_t j = 0; j < record.Fields.size(); ++j) {
            const FieldDef& f = record.Fields[j];
            if (f.Type != "9" || f.Check != -1) continue;
            form.zonedFields.push_back(
                {r, static_cast<std::int32_t>(j), record.Name + " / " + f.Name, f.leadingSign});
        }
    }
    return form;
}

void applyOutputFormat(const OutputFormatForm& form, RecordDefTable& table) {
    table.output = form.options;
    for (const OutputFormatForm::ZonedField& z : form.zonedFields) {
        if (!table.isRecordIndex(z.record)) continue;
        std::vector<FieldDef>& fields = table[static_cast<std::size_t>(z.record)].Fields;
        if (z.field < 0 || static_cast<std::size_t>(z.field) >= fields.size()) continue;
        fields[static_cast<std::size_t>(z.field)].leadingSign = z.leadingSign;
    }
}

}  // namespace sorvek
