#pragma once
// The texts of an inspection: the check report of the console program, the findings list of
// the desktop program, the evidence that a file is record data, and the warnings a completion
// message adds. All UTF-8; numbers grouped by threes, offsets 0-based from the start of the
// file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/inspection_report.h"

namespace sorvek {

// The note that every record is read as the first kind, when the inspected definition has
// several kinds and no class-code position (DefinitionFindings::kindsUntold).
std::optional<std::string> untoldKindsNote(const InspectionReport& report);

// A place of a finding: a byte offset, and the record there (0 for findings about bytes) with
// the offset of its first byte (the same offset but for findings about a field) and, for
// records in blocks, the rest of the block from that record on, with which a walk that starts
// at the record goes on as the conversion does.
struct FindingPlace {
    std::int64_t offset = 0;
    std::int64_t recordNumber = 0;
    std::int64_t recordOffset = 0;
    std::uint32_t blockLeft = 0;
};

// "レコード 4 (オフセット 120)", or "オフセット 120" without a record.
std::string placeText(const FindingPlace& place);

// One finding: a line that says what was found and how often, and its first places.
struct FindingGroup {
    std::string text;
    // The output will not be what the data holds (or the conversion will not run).
    bool problem = false;
    std::vector<FindingPlace> places;
};

// The findings of `report`, problems first, in the order of the report's lines.
std::vector<FindingGroup> reportFindings(const InspectionReport& report);

// The whole report, one line per element: the file, its size, line endings and lengths, text
// or record data with the evidence, the record-length suggestions, and with a definition the
// records per kind, the lines written, the note that the kinds cannot be told apart ("注意: "),
// and every problem with its first places. The last line
// says whether problems were found.
std::vector<std::string> reportLines(const InspectionReport& report, const std::string& inputPath,
                                     const std::string& definitionPath);

// The evidence that the file is record data rather than text, one line each (empty when it
// looks like text).
std::vector<std::string> recordDataEvidence(const InspectionReport& report);

// The question asked before a job that rewrites line breaks runs on record data: what it does
// to such data and the evidence, ending "このまま実行しますか？".
std::string recordDataQuestion(const InspectionReport& report, const std::string& jobTitle);

// The warning the console program writes instead (the job still runs).
std::string recordDataWarning(const InspectionReport& report, const std::string& jobTitle);

// The warnings a record-to-CSV job's completion message adds: bytes left out at the end,
// records that reached no line, invalid values met, records of unknown kind skipped, children
// read before their parent, characters split by a field; first, the note that the kinds could
// not be told apart.
std::vector<std::string> completionWarnings(const InspectionReport& report);

}  // namespace sorvek
