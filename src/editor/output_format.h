#pragma once
// The "出力形式" dialog of the record-definition page, apart from its widgets: the choices it
// offers, the form it fills from the table and what OK writes back.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/option_captions.h"
#include "model/record_def.h"

namespace sorvek {

inline constexpr const char* kOutputFormatTitle = "出力形式";
inline constexpr const char* kNoDefinitionForOutputFormat =
    "レコード定義がありません。先にファイル定義を作成するか、定義を開いてください。";

// The note under the format: the output's name has the last word in the desktop program.
inline constexpr const char* kXlsxNameNote =
    "出力ファイル名が .xlsx で終わるときは、常に Excel ブックに出力します。";
// The output file types of record-to-CSV, as the save dialog offers them.
inline constexpr const char* kRec2CsvOutputFilter =
    "CSV ファイル (*.csv)|*.csv|Excel ブック (*.xlsx)|*.xlsx|全てのファイル (*)|*";

// What a wizard's record-to-CSV run writes to `outputPath`: a workbook when the name ends in
// ".xlsx" (any case), as a save dialog's file type chooses it, else what the definition says.
OutputFormat outputFormatFor(std::string_view outputPath, OutputFormat defined);

// The check box of an output split by record kind (CsvOutputOptions::splitKinds).
inline constexpr const char* kSplitKindsCaption =
    "レコードの種類ごとに別のファイルに出力する (出力ファイル名.種類名.csv)";

// The index of `value` among `choices` (0 when absent).
template <typename E, std::size_t N>
int choiceIndex(const std::array<OutputChoice<E>, N>& choices, E value) {
    for (std::size_t i = 0; i < N; ++i) {
        if (choices[i].value == value) return static_cast<int>(i);
    }
    return 0;
}

// What the dialog shows and edits.
struct OutputFormatForm {
    CsvOutputOptions options;
    // The zoned fields marked for output, each with the position of its sign.
    struct ZonedField {
        std::int32_t record = 0;  // table index
        std::int32_t field = 0;   // index in the record's Fields
        std::string caption;      // "record name / field name"
        bool leadingSign = false;
    };
    std::vector<ZonedField> zonedFields;
    // The per-field sign position matters only while trailing signs are decoded.
    bool zonedFieldsEnabled() const { return options.zonedSign == ZonedSign::Trailing; }
    // The encoding, quoting, line end and a file per kind shape delimited text only.
    bool textOptionsEnabled() const { return options.format == OutputFormat::Csv; }
};

// The form for `table`'s options and zoned fields.
OutputFormatForm loadOutputFormat(const RecordDefTable& table);

// Writes the form back: the options, and the sign position of each zoned field listed. Fields
// that are no longer where the form found them are left alone.
void applyOutputFormat(const OutputFormatForm& form, RecordDefTable& table);

}  // namespace sorvek
