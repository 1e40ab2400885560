// Outputs that lose nothing: a file is replaced only by a commit, every failure on the way leaves
// it as it was with no temporary file behind, and what is not a regular file is written as it is.
#include "platform/safe_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "support/faulty_file_system.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

namespace fs = std::filesystem;

std::uint32_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(0, ::stat(path.c_str(), &st)) << path;
    return st.st_mode & 07777;
}

std::uint32_t currentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Opens `path` through `files`, writes `bytes` in two calls and commits.
Status writeAndCommit(FileSystem& files, const std::string& path, const std::string& bytes,
                      SafeOutput::Flush flush = SafeOutput::Flush::Always) {
    auto out = SafeOutput::open(files, path, flush);
    if (!out) return out.error();
    const std::size_t half = bytes.size() / 2;
    if (Status s = (*out)->file().write(bytes.data(), half); !s) return s;
    if (Status s = (*out)->file().write(bytes.data() + half, bytes.size() - half); !s) return s;
    return (*out)->commit();
}

class SafeOutputTest : public ::testing::Test {
  protected:
    TempDir dir;
    FaultyFileSystem files;
};

TEST_F(SafeOutputTest, NewFileAppearsOnlyAtTheCommitUnderAPlainlyNamedTemporaryFile) {
    const std::string path = dir.file("out.csv");
    auto out = SafeOutput::open(files, path);
    ASSERT_TRUE(out);
    ASSERT_TRUE((*out)->file().write("new", 3));
    const std::vector<std::string> during = dir.names();
    ASSERT_EQ(1u, during.size());
    EXPECT_EQ(0u, during[0].rfind(".out.csv.sorvek-", 0)) << during[0];
    EXPECT_EQ(std::string(".out.csv.sorvek-").size() + 6, during[0].size());
    EXPECT_TRUE((*out)->replacesOnCommit());
    EXPECT_FALSE((*out)->writesThrough());

    ASSERT_TRUE((*out)->commit());
    EXPECT_EQ("new", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, dir.names());
    EXPECT_EQ(0666u & ~currentUmask(), modeOf(path));
}

TEST_F(SafeOutputTest, ExistingFileKeepsItsContentsUntilTheCommitAndItsPermissionBitsAfter) {
    const std::string path = dir.write("out.csv", "old");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0640));
    auto out = SafeOutput::open(files, path);
    ASSERT_TRUE(out);
    ASSERT_TRUE((*out)->file().write("new", 3));
    EXPECT_EQ("old", readFile(path));
    ASSERT_TRUE((*out)->commit());
    EXPECT_EQ("new", readFile(path));
    EXPECT_EQ(0640u, modeOf(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, dir.names());
}

TEST_F(SafeOutputTest, EveryFailurePointLeavesTheOldFileAsItWasAndNoTemporaryFile) {
    const std::pair<const char*, std::function<void(FaultyFileSystem&)>> faults[] = {
        {"open", [](FaultyFileSystem& f) { f.failOpenWrite = true; }},
        {"permissions", [](FaultyFileSystem& f) { f.failPermissions = true; }},
        {"first write", [](FaultyFileSystem& f) { f.failWriteCall = 1; }},
        {"second write", [](FaultyFileSystem& f) { f.failWriteCall = 2; }},
        {"fsync", [](FaultyFileSystem& f) { f.failSync = true; }},
        {"close", [](FaultyFileSystem& f) { f.failClose = true; }},
        {"rename", [](FaultyFileSystem& f) { f.failReplace = true; }},
    };
    for (const auto& [step, inject] : faults) {
        for (bool existed : {true, false}) {
            // A new file has no permission bits to take over.
            if (!existed && std::string(step) == "permissions") continue;
            TempDir folder;
            const std::string path = folder.file("out.csv");
            if (existed) folder.write("out.csv", "old contents");
            FaultyFileSystem faulty;
            inject(faulty);
            const Status written = writeAndCommit(faulty, path, "new contents");
            ASSERT_FALSE(written) << step;
            EXPECT_EQ("injected fault", written.error().reason) << step;
            if (existed) {
                EXPECT_EQ("old contents", readFile(path)) << step;
                EXPECT_EQ(std::vector<std::string>{"out.csv"}, folder.names()) << step;
            } else {
                EXPECT_TRUE(folder.names().empty()) << step;
            }
        }
    }
}

TEST_F(SafeOutputTest, AJobOutputWaitsForTheDiskOnlyWhenItReplacesAFile) {
    // The flush fails whenever it is asked for: it is asked for only when an old file is at stake.
    files.failSync = true;
    files.failSyncFolder = true;
    const std::string fresh = dir.file("new.csv");
    ASSERT_TRUE(writeAndCommit(files, fresh, "new", SafeOutput::Flush::WhenReplacing));
    EXPECT_EQ("new", readFile(fresh));
    const std::string old = dir.write("old.csv", "old");
    EXPECT_FALSE(writeAndCommit(files, old, "new", SafeOutput::Flush::WhenReplacing));
    EXPECT_EQ("old", readFile(old));
    EXPECT_EQ((std::vector<std::string>{"new.csv", "old.csv"}), dir.names());
}

TEST_F(SafeOutputTest, AnOutputThatIsNeverCommittedIsTakenBack) {
    const std::string path = dir.write("out.csv", "old");
    {
        auto out = SafeOutput::open(files, path);
        ASSERT_TRUE(out);
        ASSERT_TRUE((*out)->file().write("half a li", 9));
    }
    EXPECT_EQ("old", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, dir.names());
}

TEST_F(SafeOutputTest, AFailedFlushOfTheFolderIsReportedThoughTheFileIsInPlace) {
    const std::string path = dir.write("out.csv", "old");
    files.failSyncFolder = true;
    EXPECT_FALSE(writeAndCommit(files, path, "new"));
    EXPECT_EQ("new", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, dir.names());
}

TEST_F(SafeOutputTest, SymbolicLinksAreFollowedToTheFileTheyNameAndStay) {
    fs::create_directory(dir.file("data"));
    fs::create_directory(dir.file("links"));
    const std::string target = dir.write("data/out.csv", "old");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0600));
    fs::create_symlink("../data/out.csv", dir.file("links/first"));
    fs::create_symlink(dir.file("links/first"), dir.file("second"));  // a chain, one absolute

    auto out = SafeOutput::open(files, dir.file("second"));
    ASSERT_TRUE(out);
    EXPECT_EQ(dir.file("links/../data/out.csv"), (*out)->target());
    ASSERT_TRUE((*out)->file().write("new", 3));
    ASSERT_TRUE((*out)->commit());
    EXPECT_EQ("new", readFile(target));
    EXPECT_EQ(0600u, modeOf(target));
    EXPECT_TRUE(fs::is_symlink(dir.file("second")));
    EXPECT_TRUE(fs::is_symlink(dir.file("links/first")));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(dir.file("data")), {}));

    // A link to a file still to be made makes that file.
    fs::create_symlink("data/made.csv", dir.file("dangling"));
    ASSERT_TRUE(writeAndCommit(files, dir.file("dangling"), "made"));
    EXPECT_EQ("made", readFile(dir.file("data/made.csv")));
    EXPECT_TRUE(fs::is_symlink(dir.file("dangling")));

    // A loop of links is refused with the reason.
    fs::create_symlink("loop-b", dir.file("loop-a"));
    fs::create_symlink("loop-a", dir.file("loop-b"));
    auto looped = SafeOutput::open(files, dir.file("loop-a"));
    ASSERT_FALSE(looped);
    EXPECT_EQ("シンボリックリンクが多すぎるか、循環しています。", looped.error().reason);
}

TEST_F(SafeOutputTest, PathsThatCannotTakeAnOutputAreRefusedWithTheReason) {
    fs::create_directory(dir.file("folder"));
    const std::string plain = dir.write("plain.txt", "keep");
    const std::pair<std::string, std::string> cases[] = {
        {dir.file("folder"), "フォルダが指定されています。"},
        {dir.file("no-such-folder/out.csv"), "フォルダが存在しません。"},
        {plain + "/out.csv", "パスの途中にフォルダではないものがあります。"},
    };
    for (const auto& [path, reason] : cases) {
        auto out = SafeOutput::open(files, path);
        ASSERT_FALSE(out) << path;
        EXPECT_EQ(reason, out.error().reason) << path;
    }
    EXPECT_EQ("keep", readFile(plain));
}

TEST_F(SafeOutputTest, AReadOnlyFileIsRefusedNotReplaced) {
    const std::string path = dir.write("out.csv", "old");
    files.readOnly = {path};
    auto out = SafeOutput::open(files, path);
    ASSERT_FALSE(out);
    EXPECT_EQ("アクセスが拒否されました。", out.error().reason);
    EXPECT_EQ("old", readFile(path));

    // The same through the real permission bits, for a user the bits bind (root may write a
    // read-only file, as with any other program).
    ASSERT_EQ(0, ::chmod(path.c_str(), 0444));
    if (::geteuid() != 0) {
        FaultyFileSystem real;
        EXPECT_FALSE(SafeOutput::open(real, path));
        EXPECT_EQ("old", readFile(path));
    }
}

TEST_F(SafeOutputTest, AFileInAFolderThatRefusesNewFilesIsWrittenInPlace) {
    const std::string path = dir.write("out.csv", "old contents");
    files.readOnly = {dir.path()};
    struct stat before {};
    ASSERT_EQ(0, ::stat(path.c_str(), &before));
    ASSERT_TRUE(writeAndCommit(files, path, "new"));
    struct stat after {};
    ASSERT_EQ(0, ::stat(path.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ("new", readFile(path));

    // Failing there leaves an empty file rather than a part that looks whole.
    files.failWriteCall = files.writeCalls + 2;
    EXPECT_FALSE(writeAndCommit(files, path, "newer contents"));
    EXPECT_EQ("", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"out.csv"}, dir.names());
}

TEST_F(SafeOutputTest, AFifoIsWrittenAsItIsAndStays) {
    const std::string path = dir.file("pipe");
    ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600));
    std::string received;
    std::thread reader([&] { received = readFile(path); });
    auto out = SafeOutput::open(files, path);
    ASSERT_TRUE(out);
    EXPECT_TRUE((*out)->writesThrough());
    ASSERT_TRUE((*out)->file().write("through the pipe", 16));
    ASSERT_TRUE((*out)->commit());
    reader.join();
    EXPECT_EQ("through the pipe", received);
    EXPECT_TRUE(fs::is_fifo(path));
    EXPECT_EQ(std::vector<std::string>{"pipe"}, dir.names());
}

TEST_F(SafeOutputTest, ADeviceNodeIsWrittenAsItIsAndNeverReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node (mknod) needs root";
    // The null device, made in the test's own folder.
    const std::string path = dir.file("null");
    ASSERT_EQ(0, ::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)));
    ASSERT_TRUE(writeAndCommit(files, path, "gone"));
    files.failWriteCall = files.writeCalls + 1;
    EXPECT_FALSE(writeAndCommit(files, path, "fails"));
    EXPECT_TRUE(fs::is_character_file(path));
    EXPECT_EQ(std::vector<std::string>{"null"}, dir.names());
}

TEST_F(SafeOutputTest, AVeryLongNameStillGetsATemporaryFileBesideIt) {
    const std::string name(250, 'n');
    ASSERT_TRUE(writeAndCommit(files, dir.file(name), "long"));
    EXPECT_EQ("long", readFile(dir.file(name)));
    EXPECT_EQ(std::vector<std::string>{name}, dir.names());
}

TEST_F(SafeOutputTest, ReplacingFileContentsGoesThroughTheSameSteps) {
    const std::string path = dir.write("def.trd", "old");
    ASSERT_EQ(0, ::chmod(path.c_str(), 0600));
    ASSERT_TRUE(replaceFileContents(files, path, "new"));
    EXPECT_EQ("new", readFile(path));
    EXPECT_EQ(0600u, modeOf(path));
    files.failSync = true;
    EXPECT_FALSE(replaceFileContents(files, path, "newer"));
    EXPECT_EQ("new", readFile(path));
    EXPECT_EQ(std::vector<std::string>{"def.trd"}, dir.names());
}

TEST_F(SafeOutputTest, OnlyRegularFilesWithinTheLimitAreReadWhole) {
    fs::create_directory(dir.file("folder"));
    const std::string small = dir.write("small.trd", "12345");
    fs::create_symlink(small, dir.file("link.trd"));
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));  // opening it would wait for ever
    EXPECT_EQ("12345", *readRegularFile(files, small, 5));
    EXPECT_EQ("12345", *readRegularFile(files, dir.file("link.trd"), 5));
    const std::pair<std::string, std::string> refused[] = {
        {dir.file("missing.trd"), "ファイルまたはフォルダが存在しません。"},
        {dir.file("folder"), "フォルダが指定されています。"},
        {dir.file("fifo"), "通常のファイルではありません。"},
        {"/dev/zero", "通常のファイルではありません。"},
    };
    for (const auto& [path, reason] : refused) {
        auto read = readRegularFile(files, path, 1 << 20);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(reason, read.error().reason) << path;
    }
    auto large = readRegularFile(files, small, 4);
    ASSERT_FALSE(large);
    EXPECT_EQ("ファイルが大きすぎます。", large.error().reason);
}

}  // namespace
}  // namespace sorvek::testing
