// The POSIX file system where it meets signals (a stop request ends a read that would wait) and
// what it tells of a path.
#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/stop_request.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

TEST(PosixFiles, AStopRequestEndsAReadThatWouldWaitOnAnIdlePipe) {
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
    // A writer that holds the FIFO open and writes nothing.
    const int writer = ::open(fifo.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    auto reader = osFileSystem().openRead(fifo);
    ASSERT_TRUE(reader);
    ASSERT_EQ(3, ::write(writer, "abc", 3));

    // A request stays for the rest of the process, so it is made in a child of this one, which
    // reads the same pipe and tells what its read gave.
    EXPECT_EXIT(
        {
            requestStop(SIGTERM);
            char buffer[16];
            const Result<std::size_t> got = (*reader)->read(buffer, sizeof buffer);
            std::fprintf(stderr, "%s, signal %d: %s\n", got ? "read" : "failed", stopSignal(),
                         got ? "" : got.error().reason.c_str());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0),
        "failed, signal " + std::to_string(SIGTERM) + ": 処理が中断されました。");

    // Without a request the bytes that are there are read as usual.
    ::close(writer);
    char buffer[16];
    Result<std::size_t> got = (*reader)->read(buffer, sizeof buffer);
    ASSERT_TRUE(got);
    EXPECT_EQ(3u, *got);
}

// What the preview and the look at a line-break job's input go by: only a regular file (also
// behind a link) is opened, never a FIFO or a device whose bytes the job itself is to read.
TEST(PosixFiles, InspectTellsRegularFilesFromEverythingElse) {
    TempDir dir;
    const std::string file = dir.write("a.dat", "x");
    std::filesystem::create_symlink(file, dir.file("link"));
    std::filesystem::create_symlink(dir.file("missing"), dir.file("dangling"));
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
    const std::pair<std::string, FileKind> cases[] = {
        {file, FileKind::Regular},
        {dir.file("link"), FileKind::Regular},
        {dir.file("fifo"), FileKind::Other},
        {"/dev/null", FileKind::Other},
        {dir.path(), FileKind::Folder},
        {dir.file("missing"), FileKind::Missing},
        {dir.file("dangling"), FileKind::Missing},
    };
    for (const auto& [path, kind] : cases) {
        const Result<FileInfo> info = osFileSystem().inspect(path);
        ASSERT_TRUE(info) << path;
        EXPECT_EQ(kind, info->kind) << path;
    }
}

}  // namespace
}  // namespace sorvek::testing
