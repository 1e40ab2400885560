#pragma once
// The texts of the check of a delimited text as the CSV-to-records job reads it: the console's
// report (`--check --csv`) and the desktop program's findings on the definition page of that
// job. All UTF-8; numbers grouped by threes.
#include <string>
#include <vector>

#include "engine/csv_check_report.h"

namespace sorvek {

// One line at fault, as the report lists it: "行 12、列 3 (数量): 桁数が多すぎます (4 桁まで)。
// 値 = 12345" for a value, "行 7: 値の数 (5) がどのレコードの行とも合いません。" for the line as a
// whole. Control characters of the value show as ".".
std::string csvFaultText(const CsvFaultLine& fault);

// What was read and what the lines make, one line each: the encoding, the lines read, the
// records by kind.
std::vector<std::string> csvCheckCounts(const CsvCheckReport& report);

// The line that says whether the job would make its records: the refusal, the count of lines at
// fault, or that none was found.
std::string csvProblemSummary(const CsvCheckReport& report);

// The line after the faults listed when there were more than were kept ("" otherwise).
std::string csvMoreFaultsText(const CsvCheckReport& report);

// The whole report, one line per element: the file and its size, the definition, the counts, the
// summary and every line at fault kept.
std::vector<std::string> csvCheckReportLines(const CsvCheckReport& report,
                                             const std::string& inputPath,
                                             const std::string& definitionPath);

}  // namespace sorvek
