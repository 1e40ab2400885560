// Mapping the next bytes of a file instead of reading them: the bytes and the position are those
// a read would give; what cannot be mapped says so and is read.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

std::string text(const MappedBytes& m) {
    return std::string(reinterpret_cast<const char*>(m.data()), m.size());
}

TEST(MappedRead, WindowsOfARegularFileFollowEachOtherAndReadsGoOnAfterThem) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 10000; ++i) bytes += static_cast<char>('A' + i % 26);
    const std::string path = dir.write("in.dat", bytes);
    auto file = osFileSystem().openRead(path);
    ASSERT_TRUE(file.ok());
    char head[3];
    ASSERT_EQ(3u, *(*file)->read(head, 3));
    // Windows that start off a page boundary, across page boundaries, up to the end.
    std::string seen(head, 3);
    for (std::size_t n : {4093u, 1u, 5000u, 7000u}) {
        auto window = (*file)->mapNext(n);
        ASSERT_TRUE(window.ok());
        ASSERT_NE(nullptr, *window);
        seen += text(**window);
    }
    EXPECT_EQ(bytes, seen);
    auto end = (*file)->mapNext(100);
    ASSERT_TRUE(end.ok() && *end != nullptr);
    EXPECT_EQ(0u, (*end)->size());
    char rest[4];
    EXPECT_EQ(0u, *(*file)->read(rest, 4));
}

TEST(MappedRead, ADeviceIsNotMappedButRead) {
    auto file = osFileSystem().openRead("/dev/zero");
    ASSERT_TRUE(file.ok());
    auto window = (*file)->mapNext(10);
    ASSERT_TRUE(window.ok());
    EXPECT_EQ(nullptr, *window);
    char zeros[4] = {1, 1, 1, 1};
    EXPECT_EQ(4u, *(*file)->read(zeros, 4));
    EXPECT_EQ(std::string(4, '\0'), std::string(zeros, 4));
}

}  // namespace
}  // namespace sorvek::testing
