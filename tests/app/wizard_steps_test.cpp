#include "app/wizard_steps.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/job_registry.h"
#include "app/page_checks.h"
#include "app/run_summary.h"
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
    EXPECT_FALSE(startJob(4, job));
    EXPECT_EQ("RECLEN", job.JobKind);
    EXPECT_EQ("", jobHint(4));
    // The way back of REC→CSV, on the same definition page.
    ASSERT_TRUE(startJob(2, job));
    EXPECT_EQ("CSV2REC", job.JobKind);
    EXPECT_EQ((std::vector<std::int32_t>{kPageFiles, kPageRecordDefinition, kPageExecute}),
              job.PageSequence);
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
    AppState state;
    JobState& job = state.job;
    job.JobTitle = "改行コード変換";
    job.PageSequence = {kPageExecute};
    job.PageComments = {"コマンドライン実行中です。"};
    job.JobParams = {"in.txt", "../out.txt", "lf"};
    WizardSteps steps(job);
    EXPECT_EQ("Sorvek - 改行コード変換 (1/1)", steps.caption());
    EXPECT_TRUE(steps.onExecutePage());
    job.JobKind = kJobCrlf;
    EXPECT_EQ((std::vector<std::string>{"変換の種類: 改行コード変換", "入力ファイル: in.txt",
                                        "出力ファイル: ../out.txt", "改行コード: lf"}),
              summaryLines(state));
    job.JobKind = kJobRecLen;
    EXPECT_EQ("レコード長: lf", summaryLines(state)[3]);
    job.JobKind = kJobRec2Csv;
    EXPECT_EQ("レコード定義: lf", summaryLines(state)[3]);
}

// Every setting that shapes the output is told in the words of its list, the definition's file
// with its unsaved edits, and the files of an output split by kind.
TEST(RunSummary, TellsEverySettingThatShapesTheOutput) {
    AppState state;
    state.job.JobKind = kJobRec2Csv;
    state.job.JobTitle = "REC→CSV変換";
    state.job.JobParams = {"/d/in.dat", "/d/out.csv", "受注"};
    RecordDefTable& table = state.recordDefTable;
    table.reset(3);
    table[0].Name = "受注";
    table[0].Delimiter = "\\t";
    table[0].TitleLine = true;
    table[0].codePage = InputCodePage::Ibm930;
    table[0].recordFormat = RecordFormat::VB;
    table[1].Name = "見出し";
    table[2].Name = "明細";
    table.output.encoding = CsvEncoding::Utf8Bom;
    table.output.quoting = CsvQuoting::Minimal;
    table.output.trimBlanks = true;
    table.output.zonedSign = ZonedSign::Leading;
    table.output.invalidPacked = InvalidPacked::Fail;
    table.output.lineEnd = CsvLineEnd::Lf;
    table.output.splitKinds = true;
    state.definitionFile = "/d/受注.trd";

    const std::vector<std::string> expected{
        "変換の種類: REC→CSV変換",
        "入力ファイル: /d/in.dat",
        "出力ファイル: /d/out.csv",
        "レコード定義: 受注",
        "定義ファイル: /d/受注.trd (保存していない変更があります)",
        "入力の文字コード: IBM930 日本語EBCDIC (カナ)",
        "レコード形式: VB: BDW・RDW 付き (vb)",
        "記述語: 上位バイトが先 (big、ホスト)、記述語の4バイトを含む (inclusive、ホスト)",
        "出力形式: CSV (区切り文字付きのテキスト)",
        "区切り記号: タブ",
        "1行目: フィールド名を出力する",
        "テキストの文字コード: UTF-8 (BOM付き)",
        "引用符: 必要な値だけ囲む (区切り文字・\"・改行を含む値)",
        "文字項目の末尾の空白: 取り除く",
        "ゾーン10進数の符号: 最初の桁のゾーン",
        "不正なパック10進数: エラーとして変換を中止する",
        "改行: LF",
        "種類ごとのファイル: 分ける (出力ファイルは作りません)",
        "　出力ファイル (見出し): /d/out.見出し.csv",
        "　出力ファイル (明細): /d/out.明細.csv",
    };
    EXPECT_EQ(expected, summaryLines(state, true));

    // A workbook: the options of its cells, no text's options, no files per kind.
    table.output.format = OutputFormat::Xlsx;
    const std::vector<std::string> workbook = summaryLines(state, true);
    EXPECT_EQ((std::vector<std::string>{"出力形式: Excel ブック (レコードの種類ごとのシート)",
                                        "文字項目の末尾の空白: 取り除く",
                                        "ゾーン10進数の符号: 最初の桁のゾーン",
                                        "不正なパック10進数: エラーとして変換を中止する"}),
              std::vector<std::string>(workbook.begin() + 8, workbook.end()));
    table.output.format = OutputFormat::Csv;

    // Saved, one output, and the job that makes records from the text: how they are laid out.
    table.output.splitKinds = false;
    table[0].recordFormat = RecordFormat::Fixed;
    state.job.JobKind = kJobCsv2Rec;
    state.recordOutput.end = RecordEnd::CrLf;
    const std::vector<std::string> csv2rec = summaryLines(state, false);
    ASSERT_EQ(16u, csv2rec.size());
    EXPECT_EQ("定義ファイル: /d/受注.trd", csv2rec[4]);
    EXPECT_EQ("レコードの文字コード: IBM930 日本語EBCDIC (カナ)", csv2rec[5]);
    EXPECT_EQ("レコードの後の改行: CR LF", csv2rec[7]);
    EXPECT_EQ("改行: LF", csv2rec[15]);

    // A definition never saved; the check of records tells how they are read, nothing of text.
    state.definitionFile.clear();
    state.job.JobKind = kJobCheck;
    const std::vector<std::string> check = summaryLines(state);
    EXPECT_EQ((std::vector<std::string>{"定義ファイル: (保存していない定義)",
                                        "入力の文字コード: IBM930 日本語EBCDIC (カナ)",
                                        "レコード形式: 固定長 (fixed)"}),
              std::vector<std::string>(check.begin() + 4, check.end()));
}

TEST(WizardSteps, ManualTopicOfEachPageAndTheOverwriteQuestion) {
    EXPECT_EQ("reclen", manualTopic(kPageRecordLength, kJobRecLen));
    EXPECT_EQ("editor", manualTopic(kPageRecordDefinition, kJobRec2Csv));
    EXPECT_EQ("crlf", manualTopic(kPageLineEnding, kJobCrlf));
    EXPECT_EQ("rec2csv", manualTopic(kPageFiles, kJobRec2Csv));
    EXPECT_EQ("crlf", manualTopic(kPageExecute, kJobCrlf));
    EXPECT_EQ("reclen", manualTopic(kPageExecute, kJobRecLen));
    EXPECT_EQ("start", manualTopic(kPageFiles, ""));
    EXPECT_EQ("出力ファイル「/d/out.csv」は既に存在します。\n上書きしますか？",
              overwriteQuestion("/d/out.csv"));
}

class ExecuteTest : public EngineTest {};

TEST_F(ExecuteTest, OnlyAnInteractiveSuccessCompletes) {
    AppState state;
    startJob(0, state.job);
    state.job.JobParams = {dir.write("in.txt", "ABCDEFG"), dir.file("out.txt"), "3"};
    EngineContext ctx = context();
    ExecuteResult result = executeJob(state, ctx, messages);
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(result.completeInteractively);
    EXPECT_EQ("ABC\r\nDEF\r\nG", readFile(dir.file("out.txt")));

    state.unattended = true;
    result = executeJob(state, ctx, messages);
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(result.completeInteractively);

    state.unattended = false;
    state.job.JobParams[0] = dir.file("missing.txt");
    result = executeJob(state, ctx, messages);
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
    EXPECT_EQ("", checkRecordLengthPage("0", job).reason);
    EXPECT_EQ("レコード長を入力してください。", checkRecordLengthPage("", job).reason);
    EXPECT_EQ("レコード長はバイト数を半角数字で入力してください。",
              checkRecordLengthPage("１２", job).reason);
    EXPECT_EQ("レコード長は 2147483647 以下で入力してください。",
              checkRecordLengthPage("2147483648", job).reason);
}

class FilesPageTest : public EngineTest {
  protected:
    PageCheck check(const std::string& input, const std::string& output) {
        return checkFilesPage(input, output, job);
    }
    JobState job;
};

TEST_F(FilesPageTest, InputMustExistAndOutputFolderToo) {
    const std::string in = dir.write("in.dat", "x");
    const std::string out = dir.file("out.csv");
    struct Case {
        std::string input;
        std::string output;
        const char* reason;  // "" when Next is enabled
    };
    const Case cases[] = {
        {in, out, ""},
        {in, dir.write("old.csv", "old"), ""},  // overwriting is asked about when leaving
        {"", out, "入力ファイルを指定してください。"},
        {in, "", "出力ファイルを指定してください。"},
        {in, in, "入力ファイルと出力ファイルに同じパスが指定されています。"},
        {dir.file("missing.dat"), out, "入力ファイルが存在しません。"},
        {dir.path(), out, "入力ファイルにフォルダが指定されています。"},
        {in, dir.file("no/such/folder/out.csv"), "出力ファイルのフォルダが存在しません。"},
        {dir.file("missing.dat"), "", "入力ファイルが存在しません。"},    // the input first
        {in, in + "/out.csv", "出力ファイルのフォルダが存在しません。"},  // a file on the way
        {in, dir.path(), "出力ファイルにフォルダが指定されています。"},
        {"-", "-", "入力ファイルと出力ファイルに同じパスが指定されています。"},
        {"-", out, ""},  // the standard streams
        {in, "-", ""},
    };
    for (const Case& c : cases) {
        const PageCheck result = check(c.input, c.output);
        EXPECT_EQ(c.reason, result.reason) << c.input << " → " << c.output;
        EXPECT_EQ(std::string(c.reason).empty(), result.passes) << c.input << " → " << c.output;
    }
    // Relative paths are taken from the current folder, as the job takes them.
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(dir.path());
    EXPECT_TRUE(check("in.dat", "out.csv"));
    EXPECT_EQ("in.dat", job.JobParams[0]) << "the paths are taken over as typed";
    EXPECT_EQ("入力ファイルが存在しません。", check("missing.dat", "out.csv").reason);
    std::filesystem::current_path(cwd);
}

TEST(PageChecks, LineEndingSameAsPresentOnlyWhenTheFileIsMixed) {
    JobState job;
    EXPECT_EQ("入力ファイルの改行コードは既に CR+LF です。",
              checkLineEndingPage("CR+LF", "CR+LF", false, job).reason);
    EXPECT_TRUE(checkLineEndingPage("CR+LF", "CR+LF", true, job));
    EXPECT_EQ("CR+LF", job.JobParams[2]);
    EXPECT_TRUE(checkLineEndingPage("LF", "CR+LF", false, job));
    EXPECT_EQ("変換後の改行コードを選んでください。",
              checkLineEndingPage("", "CR+LF", true, job).reason);
    EXPECT_EQ("改行コードは CR+LF、CR、LF のどれかを指定してください。",
              checkLineEndingPage("crlf", "LF", true, job).reason);

    ByteProfile profile;
    EXPECT_EQ("改行はありません。", lineEndingCountsText(profile));
    profile.crlf = 1200;
    EXPECT_FALSE(lineEndingsMixed(profile));
    EXPECT_EQ("見つかった改行: CR+LF 1,200 行", lineEndingCountsText(profile));
    profile.cr = 3;
    EXPECT_TRUE(lineEndingsMixed(profile));
    EXPECT_EQ("見つかった改行: CR+LF 1,200 行、CR 3 行 (混在しています)",
              lineEndingCountsText(profile));
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
    EXPECT_EQ("レコード定義を追加してください。", check->reason);
    inputs.treeNodeCount = 0;
    EXPECT_EQ("「定義を開く」で読み込むか、「新規作成」でレコード定義を作ってください。",
              checkPage(kPageRecordDefinition, inputs, state)->reason);

    state.recordDefTable.reset(3);
    state.recordDefTable[0].Name = "受注";
    state.recordDefTable[2].Fields.push_back(FieldDef{});
    state.recordDefTable[1].Name = "H";
    inputs.treeNodeCount = 3;
    check = checkPage(kPageRecordDefinition, inputs, state);
    EXPECT_FALSE(check->nextEnabled);
    EXPECT_EQ(std::optional<bool>(true), check->saveEnabled);
    EXPECT_EQ("最初のレコード定義「H」にフィールドを追加してください。", check->reason);

    state.recordDefTable[1].Fields.push_back(FieldDef{});
    check = checkPage(kPageRecordDefinition, inputs, state);
    EXPECT_TRUE(check->nextEnabled);
    EXPECT_EQ("", check->reason);
    EXPECT_EQ("受注", state.job.JobParams[2]);

    EXPECT_FALSE(checkPage(kPageExecute, inputs, state));
    EXPECT_FALSE(checkPage(7, inputs, state));
}

}  // namespace
}  // namespace sorvek::testing
