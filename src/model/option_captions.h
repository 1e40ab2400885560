#pragma once
// The words the user reads for the values of a definition's options: the captions of the lists
// that choose them and of the run's summary, one place for both. The stored values stay the
// words of csv_output_options.h, host_data.h and input_code_page.h.
#include <array>
#include <string_view>

#include "model/csv_output_options.h"
#include "model/host_data.h"
#include "model/record_output_options.h"
#include "platform/input_code_page.h"

namespace sorvek {

// A choice of a list: its caption and its value.
template <typename E>
struct OutputChoice {
    const char* caption;
    E value;
};
inline constexpr std::array<OutputChoice<CsvEncoding>, 3> kEncodingChoices{{
    {"Shift-JIS (CP932)", CsvEncoding::Cp932},
    {"UTF-8", CsvEncoding::Utf8},
    {"UTF-8 (BOM付き)", CsvEncoding::Utf8Bom},
}};
inline constexpr std::array<OutputChoice<CsvQuoting>, 3> kQuotingChoices{{
    {"囲まない", CsvQuoting::None},
    {"必要な値だけ囲む (区切り文字・\"・改行を含む値)", CsvQuoting::Minimal},
    {"すべての値を囲む", CsvQuoting::All},
}};
inline constexpr std::array<OutputChoice<ZonedSign>, 3> kZonedSignChoices{{
    {"読み取らない (そのまま出力)", ZonedSign::Off},
    {"最後の桁のゾーン (先頭に指定したフィールドを除く)", ZonedSign::Trailing},
    {"最初の桁のゾーン", ZonedSign::Leading},
}};
inline constexpr std::array<OutputChoice<InvalidPacked>, 3> kInvalidPackedChoices{{
    {"そのまま出力 (: から ? の文字)", InvalidPacked::Keep},
    {"空の値にする", InvalidPacked::Empty},
    {"エラーとして変換を中止する", InvalidPacked::Fail},
}};
inline constexpr std::array<OutputChoice<CsvLineEnd>, 2> kLineEndChoices{{
    {"CR LF", CsvLineEnd::CrLf},
    {"LF", CsvLineEnd::Lf},
}};
inline constexpr std::array<OutputChoice<OutputFormat>, 2> kFormatChoices{{
    {"CSV (区切り文字付きのテキスト)", OutputFormat::Csv},
    {"Excel ブック (レコードの種類ごとのシート)", OutputFormat::Xlsx},
}};
inline constexpr std::array<OutputChoice<RecordEnd>, 3> kRecordEndChoices{{
    {"なし (レコードを続けて書く)", RecordEnd::None},
    {"CR LF", RecordEnd::CrLf},
    {"LF", RecordEnd::Lf},
}};
// The code pages of the input, each after its name: the name is what the definition file
// stores and what a list's item holds as its value.
inline constexpr std::array<OutputChoice<InputCodePage>, 5> kInputCodePageChoices{{
    {"CP932 Shift-JIS", InputCodePage::Cp932},
    {"IBM930 日本語EBCDIC (カナ)", InputCodePage::Ibm930},
    {"IBM939 日本語EBCDIC (英小文字)", InputCodePage::Ibm939},
    {"IBM037 英語EBCDIC", InputCodePage::Ibm037},
    {"IBM1047 英語EBCDIC (Latin-1)", InputCodePage::Ibm1047},
}};

// The caption of `value` among `choices` (the first's when absent).
template <typename E, std::size_t N>
std::string_view choiceCaption(const std::array<OutputChoice<E>, N>& choices, E value) {
    for (const OutputChoice<E>& choice : choices) {
        if (choice.value == value) return choice.caption;
    }
    return choices[0].caption;
}

// A value of a list the user picks from and the caption that shows it.
template <typename T>
struct CaptionedChoice {
    T value;
    const char* caption;
};
// The list "レコード形式" of the file definition, in its order.
inline constexpr std::array<CaptionedChoice<RecordFormat>, 3> kRecordFormatChoices{{
    {RecordFormat::Fixed, "固定長 (fixed)"},
    {RecordFormat::V, "V: RDW 付き (v)"},
    {RecordFormat::VB, "VB: BDW・RDW 付き (vb)"},
}};
// The caption of `value` among `choices` (the first's when absent).
template <typename T, std::size_t N>
std::string_view choiceCaption(const std::array<CaptionedChoice<T>, N>& choices, T value) {
    for (const CaptionedChoice<T>& choice : choices) {
        if (choice.value == value) return choice.caption;
    }
    return choices[0].caption;
}
// The lists "記述語のバイト順" and "記述語の長さ" of the file definition, in their order.
inline constexpr std::array<CaptionedChoice<DescriptorByteOrder>, 2> kDescriptorByteOrderChoices{{
    {DescriptorByteOrder::Big, "上位バイトが先 (big、ホスト)"},
    {DescriptorByteOrder::Little, "下位バイトが先 (little)"},
}};
inline constexpr std::array<CaptionedChoice<DescriptorLength>, 2> kDescriptorLengthChoices{{
    {DescriptorLength::Inclusive, "記述語の4バイトを含む (inclusive、ホスト)"},
    {DescriptorLength::Exclusive, "続くバイトだけ (exclusive)"},
}};

// The field types of the list "タイプ", each with its code first: "P パック10進数" shows the
// stored "P".
struct FieldTypeChoice {
    const char* type;
    const char* caption;
};
inline constexpr std::array<FieldTypeChoice, 5> kFieldTypeChoices{{
    {"X", "X 文字"},
    {"9", "9 ゾーン10進数"},
    {"P", "P パック10進数"},
    {"BIN", "BIN 2進数"},
    {"DBCS", "DBCS 2バイト文字"},
}};

}  // namespace sorvek
