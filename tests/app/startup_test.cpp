#include "app/startup.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/recorders.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

using Args = std::vector<std::string>;

class StartupTest : public ::testing::Test {
  protected:
    StartupOutcome start(const Args& args) { return prepareStartup(args, state, messages); }
    void expectRefusal(const Args& args, const std::string& text,
                       const std::string& title = "Sorvek") {
        messages.shown.clear();
        StartupOutcome outcome = start(args);
        EXPECT_EQ(StartupAction::End, outcome.action);
        EXPECT_EQ(kExitRefused, outcome.exitStatus);
        ASSERT_EQ(1u, messages.shown.size());
        EXPECT_EQ(text, messages.shown[0].text);
        EXPECT_EQ(title, messages.shown[0].title);
        EXPECT_EQ(MessageIcon::Exclamation, messages.shown[0].icon);
    }

    AppState state;
    RecordingMessages messages;
};

TEST_F(StartupTest, NoArgumentsOpensTheMainWindow) {
    EXPECT_EQ(StartupAction::ShowMainWindow, start({}).action);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, SwitchInEitherCaseFillsTheJobStateAsTyped) {
    StartupOutcome outcome = start({"/l", "in.dat", "out dir/out.dat", "80"});
    EXPECT_EQ(StartupAction::RunJob, outcome.action);
    EXPECT_EQ("RECLEN", state.job.JobKind);
    EXPECT_EQ("レコード長変換", state.job.JobTitle);
    EXPECT_EQ(std::vector<std::int32_t>{99}, state.job.PageSequence);
    EXPECT_EQ(std::vector<std::string>{"コマンドライン実行中です。"}, state.job.PageComments);
    EXPECT_EQ((std::array<std::string, 3>{"in.dat", "out dir/out.dat", "80"}), state.job.JobParams);
    EXPECT_TRUE(state.unattended);

    EXPECT_EQ(StartupAction::RunJob, start({"/e", "a", "b", "lf"}).action);
    EXPECT_EQ("CRLF", state.job.JobKind);
    EXPECT_EQ("改行コード変換", state.job.JobTitle);
    EXPECT_EQ("lf", state.job.JobParams[2]);  // upper-cased by the job, not here
}

TEST_F(StartupTest, WrongSwitchOrCountIsRefusedWithItsOwnText) {
    // The switch refused is named, so that a typing slip in a script is found at once.
    expectRefusal({"/X", "a", "b", "c"}, "パラメータに誤りがあります。\nスイッチ = /X");
    expectRefusal({"L", "a", "b", "c"}, "パラメータに誤りがあります。\nスイッチ = L");
    expectRefusal({"/L", "a", "b"}, "パラメータの数が違います");
    expectRefusal({"/E", "a", "b", "c", "d"}, "パラメータの数が違います");
    expectRefusal({"/C", "a", "b"}, "パラメータの数が違います。");
    expectRefusal({"/c"}, "パラメータの数が違います。");
}

TEST_F(StartupTest, RecordLengthThatIsNoThirtyTwoBitNumberIsRefused) {
    // A negative length ran as 0 and succeeded; it is no length.
    for (const char* bad : {"", "abc", "12.5", "99999999999", "-3", "-0"}) {
        expectRefusal({"/L", "a", "b", bad},
                      std::string("レコード長の指定に誤りがあります。\nレコード長 = ") + bad);
    }
    // A line ending is refused in the words and under the title of the job's own refusal.
    expectRefusal({"/E", "a", "b", "cr lf"},
                  "改行コードの指定に誤りがあります。\n改行コード = CR LF", "tranCrlf()");
    for (const char* good : {" 80 ", "+5", "0"}) {
        messages.shown.clear();
        EXPECT_EQ(StartupAction::RunJob, start({"/L", "a", "b", good}).action) << good;
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(StartupTest, DefinitionThatCannotBeLoadedEndsWithItsAbsolutePath) {
    StartupOutcome outcome = start({"/C", "in.dat", "out.csv", "/no/such/def.trd"});
    EXPECT_EQ(StartupAction::End, outcome.action);
    EXPECT_EQ(kExitFailure, outcome.exitStatus);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(
        "/no/such/def.trd の読み込み中にエラーが発生しました。\n"
        "ファイルまたはフォルダが存在しません。",
        messages.shown.back().text);
    EXPECT_EQ(MessageIcon::Exclamation, messages.shown.back().icon);
}

TEST_F(StartupTest, DefinitionIsReadOrImportedByItsExtensionInAnyCase) {
    TempDir dir;
    const std::string trd =
        dir.write("orders.trd",
                  utf8ToCp932("[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\n"
                              "MaxRecordIndex=2\r\nName=受注\r\nSize=0\r\nTitleLine=False\r\n"
                              "[Record_1]\r\nSize=1\r\nParent=0\r\nChild=2\r\nMaxFieldIndex=0\r\n"
                              "Field_0=a,X,1,1,0,-1,\r\n[Record_2]\r\nSize=1\r\nParent=1\r\n"
                              "Child=0\r\nMaxFieldIndex=0\r\nField_0=b,X,1,1,0,-1,\r\n"));
    state.recordDefTable.reset(7);
    StartupOutcome outcome = start({"/c", "in.dat", "out.csv", trd});
    EXPECT_EQ(StartupAction::RunJob, outcome.action);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(3u, state.recordDefTable.entries.size());
    EXPECT_EQ("受注", state.recordDefTable[0].Name);
    EXPECT_EQ("b", state.recordDefTable[2].Fields[0].Name);

    const std::string rcdef = dir.write(
        "layout.RcDef", utf8ToCp932("RNUM=0001;\r\nJPNM=\"明細\";\r\nDTNM=\"LINE\";\r\n"
                                    "ADSZ=\"3\";\r\nJPNM=\"c\";\r\nDTAT=\"X\";\r\nBULO=\"1\";\r\n"
                                    "ADSZ=\"3\";\r\nENDT\r\n"));
    outcome = start({"/C", "in.dat", "out.csv", rcdef});
    EXPECT_EQ(StartupAction::RunJob, outcome.action);
    ASSERT_EQ(2u, state.recordDefTable.entries.size());
    EXPECT_EQ("明細", state.recordDefTable[1].Name);
    EXPECT_EQ((FieldDef{"c", "X", 1, 3, 0, -1, ""}), state.recordDefTable[1].Fields.at(0));

    // A SEWB3 file that cannot be imported: only the caller's message.
    const std::string broken = dir.write("broken.RCDEF", "JPNM=\"x\";\r\n");
    outcome = start({"/C", "in.dat", "out.csv", broken});
    EXPECT_EQ(StartupAction::End, outcome.action);
    EXPECT_EQ(kExitFailure, outcome.exitStatus);
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(broken + " の読み込み中にエラーが発生しました。", messages.shown[0].text);
}

}  // namespace
}  // namespace sorvek::testing
