#pragma once
// How the record-to-CSV conversion writes its text: encoding, quoting, trimming, the sign of
// zoned fields, invalid packed digits and the line end. Every option is off by default, and
// with every option off the output is the fixed-width Shift-JIS text the conversion always
// wrote. The title line stays entry 0's `TitleLine`; the command line may override it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sorvek {

enum class CsvEncoding : std::uint8_t { Cp932, Utf8, Utf8Bom };
enum class CsvQuoting : std::uint8_t { None, Minimal, All };
// Off: zoned digits are copied as they are. Trailing: the last digit's zone carries the sign,
// except in fields marked `leadingSign`. Leading: the first digit's zone, in every field.
enum class ZonedSign : std::uint8_t { Off, Trailing, Leading };
enum class InvalidPacked : std::uint8_t { Keep, Empty, Fail };
enum class CsvLineEnd : std::uint8_t { CrLf, Lf };
// What the output is: delimited text, or a workbook of sheets (engine/tran_rec2xlsx.h).
enum class OutputFormat : std::uint8_t { Csv, Xlsx };

struct CsvOutputOptions {
    CsvEncoding encoding = CsvEncoding::Cp932;
    // Minimal: a field is quoted when it holds the delimiter, a double quote, CR or LF; All:
    // every field. Inner double quotes are doubled.
    CsvQuoting quoting = CsvQuoting::None;
    // Trailing half-width and full-width blanks of text fields are dropped.
    bool trimBlanks = false;
    ZonedSign zonedSign = ZonedSign::Off;
    InvalidPacked invalidPacked = InvalidPacked::Keep;
    CsvLineEnd lineEnd = CsvLineEnd::CrLf;
    // One file per record kind that writes lines, named after the output and the kind, each
    // with its own title line, instead of the one output (engine/kind_files.h).
    bool splitKinds = false;
    // A workbook has a sheet per record kind that writes lines, with typed cells; the text
    // options that shape a line's bytes (encoding, quoting, line end) do not apply to it.
    OutputFormat format = OutputFormat::Csv;

    bool operator==(const CsvOutputOptions&) const = default;
    // True when the job writes a CSV file per kind (a workbook has its sheets per kind instead).
    bool writesFilePerKind() const { return splitKinds && format == OutputFormat::Csv; }
    // True when the output is written as it always was.
    bool isDefault() const { return *this == CsvOutputOptions{}; }
};

// What the command line sets for one run; what it leaves alone stays as the definition says.
struct CsvOutputOverrides {
    std::optional<CsvEncoding> encoding;
    std::optional<CsvQuoting> quoting;
    std::optional<bool> trimBlanks;
    std::optional<ZonedSign> zonedSign;
    std::optional<InvalidPacked> invalidPacked;
    std::optional<CsvLineEnd> lineEnd;
    std::optional<bool> titleLine;
    std::optional<bool> splitKinds;
    std::optional<OutputFormat> format;

    bool empty() const {
        return !encoding && !quoting && !trimBlanks && !zonedSign && !invalidPacked && !lineEnd &&
               !titleLine && !splitKinds && !format;
    }
    // Sets in `options` what is given here (all but the title line, which is the caller's).
    void applyTo(CsvOutputOptions& options) const;
};

// The words of an option's values, as the command line and the definition file write them.
template <typename E>
struct OptionWord {
    std::string_view word;
    E value;
};

inline constexpr std::array<OptionWord<CsvEncoding>, 3> kEncodingWords{{
    {"cp932", CsvEncoding::Cp932},
    {"utf-8", CsvEncoding::Utf8},
    {"utf-8-bom", CsvEncoding::Utf8Bom},
}};
inline constexpr std::array<OptionWord<CsvQuoting>, 3> kQuotingWords{{
    {"none", CsvQuoting::None},
    {"minimal", CsvQuoting::Minimal},
    {"all", CsvQuoting::All},
}};
inline constexpr std::array<OptionWord<ZonedSign>, 3> kZonedSignWords{{
    {"off", ZonedSign::Off},
    {"trailing", ZonedSign::Trailing},
    {"leading", ZonedSign::Leading},
}};
inline constexpr std::array<OptionWord<InvalidPacked>, 3> kInvalidPackedWords{{
    {"keep", InvalidPacked::Keep},
    {"empty", InvalidPacked::Empty},
    {"fail", InvalidPacked::Fail},
}};
inline constexpr std::array<OptionWord<CsvLineEnd>, 2> kLineEndWords{{
    {"crlf", CsvLineEnd::CrLf},
    {"lf", CsvLineEnd::Lf},
}};
inline constexpr std::array<OptionWord<OutputFormat>, 2> kOutputFormatWords{{
    {"csv", OutputFormat::Csv},
    {"xlsx", OutputFormat::Xlsx},
}};
inline constexpr std::array<OptionWord<bool>, 2> kOnOffWords{{
    {"on", true},
    {"off", false},
}};

// The value of `word` (ASCII letters in any case), or nothing.
template <typename E, std::size_t N>
std::optional<E> parseOptionWord(const std::array<OptionWord<E>, N>& words, std::string_view word) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const OptionWord<E>& w : words) {
        if (w.word.size() != word.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < word.size() && same; ++i) same = w.word[i] == lower(word[i]);
        if (same) return w.value;
    }
    return std::nullopt;
}

// The word of `value`.
template <typename E, std::size_t N>
std::string_view optionWord(const std::array<OptionWord<E>, N>& words, E value) {
    for (const OptionWord<E>& w : words) {
        if (w.value == value) return w.word;
    }
    return words[0].word;
}

// Every word, joined by "|" ("cp932|utf-8|utf-8-bom"), for usage texts and refusals.
template <typename E, std::size_t N>
std::string optionWordList(const std::array<OptionWord<E>, N>& words) {
    std::string text;
    for (const OptionWord<E>& w : words) {
        if (!text.empty()) text += '|';
        text += w.word;
    }
    return text;
}

}  // namespace sorvek
