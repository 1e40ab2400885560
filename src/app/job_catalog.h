#pragma once
// The three jobs the main window offers, by the index of their button (0, 1 and 3; 2 is unused).
#include <string>

#include "app/app_state.h"

namespace sorvek {

// The status-bar hint of the job button `index`; "" for any other index.
std::string jobHint(int index);

// Prepares the job state for the job button `index`: kind, title, the three pages (files, the
// job's page, execute) with their guidance texts, and three empty parameters. Earlier contents
// are discarded. False (and nothing changed) for an index that names no job.
bool startJob(int index, JobState& job);

}  // namespace sorvek
