#pragma once
// What the program keeps process-wide: one object, owned by the program's main() and passed by
// reference to whatever reads or changes it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/csv_check_report.h"
#include "engine/inspection_report.h"
#include "model/record_def.h"
#include "model/record_output_options.h"

namespace sorvek {

// Page numbers of the wizard.
inline constexpr std::int32_t kPageFiles = 0;
inline constexpr std::int32_t kPageRecordLength = 10;
inline constexpr std::int32_t kPageRecordDefinition = 11;
inline constexpr std::int32_t kPageLineEnding = 13;
inline constexpr std::int32_t kPageExecute = 99;

// Job kind keys.
inline constexpr const char* kJobRecLen = "RECLEN";
inline constexpr const char* kJobRec2Csv = "REC2CSV";
inline constexpr const char* kJobCrlf = "CRLF";
inline constexpr const char* kJobCsv2Rec = "CSV2REC";
inline constexpr const char* kJobCheck = "CHECK";
inline constexpr const char* kJobCsvCheck = "CSVCHECK";

struct JobState {
    std::string JobKind;
    std::string JobTitle;
    std::vector<std::int32_t> PageSequence;
    std::vector<std::string> PageComments;
    // 0: input path, 1: output path, 2: the job's parameter, all as typed.
    std::array<std::string, 3> JobParams;
};

struct AppState {
    JobState job;
    RecordDefTable recordDefTable;
    // The file the definition was last read from or saved to (absolute); empty while none. A
    // job's output may not name it.
    std::string definitionFile;
    // The settings file; empty in an unattended run, where no setting is read or written.
    std::string IniFilePath;
    // True when the program was started with a command line (an unattended run).
    bool unattended = false;
    // How the records of a CSV2REC job follow one another (the run's own; not kept in the
    // definition).
    RecordOutputOptions recordOutput;
    // What the check found, once it has run.
    std::optional<InspectionReport> inspection;
    // What the check of a delimited text found, once it has run.
    std::optional<CsvCheckReport> csvCheck;
};

}  // namespace sorvek
