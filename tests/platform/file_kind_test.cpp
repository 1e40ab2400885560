#include "platform/file_kind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

TEST(FileKind, OnlyRegularFilesAreLookedAt) {
    TempDir dir;
    const std::string file = dir.write("a.dat", "x");
    EXPECT_TRUE(isPlainFile(file));
    std::filesystem::create_symlink(file, dir.file("link"));
    EXPECT_TRUE(isPlainFile(dir.file("link")));
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
    EXPECT_FALSE(isPlainFile(dir.file("fifo")));
    EXPECT_FALSE(isPlainFile(dir.path()));
    EXPECT_FALSE(isPlainFile(dir.file("missing")));
    EXPECT_FALSE(isPlainFile("/dev/null"));
}

}  // namespace
}  // namespace sorvek::testing
