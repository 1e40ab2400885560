// The completion message of each job, made while the job reads its input, and the look at the
// input before a job that rewrites line breaks.
#include "app/completion_text.h"

#include <sys/stat.h>

#include <regex>

#include "app/job_registry.h"
#include "app/record_data_check.h"
#include "app/wizard_steps.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;

// The details without their "所要時間" line, which says how long the job took (it must be there).
std::string withoutTime(const std::string& details) {
    static const std::regex time("\n所要時間: [0-9.]+ 秒");
    EXPECT_TRUE(std::regex_search(details, time)) << details;
    return std::regex_replace(details, time, "");
}

class CompletionTest : public EngineTest {
  protected:
    // Runs the job of button `button` interactively on `input` with `parameter`.
    ExecuteResult run(int button, const std::string& input, const std::string& parameter) {
        startJob(button, state.job);
        state.job.JobParams = {dir.write("in.dat", input), dir.file("out.dat"), parameter};
        EngineContext ctx = context();
        return executeJob(state, ctx, messages);
    }
    AppState state;
};

TEST_F(CompletionTest, RecordLengthJobGivesTheOutputItsSizeAndTheRecords) {
    blockSize = 3;
    const ExecuteResult r = run(0, "ABCDEFG\r\nH", "3");
    ASSERT_TRUE(r.completeInteractively);
    EXPECT_EQ("出力ファイル: " + dir.file("out.dat") +
                  "\nサイズ: 12 バイト\n書き出したレコード数: 3 件\n\n注意:\n"
                  "・最後のレコードは 2 バイトでレコード長 (3 バイト) に満たないため、改行を付けて"
                  "いません。",
              withoutTime(r.completionDetails));
}

TEST_F(CompletionTest, LineEndingJobGivesTheLinesWritten) {
    const ExecuteResult r = run(3, "a\r\nb\rc\nlast", "LF");
    ASSERT_TRUE(r.completeInteractively);
    EXPECT_EQ("出力ファイル: " + dir.file("out.dat") + "\nサイズ: 10 バイト\n書き出した行数: 4 行",
              withoutTime(r.completionDetails));
}

TEST_F(CompletionTest, RecordToCsvJobGivesTheLinesAndTheWarningsThatApply) {
    blockSize = 5;
    state.recordDefTable = orderExampleTable();
    // A header followed by a header: the first one's number reaches no line; "D6" is cut short.
    const ExecuteResult r = run(1, "H00001H00002D012D6", "");
    ASSERT_TRUE(r.completeInteractively);
    EXPECT_EQ("出力ファイル: " + dir.file("out.dat") +
                  "\nサイズ: 24 バイト\n書き出した行数: 2 行 (見出し行を含む)\n\n注意:\n"
                  "・末尾の 2 バイト (オフセット 16 から) はレコード長に満たないため出力していませ"
                  "ん。\n"
                  "・子レコードが続かなかったため、H の 1 件のレコードはどの行にも出力されていませ"
                  "ん (最初はレコード 1 (オフセット 0))。",
              withoutTime(r.completionDetails));
}

TEST(CompletionText, TimeTakenAsPeopleReadIt) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0.0 秒"},
        {449, "0.4 秒"},
        {12340, "12.3 秒"},
        {59949, "59.9 秒"},
        {59950, "1 分 00 秒"},
        {125000, "2 分 05 秒"},
        {3599499, "59 分 59 秒"},
        {3723000, "1 時間 02 分 03 秒"},
        {-5, "0.0 秒"},
    };
    for (const auto& [ms, text] : cases) EXPECT_EQ(text, elapsedText(ms)) << ms;

    JobSummary summary;
    summary.outputPath = "/d/out.csv";
    summary.outputSize = 1234;
    summary.countText = "書き出した行数: 5 行";
    summary.elapsedMs = 1500;
    EXPECT_EQ(
        "出力ファイル: /d/out.csv\nサイズ: 1,234 バイト\n書き出した行数: 5 行\n所要時間: 1.5 秒",
        completionDetails(summary));
}

TEST_F(CompletionTest, AFailedOrUnattendedRunHasNoCompletionMessage) {
    state.unattended = true;
    EXPECT_EQ("", run(0, "ABC", "3").completionDetails);
    state.unattended = false;
    startJob(0, state.job);
    state.job.JobParams = {dir.file("missing"), dir.file("out.dat"), "3"};
    EngineContext ctx = context();
    EXPECT_EQ("", executeJob(state, ctx, messages).completionDetails);
}

TEST_F(CompletionTest, OnlyRecordDataInARegularFileBeforeALineBreakJobIsReported) {
    std::string records;
    for (int i = 0; i < 10; ++i) records += "D001\x00\x0D\x3C\r\n"s;
    const std::string data = dir.write("records.dat", records);
    const std::string text = dir.write("text.txt", "one\r\ntwo\r\n");
    JobState job;
    startJob(3, job);
    job.JobParams[0] = data;
    const auto found = recordDataInInput(job);
    ASSERT_TRUE(found.has_value());
    EXPECT_TRUE(found->looksBinary);
    job.JobParams[0] = text;
    EXPECT_FALSE(recordDataInInput(job).has_value());
    job.JobParams[0] = dir.file("missing");
    EXPECT_FALSE(recordDataInInput(job).has_value());
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
    job.JobParams[0] = dir.file("fifo");  // never opened: a read would wait for a writer
    EXPECT_FALSE(recordDataInInput(job).has_value());
    startJob(1, job);
    job.JobParams[0] = data;
    EXPECT_FALSE(recordDataInInput(job).has_value());
    startJob(0, job);
    job.JobParams[0] = data;
    EXPECT_TRUE(recordDataInInput(job).has_value());
}

}  // namespace
}  // namespace sorvek::testing
