#pragma once
// The jobs the program offers: the one table that start-up (by command-line switch), the main
// window (by button) and the wizard (through the job state it fills) read.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/app_state.h"

namespace sorvek {

struct JobDefinition {
    int buttonIndex;            // index of the main window's button `cmdTrans`
    const char* commandSwitch;  // "/L", "/C", "/E"; matched in any letter case
    const char* kind;           // JobKind
    const char* title;          // JobTitle and the button's caption
    std::int32_t page;          // the wizard page of the job's parameter
    const char* hint;           // the status-bar hint of the button
    const char* comment;        // the guidance text of the job's page
    const char* iconName;       // the button's icon among the program's resources
    const char* countRefusal;   // the message for a command line of the wrong length
};

// Every job, in the order of the main window's buttons.
std::span<const JobDefinition> jobCatalog();

// The job of button `index`, of command-line switch `commandSwitch` (any letter case); nullptr
// for none.
const JobDefinition* findJobByButton(int index);
const JobDefinition* findJobBySwitch(std::string_view commandSwitch);

// The status-bar hint of the job button `index`; "" for any other index.
std::string jobHint(int index);

// Prepares the job state for the job button `index`: kind, title, the three pages (files, the
// job's page, execute) with their guidance texts, and three empty parameters. Earlier contents
// are discarded. False (and nothing changed) for an index that names no job.
bool startJob(int index, JobState& job);

}  // namespace sorvek
