#include "app/settings.h"

#include <cstdlib>
#include <filesystem>

#include "formats/ini_profile.h"
#include "platform/paths.h"

namespace sorvek {
namespace fs = std::filesystem;

namespace {

std::string envOrEmpty(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string settingsFilePathFor(const SettingsLocation& where,
                                const std::function<bool(const std::string&)>& folderWritable) {
    const std::string fileName = where.executableBaseName + ".ini";
    if (folderWritable(where.executableFolder)) {
        return withTrailingSeparator(where.executableFolder) + fileName;
    }
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    std::string config = where.xdgConfigHome;
    if (config.empty() || config.front() != '/') {
        config = withTrailingSeparator(where.home) + ".config";
    }
    return withTrailingSeparator(config) + "sorvek" + folderSeparator() + fileName;
}

std::string settingsFilePath(FileSystem& files) {
    return settingsFilePathOf(executableBaseName(), files);
}

std::string settingsFilePathOf(const std::string& programName, FileSystem& files) {
    SettingsLocation where{executableFolder(), programName, envOrEmpty("XDG_CONFIG_HOME"),
                           envOrEmpty("HOME")};
    if (where.executableBaseName.empty()) where.executableBaseName = "sorvek";
    // An executable whose folder cannot be found has no folder to keep its settings beside.
    return settingsFilePathFor(where, [&files](const std::string& folder) {
        return !folder.empty() && files.folderWritable(folder);
    });
}

std::string readSetting(const std::string& iniPath, const std::string& section,
                        const std::string& key, FileSystem& files) {
    if (iniPath.empty()) return {};
    return readIniString(iniPath, section, key, files);
}

Status writeSetting(const std::string& iniPath, const std::string& section, const std::string& key,
                    const std::string& value, FileSystem& files) {
    if (iniPath.empty()) return failure("設定ファイルがありません。");
    // The fallback folder under the user's configuration folder may not exist yet. Whether it
    // could be made does not matter here: without it the write fails, and says why for the file.
    const std::string folder = fs::path(iniPath).parent_path().string();
    if (!folder.empty()) (void)files.createFolders(folder);
    return writeIniString(iniPath, section, key, value, files);
}

std::string historyKey(int n, int slot) {
    return "File" + std::to_string(n) + "_" + std::to_string(slot);
}

std::vector<std::string> readHistory(const std::string& iniPath, int n, FileSystem& files) {
    std::vector<std::string> list;
    if (iniPath.empty()) return list;
    // One read of the file for all ten keys; the values are those readIniString would give.
    const IniDocument doc = IniDocument::load(iniPath, files);
    for (int slot = 0; slot < kHistorySize; ++slot) {
        std::string value = doc.get(kSectionHistory, historyKey(n, slot));
        if (!value.empty()) list.push_back(std::move(value));
    }
    return list;
}

void saveHistory(const std::string& iniPath, int n, const std::string& path,
                 const std::vector<std::string>& shownList, FileSystem& files) {
    if (!writeSetting(iniPath, kSectionHistory, historyKey(n, 0), path, files)) return;
    int slot = 1;
    for (const std::string& entry : shownList) {
        if (slot >= kHistorySize) break;
        if (entry == path) continue;
        if (!writeSetting(iniPath, kSectionHistory, historyKey(n, slot), entry, files)) return;
        ++slot;
    }
}

namespace {

std::string recentDefinitionKey(int slot) {
    return "Trd_" + std::to_string(slot);
}

}  // namespace

std::vector<std::string> readRecentDefinitions(const std::string& iniPath, FileSystem& files) {
    std::vector<std::string> list;
    if (iniPath.empty()) return list;
    const IniDocument doc = IniDocument::load(iniPath, files);
    for (int slot = 0; slot < kRecentDefinitionsSize; ++slot) {
        std::string value = doc.get(kSectionHistory, recentDefinitionKey(slot));
        if (!value.empty()) list.push_back(std::move(value));
    }
    return list;
}

void rememberRecentDefinition(const std::string& iniPath, const std::string& path,
                              FileSystem& files) {
    if (iniPath.empty() || path.empty()) return;
    const std::string absolute = getFullPath(path);
    std::vector<std::string> list{absolute};
    for (std::string& entry : readRecentDefinitions(iniPath, files)) {
        if (entry != absolute && list.size() < kRecentDefinitionsSize) {
            list.push_back(std::move(entry));
        }
    }
    for (int slot = 0; slot < kRecentDefinitionsSize; ++slot) {
        const std::size_t i = static_cast<std::size_t>(slot);
        const std::string value = i < list.size() ? list[i] : std::string();
        // Slots never written stay absent rather than written empty.
        if (value.empty() &&
            readSetting(iniPath, kSectionHistory, recentDefinitionKey(slot), files).empty()) {
            continue;
        }
        if (!writeSetting(iniPath, kSectionHistory, recentDefinitionKey(slot), value, files)) {
            return;
        }
    }
}

FolderState folderState(const std::string& text, FileSystem& files) {
    if (text.empty()) return FolderState::Empty;
    const Result<FileInfo> info = files.inspect(getFullPath(text));
    // A path that cannot be looked at (below a file, or behind a folder that may not be read)
    // counts as missing: making it then fails and says so.
    if (!info) return FolderState::Missing;
    if (info->kind == FileKind::Folder) return FolderState::Exists;
    return info->kind == FileKind::Missing ? FolderState::Missing : FolderState::NotAFolder;
}

std::string folderForSaving(const std::string& text) {
    return text.empty() ? text : withTrailingSeparator(text);
}

Status saveDefaultFolders(const std::string& iniPath, const std::string& dataFolder,
                          const std::string& trdFolder, FileSystem& files) {
    Status data =
        writeSetting(iniPath, kSectionDefault, kKeyDataFolder, folderForSaving(dataFolder), files);
    if (!data) return data;
    return writeSetting(iniPath, kSectionDefault, kKeyTrdFolder, folderForSaving(trdFolder), files);
}

std::string browseStartPath(const std::string& fieldText, const std::string& iniPath,
                            FileSystem& files) {
    if (!fieldText.empty() && files.fileExists(fieldText)) return fieldText;
    return withTrailingSeparator(readSetting(iniPath, kSectionDefault, kKeyDataFolder, files));
}

}  // namespace sorvek
