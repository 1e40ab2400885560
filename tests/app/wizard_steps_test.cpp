#include "app/wizard_steps.h"

#include <gtest/gtest.h>

#include "app/job_catalog.h"
#include "app/page_checks.h"
#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

TEST(JobCatalog, ButtonsPrepareFreshJobStates) {
    JobState job;
    job.JobParams = {"old in", "old out", "old"};
    ASSERT_TRUE(startJob(3, job));
    EXPECT_EQ("CRLF", job.JobKind);
    EXPECT_EQ((std::vector<std::int32_t>{0, 13, 99}), job.PageSequence);
    EXPECT_EQ("これで宜しければ、実行ボタンを押して下さい。", job.PageComments[2]);
    EXPECT_EQ((std::array<std::string, 3>{}), job.JobParams);

    ASSERT_TRUE(startJob(0, job));
    EXPECT_EQ(
        "レコード長をバイト数で指定してください。\u3000"
        "0 を指定すると、改行無しのデータに変換できます。",
        job.PageComments[1]);
    EXPECT_FALSE(startJob(2, job));
    EXPECT_EQ("RECLEN", job.JobKind);
    EXPECT_EQ("", jobHint(2));
    EXPECT_EQ("固定長レコードをCSV形式に変換します。", jobHint(1));
}

TEST(WizardSteps, NextAndBackFollowThePageSequence) {
    JobState job;
    startJob(0, job);
    WizardSteps steps(job);
    EXPECT_EQ("Sorvek - レコード長変換 (1/3)", steps.caption());
    EXPECT_FALSE(steps.canGoBack());

    StepChange change = steps.next();
    EXPECT_EQ(0, change.hiddenPage);
    EXPECT_EQ(10, change.shownPage);
    EXPECT_EQ(std::optional<bool>(false), change.nextEnabled);
    EXPECT_FALSE(change.nextIsExecute);
    EXPECT_FALSE(change.detectLineEnding);
    EXPECT_EQ("Sorvek - レコード長変換 (2/3)", steps.caption());

    change = steps.next();
    EXPECT_TRUE(change.nextIsExecute);
    EXPECT_TRUE(change.fillSummary);
    EXPECT_EQ(std::nullopt, change.nextEnabled);  // keeps the state the last check left
    EXPECT_TRUE(steps.onExecutePage());
    EXPECT_FALSE(steps.canGoNext());
    EXPECT_EQ(job.PageComments[2], steps.comment());

    change = steps.back();
    EXPECT_EQ(std::optional<bool>(true), change.nextEnabled);
    EXPECT_TRUE(change.backEnabled);
    change = steps.back();
    EXPECT_FALSE(change.backEnabled);
    EXPECT_EQ(0, steps.page());
}

TEST(WizardSteps, LineEndingPageAsksForThePresentEnding) {
    JobState job;
    startJob(3, job);
    WizardSteps steps(job);
    EXPECT_TRUE(steps.next().detectLineEnding);
}

TEST(WizardSteps, UnattendedRunIsOneStepAndSummaryShowsPathsAsTyped) {
    JobState job;
    job.JobTitle = "改行コード変換";
    job.PageSequence = {kPageExecute};
    job.PageComments = {"コマンドライン実行中です。"};
    job.JobParams = {"in.txt", "../out.txt", "lf"};
    WizardSteps steps(job);
    EXPECT_EQ("Sorvek - 改行コード変換 (1/1)", steps.caption());
    EXPECT_TRUE(steps.onExecutePage());
    EXPECT_EQ((std::vector<std::string>{"改行コード変換", "in.txt", "../out.txt", "lf"}),
              summaryLines(job));
}

class ExecuteTest : public EngineTest {};

TEST_F(ExecuteTest, OnlyAnInteractiveSuccessCompletes) {
    AppState state;
    startJob(0, state.job);
    state.job.JobParams = {dir.write("in.txt", "ABCDEFG"), dir.file("out.txt"), "3"};
    EngineContext ctx = context();
    ExecuteResult result = executeJob(state, ctx);
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(result.completeInteractively);
    EXPECT_EQ("ABC\r\nDEF\r\nG", readFile(dir.file("out.txt")));

    state.unattended = true;
    result = executeJob(state, ctx);
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(result.completeInteractively);

    state.unattended = false;
    state.job.JobParams[0] = dir.file("missing.txt");
    result = executeJob(state, ctx);
    EXPECT_FALSE(result.succeeded);
    EXPECT_FALSE(result.completeInteractively);
}

TEST(PageChecks, DigitsOnlyMeansAsciiDigits) {
    EXPECT_TRUE(isDigitsOnly("0"));
    EXPECT_TRUE(isDigitsOnly("0123456789"));
    for (const char* text : {"", "-1", "+1", "1.5", " 12", "12 ", "１２", "1e3"}) {
        EXPECT_FALSE(isDigitsOnly(text)) << text;
    }
}

TEST(PageChecks, RecordLengthMustFitTheJob) {
    JobState job;
    EXPECT_TRUE(checkRecordLengthPage("2147483647", job));
    EXPECT_EQ("2147483647", job.JobParams[2]);
    EXPECT_FALSE(checkRecordLengthPage("2147483648", job));
    EXPECT_FALSE(checkRecordLengthPage("99999999999999999999", job));
    EXPECT_EQ("2147483647", job.JobParams[2]);  // a refused text is not taken over
}

TEST(PageChecks, RecordDefinitionNeedsFieldsInRecordOne) {
    AppState state;
    PageInputs inputs;
    inputs.treeNodeCount = 1;
    state.recordDefTable.reset(1);
    auto check = checkPage(kPageRecordDefinition, inputs, state);
    ASSERT_TRUE(check);
    EXPECT_FALSE(check->nextEnabled);
    EXPECT_EQ(std::optional<bool>(false), check->saveEnabled);

    state.recordDefTable.reset(3);
    state.recordDefTable[0].Name = "受注";
    state.recordDefTable[2].Fields.push_back(FieldDef{});
    inputs.treeNodeCount = 3;
    check = checkPage(kPageRecordDefinition, inputs, state);
    EXPECT_FALSE(check->nextEnabled);
    EXPECT_EQ(std::optional<bool>(true), check->saveEnabled);

    state.recordDefTable[1].Fields.push_back(FieldDef{});
    check = checkPage(kPageRecordDefinition, inputs, state);
    EXPECT_TRUE(check->nextEnabled);
    EXPECT_EQ("受注", state.job.JobParams[2]);

    EXPECT_FALSE(checkPage(kPageExecute, inputs, state));
    EXPECT_FALSE(checkPage(7, inputs, state));
}

}  // namespace
}  // namespace sorvek::testing
