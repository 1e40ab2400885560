// The main window, the way to the wizard and back, a whole job through clicks, the About box
// and the help.
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/app_state.h"
#include "app/settings.h"
#include "ui/dialogs/frm_about.h"
#include "ui/dialogs/frm_options.h"
#include "ui/dialogs/message_box.h"
#include "ui/main_window/frm_main.h"
#include "ui/program/desktop_session.h"
#include "ui/program/help.h"
#include "ui/program/translations.h"
#include "ui/wizard/frm_wizard.h"
#include "ui_test_support.h"

using namespace sorvek;
using namespace sorvek::testing;

// Receives the URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    AppState state_;
    std::unique_ptr<DesktopSession> session_;

    QString file(const QString& name) const { return dir_.filePath(name); }
    std::string ini() const { return file(QStringLiteral("sorvek.ini")).toStdString(); }

    frmMain* start() {
        state_ = AppState{};
        const std::string path = ini();
        session_ = std::make_unique<DesktopSession>(state_, [path] { return path; });
        frmMain* main = session_->showMainWindow();
        if (!QTest::qWaitForWindowExposed(main)) qWarning("main window not exposed");
        return main;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        answerDialogsInTests();
    }
    void init() { MessageBox::clearShown(); }
    void cleanup() {
        QCOMPARE(takeLeakedWindows(), QStringList());
        session_.reset();
    }

    void loadSetsTheSettingsPathAndShowsTheJobs() {
        frmMain* main = start();
        QCOMPARE(state_.IniFilePath, ini());
        QCOMPARE(main->windowTitle(), QStringLiteral("Sorvek"));
        QCOMPARE(main->cmdTrans(0)->text(), QStringLiteral("レコード長変換"));
        QCOMPARE(main->cmdTrans(1)->text(), QStringLiteral("REC→CSV変換"));
        QCOMPARE(main->cmdTrans(3)->text(), QStringLiteral("改行コード変換"));
        QCOMPARE(main->cmdTrans(2)->text(), QStringLiteral("CSV→REC変換"));
        QVERIFY(main->cmdTrans(4) == nullptr);
        QVERIFY(!main->cmdTrans(0)->icon().isNull());
        QCOMPARE(main->mnuHelp->shortcut(), QKeySequence(Qt::Key_F1));
        main->close();
    }

    void hintsFollowTheMouse() {
        frmMain* main = start();
        // Moves through the window system, as a real mouse does.
        auto moveTo = [main](QWidget* widget, QPoint pos) {
            QTest::mouseMove(main->windowHandle(), widget->mapTo(main, pos));
        };
        moveTo(main->cmdTrans(1), main->cmdTrans(1)->rect().center());
        QCOMPARE(main->staComment->currentMessage(),
                 QStringLiteral("固定長レコードをCSV形式に変換します。"));
        moveTo(main->cmdTrans(3), QPoint(3, 3));
        QCOMPARE(main->staComment->currentMessage(),
                 QStringLiteral("改行コード(LF,CR,CRLF)を変換します。"));
        // Onto the free area between the buttons.
        const QRect left = main->cmdTrans(0)->geometry();
        const QRect right = main->cmdTrans(1)->geometry();
        moveTo(main->centralWidget(), QPoint((left.right() + right.left()) / 2, left.center().y()));
        QCOMPARE(main->staComment->currentMessage(), QString());
        main->close();
    }

    void jobButtonOpensTheWizardAndHidesTheMainWindow_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("jobPage");
        QTest::newRow("0") << 0 << "RECLEN"
                           << "Sorvek - レコード長変換 (1/3)" << 10;
        QTest::newRow("1") << 1 << "REC2CSV"
                           << "Sorvek - REC→CSV変換 (1/3)" << 11;
        QTest::newRow("3") << 3 << "CRLF"
                           << "Sorvek - 改行コード変換 (1/3)" << 13;
    }
    void jobButtonOpensTheWizardAndHidesTheMainWindow() {
        QFETCH(int, index);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(int, jobPage);
        frmMain* main = start();
        state_.job.JobParams = {"left", "from", "before"};
        QPointer<frmMain> watch(main);
        QTest::mouseClick(main->cmdTrans(index), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(state_.job.JobKind), kind);
        QCOMPARE(state_.job.PageSequence, (std::vector<std::int32_t>{0, jobPage, 99}));
        QCOMPARE(state_.job.JobParams, (std::array<std::string, 3>{}));
        frmWizard* wizard = session_->wizard();
        QVERIFY(wizard != nullptr && wizard->isVisible());
        QCOMPARE(wizard->windowTitle(), caption);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // One main window for the program's life: hidden while the wizard runs.
        QVERIFY(!watch.isNull());
        QVERIFY(!main->isVisible());
        // The wizard is on the main window's screen, wholly inside its free area.
        QVERIFY(main->screen()->availableGeometry().contains(wizard->geometry()));

        // Cancel: the same main window comes back where it was.
        const QPoint where = main->pos();
        QTest::mouseClick(wizard->cmdCancel, Qt::LeftButton);
        QCOMPARE(session_->mainWindow(), main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->pos(), where);
        session_->mainWindow()->close();
    }

    void wholeRecordLengthJobThroughClicks() {
        const QString input = file(QStringLiteral("in.dat"));
        const QString output = file(QStringLiteral("out.dat"));
        writeBytes(input, "ABCD\r\nEFG\r\n");
        QFile::remove(output);
        QFile::remove(QString::fromStdString(ini()));
        // The input is already in the history, second place.
        QVERIFY(writeSetting(ini(), kSectionHistory, "File0_0", "/older").ok());
        QVERIFY(writeSetting(ini(), kSectionHistory, "File0_1", input.toStdString()).ok());
        QVERIFY(writeSetting(ini(), kSectionHistory, "File0_2", "/oldest").ok());

        frmMain* main = start();
        QTest::mouseClick(main->cmdTrans(0), Qt::LeftButton);
        frmWizard* w = session_->wizard();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->cmbFileName0->count(), 3);
        w->cmbFileName0->setCurrentIndex(1);  // picked from the list
        emit w->cmbFileName0->activated(1);
        QTest::keyClicks(w->cmbFileName5->lineEdit(), output);
        QVERIFY(w->cmdNext->isEnabled());
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QTest::keyClicks(w->cmbRecLen->lineEdit(), "3");
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->lstParam->item(1)->text(), QStringLiteral("入力ファイル: ") + input);

        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);

        QCOMPARE(readBytes(output), QByteArray("ABC\r\nDEF\r\nG"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(withoutTimeTaken(MessageBox::shown()[0].text),
                 QStringLiteral("変換が完了しました。\n\n出力ファイル: ") + output +
                     QStringLiteral("\nサイズ: 11 バイト\n書き出したレコード数: 3 件\n\n注意:\n"
                                    "・最後のレコードは 1 バイトでレコード長 (3 バイト) に満たない"
                                    "ため、改行を付けていません。"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Sorvek"));
        QCOMPARE(MessageBox::shown()[0].icon, MessageIcon::Information);
        QCOMPARE(readHistory(ini(), kHistoryInput),
                 (std::vector<std::string>{input.toStdString(), "/older", "/oldest"}));
        QCOMPARE(readHistory(ini(), kHistoryOutput),
                 (std::vector<std::string>{output.toStdString()}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(session_->wizard() == nullptr);
        frmMain* back = session_->mainWindow();
        QVERIFY(back != nullptr && back->isVisible());

        // The next job starts afresh, with the new history first.
        QTest::mouseClick(back->cmdTrans(0), Qt::LeftButton);
        QCOMPARE(session_->wizard()->cmbFileName0->itemText(0), input);
        QCOMPARE(session_->wizard()->cmbFileName0->count(), 3);
        QCOMPARE(session_->wizard()->cmbRecLen->currentText(), QString());
        session_->wizard()->close();
        session_->mainWindow()->close();
    }

    void aboutBoxShowsTheVersion() {
        QCOMPARE(frmAbout::versionText(1, 2, 3), QStringLiteral("version 1.23"));
        frmMain* main = start();
        QString title, heading, version;
        QTimer::singleShot(0, this, [&] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            if (about == nullptr) return;
            title = about->windowTitle();
            heading = about->lblTitle->text();
            version = about->lblVersion->text();
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        });
        main->mnuVersion->trigger();
        QCOMPARE(title, QStringLiteral("Sorvekのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(heading, QStringLiteral("Sorvek - Quillmarsh"));
        QVERIFY(version.startsWith(QStringLiteral("version ")));
        main->close();
    }

    void optionsOpenFromTheMenuWithTheSettings() {
        QFile::remove(QString::fromStdString(ini()));
        QVERIFY(writeSetting(ini(), kSectionDefault, kKeyDataFolder, "/data/").ok());
        frmMain* main = start();
        QString shown;
        QTimer::singleShot(0, this, [&] {
            auto* options = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (options == nullptr) return;
            shown = options->txtDataFolder->text();
            QTest::mouseClick(options->cmdCancel, Qt::LeftButton);
        });
        main->mnuOption->trigger();
        QCOMPARE(shown, QStringLiteral("/data/"));
        main->close();
    }

    void standardButtonsSpeakJapanese() {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
        QVERIFY(installQtTranslation(*qApp));
        QMessageBox translated(QMessageBox::NoIcon, QStringLiteral("t"), QStringLiteral("x"),
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
            const QString text = translated.button(button)->text();
            bool japanese = false;
            for (QChar c : text) japanese = japanese || c.unicode() >= 0x3000;
            QVERIFY2(japanese, qPrintable(text));
        }
    }

    void helpOpensTheManualOrSaysWhyNot() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        // The build folder holds the manual beside the program.
        const QString buildDir = qEnvironmentVariable("SORVEK_BUILD_DIR");
        QVERIFY(manualPathFor(buildDir).endsWith(QStringLiteral("manual/index.html")));
        QCOMPARE(manualPathFor(dir_.path()), QString());

        // The test program has no manual beside it: a message, and the program goes on.
        frmMain* main = start();
        main->mnuHelp->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.startsWith(
            QStringLiteral("ヘルプファイルが見つかりません。")));
        QVERIFY(catcher.opened.isEmpty());

        // With the manual found, the desktop is asked to open it.
        QVERIFY(openManual(main, buildDir));
        QCOMPARE(catcher.opened.size(), 1);
        QVERIFY(catcher.opened[0].isLocalFile());
        QCOMPARE(catcher.opened[0].toLocalFile(), manualPathFor(buildDir));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        main->close();
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
