#include <gtest/gtest.h>

#include <filesystem>

#include "platform/number_text.h"
#include "platform/paths.h"

namespace sorvek {
namespace {

TEST(GetFullPath, ResolvesAgainstCurrentDirectoryWithoutNeedingTheFile) {
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(cwd + "/no-such-file.dat", getFullPath("no-such-file.dat"));
    EXPECT_EQ(cwd + "/b.dat", getFullPath("./a/../b.dat"));
    EXPECT_EQ("/tmp/x.dat", getFullPath("/tmp//y/../x.dat"));
    EXPECT_EQ("/tmp/", getFullPath("/tmp/"));
}

TEST(FolderSeparator, IsAppendedOnlyWhenMissing) {
    EXPECT_EQ("/data/", withTrailingSeparator("/data"));
    EXPECT_EQ("/data/", withTrailingSeparator("/data/"));
    EXPECT_EQ("/", withTrailingSeparator(""));
}

TEST(ExecutablePath, NamesTheRunningProgram) {
    EXPECT_EQ("platform_tests", executableBaseName());
    EXPECT_TRUE(std::filesystem::is_directory(executableFolder()));
}

TEST(ParseInt32, AcceptsSignedDecimalWithBlanksWithinRange) {
    EXPECT_EQ(80, parseInt32(" 80 "));
    EXPECT_EQ(5, parseInt32("+5"));
    EXPECT_EQ(-3, parseInt32("-3"));
    EXPECT_EQ(0, parseInt32("0"));
    EXPECT_EQ(2147483647, parseInt32("2147483647"));
    EXPECT_EQ(-2147483647 - 1, parseInt32("-2147483648"));
    EXPECT_EQ(12, parseInt32("\t0012\t"));
    for (const char* bad : {"", " ", "abc", "12.5", "99999999999", "2147483648", "-2147483649", "+",
                            "1 2", "１２", "0x10", "--1", "1e3"}) {
        EXPECT_FALSE(parseInt32(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace sorvek
