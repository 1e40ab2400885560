#include "app/run_job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings.h"
#include "platform/paths.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

class RunJobTest : public EngineTest {
  protected:
    bool run(const std::string& kind, const std::string& in, const std::string& out,
             const std::string& param) {
        state.job.JobKind = kind;
        state.job.JobParams = {in, out, param};
        EngineContext ctx = context();
        return runJob(state, ctx, messages);
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

TEST_F(RunJobTest, TheOutputMayNotNameTheDefinitionOrTheSettingsFile) {
    const std::string in = dir.write("in.dat", "H00001D012");
    state.recordDefTable = orderExampleTable();
    state.definitionFile = dir.write("def.trd", "the definition");
    EXPECT_FALSE(run("REC2CSV", in, state.definitionFile, ""));
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + state.definitionFile +
                  "\nレコード定義ファイルと同じファイルです。",
              onlyMessage().text);
    EXPECT_EQ("the definition", readFile(state.definitionFile));

    // Another job has no definition to keep; the settings file is kept from every job.
    EXPECT_TRUE(run("CRLF", in, state.definitionFile, "LF"));
    messages.shown.clear();
    state.IniFilePath = dir.write("sorvek.ini", "[History]\r\n");
    EXPECT_FALSE(run("CRLF", in, state.IniFilePath, "LF"));
    EXPECT_EQ("ファイルのオープンに失敗しました。\nfno = " + state.IniFilePath +
                  "\n設定ファイルと同じファイルです。",
              onlyMessage().text);
    EXPECT_EQ("[History]\r\n", readFile(state.IniFilePath));
}

TEST(JobPath, TheStandardStreamsStayAsTheyAreAndAFileCalledSoIsReachedByItsPath) {
    EXPECT_EQ("-", jobPath("-"));
    EXPECT_EQ(getFullPath("./-"), jobPath("./-"));
    EXPECT_EQ('/', jobPath("./-").front());
}

TEST(FilesKeptFromOutput, TheSettingsFilesAlwaysAndTheDefinitionForItsJob) {
    AppState state;
    state.definitionFile = "/defs/orders.trd";
    state.job.JobKind = "CRLF";
    const std::vector<KeptFile> crlf = filesKeptFromOutput(state);
    ASSERT_EQ(2u, crlf.size());  // the running program's and the desktop program's settings
    EXPECT_EQ(settingsFilePath(), crlf[0].path);
    EXPECT_EQ(settingsFilePathOf("sorvek"), crlf[1].path);
    state.job.JobKind = "REC2CSV";
    state.IniFilePath = "/home/u/.config/sorvek/sorvek.ini";
    const std::vector<KeptFile> rec2csv = filesKeptFromOutput(state);
    ASSERT_EQ(4u, rec2csv.size());
    EXPECT_EQ("/defs/orders.trd", rec2csv[0].path);
    EXPECT_EQ("レコード定義ファイルと同じファイルです。", rec2csv[0].reason);
    EXPECT_EQ(state.IniFilePath, rec2csv[1].path);
    EXPECT_EQ("設定ファイルと同じファイルです。", rec2csv[1].reason);
}

}  // namespace
}  // namespace sorvek::testing
