#pragma once
// The jobs the program offers, one entry each. Everything the programs need to know of a job is
// in its entry: how the command line names it, its wizard page and texts, how its parameter is
// checked, how it runs and what its completion message adds. Start-up, the console's options and
// usage, the main window, the wizard and the job run read the entries; none of them branches on
// a job's name. A job is one file (`app/job_*.cpp`) and its line in the registry.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "engine/engine_context.h"
#include "engine/inspection_report.h"

namespace sorvek {

struct JobSummary;

struct JobEntry {
    const char* kind;   // JobKind, the key the whole program uses ("RECLEN")
    const char* title;  // JobTitle and the button's caption
    // "/L", "/C", "/E"; matched in any letter case. Null for a job the switch form does not run.
    const char* commandSwitch;
    // The GNU-style option: the one that names the job's parameter ("--record-length"), with
    // which the job takes only INPUT and OUTPUT; for a job without a switch, the option that
    // asks for it ("--check").
    const char* longOption;
    int buttonIndex;             // the main window's button `cmdTrans`; -1 for none
    std::int32_t page;           // the wizard page of the job's parameter; -1 for none
    const char* parameterLabel;  // before the parameter in the execute page's summary
    const char* hint;            // the status-bar hint of the button
    const char* comment;         // the guidance text of the job's page
    const char* iconName;        // the button's icon among the program's resources
    const char* countRefusal;    // the message for a command line of the wrong length
    const char* manualTopic;     // the anchor of the job's section in the manual
    const char* usage;           // its lines of the console's usage text
    // The parameter names a record definition: loaded at start-up, kept from the output, read
    // through by the inspection beside the job, shaped by the output options.
    bool readsDefinition;
    // Removes or rewrites line breaks: a job on an input that looks like record data is warned
    // about (asked first in the desktop program).
    bool warnsOnRecordData;
    // Its input is records of the definition (the inspection beside the job reads it through
    // the definition); else text or bytes.
    bool inputIsRecords;
    // It makes records of the definition: the options of their framing apply.
    bool makesRecords;
    // Refuses a parameter the job cannot take (kind RefusedArgument), before any file is
    // touched. Null: every parameter is taken.
    Status (*checkParameter)(const std::string& parameter);
    // Runs the prepared job of `state` (the paths and the parameter as typed in JobParams) and
    // returns its outcome; shows nothing.
    Status (*run)(AppState& state, EngineContext& context);
    // What the completion message adds for this job (the count line, warnings), from the
    // inspection of its input that ran beside it. Null: nothing.
    void (*summarize)(const AppState& state, const InspectionReport& input, JobSummary& summary);
};

// The job's input is a delimited text that it makes records of through its definition (the
// definition page previews and checks the input as the lines it makes records of).
bool readsTextIntoRecords(const JobEntry& job);

// Every job: those with a button in the order of the main window's buttons, then the others.
std::span<const JobEntry* const> jobRegistry();

// The job of kind `kind`, of button `index`, of command-line switch `commandSwitch` (any letter
// case), or whose long option is `option`; nullptr for none.
const JobEntry* findJobByKind(std::string_view kind);
const JobEntry* findJobByButton(int index);
const JobEntry* findJobBySwitch(std::string_view commandSwitch);
const JobEntry* findJobByLongOption(std::string_view option);

// The status-bar hint of the job button `index`; "" for any other index.
std::string jobHint(int index);

// Prepares the job state for the job button `index`: kind, title, the three pages (files, the
// job's page, execute) with their guidance texts, and three empty parameters. Earlier contents
// are discarded. False (and nothing changed) for an index that names no job.
bool startJob(int index, JobState& job);

// The registry's entries, each defined in its own file.
const JobEntry& recordLengthJob();  // app/job_record_length.cpp
const JobEntry& recordsToCsvJob();  // app/job_records_to_csv.cpp
const JobEntry& csvToRecordsJob();  // app/job_csv_to_records.cpp
const JobEntry& lineEndingJob();    // app/job_line_ending.cpp
const JobEntry& checkJob();         // app/job_check.cpp
const JobEntry& csvCheckJob();      // app/job_csv_check.cpp

}  // namespace sorvek
