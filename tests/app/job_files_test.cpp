// The opening steps and the failure handling that every conversion shares, checked through the
// record-length and line-ending jobs, with the messages the user sees.
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "app/failure_message.h"
#include "engine/tran_crlf.h"
#include "engine/tran_rec_len.h"
#include "platform/paths.h"
#include "ports/app_title.h"
#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

class JobFilesTest : public EngineTest {
  protected:
    // Shows the failure of `status`, as the job run does; true for a success.
    bool shown(const Status& status) {
        if (!status) showFailure(status.error(), messages);
        return status.ok();
    }
    bool recLen(const std::string& in, const std::string& out) {
        EngineContext ctx = context();
        ctx.keptFiles = keptFiles;
        ctx.cancelled = &cancelled;
        return shown(tranRecLen(in, out, 3, ctx));
    }
    bool crlf(const std::string& in, const std::string& out) {
        EngineContext ctx = context();
        ctx.keptFiles = keptFiles;
        ctx.cancelled = &cancelled;
        std::string ending = "LF";
        return shown(tranCrlf(in, out, ending, ctx));
    }
    // The failures of the jobs' files are titled after the record-length job; a cancel, which
    // is none of them, with the application's title.
    void expectOnly(const std::string& text, const std::string& title = "tranRecLen()") {
        ShownMessage m = onlyMessage();
        EXPECT_EQ(text, m.text);
        EXPECT_EQ(title, m.title);
        EXPECT_EQ(MessageIcon::Exclamation, m.icon);
    }

    std::vector<KeptFile> keptFiles;
    std::atomic<bool> cancelled{false};
};

TEST_F(JobFilesTest, MissingInputIsReportedAndOutputLeftAlone) {
    std::string out = dir.write("out.dat", "keep");
    std::string in = dir.file("missing.dat");
    EXPECT_FALSE(recLen(in, out));
    expectOnly("入力ファイルが存在しません。\nfni = " + in);
    EXPECT_EQ("keep", readFile(out));
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(JobFilesTest, FilesThatCannotBeOpenedAreReportedWithTheReason) {
    std::string in = dir.write("in.dat", "abc");
    std::filesystem::create_directory(dir.file("folder"));
    const std::pair<std::pair<std::string, std::string>, std::string> cases[] = {
        {{dir.file("folder"), dir.file("out.dat")},
         "ファイルのオープンに失敗しました。\nfni = " + dir.file("folder") +
             "\nフォルダが指定されています。"},
        {{in, dir.file("no-such-folder/out.dat")},
         "ファイルのオープンに失敗しました。\nfno = " + dir.file("no-such-folder/out.dat") +
             "\nフォルダが存在しません。"},
        {{in, dir.file("folder")},
         "ファイルのオープンに失敗しました。\nfno = " + dir.file("folder") +
             "\nフォルダが指定されています。"},
    };
    for (const auto& [paths, text] : cases) {
        messages.shown.clear();
        EXPECT_FALSE(crlf(paths.first, paths.second));
        expectOnly(text);
    }
    EXPECT_EQ((std::vector<std::string>{"folder", "in.dat"}), dir.names());
}

TEST_F(JobFilesTest, UnreadableInputIsReportedAndOutputLeftAlone) {
    std::string in = dir.write("in.dat", "abc");
    std::string out = dir.write("out.dat", "keep");
    files.failOpenRead = true;
    EXPECT_FALSE(recLen(in, out));
    expectOnly("ファイルのオープンに失敗しました。\nfni = " + in + "\ninjected fault");
    EXPECT_EQ("keep", readFile(out));
}

TEST_F(JobFilesTest, SameFileInAnySpellingIsRefusedAndInputKept) {
    const std::string data = "line 1\r\nline 2\r\n";
    std::string in = dir.write("in.dat", data);
    std::filesystem::create_symlink(in, dir.file("symlink.dat"));
    std::filesystem::create_hard_link(in, dir.file("hardlink.dat"));
    std::filesystem::create_directory(dir.file("sub"));
    const std::string spellings[] = {in, dir.path() + "/./sub/../in.dat", dir.file("symlink.dat"),
                                     dir.file("hardlink.dat")};
    for (const std::string& out : spellings) {
        messages.shown.clear();
        EXPECT_FALSE(recLen(in, out)) << out;
        expectOnly("ファイルのオープンに失敗しました。\nfno = " + out +
                   "\n入力ファイルと同じファイルです。");
        EXPECT_FALSE(crlf(in, out)) << out;
        EXPECT_EQ(data, readFile(in));
    }
    // And with a relative spelling, resolved the way runJob resolves it.
    std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::string relative = getFullPath("in.dat");
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(recLen(in, relative));
    EXPECT_EQ(data, readFile(in));
}

TEST_F(JobFilesTest, OutputNamingAKeptFileIsRefusedBeforeAnythingIsTouched) {
    std::string in = dir.write("in.dat", "abc");
    std::string definition = dir.write("def.trd", "[Sorvek Trd File]");
    std::filesystem::create_symlink(definition, dir.file("link.trd"));
    keptFiles = {{dir.file("settings.ini"), "設定ファイルと同じファイルです。"},  // none yet
                 {definition, "レコード定義ファイルと同じファイルです。"}};
    EXPECT_FALSE(crlf(in, dir.file("link.trd")));
    expectOnly("ファイルのオープンに失敗しました。\nfno = " + dir.file("link.trd") +
               "\nレコード定義ファイルと同じファイルです。");
    EXPECT_EQ("[Sorvek Trd File]", readFile(definition));
    EXPECT_TRUE(progress.calls.empty());
    // A kept file that does not exist names nothing.
    messages.shown.clear();
    EXPECT_TRUE(crlf(in, dir.file("out.dat")));
}

TEST_F(JobFilesTest, ReadFailureIsReportedNotHiddenAsSuccessAndTheOldOutputKept) {
    std::string in = dir.write("in.dat", std::string(100000, 'x'));
    std::string out = dir.write("out.dat", "old output");
    blockSize = 4096;
    files.readLimit = 50000;
    EXPECT_FALSE(recLen(in, out));
    expectOnly("ファイルの読み込みに失敗しました。\nfni = " + in + "\ninjected fault");
    files.bytesRead = 0;
    messages.shown.clear();
    EXPECT_FALSE(crlf(in, out));
    expectOnly("ファイルの読み込みに失敗しました。\nfni = " + in + "\ninjected fault");
    EXPECT_EQ("old output", readFile(out));
    EXPECT_EQ((std::vector<std::string>{"in.dat", "out.dat"}), dir.names());
}

TEST_F(JobFilesTest, WriteFailureIsReportedNotHiddenAsSuccess) {
    const std::int64_t size = 16 << 20;  // several output buffers' worth
    std::string in = dir.write("in.dat", std::string(size, 'x'));
    std::string out = dir.write("out.dat", "old output");
    files.writeLimit = 30000;
    EXPECT_FALSE(recLen(in, out));
    expectOnly("ファイルの書き込みに失敗しました。\nfno = " + out + "\ninjected fault");
    // The failure ends the job early instead of reading the rest of the input for nothing.
    EXPECT_LT(files.bytesRead.load(), size);
    EXPECT_EQ("old output", readFile(out));
    EXPECT_EQ((std::vector<std::string>{"in.dat", "out.dat"}), dir.names());
}

TEST_F(JobFilesTest, EveryFailureOfTheOutputLeavesTheOldOneAndNoTemporaryFile) {
    // Output of several buffers, so that a first and a last write differ.
    std::string in = dir.write("in.dat", std::string(7 << 20, 'x'));
    std::string out = dir.write("out.dat", "old output");
    ASSERT_TRUE(crlf(in, dir.file("count.dat")));
    const std::int64_t writes = files.writeCalls;
    ASSERT_GE(writes, 3);
    std::filesystem::remove(dir.file("count.dat"));

    const std::pair<const char*, std::function<void(FaultyFileSystem&)>> faults[] = {
        {"open", [](FaultyFileSystem& f) { f.failOpenWrite = true; }},
        {"permissions", [](FaultyFileSystem& f) { f.failPermissions = true; }},
        {"first write", [](FaultyFileSystem& f) { f.failWriteCall = 1; }},
        {"last write", [writes](FaultyFileSystem& f) { f.failWriteCall = writes; }},
        {"fsync", [](FaultyFileSystem& f) { f.failSync = true; }},
        {"close", [](FaultyFileSystem& f) { f.failClose = true; }},
        {"rename", [](FaultyFileSystem& f) { f.failReplace = true; }},
    };
    for (const auto& [step, inject] : faults) {
        FaultyFileSystem faulty;
        inject(faulty);
        messages.shown.clear();
        EngineContext ctx{progress, faulty};
        std::string ending = "LF";
        EXPECT_FALSE(shown(tranCrlf(in, out, ending, ctx))) << step;
        const bool opening = std::string(step) == "open" || std::string(step) == "permissions";
        expectOnly(std::string(opening ? "ファイルのオープンに失敗しました。"
                                       : "ファイルの書き込みに失敗しました。") +
                   "\nfno = " + out + "\ninjected fault");
        EXPECT_EQ("old output", readFile(out)) << step;
        EXPECT_EQ((std::vector<std::string>{"in.dat", "out.dat"}), dir.names()) << step;
    }
}

TEST_F(JobFilesTest, InputThatShrinksWhileReadIsAReadFailure) {
    // A file that reports a length it does not deliver (truncated by someone else).
    std::string in = dir.write("in.dat", "abcdef");
    files.sizeExtra = 10;
    EXPECT_FALSE(recLen(in, dir.file("out.dat")));
    expectOnly("ファイルの読み込みに失敗しました。\nfni = " + in +
               "\n読み込み中にファイルが短くなりました。");
    EXPECT_EQ(std::vector<std::string>{"in.dat"}, dir.names());
}

TEST_F(JobFilesTest, ExistingOutputIsReplacedWithItsPermissionBitsAndLinksKept) {
    std::string in = dir.write("in.dat", "ab\r\ncd\r\n");
    std::string out = dir.write("out.dat", "a much longer old output than the new one");
    ASSERT_EQ(0, ::chmod(out.c_str(), 0604));
    std::filesystem::create_symlink("out.dat", dir.file("link.dat"));
    EXPECT_TRUE(crlf(in, dir.file("link.dat")));
    EXPECT_EQ("ab\ncd\n", readFile(out));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.dat")));
    struct stat st {};
    ASSERT_EQ(0, ::stat(out.c_str(), &st));
    EXPECT_EQ(0604u, st.st_mode & 07777);
    EXPECT_EQ((std::vector<std::string>{"in.dat", "link.dat", "out.dat"}), dir.names());
}

TEST_F(JobFilesTest, InputOfUnknownLengthIsReadToItsEndWithBytesDone) {
    // A FIFO: no length until the writer closes it.
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
    const std::string data(10000, 'z');
    std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << data; });
    blockSize = 4096;
    const bool ok = recLen(fifo, dir.file("out.dat"));
    writer.join();
    ASSERT_TRUE(ok);
    std::string expected;
    for (std::size_t i = 0; i < data.size(); i += 3) expected += data.substr(i, 3) + "\r\n";
    expected.resize(expected.size() - 2);  // the short last record has no break
    EXPECT_EQ(expected, readFile(dir.file("out.dat")));
    EXPECT_EQ((std::vector<std::int64_t>{0, 4096, 8192, 10000}), progress.bytesDone);
    // The bar ends full once the length is known.
    EXPECT_EQ((std::vector<ProgressCall>{{10000, 10000}}), progress.calls);
    EXPECT_EQ(1, progress.labelShown);
}

TEST_F(JobFilesTest, AKernelFileThatSaysItIsEmptyIsReadToItsEnd) {
    std::ifstream version("/proc/version", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(version)), {});
    ASSERT_FALSE(text.empty());
    ASSERT_EQ(0, std::filesystem::file_size("/proc/version"));
    EXPECT_TRUE(crlf("/proc/version", dir.file("out.dat")));
    EXPECT_EQ(text, readFile(dir.file("out.dat")));
    EXPECT_EQ(text.size(), static_cast<std::size_t>(progress.bytesDone.back()));

    // A regular file that is truly empty keeps the progress of an empty file.
    progress.calls.clear();
    progress.bytesDone.clear();
    EXPECT_TRUE(crlf(dir.write("empty.dat", ""), dir.file("out.dat")));
    EXPECT_EQ("", readFile(dir.file("out.dat")));
    EXPECT_EQ((std::vector<ProgressCall>{{0, 0}, {0, -1}}), progress.calls);
    EXPECT_TRUE(progress.bytesDone.empty());
}

TEST_F(JobFilesTest, CancelledJobEndsBetweenBlocksAndKeepsTheOldOutput) {
    std::string in = dir.write("in.dat", std::string(1 << 20, 'x'));
    std::string out = dir.write("out.dat", "old output");
    cancelled = true;
    EXPECT_FALSE(crlf(in, out));
    expectOnly("変換を中止しました。", kAppTitle);
    EXPECT_EQ("old output", readFile(out));

    // Cancelled half-way, as a signal or a cancel button would.
    class CancellingProgress final : public Progress {
      public:
        explicit CancellingProgress(std::atomic<bool>& flag) : flag_(flag) {}
        void showLabel() override {}
        void showProgress(std::int32_t value, std::int32_t) override {
            if (value >= 65536) flag_ = true;
        }

      private:
        std::atomic<bool>& flag_;
    };
    cancelled = false;
    CancellingProgress cancelling(cancelled);
    messages.shown.clear();
    EngineContext ctx{cancelling, files, 4096, &cancelled};
    EXPECT_FALSE(shown(tranRecLen(in, out, 3, ctx)));
    expectOnly("変換を中止しました。", kAppTitle);
    EXPECT_LT(files.bytesRead.load(), 1 << 20);
    EXPECT_EQ("old output", readFile(out));
    EXPECT_EQ((std::vector<std::string>{"in.dat", "out.dat"}), dir.names());
}

}  // namespace
}  // namespace sorvek::testing
