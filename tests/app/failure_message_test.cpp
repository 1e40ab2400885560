// What the user sees of a failure: the messages made from the failures of the definition loads
// (the job files' messages are checked through the jobs in job_files_test.cpp).
#include "app/failure_message.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/recorders.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

bool load(const std::string& path, RecordingMessages& messages) {
    RecordDefTable table;
    table.reset(2);
    return showLoadOutcome(path, loadDefinition(path, table), messages);
}

TEST(LoadMessages, AFileThatCannotBeReadIsNoticedThenReportedWithTheReason) {
    RecordingMessages messages;
    EXPECT_FALSE(load("/nonexistent/none.trd", messages));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("/nonexistent/none.trd はレコード定義ファイルではありません。",
              messages.shown.front().text);
    EXPECT_EQ(MessageIcon::Information, messages.shown.front().icon);
    EXPECT_EQ(
        "/nonexistent/none.trd の読み込み中にエラーが発生しました。\n"
        "ファイルまたはフォルダが存在しません。",
        messages.shown.back().text);
    EXPECT_EQ(MessageIcon::Exclamation, messages.shown.back().icon);
    EXPECT_EQ("Sorvek", messages.shown.back().title);

    // A device is refused without being read, with the reason.
    messages.shown.clear();
    EXPECT_FALSE(load("/dev/zero", messages));
    ASSERT_EQ(2u, messages.shown.size());
    EXPECT_EQ("/dev/zero の読み込み中にエラーが発生しました。\n通常のファイルではありません。",
              messages.shown.back().text);
    // The console writes both as one text; the libraries say the same.
    RecordDefTable table;
    table.reset(2);
    const DefinitionLoadResult loaded = loadDefinition("/dev/zero", table);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(messages.shown.front().text + "\n" + messages.shown.back().text,
              loadFailureText("/dev/zero", loaded.error()));
    EXPECT_EQ(FailureKind::DeviceOrSocket, loaded.error().kind);
}

TEST(LoadMessages, AFileReadAsUtf8IsNotedOnce) {
    TempDir dir;
    const std::string path =
        dir.write("utf8.trd",
                  "\xEF\xBB\xBF[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\n"
                  "MaxRecordIndex=1\r\nName=受注\r\nSize=0\r\nClassPos=\r\nDelimiter=,\r\n"
                  "TitleLine=False\r\n[Record_1]\r\nName=明細\r\nSize=2\r\nClass=\r\nParent=0\r\n"
                  "Child=0\r\nMaxFieldIndex=0\r\nField_0=数量,9,1,2,0,-1,\r\n");
    RecordingMessages messages;
    EXPECT_TRUE(load(path, messages));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(path +
                  " は UTF-8 のテキストとして読み込みました。保存するときは Shift-JIS (CP932) "
                  "で書き込みます。",
              messages.shown[0].text);
    EXPECT_EQ(MessageIcon::Information, messages.shown[0].icon);
}

// A copybook's layouts become kinds without a class-code position: the import says that every
// record will be read as the first until one is set, once; a job's own load leaves it to the run.
TEST(LoadMessages, AnImportWhoseKindsCannotBeToldApartIsNoted) {
    TempDir dir;
    const std::string two =
        dir.write("two.cpy",
                  "01 HEAD.\n   05 H-NO PIC X(4).\n01 LINE.\n   05 L-QTY PIC 9(4).\n"
                  "01 TAIL.\n   05 T-SUM PIC 9(4).\n");
    RecordingMessages messages;
    EXPECT_TRUE(load(two, messages));
    ASSERT_EQ(1u, messages.shown.size());
    EXPECT_EQ(
        "識別区分の開始位置が指定されていないため、すべてのレコードを最初のレコード定義 (HEAD) "
        "として変換します。ほかの 2 件のレコード定義は使われません。使うには、ファイル定義で"
        "識別区分の開始位置を、各レコード定義で識別区分を指定してください。",
        messages.shown[0].text);
    EXPECT_EQ(MessageIcon::Information, messages.shown[0].icon);

    // One layout has nothing to tell apart.
    messages.shown.clear();
    EXPECT_TRUE(load(dir.write("one.cpy", "01 HEAD.\n   05 H-NO PIC X(4).\n"), messages));
    EXPECT_TRUE(messages.shown.empty());

    // A job's definition: -v, the check and the completion message tell it.
    messages.shown.clear();
    AppState state;
    EXPECT_TRUE(loadJobDefinition(two, state, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(3, state.recordDefTable.maxIndex());
}

}  // namespace
}  // namespace sorvek::testing
