#pragma once
// The start-up logic shared by the desktop and the console program: what to do with the
// arguments the program was started with.
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/files.h"
#include "ports/messages.h"

namespace sorvek {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the job or the definition failed
inline constexpr int kExitRefused = 2;  // the command line was refused

enum class StartupAction {
    ShowMainWindow,  // no arguments: the interactive program
    RunJob,          // the job state is filled (and the definition loaded): run it unattended
    End,             // refused or failed; the message has been shown
};

struct StartupOutcome {
    StartupAction action;
    int exitStatus;
};

// Looks at the arguments (the switch and three parameters, as the shell split them), fills
// the job state for an unattended run and, for /C, loads the definition into the table.
// A record length or a line ending that the job cannot take is refused here, before any file
// is touched (exit status 2). Every refusal and failure is shown through `messages` (titled
// with the application title).
StartupOutcome prepareStartup(const std::vector<std::string>& args, AppState& state,
                              Messages& messages, FileSystem& files = osFileSystem());

// Loads the definition file `typed` (made absolute, or the shipped layout it names:
// definitionPathFor) of a job whose parameter is one into the table, and remembers it as the
// file the output may not name. Shows the failure (or the note
// that the file was read as UTF-8) through `messages`; false when it could not be loaded. That
// an import's kinds cannot be told apart is left to the run to tell (-v, the check, the
// completion message), as for any definition.
bool loadJobDefinition(const std::string& typed, AppState& state, Messages& messages,
                       FileSystem& files = osFileSystem());

}  // namespace sorvek
