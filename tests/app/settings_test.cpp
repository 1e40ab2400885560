#include "app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/ini_profile.h"
#include "platform/paths.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

class SettingsTest : public ::testing::Test {
  protected:
    std::vector<std::string> history(int n) { return readHistory(ini, n); }
    std::string value(const std::string& key) { return readIniString(ini, kSectionHistory, key); }
    void seedHistory(int n, const std::vector<std::string>& paths) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            ASSERT_TRUE(
                writeIniString(ini, kSectionHistory, historyKey(n, static_cast<int>(i)), paths[i]));
        }
    }

    TempDir dir;
    std::string ini = dir.file("sorvek.ini");
};

TEST(SettingsPath, BesideTheExecutableOrUnderTheUserConfigFolder) {
    SettingsLocation where{"/opt/sorvek/bin", "sorvek", "", "/home/u"};
    EXPECT_EQ("/opt/sorvek/bin/sorvek.ini",
              settingsFilePathFor(where, [](const std::string&) { return true; }));

    auto readOnly = [](const std::string&) { return false; };
    EXPECT_EQ("/home/u/.config/sorvek/sorvek.ini", settingsFilePathFor(where, readOnly));
    where.xdgConfigHome = "/xdg/";
    EXPECT_EQ("/xdg/sorvek/sorvek.ini", settingsFilePathFor(where, readOnly));
    where.xdgConfigHome = "relative/config";  // ignored, as the XDG rules say
    EXPECT_EQ("/home/u/.config/sorvek/sorvek.ini", settingsFilePathFor(where, readOnly));
}

TEST_F(SettingsTest, FallbackFolderIsCreatedOnTheFirstWrite) {
    const std::string nested = dir.file("config/sorvek/sorvek.ini");
    EXPECT_TRUE(writeSetting(nested, kSectionDefault, kKeyDataFolder, "/data/"));
    EXPECT_EQ("/data/", readSetting(nested, kSectionDefault, kKeyDataFolder));
}

TEST_F(SettingsTest, FoldersThatCannotBeWrittenOrMadeAreToldByTheFileSystem) {
    // A program folder that refuses new files sends the settings to the configuration folder.
    FaultyFileSystem files;
    const std::string beside = withTrailingSeparator(executableFolder()) + "x.ini";
    EXPECT_EQ(beside, settingsFilePathOf("x", files));
    files.readOnly.insert(executableFolder());
    const std::string elsewhere = settingsFilePathOf("x", files);
    EXPECT_TRUE(elsewhere != beside && elsewhere.ends_with("/sorvek/x.ini")) << elsewhere;

    // A folder that cannot be made fails the write as a missing folder does; nothing is made.
    const std::string nested = dir.file("config/sorvek/sorvek.ini");
    const Status intoNothing = writeIniString(nested, kSectionDefault, kKeyDataFolder, "/data/");
    ASSERT_FALSE(intoNothing);
    files.failCreateFolders = true;
    const Status written = writeSetting(nested, kSectionDefault, kKeyDataFolder, "/data/", files);
    ASSERT_FALSE(written);
    EXPECT_EQ(intoNothing.error().reason, written.error().reason);
    EXPECT_FALSE(std::filesystem::exists(dir.file("config")));
}

TEST_F(SettingsTest, NoSettingsFileReadsEmptyAndUnattendedRunsWriteNothing) {
    EXPECT_TRUE(history(kHistoryInput).empty());
    EXPECT_EQ("", readSetting(ini, kSectionDefault, kKeyDataFolder));
    EXPECT_EQ("", readSetting("", kSectionDefault, kKeyDataFolder));
    EXPECT_FALSE(writeSetting("", kSectionDefault, kKeyDataFolder, "/x/"));
    saveHistory("", kHistoryInput, "/a", {});
    EXPECT_TRUE(history(kHistoryInput).empty());
}

TEST_F(SettingsTest, HistoryListSkipsEmptySlotsInOrder) {
    ASSERT_TRUE(writeIniString(ini, kSectionHistory, "File0_0", "/a"));
    ASSERT_TRUE(writeIniString(ini, kSectionHistory, "File0_1", "/b"));
    ASSERT_TRUE(writeIniString(ini, kSectionHistory, "File0_3", "/d"));
    ASSERT_TRUE(writeIniString(ini, kSectionHistory, "File5_0", "/out"));
    EXPECT_EQ((std::vector<std::string>{"/a", "/b", "/d"}), history(kHistoryInput));
    EXPECT_EQ((std::vector<std::string>{"/out"}), history(kHistoryOutput));
}

TEST_F(SettingsTest, UsedPathMovesToTheTopAndLaterKeysKeepTheirValues) {
    seedHistory(0, {"/a", "/b", "/c", "/d", "/e"});
    // The wizard showed three entries; the used one is among them.
    saveHistory(ini, kHistoryInput, "/b", {"/a", "/b", "/c"});
    EXPECT_EQ((std::vector<std::string>{"/b", "/a", "/c", "/d", "/e"}), history(kHistoryInput));
}

TEST_F(SettingsTest, TenEntriesAtMostAndNewPathFirst) {
    std::vector<std::string> shown;
    for (int i = 0; i < 10; ++i) shown.push_back("/f" + std::to_string(i));
    seedHistory(5, shown);
    saveHistory(ini, kHistoryOutput, "/new", shown);
    std::vector<std::string> expected{"/new"};
    expected.insert(expected.end(), shown.begin(), shown.begin() + 9);
    EXPECT_EQ(expected, history(kHistoryOutput));
    EXPECT_EQ("", value("File5_10"));
}

TEST_F(SettingsTest, LetterCaseMakesDifferentEntries) {
    saveHistory(ini, kHistoryInput, "/data/a.dat", {"/DATA/A.DAT"});
    EXPECT_EQ((std::vector<std::string>{"/data/a.dat", "/DATA/A.DAT"}), history(kHistoryInput));
}

TEST_F(SettingsTest, HistoryStopsAtTheFirstFailedWrite) {
    seedHistory(0, {"/a", "/b"});
    FaultyFileSystem failing;
    failing.failReplace = true;
    saveHistory(ini, kHistoryInput, "/new", {"/a", "/b"}, failing);
    EXPECT_EQ((std::vector<std::string>{"/a", "/b"}), history(kHistoryInput));
}

TEST_F(SettingsTest, DefaultFoldersGetTheSeparatorAndEmptyStaysEmpty) {
    ASSERT_TRUE(saveDefaultFolders(ini, "/data", ""));
    EXPECT_EQ("/data/", readSetting(ini, kSectionDefault, kKeyDataFolder));
    EXPECT_EQ("", readSetting(ini, kSectionDefault, kKeyTrdFolder));
    ASSERT_TRUE(saveDefaultFolders(ini, "/data/", "/defs"));
    EXPECT_EQ("/data/", readSetting(ini, kSectionDefault, kKeyDataFolder));
    EXPECT_EQ("/defs/", readSetting(ini, kSectionDefault, kKeyTrdFolder));

    FaultyFileSystem failing;
    failing.failReplace = true;
    EXPECT_FALSE(saveDefaultFolders(ini, "/x", "/y", failing));
}

TEST_F(SettingsTest, BrowseStartsAtAnExistingFileOrTheDataFolder) {
    const std::string file = dir.write("in.dat", "x");
    EXPECT_EQ(file, browseStartPath(file, ini));
    EXPECT_EQ("/", browseStartPath(dir.path(), ini));  // a folder names no file
    ASSERT_TRUE(saveDefaultFolders(ini, "/data", ""));
    EXPECT_EQ("/data/", browseStartPath(dir.file("missing.dat"), ini));
    EXPECT_EQ("/data/", browseStartPath("", ini));
}

TEST_F(SettingsTest, RecentDefinitionsAreAbsoluteMostRecentFirstAndAtMostEight) {
    EXPECT_TRUE(readRecentDefinitions(ini).empty());
    for (int i = 1; i <= 9; ++i)
        rememberRecentDefinition(ini, "/defs/" + std::to_string(i) + ".trd");
    std::vector<std::string> recent = readRecentDefinitions(ini);
    ASSERT_EQ(8u, recent.size());
    EXPECT_EQ("/defs/9.trd", recent.front());
    EXPECT_EQ("/defs/2.trd", recent.back());

    // Used again: moves to the top, not listed twice.
    rememberRecentDefinition(ini, "/defs/5.trd");
    recent = readRecentDefinitions(ini);
    EXPECT_EQ(
        (std::vector<std::string>{"/defs/5.trd", "/defs/9.trd", "/defs/8.trd", "/defs/7.trd",
                                  "/defs/6.trd", "/defs/4.trd", "/defs/3.trd", "/defs/2.trd"}),
        recent);

    // A relative path goes in as the absolute path it names now.
    const std::string cwd = std::filesystem::current_path().string();
    rememberRecentDefinition(ini, "rel.trd");
    EXPECT_EQ(cwd + "/rel.trd", readRecentDefinitions(ini).front());
    // No settings file (an unattended run): nothing.
    rememberRecentDefinition("", "/x.trd");
    EXPECT_TRUE(readRecentDefinitions("").empty());
    // The file and output history are another list.
    EXPECT_TRUE(history(kHistoryInput).empty());
}

TEST_F(SettingsTest, FolderStateTellsMissingFoldersAndFiles) {
    const std::string file = dir.write("plain.txt", "x");
    EXPECT_EQ(FolderState::Empty, folderState(""));
    EXPECT_EQ(FolderState::Exists, folderState(dir.path()));
    EXPECT_EQ(FolderState::Exists, folderState(dir.path() + "/"));
    EXPECT_EQ(FolderState::Missing, folderState(dir.file("none")));
    EXPECT_EQ(FolderState::NotAFolder, folderState(file));
    EXPECT_EQ(FolderState::Missing, folderState(file + "/below"));
}

TEST_F(SettingsTest, HistoryOfJobPathsIsStoredAsGiven) {
    // The wizard hands absolute paths (see the wizard's tests); the list keeps what it is given.
    saveHistory(ini, kHistoryOutput, "/abs/out.csv", {"old.csv"});
    EXPECT_EQ((std::vector<std::string>{"/abs/out.csv", "old.csv"}), history(kHistoryOutput));
}

}  // namespace
}  // namespace sorvek::testing
