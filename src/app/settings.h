#pragma once
// The settings file: two default folders and the recently used input and output files.
// Nothing is cached: every value is read from the file at each use and written at once.
// An empty settings path (an unattended run) reads every value as "" and writes nothing.
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace sorvek {

inline constexpr const char* kSectionDefault = "Default";
inline constexpr const char* kSectionHistory = "History";
inline constexpr const char* kKeyDataFolder = "DataFolder";
inline constexpr const char* kKeyTrdFolder = "TrdFolder";
// A history list holds at most this many paths.
inline constexpr int kHistorySize = 10;
// History slots: the index of the wizard's file field.
inline constexpr int kHistoryInput = 0;
inline constexpr int kHistoryOutput = 5;
// The definition files last opened or saved, most recent first: keys "Trd_0" to "Trd_7" of
// section History.
inline constexpr int kRecentDefinitionsSize = 8;

// Where the settings file may go.
struct SettingsLocation {
    std::string executableFolder;    // without a trailing separator
    std::string executableBaseName;  // without extension
    std::string xdgConfigHome;       // $XDG_CONFIG_HOME, may be empty
    std::string home;                // $HOME, may be empty
};

// The settings file beside the executable (folder, separator, base name, ".ini"). When that
// folder cannot be written (an installed program), the same file name in
// `$XDG_CONFIG_HOME/sorvek/`, or `~/.config/sorvek/` when XDG_CONFIG_HOME is unset or relative.
// `folderWritable` tells whether a folder accepts new files.
std::string settingsFilePathFor(const SettingsLocation& where,
                                const std::function<bool(const std::string&)>& folderWritable);

// The settings file of the running program: the environment is asked, and `files` whether the
// executable's folder may be written (FileSystem::folderWritable).
std::string settingsFilePath(FileSystem& files = osFileSystem());
// The settings file a program of `programName` installed beside the running one uses: the
// console program's jobs keep the desktop program's ("sorvek") safe too.
std::string settingsFilePathOf(const std::string& programName, FileSystem& files = osFileSystem());

// One value of the settings file, "" when the file, section or key is missing.
std::string readSetting(const std::string& iniPath, const std::string& section,
                        const std::string& key, FileSystem& files = osFileSystem());
// Writes one value, creating the settings file (and its folders, through `files`) when missing.
// A folder that cannot be made fails as the write of the file into it does.
Status writeSetting(const std::string& iniPath, const std::string& section, const std::string& key,
                    const std::string& value, FileSystem& files = osFileSystem());

// History key of field `n` (0 input, 5 output) at `slot`: "File0_3".
std::string historyKey(int n, int slot);

// The history of field `n`, most recent first; empty slots are skipped.
std::vector<std::string> readHistory(const std::string& iniPath, int n,
                                     FileSystem& files = osFileSystem());

// Records `path` as the most recent entry of field `n`: slot 0 is `path`, then the entries of
// `shownList` (the list as the wizard showed it) that differ from `path` (exact comparison,
// letter case counts), up to slot 9. Slots after the last one written keep their values.
// Stops silently at the first write that fails.
void saveHistory(const std::string& iniPath, int n, const std::string& path,
                 const std::vector<std::string>& shownList, FileSystem& files = osFileSystem());

// The definition files last opened or saved, most recent first; empty slots are skipped.
std::vector<std::string> readRecentDefinitions(const std::string& iniPath,
                                               FileSystem& files = osFileSystem());
// Puts `path` (made absolute) first in the list of recent definitions; the others follow in their
// order without it (exact comparison), up to 8. Slots left over are emptied. Stops silently at
// the first write that fails, like saveHistory.
void rememberRecentDefinition(const std::string& iniPath, const std::string& path,
                              FileSystem& files = osFileSystem());

// A folder as the options dialog stores it: a non-empty text gets a trailing separator.
std::string folderForSaving(const std::string& text);

// What a folder typed in the options dialog names: nothing (an empty text, which is kept as
// "no default folder"), an existing folder, nothing yet, or something that is no folder. Relative
// texts are taken from the current folder.
enum class FolderState { Empty, Exists, Missing, NotAFolder };
FolderState folderState(const std::string& text, FileSystem& files = osFileSystem());

// Writes DataFolder and then TrdFolder (each completed by folderForSaving). False at the first
// write that fails; DataFolder may then already be written.
Status saveDefaultFolders(const std::string& iniPath, const std::string& dataFolder,
                          const std::string& trdFolder, FileSystem& files = osFileSystem());

// Where the browse button of a file field starts: the field's text when it names an existing
// file, else the DataFolder setting with a trailing separator ("/" when unset).
std::string browseStartPath(const std::string& fieldText, const std::string& iniPath,
                            FileSystem& files = osFileSystem());

}  // namespace sorvek
