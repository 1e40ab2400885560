#include "app/run_job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

class RunJobTest : public EngineTest {
  protected:
    bool run(const std::string& kind, const std::string& in, const std::string& out,
             const std::string& param) {
        state.job.JobKind = kind;
        state.job.JobParams = {in, out, param};
        EngineContext ctx = context();
        return runJob(state, ctx);
    }
    AppState state;
};

TEST_F(RunJobTest, RelativePathsReachTheEngineAbsoluteAndRunsRepeat) {
    dir.write("in.txt", "ABCD\r\nEF\r\n");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_TRUE(run("RECLEN", "in.txt", "out.txt", "3"));
    const std::string first = readFile(dir.file("out.txt"));
    EXPECT_TRUE(run("RECLEN", "in.txt", "out.txt", "3"));
    std::filesystem::current_path(cwd);
    EXPECT_EQ("ABC\r\nDEF\r\n", first);
    EXPECT_EQ(first, readFile(dir.file("out.txt")));
}

TEST_F(RunJobTest, ZeroLengthGivesDataWithoutBreaks) {
    std::string in = dir.write("in.txt", "AB\r\nCD\n");
    EXPECT_TRUE(run("RECLEN", in, dir.file("out.txt"), "0"));
    EXPECT_EQ("ABCD", readFile(dir.file("out.txt")));
}

TEST_F(RunJobTest, RecordLengthOutOfRangeIsRefusedBeforeAnyFileIsTouched) {
    std::string out = dir.write("out.txt", "keep");
    EXPECT_FALSE(run("RECLEN", dir.file("missing.txt"), out, "2147483648"));
    ShownMessage m = onlyMessage();
    EXPECT_EQ("レコード長の指定に誤りがあります。\nレコード長 = 2147483648", m.text);
    EXPECT_EQ("keep", readFile(out));
}

TEST_F(RunJobTest, LineEndingIsUpperCasedInTheJobState) {
    std::string in = dir.write("in.txt", "a\r\nb");
    EXPECT_TRUE(run("CRLF", in, dir.file("out.txt"), "lf"));
    EXPECT_EQ("LF", state.job.JobParams[2]);
    EXPECT_EQ("a\nb", readFile(dir.file("out.txt")));
}

}  // namespace
}  // namespace sorvek::testing
