#pragma once
// What the check of a delimited text found when it read the text as the CSV-to-records job reads
// it: the values behind the console's check report (`--check --csv`) and the desktop program's
// findings list on the definition page of that job.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/csv_output_options.h"

namespace sorvek {

// How many lines that make no record a check keeps in detail (the count goes on).
inline constexpr std::size_t kKeptCsvFaults = 100;
// Bytes of a value a kept line shows at most (UTF-8); a longer one is cut between two characters
// and ends with "…".
inline constexpr std::size_t kShownValueBytes = 256;

// Why a line of the text makes no record.
enum class CsvLineProblem : std::uint8_t {
    Quotes,      // a quoted value not closed, or followed by more than the delimiter or line end
    ValueCount,  // no kind's line holds as many values
    ClassCode,   // lines of several kinds hold as many values, and none's class code is there
    Value,       // a value its field cannot hold
    // a line that goes on past the most bytes any line of the definition takes (a quote not
    // closed, or text of another definition); nothing after its start is read
    Length,
};

// A line that would stop the CSV-to-records job.
struct CsvFaultLine {
    CsvLineProblem problem = CsvLineProblem::Value;
    std::int64_t line = 0;    // 1-based number of the line the values start on
    std::int64_t offset = 0;  // its first byte, 0-based from the start of the file
    std::size_t values = 0;   // the values of the line (Quotes: up to the one not closed)
    std::size_t column = 0;   // 1-based number of the value at fault; 0 for the line as a whole
    std::string field;        // Value: the field's name (UTF-8)
    std::string value;        // Value: the value as UTF-8, at most kShownValueBytes and "…"
    std::string why;          // in the user's words
    bool operator==(const CsvFaultLine&) const = default;
};

struct CsvCheckReport {
    std::int64_t size = 0;  // bytes read
    // How the text was read: its encoding (UTF-8 where it starts with a byte order mark).
    CsvEncoding encoding = CsvEncoding::Cp932;
    bool byteOrderMark = false;
    // Why the job would not run at all with this definition (and its layout of records); no line
    // was read then. Empty when it would.
    std::string refusal;
    // Lines read, the title line and empty lines included (a value's line ends are no line end).
    std::int64_t lines = 0;
    bool titleLine = false;       // the first line was passed over as the title line
    std::int64_t emptyLines = 0;  // lines without values, which make no record
    // The kinds' names and the records the lines make of each (index 1..N), and all of them.
    std::vector<std::string> kindNames;
    std::vector<std::int64_t> recordsByKind;
    std::int64_t records = 0;
    // Every line that makes no record, and the first of them in detail, in the order of the text.
    std::int64_t faultCount = 0;
    std::vector<CsvFaultLine> faults;
    // The reading was cancelled: the report covers the lines read until then.
    bool cancelled = false;

    // True when the job would not make its records of this text.
    bool hasProblems() const { return !refusal.empty() || faultCount > 0; }
    bool operator==(const CsvCheckReport&) const = default;
};

}  // namespace sorvek
