#include "formats/ini_profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

TEST(IniProfile, ReadsByNameWhateverTheCaseTrimmedAndUnquoted) {
    IniDocument doc = IniDocument::parse(
        "; comment\r\n[Default]\r\n  DataFolder =  /data/  \r\nName=\" padded \"\r\n"
        "Empty=\r\n[History]\nFile0_0=/a\n[default]\nDataFolder=second\n");
    EXPECT_EQ("/data/", doc.get("DEFAULT", "datafolder"));
    EXPECT_EQ(" padded ", doc.get("Default", "Name"));
    EXPECT_EQ("", doc.get("Default", "Empty"));
    EXPECT_EQ("/a", doc.get("history", "FILE0_0"));
    EXPECT_EQ("", doc.get("History", "Missing"));
    EXPECT_EQ("", doc.get("Missing", "File0_0"));
}

TEST(IniProfile, ReadsLongValuesWhole) {
    std::string value(5000, 'v');
    EXPECT_EQ(value, IniDocument::parse("[S]\r\nK=" + value + "\r\n").get("S", "K"));
}

TEST(IniProfile, WritesInPlaceAtSectionEndOrAsNewSectionAtFileEnd) {
    IniDocument doc = IniDocument::parse("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    doc.set("a", "X", "10");        // replaced in place, key spelling kept
    doc.set("A", "z", "3");         // appended after the last entry of A
    doc.set("C", "w", " spaced ");  // new section at the end, quoted value
    EXPECT_EQ("[A]\r\nx=10\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=\" spaced \"\r\n",
              doc.serialize());
}

TEST(IniProfile, ValuesThatReadingWouldChangeAreQuotedAndReadBackUnchanged) {
    IniDocument doc;
    for (const char* value : {" a", "b\t", "\"c\"", "\"", "d\"e", ""}) doc.set("S", "K", value);
    doc.set("S", "Tab", "\tx");
    doc.set("S", "Quoted", "\"y\"");
    doc.set("S", "Plain", "z \"w\" v");
    EXPECT_EQ("[S]\r\nK=\r\nTab=\"\tx\"\r\nQuoted=\"\"y\"\"\r\nPlain=z \"w\" v\r\n",
              doc.serialize());
    IniDocument back = IniDocument::parse(doc.serialize());
    EXPECT_EQ("\tx", back.get("S", "Tab"));
    EXPECT_EQ("\"y\"", back.get("S", "Quoted"));
    EXPECT_EQ("z \"w\" v", back.get("S", "Plain"));
}

TEST(IniProfile, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
    TempDir dir;
    const std::string path = dir.file("settings.ini");
    EXPECT_EQ("", readIniString(path, "Default", "DataFolder"));
    ASSERT_TRUE(writeIniString(path, "Default", "DataFolder", "/データ/"));
    ASSERT_TRUE(writeIniString(path, "History", "File0_0", "/a.dat"));
    EXPECT_EQ(
        "[Default]\r\nDataFolder=/\x83\x66\x81\x5B\x83\x5E/\r\n\r\n[History]\r\nFile0_0=/a.dat\r\n",
        readFile(path));
    EXPECT_EQ("/データ/", readIniString(path, "default", "datafolder"));
}

TEST(IniProfile, FailedWriteLeavesTheFileAsItWas) {
    TempDir dir;
    const std::string path = dir.write("settings.ini", "[Default]\r\nDataFolder=/old/\r\n");
    FaultyFileSystem files;
    files.writeLimit = 3;
    EXPECT_FALSE(writeIniString(path, "Default", "DataFolder", "/new/", files));
    files.writeLimit = 1 << 20;
    files.failReplace = true;
    EXPECT_FALSE(writeIniString(path, "Default", "DataFolder", "/new/", files));
    EXPECT_EQ("[Default]\r\nDataFolder=/old/\r\n", readFile(path));
    EXPECT_EQ((std::vector<std::string>{}), [&] {
        std::vector<std::string> leftovers;
        for (auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename() != "settings.ini") leftovers.push_back(e.path().string());
        return leftovers;
    }());
}

}  // namespace
}  // namespace sorvek::testing
