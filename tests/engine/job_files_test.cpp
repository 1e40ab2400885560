// The opening steps and the failure handling that every conversion shares, checked through the
// record-length and line-ending jobs.
#include <filesystem>

#include "engine/tran_crlf.h"
#include "engine/tran_rec_len.h"
#include "platform/paths.h"
#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

class JobFilesTest : public EngineTest {
  protected:
    bool recLen(const std::string& in, const std::string& out) {
        EngineContext ctx = context();
        return tranRecLen(in, out, 3, ctx);
    }
    bool crlf(const std::string& in, const std::string& out) {
        EngineContext ctx = context();
        std::string ending = "LF";
        return tranCrlf(in, out, ending, ctx);
    }
    void expectOnly(const std::string& text) {
        ShownMessage m = onlyMessage();
        EXPECT_EQ(text, m.text);
        EXPECT_EQ("tranRecLen()", m.title);
        EXPECT_EQ(MessageIcon::Exclamation, m.icon);
    }
};

TEST_F(JobFilesTest, MissingInputIsReportedAndOutputLeftAlone) {
    std::string out = dir.write("out.dat", "keep");
    std::string in = dir.file("missing.dat");
    EXPECT_FALSE(recLen(in, out));
    expectOnly("入力ファイルが存在しません。\nfni = " + in);
    EXPECT_EQ("keep", readFile(out));
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(JobFilesTest, OutputInMissingFolderIsReported) {
    std::string in = dir.write("in.dat", "abc");
    std::string out = dir.file("no-such-folder/out.dat");
    EXPECT_FALSE(crlf(in, out));
    expectOnly("ファイルのオープンに失敗しました。\nfno = " + out);
}

TEST_F(JobFilesTest, UnreadableInputIsReportedAndOutputLeftAlone) {
    std::string in = dir.write("in.dat", "abc");
    std::string out = dir.write("out.dat", "keep");
    files.failOpenRead = true;
    EXPECT_FALSE(recLen(in, out));
    expectOnly("ファイルのオープンに失敗しました。\nfni = " + in);
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
        expectOnly("ファイルのオープンに失敗しました。\nfno = " + out);
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

TEST_F(JobFilesTest, ReadFailureIsReportedNotHiddenAsSuccess) {
    std::string in = dir.write("in.dat", std::string(100000, 'x'));
    blockSize = 4096;
    files.readLimit = 50000;
    EXPECT_FALSE(recLen(in, dir.file("out.dat")));
    expectOnly("ファイルの読み込みに失敗しました。\nfni = " + in);
    files.bytesRead = 0;
    messages.shown.clear();
    EXPECT_FALSE(crlf(in, dir.file("out.dat")));
    expectOnly("ファイルの読み込みに失敗しました。\nfni = " + in);
}

TEST_F(JobFilesTest, WriteFailureIsReportedNotHiddenAsSuccess) {
    const std::int64_t size = 16 << 20;  // several output buffers' worth
    std::string in = dir.write("in.dat", std::string(size, 'x'));
    std::string out = dir.file("out.dat");
    files.writeLimit = 30000;
    EXPECT_FALSE(recLen(in, out));
    expectOnly("ファイルの書き込みに失敗しました。\nfno = " + out);
    // The failure ends the job early instead of reading the rest of the input for nothing.
    EXPECT_LT(files.bytesRead, size);
}

TEST_F(JobFilesTest, FailedCloseOfOutputIsReported) {
    std::string in = dir.write("in.dat", "abc\n");
    std::string out = dir.file("out.dat");
    files.failClose = true;
    EXPECT_FALSE(crlf(in, out));
    expectOnly("ファイルの書き込みに失敗しました。\nfno = " + out);
}

TEST_F(JobFilesTest, InputThatShrinksWhileReadIsAReadFailure) {
    // A file that reports a length it does not deliver (truncated by someone else).
    class ShrinkingFs final : public FileSystem {
      public:
        bool fileExists(const std::string& p) override { return osFileSystem().fileExists(p); }
        Status deleteFile(const std::string& p) override { return osFileSystem().deleteFile(p); }
        std::int64_t fileSize(const std::string& p) override {
            return osFileSystem().fileSize(p) + 10;
        }
        bool isSameFile(const std::string& a, const std::string& b) override {
            return osFileSystem().isSameFile(a, b);
        }
        Result<std::unique_ptr<ReadableFile>> openRead(const std::string& p) override {
            return osFileSystem().openRead(p);
        }
        Result<std::unique_ptr<WritableFile>> openWrite(const std::string& p) override {
            return osFileSystem().openWrite(p);
        }
        Status replaceFile(const std::string& a, const std::string& b) override {
            return osFileSystem().replaceFile(a, b);
        }
    } shrinking;
    std::string in = dir.write("in.dat", "abcdef");
    EngineContext ctx{progress, messages, shrinking};
    EXPECT_FALSE(tranRecLen(in, dir.file("out.dat"), 2, ctx));
    expectOnly("ファイルの読み込みに失敗しました。\nfni = " + in);
}

}  // namespace
}  // namespace sorvek::testing
