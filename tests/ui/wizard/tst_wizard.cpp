// The wizard: page checks, steps, the execute step, the file fields.
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "app/app_state.h"
#include "app/job_registry.h"
#include "app/settings.h"
#include "app/window_layout.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/message_box.h"
#include "ui/program/help.h"
#include "ui/wizard/frm_wizard.h"
#include "ui/wizard/record_def_page.h"
#include "ui_test_support.h"

using namespace sorvek;
using namespace sorvek::testing;

// Receives the addresses the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class WizardTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    AppState state_;
    std::unique_ptr<frmWizard> wizard_;

    QString file(const QString& name) const { return dir_.filePath(name); }
    // An input that exists, and an output in a folder that exists.
    QString in() const { return file(QStringLiteral("in")); }
    QString out() const { return file(QStringLiteral("out")); }

    // A wizard of job button `index` on its first page.
    frmWizard* open(int index) {
        state_ = AppState{};
        state_.IniFilePath = file(QStringLiteral("sorvek.ini")).toStdString();
        startJob(index, state_.job);
        wizard_ = std::make_unique<frmWizard>(state_);
        wizard_->show();
        if (!QTest::qWaitForWindowExposed(wizard_.get())) qWarning("wizard not exposed");
        return wizard_.get();
    }

    // Fills page 0 and goes to the job's page.
    void toJobPage(frmWizard* w, const QString& input, const QString& output) {
        w->cmbFileName0->setEditText(input);
        w->cmbFileName5->setEditText(output);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
    }

    // Types ASCII text key by key; other text (which Qt Test cannot type) is set as a whole.
    static void typeInto(QComboBox* box, const QString& text) {
        box->lineEdit()->clear();
        bool ascii = true;
        for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            QTest::keyClicks(box->lineEdit(), text);
        } else {
            box->setEditText(text);
        }
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        answerDialogsInTests();
        writeBytes(in(), "data\n");
        writeBytes(file(QStringLiteral("in.dat")), "data\n");
        writeBytes(file(QStringLiteral("IN.DAT")), "DATA\n");
    }
    void init() { MessageBox::clearShown(), cDialog::clearCalls(); }
    void cleanup() {
        wizard_.reset();
        QCOMPARE(takeLeakedWindows(), QStringList());
    }

    void firstPageCaptionAndButtons() {
        frmWizard* w = open(0);
        QCOMPARE(w->windowTitle(), QStringLiteral("Sorvek - レコード長変換 (1/3)"));
        QCOMPARE(w->lblComment->text(),
                 QStringLiteral("入力ファイル、出力ファイルをフルパスで指定してください。"));
        QVERIFY(!w->cmdNext->isEnabled());
        QVERIFY(!w->cmdBack->isEnabled());
        QVERIFY(w->findChild<QWidget*>(QStringLiteral("pnlWiz_0"))->isVisible());
        QVERIFY(!w->findChild<QWidget*>(QStringLiteral("pnlWiz_10"))->isVisible());
        QVERIFY(!w->recordDefPage->cmdDefFileSave->isEnabled());
        QVERIFY(w->findChild<QComboBox*>(QStringLiteral("cmbFileName_5")) == w->cmbFileName5);
    }

    void filesPage_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");  // "" when Next is enabled
        const QString inDat = file(QStringLiteral("in.dat"));
        const QString outDat = file(QStringLiteral("out.dat"));
        QTest::newRow("both given") << inDat << outDat << "";
        QTest::newRow("no input") << "" << outDat << "入力ファイルを指定してください。";
        QTest::newRow("no output") << inDat << ""
                                   << "出力ファイルを指定してください。";
        QTest::newRow("equal") << inDat << inDat
                               << "入力ファイルと出力ファイルに同じパスが指定されています。";
        QTest::newRow("letter case differs") << file(QStringLiteral("IN.DAT")) << inDat << "";
        QTest::newRow("same file spelt twice")
            << QDir::current().relativeFilePath(inDat) << inDat << "";
        QTest::newRow("missing input")
            << file(QStringLiteral("none.dat")) << outDat << "入力ファイルが存在しません。";
        QTest::newRow("missing output folder") << inDat << file(QStringLiteral("none/out.dat"))
                                               << "出力ファイルのフォルダが存在しません。";
    }
    void filesPage() {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QString, reason);
        const bool passes = reason.isEmpty();
        frmWizard* w = open(3);
        typeInto(w->cmbFileName0, input);
        typeInto(w->cmbFileName5, output);
        QCOMPARE(w->cmdNext->isEnabled(), passes);
        // A greyed Next says why on the page.
        QCOMPARE(w->lblReason->isVisible(), !passes);
        if (!passes) QCOMPARE(w->lblReason->text(), reason);
        if (passes) {
            QCOMPARE(QString::fromStdString(state_.job.JobParams[0]), input);
            QCOMPARE(QString::fromStdString(state_.job.JobParams[1]), output);
        }
    }

    void recordLengthPage_data() {
        QTest::addColumn<QString>("length");
        QTest::addColumn<bool>("passes");
        QTest::newRow("zero") << "0" << true;
        QTest::newRow("from the list") << "128" << true;
        QTest::newRow("largest") << "2147483647" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("minus") << "-1" << false;
        QTest::newRow("decimal point") << "1.5" << false;
        QTest::newRow("full-width digits") << "１２" << false;
        QTest::newRow("trailing blank") << "12 " << false;
        QTest::newRow("beyond the range") << "2147483648" << false;
        QTest::newRow("far beyond") << "99999999999999999999" << false;
    }
    void recordLengthPage() {
        QFETCH(QString, length);
        QFETCH(bool, passes);
        frmWizard* w = open(0);
        toJobPage(w, in(), out());
        QCOMPARE(w->currentPage(), 10);
        QVERIFY(!w->cmdNext->isEnabled());
        QVERIFY(w->cmdBack->isEnabled());
        typeInto(w->cmbRecLen, length);
        QCOMPARE(w->cmdNext->isEnabled(), passes);
        if (passes) QCOMPARE(QString::fromStdString(state_.job.JobParams[2]), length);
    }

    void lineEndingPage_data() {
        QTest::addColumn<QByteArray>("content");  // "-" for no file
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("passes");
        const QByteArray crlf("a\r\nb\r\n");
        QTest::newRow("CRLF to CR+LF") << crlf << "CR+LF"
                                       << "CR+LF" << false;
        QTest::newRow("CRLF to LF") << crlf << "CR+LF"
                                    << "LF" << true;
        QTest::newRow("CRLF to CR") << crlf << "CR+LF"
                                    << "CR" << true;
        QTest::newRow("LF to LF") << QByteArray("a\nb\n") << "LF"
                                  << "LF" << false;
        QTest::newRow("CR to CR") << QByteArray("a\rb\r") << "CR"
                                  << "CR" << false;
        QTest::newRow("typed crlf") << crlf << "CR+LF"
                                    << "crlf" << false;
        QTest::newRow("typed CRLF") << crlf << "CR+LF"
                                    << "CRLF" << false;
        QTest::newRow("empty target") << crlf << "CR+LF"
                                      << "" << false;
        for (const char* target : {"CR+LF", "CR", "LF"}) {
            QTest::addRow("no line break to %s", target)
                << QByteArray("abc") << "改行無し" << target << true;
            QTest::addRow("no file to %s", target)
                << QByteArray("-") << "ファイル無し" << target << true;
            QTest::addRow("undetermined to %s", target)
                << QByteArray(20480, 'x') << "不明" << target << true;
        }
    }
    void lineEndingPage() {
        QFETCH(QByteArray, content);
        QFETCH(QString, present);
        QFETCH(QString, target);
        QFETCH(bool, passes);
        const QString input = file(QStringLiteral("endings.txt"));
        writeBytes(input, content == "-" ? QByteArray("x") : content);
        frmWizard* w = open(3);
        w->cmbFileName0->setEditText(input);
        w->cmbFileName5->setEditText(file(QStringLiteral("out.txt")));
        if (content == "-") QFile::remove(input);  // gone after the files page was checked
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 13);
        QCOMPARE(w->lblCrlfFrom->text(), present);
        if (target == "CR" || target == "LF" || target == "CR+LF") {
            w->cmbCrlfTo->setCurrentText(target);  // chosen from the list
            w->cmbCrlfTo->activated(w->cmbCrlfTo->currentIndex());
        } else {
            typeInto(w->cmbCrlfTo, target);
        }
        QCOMPARE(w->cmdNext->isEnabled(), passes);
        if (passes) QCOMPARE(QString::fromStdString(state_.job.JobParams[2]), target);
    }

    void recordDefinitionPage_data() {
        QTest::addColumn<int>("nodes");
        QTest::addColumn<bool>("fieldInRecordOne");
        QTest::addColumn<bool>("next");
        QTest::addColumn<bool>("save");
        QTest::newRow("no definition") << 0 << false << false << false;
        QTest::newRow("file definition only") << 1 << false << false << false;
        QTest::newRow("record one without fields") << 3 << false << false << true;
        QTest::newRow("record one with a field") << 3 << true << true << true;
    }
    void recordDefinitionPage() {
        QFETCH(int, nodes);
        QFETCH(bool, fieldInRecordOne);
        QFETCH(bool, next);
        QFETCH(bool, save);
        frmWizard* w = open(1);
        toJobPage(w, in(), out());
        QCOMPARE(w->currentPage(), 11);
        state_.recordDefTable.reset(3);
        state_.recordDefTable[0].Name = "受注";
        // A field the job takes: one text byte of a record of one byte.
        FieldDef field;
        field.Type = "X", field.Pos = 1, field.Size = 1, field.Check = -1;
        for (int i : {1, 2}) state_.recordDefTable[i].Size = 1;
        state_.recordDefTable[2].Fields.push_back(field);  // other records do not count
        if (fieldInRecordOne) state_.recordDefTable[1].Fields.push_back(field);
        QTreeWidget* tree = w->recordDefPage->tvwRecDef;
        for (int i = 0; i < nodes; ++i) tree->addTopLevelItem(new QTreeWidgetItem({"n"}));
        emit w->recordDefPage->pageCheckRequested();
        QCOMPARE(w->cmdNext->isEnabled(), next);
        QCOMPARE(w->recordDefPage->cmdDefFileSave->isEnabled(), save);
        if (next) QCOMPARE(state_.job.JobParams[2], std::string("受注"));
    }

    void backFromExecuteEnablesNextAndRechecks() {
        frmWizard* w = open(0);
        toJobPage(w, in(), out());
        typeInto(w->cmbRecLen, "80");
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 99);
        QCOMPARE(w->cmdNext->text(), QStringLiteral("実行(&X) >"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Sorvek - レコード長変換 (3/3)"));
        QVERIFY(w->cmdNext->isEnabled());
        QStringList lines;
        for (int i = 0; i < w->lstParam->count(); ++i) lines << w->lstParam->item(i)->text();
        QCOMPARE(lines, (QStringList{"変換の種類: レコード長変換", "入力ファイル: " + in(),
                                     "出力ファイル: " + out(), "レコード長: 80"}));

        QTest::mouseClick(w->cmdBack, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 10);
        QCOMPARE(w->cmdNext->text(), QStringLiteral("次へ(&N) >"));
        QVERIFY(w->cmdNext->isEnabled());
        typeInto(w->cmbRecLen, "x");
        QVERIFY(!w->cmdNext->isEnabled());
        QTest::mouseClick(w->cmdBack, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 0);
        QVERIFY(!w->cmdBack->isEnabled());
        QVERIFY(w->cmdNext->isEnabled());  // page 0 still passes its check
    }

    void historyFillsTheListsAndTextsStayEmpty() {
        const std::string ini = file(QStringLiteral("sorvek.ini")).toStdString();
        QFile::remove(QString::fromStdString(ini));
        QVERIFY(writeSetting(ini, kSectionHistory, "File0_0", "/a").ok());
        QVERIFY(writeSetting(ini, kSectionHistory, "File0_1", "/b").ok());
        QVERIFY(writeSetting(ini, kSectionHistory, "File0_3", "/d").ok());
        QVERIFY(writeSetting(ini, kSectionHistory, "File5_2", "/out").ok());
        frmWizard* w = open(0);
        QCOMPARE(w->cmbFileName0->count(), 3);
        QCOMPARE(w->cmbFileName0->itemText(2), QStringLiteral("/d"));
        QCOMPARE(w->cmbFileName5->count(), 1);
        QCOMPARE(w->cmbFileName0->currentText(), QString());
        QCOMPARE(w->cmbFileName5->currentText(), QString());
        QFile::remove(QString::fromStdString(ini));
    }

    void browseStartsWhereTheFieldPointsAndCancelKeepsTheText() {
        const QString existing = file(QStringLiteral("exists.dat"));
        writeBytes(existing, "x");
        frmWizard* w = open(0);
        w->cmbFileName0->setEditText(existing);
        cDialog::setNextFileName(file(QStringLiteral("chosen.dat")));
        QTest::mouseClick(w->cmdFileRef0, Qt::LeftButton);
        QCOMPARE(w->cmbFileName0->currentText(), file(QStringLiteral("chosen.dat")));
        QCOMPARE(cDialog::calls().last().startPath, existing);
        QCOMPARE(cDialog::calls().last().title, QStringLiteral("入力ファイルの指定"));
        QCOMPARE(cDialog::calls().last().flags, 0x1004);

        w->cmbFileName5->setEditText(QStringLiteral("typed"));
        QTest::mouseClick(w->cmdFileRef5, Qt::LeftButton);  // cancelled
        QCOMPARE(w->cmbFileName5->currentText(), QStringLiteral("typed"));
        QCOMPARE(cDialog::calls().last().kind, QStringLiteral("save"));
        QCOMPARE(cDialog::calls().last().startPath, QStringLiteral("/"));  // no data folder set
        // The save dialog asks before an existing file is chosen.
        QCOMPARE(cDialog::calls().last().flags, kOfnOverwritePrompt);
    }

    void droppedFilesAndOtherData() {
        frmWizard* w = open(0);
        QMimeData text;
        text.setText(QStringLiteral("plain text"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->cmbFileName5->lineEdit(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->cmbFileName5->lineEdit(), &textDrop);
        QCOMPARE(w->cmbFileName5->currentText(), QString());

        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(file("one.csv")), QUrl::fromLocalFile(file("two.csv")),
                       QUrl::fromLocalFile(file("three.csv"))});
        QDragEnterEvent fileEnter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton,
                                  Qt::NoModifier);
        QApplication::sendEvent(w->cmbFileName5->lineEdit(), &fileEnter);
        QVERIFY(fileEnter.isAccepted());
        QCOMPARE(fileEnter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->cmbFileName5->lineEdit(), &drop);
        QCOMPARE(w->cmbFileName5->currentText(), file("one.csv"));
        w->cmbFileName0->setEditText(in());
        QVERIFY(w->cmdNext->isEnabled());  // the drop ran the page check
    }

    void failedRunStaysOnTheExecutePageAndRunsAgain() {
        const QString input = file(QStringLiteral("later.txt"));
        const QString output = file(QStringLiteral("later.out"));
        writeBytes(input, "abcd\n");
        frmWizard* w = open(0);
        toJobPage(w, input, output);
        typeInto(w->cmbRecLen, "2");
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QFile::remove(input);                           // gone after the files page
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);  // Execute: the input is missing
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("入力ファイルが存在しません。\nfni = ") + input);
        QVERIFY(w->isVisible());
        QCOMPARE(w->currentPage(), 99);
        QVERIFY(w->cmdNext->isEnabled() && w->cmdBack->isEnabled() && w->cmdCancel->isEnabled());

        writeBytes(input, "abcd\n");
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QSignalSpy unloaded(w, &frmWizard::unloaded);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(readBytes(output), QByteArray("ab\r\ncd\r\n"));
        // The completion message adds the output, its size and the records written.
        QCOMPARE(withoutTimeTaken(MessageBox::shown().last().text),
                 QStringLiteral("変換が完了しました。\n\n出力ファイル: ") + output +
                     QStringLiteral("\nサイズ: 8 バイト\n書き出したレコード数: 2 件"));
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!w->isVisible());
        QVERIFY(w->lblProgressBar->isVisible() || !w->isVisible());
        QCOMPARE(w->lblProgressBar->text(), QStringLiteral("(100/100%)"));
        QCOMPARE(w->ProgressBar->value(), w->ProgressBar->maximum());
    }

    void windowStaysUsableWhileRunningAndClosingAsksFirst() {
        // Large enough that the job is still running when the window's loop first turns.
        constexpr qint64 kSize = 32 * 1024 * 1024;
        const QString input = file(QStringLiteral("big.txt"));
        writeBytes(input, QByteArray(kSize, 'x'));
        frmWizard* w = open(0);
        toJobPage(w, input, file(QStringLiteral("big.out")));
        typeInto(w->cmbRecLen, "100");
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        // The question opens before the job ends, however fast the machine (or slow the
        // sanitizers) make it.
        w->holdNextRun();
        bool sawRun = false, buttonsAsWanted = false, closeRefused = false;
        // Runs from the window's event loop while the job runs on its own thread.
        QTimer::singleShot(0, this, [&] {
            sawRun = w->isRunning();
            buttonsAsWanted =
                !w->cmdNext->isEnabled() && !w->cmdBack->isEnabled() && w->cmdCancel->isEnabled();
            closeRefused = !w->close();  // asks; the test's answer is No
        });
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QVERIFY(sawRun);
        QVERIFY(buttonsAsWanted);
        QVERIFY(closeRefused);
        QCOMPARE(MessageBox::shown().first().text, QString::fromUtf8(kCancelRunQuestion));
        QCOMPARE(QFileInfo(file(QStringLiteral("big.out"))).size(),
                 kSize / 100 * 102 + kSize % 100);
        QVERIFY(!w->isVisible());  // completed and closed afterwards
        QFile::remove(input);
        QFile::remove(file(QStringLiteral("big.out")));
    }

    void cancelOfARunningJobAsksThenStopsAndKeepsTheOldOutput() {
        // An input large enough that the job is still reading when the answer comes.
        const QString input = file(QStringLiteral("huge.dat"));
        {
            QFile huge(input);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(512) << 20));
        }
        const QString output = file(QStringLiteral("kept.out"));
        writeBytes(output, "the old output");
        frmWizard* w = open(0);
        w->cmbFileName0->setEditText(input);
        w->cmbFileName5->setEditText(output);
        MessageBox::setNextAnswer(QMessageBox::Yes);  // replace it
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 10);
        typeInto(w->cmbRecLen, "100");
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QTimer::singleShot(0, this, [&] {
            MessageBox::clearShown();
            MessageBox::setNextAnswer(QMessageBox::Yes);
            QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
        });
        // Zero bytes are record data: the job is run all the same.
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QVERIFY(!w->isRunning());
        QVERIFY(!w->lastRunSucceeded());
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown()[0].text, QString::fromUtf8(kCancelRunQuestion));
        QVERIFY2(MessageBox::shown()[1].text.startsWith(QStringLiteral("変換を中止しました。")),
                 qPrintable(MessageBox::shown()[1].text));
        // The old output is as it was, and no temporary file is left beside it.
        QCOMPARE(readBytes(output), QByteArray("the old output"));
        QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("*kept*")}, QDir::Files),
                 QStringList{QStringLiteral("kept.out")});
        // The wizard stays on the execute page, ready to run again or go back.
        QVERIFY(w->isVisible());
        QCOMPARE(w->currentPage(), 99);
        QVERIFY(w->cmdNext->isEnabled() && w->cmdBack->isEnabled() && w->cmdCancel->isEnabled());
        QFile::remove(input);
    }

    void questionsThatMayLoseDataWarnAndDefaultToNo() {
        // Record data (zero bytes) over an existing output: replacing it, then cutting records
        // into lines, are asked with a warning, and Enter (the default) answers No.
        const QString input = file(QStringLiteral("zeros.dat"));
        const QString output = file(QStringLiteral("spoiled.out"));
        writeBytes(input, QByteArray(4096, '\0'));
        writeBytes(output, "the old output");
        frmWizard* w = open(0);
        toJobPage(w, input, output);  // the test's answer is No
        QCOMPARE(w->currentPage(), 0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        typeInto(w->cmbRecLen, "100");
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);  // Execute: asked, No
        QVERIFY(!w->lastRunSucceeded());
        QCOMPARE(MessageBox::shown().size(), 3);
        QVERIFY(MessageBox::shown()[0].text.endsWith(QStringLiteral("上書きしますか？")));
        QVERIFY(MessageBox::shown()[2].text.endsWith(QStringLiteral("このまま実行しますか？")));
        for (int i : {0, 1, 2}) {
            QCOMPARE(MessageBox::shown()[i].icon, MessageIcon::Exclamation);
            QCOMPARE(MessageBox::shown()[i].defaultButton, QMessageBox::No);
        }
        QCOMPARE(readBytes(output), QByteArray("the old output"));
        QFile::remove(input);
        QFile::remove(output);
    }

    void cancelQuestionHoldsAJobThatFinishesMeanwhile() {
        // One block of input: converted long before the answer comes, the job then waits to
        // replace the old output. はい keeps the old output; いいえ lets the job complete.
        QByteArray lines;
        for (int i = 0; i < 2000; ++i) lines += "line " + QByteArray::number(i) + "\n";
        const QString input = file(QStringLiteral("held.txt"));
        const QString output = file(QStringLiteral("held.out"));
        writeBytes(input, lines);
        for (const bool yes : {true, false}) {
            writeBytes(output, "the old output");
            frmWizard* w = open(0);
            MessageBox::setNextAnswer(QMessageBox::Yes);  // replace it
            toJobPage(w, input, output);
            typeInto(w->cmbRecLen, "10");
            QTest::mouseClick(w->cmdNext, Qt::LeftButton);
            // The question opens before the job ends, however fast it is.
            w->holdNextRun();
            bool waited = false, oldKeptMeanwhile = false;
            QString pausedComment;
            QTimer::singleShot(0, this, [&] {
                MessageBox::clearShown();
                MessageBox::setWhileOpen([&] {
                    waited = QTest::qWaitFor([&] { return w->jobWaitingToReplace(); }, 10000);
                    oldKeptMeanwhile = readBytes(output) == "the old output";
                    pausedComment = w->lblComment->text();
                });
                MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
                QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
            });
            MessageBox::setNextAnswer(QMessageBox::Ok);  // the completion message
            QTest::mouseClick(w->cmdNext, Qt::LeftButton);
            QVERIFY(waited);
            QVERIFY(oldKeptMeanwhile);
            QCOMPARE(pausedComment, QString::fromUtf8(kPausedComment));
            QCOMPARE(MessageBox::shown()[0].text, QString::fromUtf8(kCancelRunQuestion));
            QCOMPARE(MessageBox::shown().size(), 2);
            if (yes) {
                QCOMPARE(readBytes(output), QByteArray("the old output"));
                QCOMPARE(MessageBox::shown()[1].text, QStringLiteral("変換を中止しました。"));
                QCOMPARE(MessageBox::shown()[1].title, QStringLiteral("Sorvek"));
                QVERIFY(!w->lastRunSucceeded());
                QCOMPARE(w->lblComment->text(), QString::fromUtf8(kCancelledComment));
                QCOMPARE(w->ProgressBar->value(), w->ProgressBar->minimum());
                QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("*held.out*")}, QDir::Files),
                         QStringList{QStringLiteral("held.out")});
            } else {
                QVERIFY(w->lastRunSucceeded());
                QVERIFY(
                    MessageBox::shown()[1].text.startsWith(QString::fromUtf8(kCompletionMessage)));
                // The line breaks go; every whole record of 10 bytes gets CR LF.
                const qint64 data = lines.size() - 2000;
                QCOMPARE(QFileInfo(output).size(), data + data / 10 * 2);
            }
            wizard_.reset();
            MessageBox::clearShown();
        }
        QFile::remove(input);
        QFile::remove(output);
    }

    void recordLengthPageSuggestsLengthsOfTheInput() {
        // 64-byte records: a class code, a number, blanks.
        QByteArray records;
        for (int i = 0; i < 200; ++i) {
            QByteArray r(64, ' ');
            r[0] = i % 3 == 0 ? 'H' : 'D';
            r.replace(1, 6, QByteArray::number(100000 + i * 7));
            r[63] = '\x0C';
            records += r;
        }
        const QString input = file(QStringLiteral("records64.dat"));
        writeBytes(input, records);
        frmWizard* w = open(0);
        toJobPage(w, input, file(QStringLiteral("out.dat")));
        QCOMPARE(w->currentPage(), 10);
        QTRY_VERIFY(w->lstRecLenHint->count() > 0 &&
                    w->lstRecLenHint->item(0)->data(Qt::UserRole).isValid());
        QListWidgetItem* first = w->lstRecLenHint->item(0);
        QVERIFY2(first->text().startsWith(QStringLiteral("64 バイト — ")),
                 qPrintable(first->text()));
        QVERIFY(first->text().contains(QStringLiteral("1 バイト目に識別区分らしい値 (D, H)")));
        QVERIFY(!w->cmdNext->isEnabled());
        QTest::mouseClick(w->lstRecLenHint->viewport(), Qt::LeftButton, {},
                          w->lstRecLenHint->visualItemRect(first).center());
        QCOMPARE(w->cmbRecLen->currentText(), QStringLiteral("64"));
        QVERIFY(w->cmdNext->isEnabled());

        // An input gone after the files page says so instead.
        const QString gone = file(QStringLiteral("missing.dat"));
        writeBytes(gone, "x");
        w = open(0);
        w->cmbFileName0->setEditText(gone);
        w->cmbFileName5->setEditText(file(QStringLiteral("out.dat")));
        QFile::remove(gone);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QTRY_COMPARE(w->lstRecLenHint->item(0)->text(),
                     QStringLiteral("入力ファイルが存在しません。"));
    }

    void lineBreakJobOnRecordDataAsksFirst() {
        // Records whose packed amount holds the byte 0D.
        QByteArray records;
        for (int i = 0; i < 20; ++i) records += QByteArray("D001\x00\x0D\x3C\r\n", 9);
        const QString input = file(QStringLiteral("records.dat"));
        const QString output = file(QStringLiteral("records.out"));
        QFile::remove(output);
        writeBytes(input, records);
        frmWizard* w = open(3);
        toJobPage(w, input, output);
        w->cmbCrlfTo->setCurrentText(QStringLiteral("LF"));
        w->cmbCrlfTo->activated(w->cmbCrlfTo->currentIndex());
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 99);

        // No: nothing runs, the wizard stays.
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown question = MessageBox::shown()[0];
        QCOMPARE(question.title, QStringLiteral("改行コード変換"));
        QCOMPARE(question.icon, MessageIcon::Exclamation);
        QCOMPARE(question.defaultButton, QMessageBox::No);
        QVERIFY(question.text.startsWith(
            QStringLiteral("入力ファイルは固定長のレコードデータのようです。\n")));
        QVERIFY(question.text.contains(QStringLiteral("\n・テキストに現れない制御コードが ")));
        QVERIFY(question.text.endsWith(QStringLiteral("このまま実行しますか？")));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(w->currentPage(), 99);
        QVERIFY(w->cmdNext->isEnabled());

        // Yes: the job runs as asked.
        MessageBox::setNextAnswer(QMessageBox::Yes);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QVERIFY(QFile::exists(output));
        QVERIFY(MessageBox::shown().last().text.startsWith(QStringLiteral("変換が完了しました。")));

        // Text is not asked about.
        MessageBox::clearShown();
        QFile::remove(output);
        writeBytes(input, "one\r\ntwo\r\n");
        w = open(3);
        toJobPage(w, input, output);
        w->cmbCrlfTo->setCurrentText(QStringLiteral("LF"));
        w->cmbCrlfTo->activated(w->cmbCrlfTo->currentIndex());
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(readBytes(output), QByteArray("one\ntwo\n"));
    }

    void existingOutputIsAskedAboutOnceWhenLeavingTheFilesPage() {
        const QString output = file(QStringLiteral("exists.out"));
        writeBytes(output, "keep me");
        frmWizard* w = open(0);
        w->cmbFileName0->setEditText(in());
        w->cmbFileName5->setEditText(output);
        QVERIFY(w->cmdNext->isEnabled());
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);  // No
        QCOMPARE(w->currentPage(), 0);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(
            MessageBox::shown()[0].text,
            QStringLiteral("出力ファイル「%1」は既に存在します。\n上書きしますか？").arg(output));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 10);
        // Back and on again: the answer stands for that path.
        QTest::mouseClick(w->cmdBack, Qt::LeftButton);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 10);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(readBytes(output), QByteArray("keep me"));

        // Chosen in the save dialog, which asks itself: no second question.
        MessageBox::clearShown();
        w = open(0);
        w->cmbFileName0->setEditText(in());
        cDialog::setNextFileName(output);
        QTest::mouseClick(w->cmdFileRef5, Qt::LeftButton);
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QCOMPARE(w->currentPage(), 10);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void enterPressesNextEscCancelsF1OpensTheManual() {
        frmWizard* w = open(0);
        w->activateWindow();
        w->cmbFileName0->setEditText(in());
        w->cmbFileName5->setEditText(out());
        QFile::remove(out());
        // Keys go where the focus is, as a user's do.
        auto press = [](QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            target->setFocus();
            QTest::keyClick(target, key, modifiers);
        };
        press(w->cmbFileName5->lineEdit(), Qt::Key_Return);
        QCOMPARE(w->currentPage(), 10);
        // A button with the focus is the one Enter presses.
        press(w->cmdBack, Qt::Key_Return);
        QCOMPARE(w->currentPage(), 0);
        press(w->cmbFileName5->lineEdit(), Qt::Key_Return);
        QCOMPARE(w->currentPage(), 10);
        // A greyed Next: Enter does nothing.
        press(w->cmbRecLen->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w->currentPage(), 10);
        QTest::keyClicks(w->cmbRecLen->lineEdit(), "4");
        press(w->cmbRecLen->lineEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(w->currentPage(), 99);
        w->lstParam->setFocus();

        // F1: the manual (missing beside the test program, which says so).
        QTest::keyClick(w->lstParam, Qt::Key_F1);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.startsWith(
            QStringLiteral("ヘルプファイルが見つかりません。")));
        QCOMPARE(manualUrl(QStringLiteral("/m/index.html"),
                           QString::fromStdString(manualTopic(99, state_.job.JobKind)))
                     .toString(),
                 QStringLiteral("file:///m/index.html#reclen"));

        QSignalSpy unloaded(w, &frmWizard::unloaded);
        QTest::keyClick(w->lstParam, Qt::Key_Escape);
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!w->isVisible());
    }

    void lineEndingPageCountsTheEndingsAndAllowsTheSameOneForAMixedFile() {
        const QString input = file(QStringLiteral("mixed.txt"));
        writeBytes(input, "a\r\nb\r\nc\r\nd\ne\r");
        frmWizard* w = open(3);
        toJobPage(w, input, file(QStringLiteral("mixed.out")));
        QCOMPARE(w->currentPage(), 13);
        QTRY_COMPARE(
            w->lblCrlfCounts->text(),
            QStringLiteral("見つかった改行: CR+LF 3 行、LF 1 行、CR 1 行 (混在しています)"));
        // The first ending found is no name for a mixed file's ending.
        QCOMPARE(w->lblCrlfFrom->text(), QStringLiteral("混在"));
        w->cmbCrlfTo->setCurrentText(QStringLiteral("CR+LF"));
        w->cmbCrlfTo->activated(w->cmbCrlfTo->currentIndex());
        QVERIFY(w->cmdNext->isEnabled());
        QVERIFY(!w->lblReason->isVisible());

        // A file of one ending: choosing it says why Next stays greyed.
        writeBytes(input, "a\r\nb\r\n");
        w = open(3);
        toJobPage(w, input, file(QStringLiteral("mixed.out")));
        QTRY_COMPARE(w->lblCrlfCounts->text(), QStringLiteral("見つかった改行: CR+LF 2 行"));
        w->cmbCrlfTo->setCurrentText(QStringLiteral("CR+LF"));
        w->cmbCrlfTo->activated(w->cmbCrlfTo->currentIndex());
        QVERIFY(!w->cmdNext->isEnabled());
        QVERIFY(w->lblReason->isVisible());
        QCOMPARE(w->lblReason->text(),
                 QStringLiteral("入力ファイルの改行コードは既に CR+LF です。"));
    }

    void completionOffersToOpenTheOutputsFolder() {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        const QString output = file(QStringLiteral("sub/result.txt"));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("sub")));
        QFile::remove(output);
        frmWizard* w = open(3);
        toJobPage(w, in(), output);
        w->cmbCrlfTo->setCurrentText(QStringLiteral("CR+LF"));
        w->cmbCrlfTo->activated(w->cmbCrlfTo->currentIndex());
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        MessageBox::setNextAnswer(QMessageBox::Open);  // the "open folder" button
        QTest::mouseClick(w->cmdNext, Qt::LeftButton);
        QVERIFY(w->lastRunSucceeded());
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened[0].toLocalFile(), file(QStringLiteral("sub")));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        // The history holds absolute paths.
        QCOMPARE(readHistory(state_.IniFilePath, kHistoryOutput).front(), output.toStdString());
    }

    void sizeAndSplittersAreKeptAndTheWindowStaysOnTheScreen() {
        const std::string ini = file(QStringLiteral("sorvek.ini")).toStdString();
        frmWizard* w = open(1);
        const QRect area = w->screen()->availableGeometry();
        QVERIFY(area.contains(w->geometry()));
        w->resize(700, 560);
        w->recordDefPage->splitter->setSizes({150, 400});
        const QList<int> kept = w->recordDefPage->splitter->sizes();
        QVERIFY(w->close());
        const WizardLayout layout = readWizardLayout(ini);
        QCOMPARE(layout.width, 700);
        QCOMPARE(layout.height, 560);
        QCOMPARE(QList<int>(layout.definitionSplitter.begin(), layout.definitionSplitter.end()),
                 kept);

        w = open(1);
        QCOMPARE(w->size(), QSize(700, 560));
        QCOMPARE(w->recordDefPage->splitter->sizes(), kept);
        QVERIFY(area.contains(w->geometry()));
        // A size larger than the screen is cut to it.
        w->resize(area.width() * 3, area.height() * 3);
        QVERIFY(w->close());
        w = open(1);
        QVERIFY(w->width() <= area.width() && w->height() <= area.height());
        QVERIFY(area.contains(w->geometry()));
        QFile::remove(QString::fromStdString(ini));
    }

    void cancelUnloadsAtOnce() {
        frmWizard* w = open(3);
        QSignalSpy unloaded(w, &frmWizard::unloaded);
        QTest::mouseClick(w->cmdCancel, Qt::LeftButton);
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!w->isVisible());
        QVERIFY(MessageBox::shown().isEmpty());
    }
};

QTEST_MAIN(WizardTest)
#include "tst_wizard.moc"
