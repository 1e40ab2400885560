// The options dialog and the file and folder dialog wrappers.
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include "app/settings.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/frm_options.h"
#include "ui/dialogs/message_box.h"
#include "ui_test_support.h"

using namespace sorvek;
using namespace sorvek::testing;

class OptionsTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString folder(const QString& name) const { return dir_.filePath(name); }
    std::string ini() const { return dir_.filePath(QStringLiteral("sorvek.ini")).toStdString(); }
    std::string setting(const char* key) const { return readSetting(ini(), kSectionDefault, key); }

    static void drop(QLineEdit* box, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QDropEvent event(QPointF(4, 4), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &event);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("srv/data")));
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("defs")));
        answerDialogsInTests();
    }
    void init() {
        MessageBox::clearShown();
        cDialog::clearCalls();
        QFile::remove(QString::fromStdString(ini()));
    }
    void cleanup() { QCOMPARE(takeLeakedWindows(), QStringList()); }

    void loadsBothFoldersAndOffersOneTab() {
        QVERIFY(writeSetting(ini(), kSectionDefault, kKeyDataFolder, "/data/").ok());
        frmOptions dialog(ini());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Sorvek オプション設定"));
        QCOMPARE(dialog.txtDataFolder->text(), QStringLiteral("/data/"));
        QCOMPARE(dialog.txtTrdFolder->text(), QString());
        QCOMPARE(dialog.tbsOptions->count(), 1);
        QCOMPARE(dialog.tbsOptions->tabText(0), QStringLiteral("フォルダ"));
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(dialog.tbsOptions->currentIndex(), 0);
    }

    void okAppendsTheSeparatorAndSaves_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("without separator") << folder("srv/data") << folder("srv/data/");
        QTest::newRow("with separator") << folder("srv/data/") << folder("srv/data/");
        QTest::newRow("empty") << ""
                               << "";
    }
    void okAppendsTheSeparatorAndSaves() {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        frmOptions dialog(ini());
        dialog.show();
        dialog.txtDataFolder->setText(typed);
        dialog.txtTrdFolder->setText(folder("defs"));
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(setting(kKeyDataFolder)), saved);
        QCOMPARE(QString::fromStdString(setting(kKeyTrdFolder)), folder("defs/"));
    }

    void folderThatDoesNotExistIsOfferedToBeCreated() {
        frmOptions dialog(ini());
        dialog.show();
        const QString missing = folder("new/place");
        dialog.txtDataFolder->setText(missing);
        // No: nothing is saved, the dialog stays with the box in focus.
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("フォルダ「%1」は存在しません。\n作成しますか？").arg(missing));
        QCOMPARE(setting(kKeyDataFolder), std::string());
        QVERIFY(!QFileInfo::exists(missing));
        // Yes: the folder is made and saved.
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QVERIFY(QFileInfo(missing).isDir());
        QCOMPARE(QString::fromStdString(setting(kKeyDataFolder)), missing + "/");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // A file is no folder: refused without a question.
        MessageBox::clearShown();
        frmOptions again(ini());
        writeBytes(folder("plain.txt"), "x");
        again.txtTrdFolder->setText(folder("plain.txt"));
        again.cmdOK_Click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("「%1」はフォルダではありません。").arg(folder("plain.txt")));
        QCOMPARE(setting(kKeyTrdFolder), std::string());
    }

    void cancelSavesNothing() {
        frmOptions dialog(ini());
        dialog.show();
        dialog.txtDataFolder->setText(QStringLiteral("/x"));
        QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(setting(kKeyDataFolder), std::string());
    }

    void failedWriteKeepsTheDialogOpen() {
        frmOptions dialog("/proc/sorvek-no-such-folder/sorvek.ini");
        dialog.show();
        dialog.txtDataFolder->setText(folder("defs"));
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.txtDataFolder->text(), folder("defs/"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("設定保存中にエラーが発生しました。\nフォルダが存在しません。"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Sorvek"));
    }

    void droppedFileBecomesTheFolderText() {
        frmOptions dialog(ini());
        drop(dialog.txtTrdFolder,
             {QUrl::fromLocalFile("/defs/a.trd"), QUrl::fromLocalFile("/defs/b.trd")});
        QCOMPARE(dialog.txtTrdFolder->text(), QStringLiteral("/defs/a.trd"));
        drop(dialog.txtTrdFolder, {QUrl(QStringLiteral("https://example.invalid/x"))});
        QCOMPARE(dialog.txtTrdFolder->text(), QStringLiteral("/defs/a.trd"));
        // No such folder, and the answer to making it is No: nothing is saved.
        dialog.cmdOK_Click();
        QCOMPARE(setting(kKeyTrdFolder), std::string());
    }

    void folderBrowserStartsAtTheBoxAndCancelKeepsIt() {
        frmOptions dialog(ini());
        dialog.txtDataFolder->setText(QStringLiteral("/start"));
        cDialog::setNextFileName(QStringLiteral("/picked"));
        QTest::mouseClick(dialog.cmdFolderRef0, Qt::LeftButton);
        QCOMPARE(dialog.txtDataFolder->text(), QStringLiteral("/picked"));
        QCOMPARE(cDialog::calls().last().kind, QStringLiteral("folder"));
        QCOMPARE(cDialog::calls().last().title,
                 QStringLiteral("データファイルの既定フォルダを指定して下さい"));
        QCOMPARE(cDialog::calls().last().startPath, QStringLiteral("/start"));

        dialog.txtTrdFolder->setText(QStringLiteral("/keep"));
        QTest::mouseClick(dialog.cmdFolderRef1, Qt::LeftButton);  // cancelled
        QCOMPARE(dialog.txtTrdFolder->text(), QStringLiteral("/keep"));
        QCOMPARE(cDialog::calls().last().title,
                 QStringLiteral("レコード定義ファイルの既定フォルダを指定して下さい"));
    }

    void filtersInQtForm() {
        // Masks shown once, with the pattern's masks, whatever brackets the description had.
        QCOMPARE(cDialog::qtFilters(QStringLiteral("全てのファイル (*)|*")),
                 QStringList{QStringLiteral("全てのファイル (*)")});
        QCOMPARE(cDialog::qtFilters(QStringLiteral("全てのファイル (*.*)| *.*")),
                 QStringList{QStringLiteral("全てのファイル (*.*)")});
        QCOMPARE(
            cDialog::qtFilters(QStringLiteral(
                "レコード定義ファイル(*.trd;*.rcdef)|*.trd;*.rcdef|SEWB3 （*.rcdef）|*.rcdef|"
                "テキスト|*.txt")),
            (QStringList{QStringLiteral("レコード定義ファイル (*.trd *.rcdef)"),
                         QStringLiteral("SEWB3 (*.rcdef)"), QStringLiteral("テキスト (*.txt)")}));
    }

    void allFilesFilterListsFilesWithoutExtension() {
        QTemporaryDir folder;
        for (const char* name : {"HOSTDATA", "in.dat", ".hidden"}) {
            writeBytes(folder.filePath(QString::fromLatin1(name)), "x");
        }
        // Qt's own file dialog, given the input and output fields' filter.
        QFileDialog dialog(nullptr, QString(), folder.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilters(cDialog::qtFilters(QString::fromUtf8(kAllFilesFilter)));
        QCOMPARE(dialog.nameFilters(), QStringList{QStringLiteral("全てのファイル (*)")});
        auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view != nullptr);
        auto listed = [view] {
            QStringList names;
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                names << view->model()->index(row, 0, view->rootIndex()).data().toString();
            }
            names.sort();
            return names;
        };
        QTRY_COMPARE(listed(), (QStringList{QStringLiteral("HOSTDATA"), QStringLiteral("in.dat")}));
    }
};

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
