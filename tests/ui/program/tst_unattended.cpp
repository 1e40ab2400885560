// The unattended run: in this process through the wizard's execute page, and the program
// itself with and without a display.
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include "app/app_state.h"
#include "app/startup.h"
#include "ui/dialogs/message_box.h"
#include "ui/program/desktop_session.h"
#include "ui/program/platform_choice.h"
#include "ui_test_support.h"

using namespace sorvek;
using namespace sorvek::testing;

class UnattendedTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString file(const QString& name) const { return dir_.filePath(name); }

    struct Run {
        int exitCode;
        QString errors;
    };
    // The program with `args`, in an environment without (or with) a display.
    Run program(const QStringList& args, const QProcessEnvironment& env) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(qEnvironmentVariable("SORVEK_BINARY"), args);
        if (!process.waitForFinished(30000)) {
            process.kill();
            return {-1, QStringLiteral("timed out")};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
                QString::fromUtf8(process.readAllStandardError())};
    }
    static QProcessEnvironment withoutDisplay() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        answerDialogsInTests();
    }
    void init() { MessageBox::clearShown(); }
    void cleanup() { QCOMPARE(takeLeakedWindows(), QStringList()); }

    void runsOnTheExecutePageWithoutCompletionOrHistory() {
        writeBytes(file("in.txt"), "abcdefg");
        AppState state;
        WidgetMessages messages(nullptr);
        const std::vector<std::string> args{"/l", file("in.txt").toStdString(),
                                            file("out.txt").toStdString(), "3"};
        QCOMPARE(int(prepareStartup(args, state, messages).action), int(StartupAction::RunJob));
        DesktopSession session(state, [] { return std::string("/proc/never-written.ini"); });
        QCOMPARE(session.runUnattended(), kExitSuccess);
        QCOMPARE(readBytes(file("out.txt")), QByteArray("abc\r\ndef\r\ng"));
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(state.IniFilePath.empty());
    }

    void failureShowsTheEngineMessageAndEndsWithStatusOne() {
        AppState state;
        WidgetMessages messages(nullptr);
        const std::vector<std::string> args{"/E", file("missing.txt").toStdString(),
                                            file("out.txt").toStdString(), "lf"};
        prepareStartup(args, state, messages);
        DesktopSession session(state);
        QCOMPARE(session.runUnattended(), kExitFailure);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(
            MessageBox::shown()[0].text.startsWith(QStringLiteral("入力ファイルが存在しません。")));
    }

    void programUnderTheOffscreenPlatformConvertsAndExitsZero() {
        writeBytes(file("p.txt"), "a\nb\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const Run run = program({"/L", file("p.txt"), file("p.out"), "3"}, env);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(readBytes(file("p.out")), QByteArray("ab"));
    }

    void lineBreakJobOnRecordDataWarnsOnStandardErrorAndRuns() {
        // An unattended run asks nothing: it warns, as the console program does, and converts.
        QByteArray records;
        for (int i = 0; i < 20; ++i) records += QByteArray("D001\x00\x0D\x3C\r\n", 9);
        writeBytes(file("records.dat"), records);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const Run run = program({"/E", file("records.dat"), file("records.out"), "LF"}, env);
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.errors.contains(
                     QStringLiteral("警告: 入力ファイルは固定長のレコードデータのようです。")),
                 qPrintable(run.errors));
        QCOMPARE(readBytes(file("records.out")).size(), records.size() - 20);
    }

    // Every command line runs through the console front end without a display (the console
    // tests run against both programs); without arguments the program also says why it shows
    // no window.
    void programWithoutDisplayNorArgumentsSaysWhyAndShowsTheUsage() {
        const Run run = program({}, withoutDisplay());
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errors.startsWith(QStringLiteral("画面を表示できません")),
                 qPrintable(run.errors));
        QVERIFY2(run.errors.contains(QStringLiteral("使い方:")), qPrintable(run.errors));
    }

    void displayThatCannotBeReachedFallsBackToTheConsole() {
        QProcessEnvironment env = withoutDisplay();
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":97"));  // no server there
        const Run run = program({"/L", file("none.txt"), file("n.out"), "x"}, env);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.errors.startsWith(QStringLiteral("レコード長の指定に誤りがあります。")),
                 qPrintable(run.errors));
    }

    void platformChoice() {
        PlatformChoice none = choosePlatform(nullptr, "", nullptr);
        QVERIFY(!none.displayAvailable);
        PlatformChoice x11 = choosePlatform(nullptr, ":0", nullptr);
        QVERIFY(x11.displayAvailable);
        QCOMPARE(x11.platformList, std::string("xcb;offscreen"));
        QVERIFY(fellBackToOffscreen(x11, "offscreen"));
        QVERIFY(!fellBackToOffscreen(x11, "xcb"));
        PlatformChoice wayland = choosePlatform(nullptr, nullptr, "wayland-0");
        QCOMPARE(wayland.platformList, std::string("wayland;xcb;offscreen"));
        PlatformChoice asked = choosePlatform("offscreen", nullptr, nullptr);
        QVERIFY(asked.displayAvailable);
        QVERIFY(!fellBackToOffscreen(asked, "offscreen"));
        QCOMPARE(choosePlatform("vnc", nullptr, nullptr).platformList,
                 std::string("vnc;offscreen"));
    }
};

QTEST_MAIN(UnattendedTest)
#include "tst_unattended.moc"
