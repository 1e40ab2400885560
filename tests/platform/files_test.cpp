// The POSIX file system where it meets signals: a stop request ends a read that would wait.
#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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

    requestStop(SIGTERM);
    char buffer[16];
    Result<std::size_t> got = (*reader)->read(buffer, sizeof buffer);
    ASSERT_FALSE(got);
    EXPECT_EQ("処理が中断されました。", got.error().reason);
    EXPECT_EQ(SIGTERM, stopSignal());
    clearStopRequest();

    // Without a request the bytes that are there are read as usual.
    ::close(writer);
    got = (*reader)->read(buffer, sizeof buffer);
    ASSERT_TRUE(got);
    EXPECT_EQ(3u, *got);
}

}  // namespace
}  // namespace sorvek::testing
