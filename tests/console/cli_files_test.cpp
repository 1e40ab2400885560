// Files as users meet them, through the console program: pipes, FIFOs and "-", devices, a full
// disk, a job stopped by a signal or killed, outputs that would destroy the definition, and
// definition paths that are no definition. Tests that need root (mounting a small file system,
// making a device node in the test's own folder) skip with a notice without it.
#include <gtest/gtest.h>
#include <malloc.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kUnderSanitizer = true;
#elif defined(__has_feature)
constexpr bool kUnderSanitizer =
    __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kUnderSanitizer = false;
#endif

struct ProgramRun {
    int status = -1;  // exit status, or 128 + the signal that ended it
    std::string out;
    std::string err;
    long peakKiB = 0;  // largest resident set of the program
};

// The console program, and the desktop program where no display can be reached.
std::vector<std::string> programs() {
    std::vector<std::string> list;
    if (const char* cli = std::getenv("SORVEK_TEST_CLI")) list.emplace_back(cli);
    if (const char* desktop = std::getenv("SORVEK_TEST_DESKTOP")) list.emplace_back(desktop);
    return list;
}

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

class CliFilesTest : public ::testing::TestWithParam<std::string> {
  protected:
    // The program as a shell command, without a display.
    std::string program() const {
        return "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + quoted(GetParam());
    }

    // Starts `script` (bash) in the work folder, its output and errors to files.
    pid_t start(const std::string& script) {
        // The child begins as a copy of this process, and the largest resident set measured
        // of it counts that copy: what this process has freed goes back to the system first.
        ::malloc_trim(0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string command = "cd " + quoted(dir.path()) + " || exit 127\nexec >" +
                                        quoted(streams.file("out")) + " 2>" +
                                        quoted(streams.file("err")) + "\n" + script;
            ::execl("/bin/bash", "bash", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }

    ProgramRun finish(pid_t pid) {
        ProgramRun run;
        int raw = 0;
        struct rusage usage {};
        if (::wait4(pid, &raw, 0, &usage) == pid) {
            run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            run.peakKiB = usage.ru_maxrss;
        }
        run.out = readFile(streams.file("out"));
        run.err = readFile(streams.file("err"));
        return run;
    }

    // Runs `script` to its end. `exec` makes the program the process measured.
    ProgramRun run(const std::string& script) { return finish(start(script)); }

    // The program's arguments, run as the whole script.
    ProgramRun cli(const std::string& args) { return run("exec " + program() + " " + args); }

    // Waits until a temporary file beside `name` holds at least `bytes`; its name.
    std::string waitForTemporary(const std::string& name, std::uintmax_t bytes) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& entry : dir.names()) {
                if (entry.rfind("." + name + ".sorvek-", 0) != 0) continue;
                std::error_code ec;
                if (fs::file_size(dir.file(entry), ec) >= bytes) return entry;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    TempDir dir;      // where the program works
    TempDir streams;  // its standard output and error
};

std::string programName(const ::testing::TestParamInfo<std::string>& info) {
    return fs::path(info.param).filename() == "sorvek" ? "sorvek" : "sorvek_cli";
}

INSTANTIATE_TEST_SUITE_P(Programs, CliFilesTest, ::testing::ValuesIn(programs()), programName);

// The console program only, for the tests that take a while or measure the process (the
// desktop program runs the same console front end where it has no display).
class CliOnlyTest : public CliFilesTest {};

std::vector<std::string> consoleProgram() {
    std::vector<std::string> list = programs();
    if (list.size() > 1) list.resize(1);
    return list;
}

INSTANTIATE_TEST_SUITE_P(Programs, CliOnlyTest, ::testing::ValuesIn(consoleProgram()), programName);

const char kCrLfText[] = "line 1\r\nline 2\rline 3\n";
const char kLfText[] = "line 1\nline 2\nline 3\n";

TEST_P(CliFilesTest, PipesProcessSubstitutionAndDashAreReadToTheirEnd) {
    dir.write("in.txt", kCrLfText);
    ProgramRun r = run("cat in.txt | " + program() + " /E - out1.txt LF");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("", r.out);
    EXPECT_EQ(kLfText, readFile(dir.file("out1.txt")));

    r = run(program() + " /E <(cat in.txt) out2.txt LF");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(kLfText, readFile(dir.file("out2.txt")));

    r = run("cat in.txt | " + program() + " /E /dev/stdin out3.txt LF");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(kLfText, readFile(dir.file("out3.txt")));

    // A large input through a pipe, cut into records.
    r = run("head -c 3000000 /dev/zero | tr '\\0' x | " + program() + " /L - out4.txt 1000");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(3000000u + 2 * 3000u, fs::file_size(dir.file("out4.txt")));
}

TEST_P(CliFilesTest, RecordsFromAPipeConvertLikeTheFile) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    ProgramRun r = run("cat " + quoted(samples + "orders.dat") + " | " + program() +
                       " /C /dev/stdin orders.csv " + quoted(samples + "orders.trd"));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(readFile(samples + "orders.csv"), readFile(dir.file("orders.csv")));
}

TEST_P(CliFilesTest, DashAsOutputWritesStandardOutputAndNothingElse) {
    dir.write("in.txt", kCrLfText);
    ProgramRun r = cli("/E in.txt - LF");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(kLfText, r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ((std::vector<std::string>{"in.txt"}), dir.names());

    // A file called "-" is reached by its path.
    r = cli("/E in.txt ./- LF");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(kLfText, readFile(dir.file("-")));
}

// The system's names of the process's own descriptors, and links to them, write what the
// process was given: a pipe (they were refused as a file that does not exist), a file opened for
// appending (it was replaced by the output alone).
TEST_P(CliFilesTest, TheNamesOfStandardOutputWriteWhatItIs) {
    dir.write("in.txt", kCrLfText);
    ASSERT_EQ(0, ::symlink("/dev/stdout", dir.file("out.link").c_str()));
    for (const char* output : {"/dev/stdout", "/proc/self/fd/1", "/dev/fd/1", "out.link"}) {
        ProgramRun r = run(program() + " -q /E in.txt " + output + " LF | cat");
        EXPECT_EQ(0, r.status) << output << ": " << r.err;
        EXPECT_EQ(kLfText, r.out) << output;
    }
    dir.write("log.txt", "kept\n");
    ProgramRun r = run(program() + " -q /E in.txt /dev/stdout LF >> log.txt");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("kept\n" + std::string(kLfText), readFile(dir.file("log.txt")));
}

TEST_P(CliFilesTest, FifosAreReadAndWrittenAsTheyAre) {
    ASSERT_EQ(0, ::mkfifo(dir.file("in.fifo").c_str(), 0600));
    ASSERT_EQ(0, ::mkfifo(dir.file("out.fifo").c_str(), 0600));
    dir.write("in.txt", kCrLfText);
    ProgramRun r = run("cat in.txt > in.fifo & cat out.fifo > got.txt & " + program() +
                       " /E in.fifo out.fifo LF; status=$?; wait; exit $status");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ(kLfText, readFile(dir.file("got.txt")));
    EXPECT_TRUE(fs::is_fifo(dir.file("out.fifo")));
}

TEST_P(CliFilesTest, AFolderAsTheInputIsNamedAsSuch) {
    fs::create_directory(dir.file("folder"));
    ProgramRun r = cli("/E folder out.txt LF");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfni = " + dir.file("folder") +
                  "\nフォルダが指定されています。\n",
              r.err);
}

TEST_P(CliFilesTest, AnOutputThatWouldDestroyTheDefinitionIsRefused) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    fs::copy_file(samples + "orders.trd", dir.file("d.trd"));
    fs::copy_file(samples + "orders.dat", dir.file("data.dat"));
    fs::create_symlink("d.trd", dir.file("link.trd"));
    for (const char* output : {"d.trd", "link.trd"}) {
        ProgramRun r = cli(std::string("/C data.dat ") + output + " d.trd");
        EXPECT_EQ(1, r.status) << output;
        EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + dir.file(output) +
                      "\nレコード定義ファイルと同じファイルです。\n",
                  r.err);
        EXPECT_EQ(readFile(samples + "orders.trd"), readFile(dir.file("d.trd")));
    }
}

TEST_P(CliFilesTest, AnExistingOutputIsReplacedOnlyBySuccess) {
    dir.write("in.txt", kCrLfText);
    dir.write("out.txt", "old output");
    ASSERT_EQ(0, ::chmod(dir.file("out.txt").c_str(), 0640));
    ProgramRun r = cli("/E in.txt out.txt 'CR LF'");  // refused
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("old output", readFile(dir.file("out.txt")));
    r = cli("/E in.txt out.txt LF");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(kLfText, readFile(dir.file("out.txt")));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
              fs::status(dir.file("out.txt")).permissions());
    EXPECT_EQ((std::vector<std::string>{"in.txt", "out.txt"}), dir.names());
}

TEST_P(CliFilesTest, AnUnknownClassCodeLeavesTheOldOutput) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    dir.write("data.dat", readFile(samples + "orders.dat") + "?" + std::string(300, 'x'));
    dir.write("out.csv", "old output");
    ProgramRun r = cli("/C data.dat out.csv " + quoted(samples + "orders.trd"));
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(
        "識別区分の不明なレコードがあります。可変長の場合は全ての識別区分を指定して下さい。\n"
        "レコード番号 = 10、オフセット = 354 (0x162)\n",
        r.err);
    EXPECT_EQ("old output", readFile(dir.file("out.csv")));
    EXPECT_EQ((std::vector<std::string>{"data.dat", "out.csv"}), dir.names());
}

TEST_P(CliFilesTest, ADefinitionSavedAsUtf8IsNotedAndConverts) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    ProgramRun r =
        run("iconv -f CP932 -t UTF-8 " + quoted(samples + "orders.trd") + " > utf8.trd && exec " +
            program() + " /C " + quoted(samples + "orders.dat") + " orders.csv utf8.trd");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(dir.file("utf8.trd") +
                  " は UTF-8 のテキストとして読み込みました。保存するときは Shift-JIS (CP932) "
                  "で書き込みます。\n",
              r.err);
    EXPECT_EQ(readFile(samples + "orders.csv"), readFile(dir.file("orders.csv")));
}

TEST_P(CliOnlyTest, DefinitionPathsThatAreNoDefinitionAreRefusedAtOnceInLittleMemory) {
    dir.write("in.dat", "x");
    // A data file of 1 GiB given as the definition (sparse: nothing to write or read).
    std::filesystem::resize_file(dir.write("big.trd", ""), std::uintmax_t{1} << 30);
    std::filesystem::resize_file(dir.write("big.rcdef", ""), std::uintmax_t{1} << 30);
    const std::pair<std::string, std::string> cases[] = {
        {"big.trd", dir.file("big.trd") + " はレコード定義ファイルではありません。\n" +
                        dir.file("big.trd") +
                        " の読み込み中にエラーが発生しました。\nファイルが大きすぎます。\n"},
        {"big.rcdef", dir.file("big.rcdef") +
                          " の読み込み中にエラーが発生しました。\nファイルが大きすぎます。\n"},
        {"/dev/zero",
         "/dev/zero はレコード定義ファイルではありません。\n/dev/zero "
         "の読み込み中にエラーが発生しました。\n通常のファイルではありません。\n"},
    };
    for (const auto& [definition, text] : cases) {
        ProgramRun r = cli("/C in.dat out.csv " + definition);
        EXPECT_EQ(1, r.status) << definition;
        EXPECT_EQ(text, r.err);
        // The whole program; the sanitizers' own bookkeeping is far larger.
        if (!kUnderSanitizer) {
            EXPECT_LT(r.peakKiB, 16 * 1024) << definition;
        }
    }
    EXPECT_FALSE(fs::exists(dir.file("out.csv")));
}

TEST_P(CliOnlyTest, TerminatedHalfWayTheOldOutputStaysAndNoTemporaryFileIsLeft) {
    // 1 GiB of input (sparse, read at memory speed); the output grows on the disk.
    fs::resize_file(dir.write("in.dat", ""), std::uintmax_t{1} << 30);
    dir.write("out.dat", "old output");
    const pid_t pid = start("exec " + program() + " /L in.dat out.dat 0");
    const std::string temporary = waitForTemporary("out.dat", 16 << 20);
    ASSERT_FALSE(temporary.empty()) << "no temporary file grew";
    ASSERT_EQ(0, ::kill(pid, SIGTERM));
    ProgramRun r = finish(pid);
    EXPECT_EQ(128 + SIGTERM, r.status);
    // After the warning that the input (all zero bytes) looks like record data.
    EXPECT_TRUE(r.err.ends_with("\n変換を中止しました。\n")) << r.err;
    EXPECT_EQ("old output", readFile(dir.file("out.dat")));
    EXPECT_EQ((std::vector<std::string>{"in.dat", "out.dat"}), dir.names());
}

TEST_P(CliOnlyTest, KilledHalfWayTheOldOutputStaysBesideAPlainlyNamedTemporaryFile) {
    fs::resize_file(dir.write("in.dat", ""), std::uintmax_t{1} << 30);
    dir.write("out.dat", "old output");
    const pid_t pid = start("exec " + program() + " /L in.dat out.dat 0");
    const std::string temporary = waitForTemporary("out.dat", 16 << 20);
    ASSERT_FALSE(temporary.empty()) << "no temporary file grew";
    ASSERT_EQ(0, ::kill(pid, SIGKILL));
    ProgramRun r = finish(pid);
    EXPECT_EQ(128 + SIGKILL, r.status);
    EXPECT_EQ("old output", readFile(dir.file("out.dat")));
    EXPECT_EQ((std::vector<std::string>{temporary, "in.dat", "out.dat"}), dir.names());
    EXPECT_EQ(std::string(".out.dat.sorvek-").size() + 6, temporary.size());
}

TEST_P(CliOnlyTest, InterruptedWhileWaitingForInputItStopsAtOnce) {
    ASSERT_EQ(0, ::mkfifo(dir.file("in.fifo").c_str(), 0600));
    dir.write("out.txt", "old output");
    // The writer opens the FIFO and then writes nothing: the job waits in a read.
    const std::string writerPid = streams.file("writer.pid");
    const pid_t pid = start("sleep 30 > in.fifo & echo $! > " + quoted(writerPid) + "; exec " +
                            program() + " /E in.fifo out.txt LF");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(0, ::kill(pid, SIGINT));
    ProgramRun r = finish(pid);
    EXPECT_EQ(128 + SIGINT, r.status);
    EXPECT_EQ("変換を中止しました。\n", r.err);
    EXPECT_EQ("old output", readFile(dir.file("out.txt")));
    ::kill(static_cast<pid_t>(std::atoi(readFile(writerPid).c_str())), SIGTERM);
}

TEST_P(CliFilesTest, ADeviceNodeAsTheOutputIsWrittenAndStays) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node (mknod) needs root";
    // The null and the full device, made in the test's own folder.
    ASSERT_EQ(0, ::mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)));
    ASSERT_EQ(0, ::mknod(dir.file("full").c_str(), S_IFCHR | 0666, makedev(1, 7)));
    dir.write("in.txt", kCrLfText);
    ProgramRun r = cli("/E in.txt null LF");
    EXPECT_EQ(0, r.status) << r.err;
    r = cli("/E in.txt full LF");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("ファイルの書き込みに失敗しました。\nfno = " + dir.file("full") +
                  "\nディスクの空き容量が不足しています。\n",
              r.err);
    EXPECT_TRUE(fs::is_character_file(dir.file("null")));
    EXPECT_TRUE(fs::is_character_file(dir.file("full")));
    EXPECT_EQ((std::vector<std::string>{"full", "in.txt", "null"}), dir.names());
}

TEST_P(CliOnlyTest, AFullDiskLeavesTheOldOutputAndNoTemporaryFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const std::string small = dir.file("small");
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=256k") != 0) {
        GTEST_SKIP() << "no tmpfs could be mounted here (a container without the right?)";
    }
    fs::resize_file(dir.write("in.dat", ""), 4 << 20);
    {
        std::FILE* old = std::fopen((small + "/out.dat").c_str(), "wb");
        std::fputs("old output", old);
        std::fclose(old);
    }
    ProgramRun r = cli("/L in.dat small/out.dat 0");
    EXPECT_EQ(1, r.status);
    // After the warning that the input (all zero bytes) looks like record data.
    EXPECT_TRUE(r.err.ends_with("\nファイルの書き込みに失敗しました。\nfno = " + small +
                                "/out.dat\nディスクの空き容量が不足しています。\n"))
        << r.err;
    EXPECT_EQ("old output", readFile(small + "/out.dat"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(small)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(std::vector<std::string>{"out.dat"}, left);
    ::umount(small.c_str());
}

}  // namespace
}  // namespace sorvek::testing
