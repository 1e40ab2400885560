// The definition editor on the wizard's record-definition page: the tree, the field list, the
// edit dialog, open and save, and a definition made from nothing used for a job.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/app_state.h"
#include "app/job_registry.h"
#include "app/settings.h"
#include "formats/trd_file.h"
#include "platform/codepage.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/frm_wiz_sub.h"
#include "ui/dialogs/message_box.h"
#include "ui/wizard/frm_wizard.h"
#include "ui/wizard/record_def_page.h"
#include "ui_test_support.h"

using namespace sorvek;
using namespace sorvek::testing;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

FieldDef makeField(const std::string& name, std::int32_t pos, std::int32_t size,
                   const std::string& type = "X", std::int32_t check = -1) {
    FieldDef f;
    f.Name = name;
    f.Type = type;
    f.Pos = pos;
    f.Size = size;
    f.Check = check;
    return f;
}

RecordDef makeRecord(const std::string& name, std::int32_t size, std::int32_t parent,
                     std::int32_t child, std::vector<FieldDef> fields) {
    RecordDef r;
    r.Name = name;
    r.Size = size;
    r.Parent = parent;
    r.Child = child;
    r.Fields = std::move(fields);
    return r;
}

// 定義: A (four fields), B with child C, D; each of the last three with one field.
RecordDefTable sampleTable() {
    RecordDefTable table;
    RecordDef file;
    file.Name = "定義";
    file.Delimiter = ",";
    table.entries.push_back(file);
    table.entries.push_back(makeRecord("A", 30, 0, 0,
                                       {makeField("F1", 1, 10), makeField("F2", 11, 10),
                                        makeField("F3", 21, 5), makeField("F4", 26, 5)}));
    table.entries.push_back(makeRecord("B", 8, 0, 3, {makeField("G1", 1, 8)}));
    table.entries.push_back(makeRecord("C", 8, 2, 0, {makeField("H1", 1, 8)}));
    table.entries.push_back(makeRecord("D", 8, 0, 0, {makeField("K1", 1, 8)}));
    return table;
}

std::vector<std::string> fieldNames(const RecordDef& record) {
    std::vector<std::string> names;
    for (const FieldDef& f : record.Fields) names.push_back(f.Name);
    return names;
}

// The fields of `record` as "name@pos".
QStringList layout(const RecordDef& record) {
    QStringList out;
    for (const FieldDef& f : record.Fields) out << q(f.Name) + "@" + QString::number(f.Pos);
    return out;
}

QStringList treeTexts(const RecordDefTree* tree) {
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<RecordDefTree*>(tree)); *it; ++it) {
        QString path = (*it)->text(0);
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            path.prepend(p->text(0) + "/");
        texts << path;
    }
    return texts;
}

// Fills the field panel and presses OK.
void enterField(frmWizSub& d, const QString& name, const QString& type, const QString& size,
                const QString& dec = "0") {
    d.txtFldName->setText(name);
    d.cmbFldType->setCurrentIndex(d.cmbFldType->findData(type));
    d.txtFldSize->setText(size);
    d.txtFldDec->setText(dec);
    QTest::mouseClick(d.cmdOk, Qt::LeftButton);
}

void enterRecord(frmWizSub& d, const QString& name, const QString& length, const QString& cls) {
    d.txtRecName->setText(name);
    if (d.txtRecLen->isEnabled()) d.txtRecLen->setText(length);
    d.txtRecClass->setText(cls);
    QTest::mouseClick(d.cmdOk, Qt::LeftButton);
}

}  // namespace

class RecordDefTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    AppState state_;
    std::unique_ptr<frmWizard> wizard_;

    QString file(const QString& name) const { return dir_.filePath(name); }

    // A record-to-CSV wizard on the record-definition page. The state's table is kept, as it is
    // between two jobs of one run.
    // Without `input`, an input that exists; without `output`, one in a folder that exists.
    RecordDefPage* openPage(QString input = {}, QString output = {}) {
        if (input.isEmpty()) {
            input = file(QStringLiteral("in"));
            writeBytes(input, "data\n");
        }
        if (output.isEmpty()) output = file(QStringLiteral("out"));
        state_.IniFilePath = file(QStringLiteral("sorvek.ini")).toStdString();
        startJob(1, state_.job);
        wizard_ = std::make_unique<frmWizard>(state_);
        wizard_->show();
        if (!QTest::qWaitForWindowExposed(wizard_.get())) qWarning("wizard not exposed");
        wizard_->cmbFileName0->setEditText(input);
        wizard_->cmbFileName5->setEditText(output);
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        return wizard_->recordDefPage;
    }

    // The page with `table` opened from a definition file.
    RecordDefPage* pageWith(const RecordDefTable& table) {
        RecordDefPage* page = openPage();
        const QString path = file(QStringLiteral("given.trd"));
        if (!writeTrdFile(path.toStdString(), table)) qWarning("cannot write %s", qPrintable(path));
        cDialog::setNextFileName(path);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        return page;
    }

    static void select(RecordDefPage* page, std::int32_t tag) {
        QTreeWidgetItem* item = page->tvwRecDef->itemOfTag(tag);
        QVERIFY(item);
        QTest::mouseClick(page->tvwRecDef->viewport(), Qt::LeftButton, {},
                          page->tvwRecDef->visualItemRect(item).center());
    }

    static void rightClick(QTreeWidget* view, int row) {
        QTreeWidgetItem* item = view->topLevelItem(row);
        QPoint at = item ? view->visualItemRect(item).center() : QPoint(5, view->height() - 30);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, at);
    }

    static void rightClickNode(RecordDefTree* tree, QTreeWidgetItem* item) {
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                          tree->visualItemRect(item).center());
    }

    // A click and then a double-click on `item`, as a user's hand does it.
    static void doubleClick(QTreeWidget* view, QTreeWidgetItem* item) {
        const QPoint at = view->visualItemRect(item).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }

    static bool rowVisible(FieldDefList* list, int row) {
        // Rows are wider than the list (it scrolls sideways): only their height counts.
        const QRect rect = list->visualItemRect(list->topLevelItem(row - 1));
        return rect.top() >= 0 && rect.bottom() < list->viewport()->height();
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        answerDialogsInTests();
    }
    void init() {
        MessageBox::clearShown();
        cDialog::clearCalls();
        resetEditDialogs();
        state_ = AppState{};
    }
    void cleanup() {
        QCOMPARE(unexpectedEditDialogs(), 0);
        wizard_.reset();
        QCOMPARE(takeLeakedWindows(), QStringList());
    }

    void definitionFromNothingSavedReopenedAndUsed() {
        const QString data = file(QStringLiteral("orders.dat"));
        const QString csv = file(QStringLiteral("orders.csv"));
        writeBytes(data, "H00001\r\nD012\r\nD345\r\nH00002\r\nD678\r\n");
        RecordDefPage* page = openPage(data, csv);
        QVERIFY(!page->tvwRecDef->isEnabled());

        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("ファイル定義の新規作成"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("ファイル定義名が入力されていません。"));
            QCOMPARE(MessageBox::shown().last().icon, MessageIcon::Exclamation);
            QCOMPARE(QApplication::focusWidget(), d.txtFileDefName);
            d.txtFileDefName->setText(QStringLiteral("受注"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("レコード長には 1 以上の数値を指定してください。"));
            QCOMPARE(QApplication::focusWidget(), d.cmbRecLenAll);
            QTest::mouseClick(d.chkRecLenAll, Qt::LeftButton);  // variable length
            QVERIFY(!d.cmbRecLenAll->isEnabled());
            QTest::mouseClick(d.chkRecClass, Qt::LeftButton);
            QCOMPARE(d.txtRecClassPos->text(), QStringLiteral("1"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("レコード定義の追加"));
            QCOMPARE(d.cmbRecParent->currentText(), QStringLiteral("(無し)"));
            enterRecord(d, "H", "6", "H");
        });
        QTest::mouseClick(page->cmdNewRec, Qt::LeftButton);
        QCOMPARE(treeTexts(page->tvwRecDef), (QStringList{"受注", "H"}));
        QVERIFY(page->tvwRecDef->itemOfTag(0)->font(0).bold());
        QCOMPARE(page->lblRecLen->text(), QStringLiteral("レコード長: 6 バイト"));
        QCOMPARE(page->lblFldLenSum->text(), QString());  // no field yet
        QCOMPARE(page->lblClass->text(), QStringLiteral("識別区分: H"));
        QVERIFY(page->cmdDefFileSave->isEnabled());
        QVERIFY(!wizard_->cmdNext->isEnabled());  // record 1 has no field yet

        // Fields from the keyboard; each one goes after the selected row.
        page->lvwFldDef->setFocus();
        onNextEditDialog([](frmWizSub& d) { enterField(d, "KIND", "X", "1"); });
        QTest::keyClick(page->lvwFldDef, Qt::Key_Insert, Qt::ControlModifier);
        onNextEditDialog([](frmWizSub& d) { enterField(d, "ORDERNO", "9", "5"); });
        QTest::keyClick(page->lvwFldDef, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(page->lvwFldDef->selectedRow(), 2);
        QVERIFY(wizard_->cmdNext->isEnabled());
        QCOMPARE(page->lvwFldDef->topLevelItem(1)->text(1), QStringLiteral("9(5)"));
        page->lvwFldDef->topLevelItem(0)->setCheckState(0, Qt::Unchecked);  // KIND not written
        QCOMPARE(state_.recordDefTable[1].Fields[0].Check, 0);

        // A child record through the tree's menu: the selected record is the default parent.
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.cmbRecParent->currentText(), QStringLiteral("H"));
            enterRecord(d, "H", "4", "D");  // the name is taken
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("そのレコード名は既に使用されています。"));
            enterRecord(d, "D", "4", "D");
        });
        page->mnuRecDef[0]->trigger();
        QCOMPARE(treeTexts(page->tvwRecDef), (QStringList{"受注", "H", "H/D"}));
        QCOMPARE(page->tvwRecDef->selectedTag(), 2);
        QCOMPARE(state_.recordDefTable[1].Child, 2);
        onNextEditDialog([](frmWizSub& d) { enterField(d, "KIND", "X", "1"); });
        page->mnuFldDef[0]->trigger();
        onNextEditDialog([](frmWizSub& d) { enterField(d, "QTY", "9", "3"); });
        page->mnuFldDef[0]->trigger();
        page->lvwFldDef->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(page->lblFldLenSum->text(), QStringLiteral("フィールド長の合計: 4 バイト"));

        // Save: no current file and no definition folder, so the name is proposed in the input's
        // folder (never the root).
        const QString trd = file(QStringLiteral("orders.trd"));
        cDialog::setNextFileName(trd);
        QTest::mouseClick(page->cmdDefFileSave, Qt::LeftButton);
        QCOMPARE(cDialog::calls().last().kind, QStringLiteral("save"));
        QCOMPARE(cDialog::calls().last().title, QStringLiteral("レコード定義ファイルの保存"));
        QCOMPARE(cDialog::calls().last().flags, 0x806);
        QCOMPARE(cDialog::calls().last().startPath,
                 QFileInfo(trd).absolutePath() + QStringLiteral("/受注.trd"));
        QCOMPARE(MessageBox::shown().size(), 2 + 1);  // only the dialogs' refusals so far
        const QByteArray saved = readBytes(trd);
        QVERIFY2(saved.contains("Field_1=QTY,9,2,3,0,-1,\r\n"), saved.constData());
        QVERIFY(saved.contains(QByteArray::fromStdString("Name=" + utf8ToCp932("受注") + "\r\n")));

        // Reopen: the open dialog starts at the current file; the tree comes back the same.
        const RecordDefTable before = state_.recordDefTable;
        state_.recordDefTable.clear();
        cDialog::setNextFileName(trd);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QCOMPARE(cDialog::calls().last().startPath, trd);
        QCOMPARE(cDialog::calls().last().flags, 0x1804);
        // The shipped layouts are offered among the places (from the sources, in a build tree).
        QCOMPARE(cDialog::calls().last().places,
                 QStringList{QString::fromLocal8Bit(qgetenv("SORVEK_SOURCE_DIR")) + "/layouts"});
        QCOMPARE(treeTexts(page->tvwRecDef), (QStringList{"受注", "H", "H/D"}));
        QCOMPARE(page->tvwRecDef->selectedTag(), 1);
        QCOMPARE(state_.recordDefTable.maxIndex(), 2);
        for (int i = 1; i <= 2; ++i) {
            QCOMPARE(state_.recordDefTable[i].Fields, before[i].Fields);
            QCOMPARE(state_.recordDefTable[i].Parent, before[i].Parent);
            QCOMPARE(state_.recordDefTable[i].Class, before[i].Class);
        }
        QCOMPARE(state_.recordDefTable[0].Class, std::string("1"));
        QCOMPARE(state_.recordDefTable[0].Size, 0);

        // Run the job with it.
        QVERIFY(wizard_->cmdNext->isEnabled());
        QCOMPARE(state_.job.JobParams[2], std::string("受注"));
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        QCOMPARE(wizard_->currentPage(), 99);
        // The summary names the file the definition is in, saved as it is.
        QCOMPARE(wizard_->lstParam->item(4)->text(), QStringLiteral("定義ファイル: ") + trd);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        QVERIFY(MessageBox::shown().last().text.startsWith(
            QStringLiteral("変換が完了しました。\n\n出力ファイル: ")));
        QVERIFY(withoutTimeTaken(MessageBox::shown().last().text)
                    .endsWith(QStringLiteral("\n書き出した行数: 4 行 (見出し行を含む)")));
        QCOMPARE(readBytes(csv), QByteArray("ORDERNO,QTY\r\n00001,012\r\n00001,345\r\n"
                                            "00002,678\r\n"));
        QCOMPARE(editDialogsShown(), 7);
    }

    void fieldListKeyboardCommandsAndSelection() {
        RecordDefPage* page = pageWith(sampleTable());
        FieldDefList* list = page->lvwFldDef;
        QCOMPARE(list->rowCount(), 4);
        list->setFocus();
        list->selectRow(2);

        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F2@1", "F1@11", "F3@21", "F4@26"}));
        QCOMPARE(list->selectedRow(), 1);
        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);  // already the first
        QCOMPARE(list->selectedRow(), 1);
        QCOMPARE(layout(state_.recordDefTable[1]).first(), QStringLiteral("F2@1"));
        QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "F3@21", "F4@26"}));
        QCOMPARE(list->selectedRow(), 2);

        // Ctrl with Shift or Alt is no command (the list moves its cursor as usual); Shift+Enter
        // still changes.
        QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editDialogsShown(), 0);
        QCOMPARE(MessageBox::shown().size(), 0);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "F3@21", "F4@26"}));
        list->selectRow(2);

        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("フィールド定義の追加"));
            enterField(d, "NEW", "P", "4", "2");
        });
        QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "NEW@21", "F3@25", "F4@30"}));
        QCOMPARE(list->selectedRow(), 3);
        QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("P(5)V99"));

        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("NEWを削除してもよろしいですか？"));
        QCOMPARE(MessageBox::shown().last().title, QStringLiteral("フィールド定義の削除"));
        QCOMPARE(MessageBox::shown().last().icon, MessageIcon::None);
        // Enter keeps the field: No is the default.
        QCOMPARE(MessageBox::shown().last().defaultButton, QMessageBox::No);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "F3@21", "F4@26"}));
        QCOMPARE(list->selectedRow(), 3);  // the field that took its place

        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("フィールド定義の変更"));
            QCOMPARE(d.txtFldName->text(), QStringLiteral("F3"));
            QCOMPARE(d.txtFldSize->text(), QStringLiteral("5"));
            d.txtFldSize->setText(QStringLiteral("2"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        QTest::keyClick(list, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "F3@21", "F4@23"}));
        QCOMPARE(list->selectedRow(), 3);
        QCOMPARE(page->lblFldLenSum->text(), QStringLiteral("フィールド長の合計: 27 バイト"));

        // Deleting the last row selects the new last row.
        list->selectRow(4);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(list->selectedRow(), 3);
        QCOMPARE(editDialogsShown(), 2);

        // Space ticks and unticks the selected row; the table follows at once.
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(state_.recordDefTable[1].Fields[2].Check, 0);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(state_.recordDefTable[1].Fields[2].Check, -1);
    }

    void longListKeepsTheSelectionInView() {
        RecordDefTable table = sampleTable();
        table[1].Fields.clear();
        for (int i = 0; i < 60; ++i) {
            table[1].Fields.push_back(makeField("N" + std::to_string(i), i + 1, 1));
        }
        table[1].Size = 60;
        RecordDefPage* page = pageWith(table);
        FieldDefList* list = page->lvwFldDef;
        const int perPage = list->getRowsPerPage();
        QVERIFY2(perPage < 60, "the list must scroll");
        list->setFocus();
        list->selectRow(60);
        QVERIFY(rowVisible(list, 60));
        QVERIFY(list->topRow() > 1);

        QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(list->selectedRow(), 59);
        QVERIFY(rowVisible(list, 59));
        QCOMPARE(state_.recordDefTable[1].Fields[58].Name, std::string("N59"));

        MessageBox::setNextAnswer(QMessageBox::Yes);
        list->selectRow(60);
        QTest::keyClick(list, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(list->rowCount(), 59);
        QCOMPARE(list->selectedRow(), 59);
        QVERIFY(rowVisible(list, 59));

        list->selectRow(30);
        const int top = list->topRow();
        QVERIFY(rowVisible(list, 30));
        onNextEditDialog([](frmWizSub& d) { enterField(d, "INS", "X", "1"); });
        QTest::keyClick(list, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(list->selectedRow(), 31);
        QVERIFY(rowVisible(list, 31));
        QVERIFY(qAbs(list->topRow() - top) <= 1);  // the list stays where it was
    }

    void popupMenuStates() {
        RecordDefPage* page = pageWith(sampleTable());
        RecordDefTree* tree = page->tvwRecDef;

        // The file-definition node: its own captions, nothing to copy.
        select(page, 0);
        rightClickNode(tree, tree->itemOfTag(0));
        QVERIFY(page->mnuTRecDef->isVisible());
        QCOMPARE(page->mnuRecDef[1]->text(), QStringLiteral("ファイル定義の変更(&U)"));
        QCOMPARE(page->mnuRecDef[2]->text(), QStringLiteral("ファイル定義の削除(&D)"));
        QVERIFY(page->mnuRecDef[0]->isEnabled() && page->mnuRecDef[1]->isEnabled());
        QVERIFY(!page->mnuRecDef[3]->isEnabled());
        page->mnuTRecDef->hide();

        // A record without fields (its only field deleted).
        select(page, 4);
        page->lvwFldDef->selectRow(1);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(page->lvwFldDef, Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(state_.recordDefTable[4].Fields.empty());
        QCOMPARE(page->lvwFldDef->rowCount(), 0);
        QCOMPARE(page->lblFldLenSum->text(), QString());
        rightClickNode(tree, tree->itemOfTag(4));
        QCOMPARE(page->mnuRecDef[1]->text(), QStringLiteral("レコードの変更(&U)"));
        QCOMPARE(page->mnuRecDef[2]->text(), QStringLiteral("レコードの削除(&D)"));
        QVERIFY(!page->mnuRecDef[3]->isEnabled());
        page->mnuTRecDef->hide();

        // The right click selects the node under it before the menu opens: the details, the
        // menu and its commands are those of the node clicked, not of the one selected before.
        rightClickNode(tree, tree->itemOfTag(1));
        QCOMPARE(tree->selectedTag(), 1);
        QCOMPARE(page->lvwFldDef->rowCount(), 4);
        QVERIFY(page->mnuRecDef[3]->isEnabled());
        page->mnuTRecDef->hide();
        MessageBox::setNextAnswer(QMessageBox::No);
        page->mnuRecDef[2]->trigger();
        QCOMPARE(MessageBox::shown().last().text, QStringLiteral("Aを削除してもよろしいですか？"));
        QCOMPARE(MessageBox::shown().last().icon, MessageIcon::None);
        QCOMPARE(MessageBox::shown().last().defaultButton, QMessageBox::No);

        // A record with fields can be copied.
        select(page, 1);
        rightClickNode(tree, tree->itemOfTag(1));
        QVERIFY(page->mnuRecDef[3]->isEnabled());
        page->mnuTRecDef->hide();
        page->mnuRecDef[3]->trigger();
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.startsWith("\t定義 ファイル定義\t\tRec長\t可変\r\n"), qPrintable(copied));
        QVERIFY2(copied.endsWith("4\tF4\tX(5)\t26\t5\t\r\n"), qPrintable(copied));

        // No node selected: no menu.
        tree->clearSelection();
        QCOMPARE(page->treeModel().selected, -1);
        QVERIFY(!page->lvwFldDef->isEnabled());
        rightClick(tree, 99);
        QVERIFY(!page->mnuTRecDef->isVisible());

        // The field list's menu by selected row.
        select(page, 1);
        FieldDefList* list = page->lvwFldDef;
        auto states = [page] {
            QString s;
            for (int i : {0, 1, 2, 4, 5, 7, 8}) s += page->mnuFldDef[i]->isEnabled() ? '1' : '0';
            return s;
        };
        rightClick(list, 99);  // no row selected: only add
        QVERIFY(page->mnuTFldDef->isVisible());
        QCOMPARE(states(), QStringLiteral("1000000"));
        page->mnuTFldDef->hide();
        list->selectRow(1);
        rightClick(list, 0);
        QCOMPARE(states(), QStringLiteral("1110111"));
        page->mnuTFldDef->hide();
        // A right click on the last row selects it: the menu acts on that row.
        list->selectRow(1);
        rightClick(list, 3);
        QCOMPARE(list->selectedRow(), 4);
        QCOMPARE(states(), QStringLiteral("1111011"));
        page->mnuTFldDef->hide();
        MessageBox::setNextAnswer(QMessageBox::No);
        page->mnuFldDef[2]->trigger();
        QCOMPARE(MessageBox::shown().last().text, QStringLiteral("F4を削除してもよろしいですか？"));
        // Below the rows the selection stays.
        rightClick(list, 99);
        QCOMPARE(list->selectedRow(), 4);
        page->mnuTFldDef->hide();

        // Check all and uncheck all reach the table and the boxes.
        // Left-out rows are greyed at once, except their memo.
        const QColor ticked = list->topLevelItem(2)->foreground(0).color();
        page->mnuFldDef[8]->trigger();
        for (const FieldDef& f : state_.recordDefTable[1].Fields) QCOMPARE(f.Check, 0);
        QCOMPARE(list->topLevelItem(2)->checkState(0), Qt::Unchecked);
        QVERIFY(list->topLevelItem(2)->foreground(0).color() != ticked);
        QCOMPARE(list->topLevelItem(2)->foreground(4).style(), Qt::NoBrush);
        page->mnuFldDef[7]->trigger();
        for (const FieldDef& f : state_.recordDefTable[1].Fields) QCOMPARE(f.Check, -1);
        QCOMPARE(list->topLevelItem(2)->checkState(0), Qt::Checked);
        QCOMPARE(list->topLevelItem(2)->foreground(0).color(), ticked);
    }

    void keysToolBarsAndMenusOfTheDefinitionPage() {
        RecordDefPage* page = pageWith(sampleTable());
        RecordDefTree* tree = page->tvwRecDef;
        FieldDefList* list = page->lvwFldDef;
        QVERIFY(wizard_->cmdNext->isEnabled());

        // The tree: Insert adds, Enter changes (and never presses Next), Delete asks, Ctrl+C
        // copies.
        select(page, 4);
        tree->setFocus();
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("レコード定義の追加"));
            d.cmdCancel_Click();
        });
        QTest::keyClick(tree, Qt::Key_Insert);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("レコード定義の変更"));
            d.cmdCancel_Click();
        });
        QTest::keyClick(tree, Qt::Key_Return);
        QCOMPARE(wizard_->currentPage(), 11);
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(MessageBox::shown().last().text, QStringLiteral("Dを削除してもよろしいですか？"));
        QApplication::clipboard()->clear();
        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("D レコード定義")));
        QCOMPARE(editDialogsShown(), 2);

        // The list: Insert and Delete alone, as with Ctrl.
        select(page, 1);
        list->setFocus();
        list->selectRow(2);
        onNextEditDialog([](frmWizSub& d) { enterField(d, "NEW", "X", "2"); });
        QTest::keyClick(list, Qt::Key_Insert);
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "NEW@21", "F3@23", "F4@28"}));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("NEWを削除してもよろしいですか？"));
        QCOMPARE(state_.recordDefTable[1].Fields.size(), 4u);
        list->clearSelection();
        QTest::keyClick(list, Qt::Key_Return);  // no row to change, and Next is not pressed
        QCOMPARE(wizard_->currentPage(), 11);

        // The tool bars run the same commands and offer what the menus offer.
        list->selectRow(1);
        QVERIFY(page->fieldTool[0]->isEnabled() && page->fieldTool[1]->isEnabled());
        QVERIFY(!page->fieldTool[3]->isEnabled());  // the first row cannot move up
        QVERIFY(page->fieldTool[4]->isEnabled());
        page->fieldTool[4]->trigger();
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F2@1", "F1@11", "F3@21", "F4@26"}));
        QCOMPARE(list->selectedRow(), 2);
        QVERIFY(page->fieldTool[3]->isEnabled());
        select(page, 0);  // the file definition: no field list
        QVERIFY(!page->fieldTool[0]->isEnabled());
        QVERIFY(page->recordTool[0]->isEnabled() && page->recordTool[2]->isEnabled());
        MessageBox::setNextAnswer(QMessageBox::No);
        page->recordTool[2]->trigger();
        QCOMPARE(MessageBox::shown().last().title, QStringLiteral("ファイル定義の削除"));

        // The menus show the keys, and each letter picks one item.
        QCOMPARE(page->mnuFldDef[0]->shortcut(), QKeySequence(Qt::Key_Insert));
        QCOMPARE(page->mnuFldDef[2]->shortcut(), QKeySequence(Qt::Key_Delete));
        QCOMPARE(page->mnuFldDef[4]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Up));
        QCOMPARE(page->mnuRecDef[0]->shortcut(), QKeySequence(Qt::Key_Insert));
        for (QMenu* menu : {page->mnuTRecDef, page->mnuTFldDef}) {
            QSet<QChar> letters;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator()) continue;
                const qsizetype amp = action->text().indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0, qPrintable(action->text()));
                const QChar letter = action->text().at(amp + 1).toUpper();
                QVERIFY2(!letters.contains(letter), qPrintable(action->text()));
                letters.insert(letter);
            }
        }
        QCOMPARE(editDialogsShown(), 3);
    }

    void fieldLengthSumThatMissesTheRecordLengthIsRed() {
        RecordDefTable table = sampleTable();
        table[2].Size = 6;  // B's field runs to byte 8
        RecordDefPage* page = pageWith(table);
        select(page, 1);
        QCOMPARE(page->lblFldLenSum->text(), QStringLiteral("フィールド長の合計: 30 バイト"));
        QCOMPARE(page->lblFldLenSum->toolTip(), QString());
        const QColor normal = page->lblFldLenSum->palette().color(QPalette::WindowText);
        select(page, 2);
        QCOMPARE(page->lblFldLenSum->text(), QStringLiteral("フィールド長の合計: 8 バイト"));
        QCOMPARE(page->lblFldLenSum->toolTip(),
                 QStringLiteral(
                     "フィールド長の合計 (8 バイト) がレコード長 (6 バイト) と一致しません。"));
        page->lblFldLenSum->ensurePolished();
        QCOMPARE(page->lblFldLenSum->palette().color(QPalette::WindowText), QColor(0xc0, 0, 0));
        QVERIFY(normal != QColor(0xc0, 0, 0));
        // Mended by an edit: the warning goes.
        onNextEditDialog([](frmWizSub& d) {
            d.txtFldSize->setText(QStringLiteral("6"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->lvwFldDef->selectRow(1);
        page->mnuFldDef[1]->trigger();
        QCOMPARE(page->lblFldLenSum->toolTip(), QString());
        QCOMPARE(page->lblFldLenSum->palette().color(QPalette::WindowText), normal);
    }

    void cancelledDialogsChangeNothing() {
        RecordDefPage* page = pageWith(sampleTable());
        const RecordDefTable table = state_.recordDefTable;
        const QStringList nodes = treeTexts(page->tvwRecDef);
        auto unchanged = [&] {
            QCOMPARE(state_.recordDefTable.maxIndex(), table.maxIndex());
            for (int i = 0; i <= table.maxIndex(); ++i) {
                QCOMPARE(state_.recordDefTable[i].Name, table[i].Name);
                QCOMPARE(state_.recordDefTable[i].Fields, table[i].Fields);
                QCOMPARE(state_.recordDefTable[i].Parent, table[i].Parent);
            }
            QCOMPARE(treeTexts(page->tvwRecDef), nodes);
        };

        select(page, 1);
        page->lvwFldDef->setFocus();
        page->lvwFldDef->selectRow(2);
        onNextEditDialog([](frmWizSub& d) {
            d.txtFldName->setText(QStringLiteral("X"));
            d.txtFldSize->setText(QStringLiteral("3"));
            QTest::keyClick(d.txtFldSize, Qt::Key_Escape);
            QCOMPARE(d.result(), static_cast<int>(QDialog::Rejected));
        });
        QTest::keyClick(page->lvwFldDef, Qt::Key_Insert, Qt::ControlModifier);
        unchanged();
        QCOMPARE(page->lvwFldDef->selectedRow(), 2);  // neither refilled nor reselected
        QCOMPARE(page->lvwFldDef->rowCount(), 4);

        onNextEditDialog([](frmWizSub& d) {
            d.txtFldName->setText(QStringLiteral("renamed"));
            QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        });
        doubleClick(page->lvwFldDef, page->lvwFldDef->topLevelItem(1));
        unchanged();

        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("レコード定義の変更"));
            d.txtRecName->setText(QStringLiteral("Z"));
            d.close();  // the close box
            QCOMPARE(d.result(), static_cast<int>(QDialog::Rejected));
        });
        doubleClick(page->tvwRecDef, page->tvwRecDef->itemOfTag(1));
        unchanged();

        onNextEditDialog([](frmWizSub& d) { QTest::keyClick(d.txtFileDefName, Qt::Key_Escape); });
        QTest::mouseClick(page->cmdNewRec, Qt::LeftButton);  // stops after the first dialog
        unchanged();
        QCOMPARE(editDialogsShown(), 4);
    }

    void editDialogKeysAndRules() {
        RecordDefPage* page = pageWith(sampleTable());
        select(page, 2);  // B, which has the child C
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(QApplication::focusWidget(), d.txtRecName);
            QTest::keyClick(d.txtRecName, Qt::Key_Return);
            QCOMPARE(QApplication::focusWidget(), d.txtRecLen);
            QVERIFY(!d.txtRecClass->isVisible());  // records carry no class code
            QStringList parents;
            for (int i = 0; i < d.cmbRecParent->count(); ++i)
                parents << d.cmbRecParent->itemText(i);
            QCOMPARE(parents, (QStringList{"(無し)", "A", "D"}));  // neither B nor C
            d.txtRecName->setText(QStringLiteral("B2"));
            d.cmbRecParent->setCurrentText(QStringLiteral("A"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("子レコードがあるレコードは、親レコードの変更はできません。"));
            QCOMPARE(QApplication::focusWidget(), d.cmbRecParent);
            QVERIFY(d.isVisible());
            d.cmbRecParent->setCurrentText(QStringLiteral("(無し)"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuRecDef[1]->trigger();
        QCOMPARE(treeTexts(page->tvwRecDef), (QStringList{"定義", "A", "B2", "B2/C", "D"}));

        // The file definition: delimiter and title line, Enter through the panel.
        select(page, 0);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("ファイル定義の変更"));
            QVERIFY(!d.chkRecLenAll->isChecked() && !d.cmbRecLenAll->isEnabled());
            d.cmbDelimiter->setEditText(QString());
            QVERIFY(!d.chkTitleLine->isEnabled());
            d.chkTitleLine->setChecked(true);
            d.txtFileDefName->setFocus();
            // Disabled inputs are passed over.
            // The code page and the record format come after the delimiter.
            const std::vector<QWidget*> order{d.chkRecLenAll, d.chkRecClass,     d.cmbDelimiter,
                                              d.cmbCodePage,  d.cmbRecordFormat, d.cmdOk};
            for (QWidget* next : order) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            d.txtFileDefName->setText(QStringLiteral("新しい名前"));
            QTest::keyClick(d.cmdOk, Qt::Key_Return);  // Enter on a button presses it
        });
        doubleClick(page->tvwRecDef, page->tvwRecDef->itemOfTag(0));
        QCOMPARE(state_.recordDefTable[0].Name, std::string("新しい名前"));
        QCOMPARE(state_.recordDefTable[0].Delimiter, std::string());
        QVERIFY(!state_.recordDefTable[0].TitleLine);
        QCOMPARE(page->tvwRecDef->itemOfTag(0)->text(0), QStringLiteral("新しい名前"));

        // The field panel: decimals only for 9 and P, checked in their order.
        select(page, 1);
        page->lvwFldDef->selectRow(1);
        onNextEditDialog([](frmWizSub& d) {
            QVERIFY(!d.txtFldDec->isVisible());
            d.cmbFldType->setCurrentIndex(d.cmbFldType->findData(QStringLiteral("9")));
            QVERIFY(d.txtFldDec->isVisible() && d.lblFldDec->isVisible());
            d.txtFldDec->setText(QStringLiteral("-1"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("小数点以下桁数には 0 以上の数値を指定してください。"));
            QCOMPARE(QApplication::focusWidget(), d.txtFldDec);
            d.txtFldDec->setText(QStringLiteral("2"));
            d.txtFldMemo->setPlainText(QStringLiteral("a,b"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), d.txtFldMemo);
            d.txtFldMemo->setPlainText(QStringLiteral("memo"));
            QTest::keyClick(d.txtFldMemo, Qt::Key_Return);  // no line break: moves on
            QCOMPARE(d.txtFldMemo->toPlainText(), QStringLiteral("memo"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        const FieldDef& changed = state_.recordDefTable[1].Fields[0];
        QCOMPARE(changed.Type, std::string("9"));
        QCOMPARE(changed.Dec, 2);
        QCOMPARE(changed.Memo, std::string("memo"));
        QCOMPARE(page->lvwFldDef->topLevelItem(0)->text(1), QStringLiteral("9(8)V99"));
    }

    void hostFormsOfFieldsAndTheFileOfHostData() {
        RecordDefTable table = sampleTable();
        RecordDef& a = table[1];
        a.Fields = {makeField("QTY", 1, 4, "BIN"), makeField("AMOUNT", 5, 5, "9"),
                    makeField("RATE", 10, 3, "P"), makeField("NAME", 13, 18)};
        a.Fields[0].signedBinary = true;
        a.Fields[1].sign = SignPosition::LeadingSeparate;
        a.Fields[2].scale = 3;
        RecordDefPage* page = pageWith(table);
        select(page, 1);

        // A binary field: its sign, byte order and scale apply; the declared sign does not.
        page->lvwFldDef->selectRow(1);
        onNextEditDialog([](frmWizSub& d) {
            QVERIFY(d.chkFldSigned->isEnabled() && d.chkFldSigned->isChecked());
            QVERIFY(d.cmbFldByteOrder->isEnabled() && d.txtFldScale->isEnabled());
            QCOMPARE(d.cmbFldByteOrder->currentText(),
                     QStringLiteral("ビッグエンディアン (COMP、BINARY)"));
            QVERIFY(!d.cmbFldSign->isEnabled() && !d.lblFldSign->isEnabled());
            d.cmbFldType->setCurrentIndex(d.cmbFldType->findData(QStringLiteral("X")));
            for (QWidget* w : std::initializer_list<QWidget*>{d.cmbFldSign, d.chkFldSigned,
                                                              d.cmbFldByteOrder, d.txtFldScale})
                QVERIFY(!w->isEnabled());
            d.cmbFldType->setCurrentIndex(d.cmbFldType->findData(QStringLiteral("BIN")));
            // Enter walks the enabled inputs in their order.
            d.txtFldSize->setFocus();
            // After the memo, OK: the next Enter presses it.
            const std::vector<QWidget*> order{d.txtFldDec,   d.chkFldSigned, d.cmbFldByteOrder,
                                              d.txtFldScale, d.cmbFldTotal,  d.txtFldMemo,
                                              d.cmdOk};
            for (QWidget* next : order) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QCOMPARE(QApplication::focusWidget(), next);
            }
            d.txtFldSize->setText(QStringLiteral("3"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral(
                         "バイナリのフィールド長には 2、4、8 のいずれかを指定してください。"));
            QCOMPARE(QApplication::focusWidget(), d.txtFldSize);
            d.txtFldSize->setText(QStringLiteral("4"));
            d.chkFldSigned->setFocus();
            QTest::keyClick(d.chkFldSigned, Qt::Key_Space);
            QVERIFY(!d.chkFldSigned->isChecked());
            d.cmbFldByteOrder->setFocus();
            QTest::keyClick(d.cmbFldByteOrder, Qt::Key_Down);
            d.txtFldScale->setText(QStringLiteral("x"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("位取りには -64 から 64 までの数値を指定してください。"));
            QCOMPARE(QApplication::focusWidget(), d.txtFldScale);
            d.txtFldScale->setText(QStringLiteral("-2"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        const FieldDef& qty = state_.recordDefTable[1].Fields[0];
        QVERIFY(!qty.signedBinary);
        QVERIFY(qty.byteOrder == ByteOrder::Native);
        QCOMPARE(qty.scale, -2);

        // A zoned field: the declared sign applies, the binary controls do not.
        page->lvwFldDef->selectRow(2);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.cmbFldSign->currentText(), QStringLiteral("先頭に独立 (+/-)"));
            QVERIFY(d.cmbFldSign->isEnabled() && d.txtFldScale->isEnabled());
            QVERIFY(!d.chkFldSigned->isEnabled() && !d.cmbFldByteOrder->isEnabled());
            QCOMPARE(d.txtFldScale->text(), QStringLiteral("0"));
            d.cmbFldSign->setCurrentIndex(1);
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        QVERIFY(state_.recordDefTable[1].Fields[1].sign == SignPosition::Trailing);

        // The scale of a packed field is shown as it is stored.
        page->lvwFldDef->selectRow(3);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.txtFldScale->text(), QStringLiteral("3"));
            QVERIFY(!d.cmbFldSign->isEnabled());
            d.cmdCancel->click();
        });
        page->mnuFldDef[1]->trigger();

        // The file's code page is shown and chosen in the file definition.
        select(page, 0);
        onNextEditDialog([](frmWizSub& d) {
            // Shown in words, kept as the page's name.
            QCOMPARE(d.cmbCodePage->currentText(), QStringLiteral("CP932 Shift-JIS"));
            QCOMPARE(d.cmbRecordFormat->currentText(), QStringLiteral("固定長 (fixed)"));
            d.cmbCodePage->setCurrentIndex(d.cmbCodePage->findData(QStringLiteral("IBM930")));
            d.cmbRecordFormat->setCurrentIndex(2);
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        doubleClick(page->tvwRecDef, page->tvwRecDef->itemOfTag(0));
        QVERIFY(state_.recordDefTable[0].codePage == InputCodePage::Ibm930);
        QVERIFY(state_.recordDefTable[0].recordFormat == RecordFormat::VB);
        select(page, 0);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.cmbCodePage->currentText(), QStringLiteral("IBM930 日本語EBCDIC (カナ)"));
            QCOMPARE(d.cmbRecordFormat->currentText(), QStringLiteral("VB: BDW・RDW 付き (vb)"));
            d.cmdCancel->click();
        });
        doubleClick(page->tvwRecDef, page->tvwRecDef->itemOfTag(0));
    }

    void totalsAndHalfWidthMarksOfFields() {
        RecordDefTable table = sampleTable();
        table[1].Fields[2].Type = "9";  // F3
        table[1].Fields[3].Type = "P";  // F4
        table[4].Fields = {makeField("K1", 1, 2), makeField("SUM", 3, 6, "9")};
        RecordDefPage* page = pageWith(table);

        // A sum: the record's numeric fields are offered, and follow the record chosen.
        select(page, 4);
        page->lvwFldDef->selectRow(2);
        onNextEditDialog([](frmWizSub& d) {
            QVERIFY(d.cmbFldTotal->isEnabled() && !d.cmbFldTotalRecord->isEnabled());
            QVERIFY(!d.chkFldSingle->isEnabled() && !d.chkFldUpper->isEnabled());
            d.cmbFldTotal->setCurrentIndex(2);  // 合計
            QVERIFY(d.cmbFldTotalRecord->isEnabled() && d.cmbFldTotalField->isEnabled());
            d.cmbFldTotalRecord->setCurrentIndex(1);  // B: no numeric field
            QCOMPARE(d.cmbFldTotalField->count(), 0);
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("合計するフィールドには数値のフィールド (9、P、BIN) "
                                    "を指定してください。"));
            QCOMPARE(QApplication::focusWidget(), d.cmbFldTotalField);
            d.cmbFldTotalRecord->setCurrentIndex(0);  // A
            QCOMPARE(d.cmbFldTotalField->count(), 2);
            QCOMPARE(d.cmbFldTotalField->itemText(1), QStringLiteral("F4"));
            d.cmbFldTotalField->setCurrentIndex(1);
            d.cmbFldTotalGroup->setCurrentIndex(2);  // B starts each group
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        QVERIFY(
            (state_.recordDefTable[4].Fields[1].total == ControlTotal{TotalKind::Sum, 1, 4, 2}));
        QCOMPARE(page->lvwFldDef->topLevelItem(1)->text(1),
                 QStringLiteral("9(6)、合計 (A.F4、区切り B)"));
        page->lvwFldDef->selectRow(2);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.cmbFldTotal->currentText(), QStringLiteral("合計"));
            QCOMPARE(d.cmbFldTotalField->currentText(), QStringLiteral("F4"));
            QCOMPARE(d.cmbFldTotalGroup->currentText(), QStringLiteral("B"));
            d.cmbFldTotal->setCurrentIndex(1);  // 件数
            QVERIFY(!d.cmbFldTotalField->isEnabled());
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        QVERIFY(
            (state_.recordDefTable[4].Fields[1].total == ControlTotal{TotalKind::Count, 1, 0, 2}));

        // A text field: half-width, then capitals, which only half-width enables.
        page->lvwFldDef->selectRow(1);
        onNextEditDialog([](frmWizSub& d) {
            QVERIFY(!d.cmbFldTotal->isEnabled() && !d.chkFldUpper->isEnabled());
            d.chkFldSingle->setChecked(true);
            QVERIFY(d.chkFldUpper->isEnabled());
            d.chkFldUpper->setChecked(true);
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        QVERIFY(state_.recordDefTable[4].Fields[0].width == CharacterWidth::SingleUpper);
    }

    void deletingRecordsAndTheFileDefinition() {
        RecordDefPage* page = pageWith(sampleTable());
        select(page, 2);  // B has a child
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page->mnuRecDef[2]->trigger();
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Bを削除してもよろしいですか？"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("レコード定義の削除"));
        QCOMPARE(MessageBox::shown()[0].icon, MessageIcon::None);
        QCOMPARE(MessageBox::shown()[1].text,
                 QStringLiteral("子レコードがあるレコードは削除できません。"));
        QCOMPARE(MessageBox::shown()[1].icon, MessageIcon::Information);
        QCOMPARE(state_.recordDefTable.maxIndex(), 4);

        select(page, 1);
        MessageBox::setNextAnswer(QMessageBox::No);
        page->mnuRecDef[2]->trigger();
        QCOMPARE(state_.recordDefTable.maxIndex(), 4);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page->mnuRecDef[2]->trigger();
        QCOMPARE(treeTexts(page->tvwRecDef), (QStringList{"定義", "B", "B/C", "D"}));
        QCOMPARE(state_.recordDefTable[1].Name, std::string("B"));
        QCOMPARE(state_.recordDefTable[1].Child, 2);
        QCOMPARE(state_.recordDefTable[2].Parent, 1);
        QCOMPARE(page->tvwRecDef->itemOfTag(2)->text(0), QStringLiteral("C"));
        QVERIFY(wizard_->cmdNext->isEnabled());  // the new record 1 has a field

        select(page, 0);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page->mnuRecDef[2]->trigger();
        QCOMPARE(MessageBox::shown().last().title, QStringLiteral("ファイル定義の削除"));
        QVERIFY(!state_.recordDefTable.hasDefinition());
        QCOMPARE(page->treeNodeCount(), 0);
        QVERIFY(!page->tvwRecDef->isEnabled());
        QVERIFY(!page->lvwFldDef->isEnabled());
        QCOMPARE(page->lvwFldDef->rowCount(), 0);
        QCOMPARE(page->lblRecLen->text(), QString());
        QVERIFY(!wizard_->cmdNext->isEnabled());
        QVERIFY(!page->cmdDefFileSave->isEnabled());
    }

    void addWithoutASelectedRowPutsTheFieldAfterTheLast() {
        // A definition just opened shows its fields with none selected.
        RecordDefPage* page = pageWith(sampleTable());
        select(page, 1);
        QCOMPARE(page->lvwFldDef->rowCount(), 4);
        QCOMPARE(page->lvwFldDef->selectedRow(), 0);
        onNextEditDialog([](frmWizSub& d) { enterField(d, "NEW", "X", "2"); });
        page->mnuFldDef[0]->trigger();
        QCOMPARE(layout(state_.recordDefTable[1]),
                 (QStringList{"F1@1", "F2@11", "F3@21", "F4@26", "NEW@31"}));
        QCOMPARE(page->lvwFldDef->selectedRow(), 5);
    }

    void nextIsGreyedWithTheReasonForADefinitionTheJobRefuses() {
        // 9 decimal places on a packed field of 4 bytes (7 digits), as a file may hold it.
        RecordDefTable table = sampleTable();
        FieldDef& packed = table[4].Fields[0];
        packed.Type = "P";
        packed.Size = 4;
        packed.Dec = 9;
        RecordDefPage* page = pageWith(table);
        QVERIFY(!wizard_->cmdNext->isEnabled());
        QVERIFY(wizard_->lblReason->isVisible());
        QVERIFY2(wizard_->lblReason->text().startsWith(QStringLiteral(
                     "この定義では変換できません: 小数点以下桁数に誤りがあります。")),
                 qPrintable(wizard_->lblReason->text()));
        QVERIFY(page->cmdDefFileSave->isEnabled());  // it may still be saved and mended later

        // Mended in the field dialog, which refuses the places beyond the digits first.
        select(page, 4);
        page->lvwFldDef->selectRow(1);
        onNextEditDialog([](frmWizSub& d) {
            QCOMPARE(d.txtFldDec->text(), QStringLiteral("9"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
            QCOMPARE(MessageBox::shown().last().text,
                     QStringLiteral("小数点以下桁数にはフィールドの桁数 (7) 以下の数値を指定"
                                    "してください。"));
            QCOMPARE(QApplication::focusWidget(), d.txtFldDec);
            d.txtFldDec->setText(QStringLiteral("7"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef[1]->trigger();
        QCOMPARE(state_.recordDefTable[4].Fields[0].Dec, 7);
        QVERIFY(wizard_->cmdNext->isEnabled());
        QVERIFY(!wizard_->lblReason->isVisible());
    }

    void failedOpenKeepsTheDefinitionAndItsTree() {
        RecordDefPage* page = pageWith(sampleTable());
        const QString given = file(QStringLiteral("given.trd"));
        const QStringList nodes = treeTexts(page->tvwRecDef);
        const QString notDefinition = file(QStringLiteral("def.txt"));
        writeBytes(notDefinition, "just text\r\n");
        MessageBox::clearShown();
        cDialog::setNextFileName(notDefinition);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown()[0].text,
                 notDefinition + QStringLiteral(" はレコード定義ファイルではありません。"));
        QCOMPARE(MessageBox::shown()[1].text,
                 notDefinition + QStringLiteral(" の読み込み中にエラーが発生しました。"));
        QCOMPARE(MessageBox::shown()[1].icon, MessageIcon::Exclamation);
        QCOMPARE(treeTexts(page->tvwRecDef), nodes);
        QCOMPARE(state_.recordDefTable.maxIndex(), 4);
        QCOMPARE(fieldNames(state_.recordDefTable[1]),
                 (std::vector<std::string>{"F1", "F2", "F3", "F4"}));
        QVERIFY(wizard_->cmdNext->isEnabled());

        // The current file is still the one shown: save proposes it.
        QTest::mouseClick(page->cmdDefFileSave, Qt::LeftButton);  // cancelled
        QCOMPARE(cDialog::calls().last().startPath, given);
        QCOMPARE(page->treeModel().Tag, given.toStdString());
    }

    void foldersAndNamesOfTheFileDialogs() {
        const std::string ini = file(QStringLiteral("sorvek.ini")).toStdString();
        QVERIFY(writeSetting(ini, kSectionDefault, kKeyTrdFolder, "/defs/ver1.2"));
        RecordDefPage* page = openPage();
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);  // cancelled
        QCOMPARE(cDialog::calls().last().startPath, QStringLiteral("/defs/ver1.2/"));
        QCOMPARE(cDialog::calls().last().title, QStringLiteral("レコード定義ファイルを開く"));
        QCOMPARE(page->treeNodeCount(), 0);

        // A file name without extension in a folder with a dot gets ".trd" on the name only.
        const QString dotted = file(QStringLiteral("v1.5"));
        QVERIFY(QDir().mkpath(dotted));
        const QString bare = dotted + QStringLiteral("/layout");
        QVERIFY(writeTrdFile(bare.toStdString(), sampleTable()));
        cDialog::setNextFileName(bare);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QTest::mouseClick(page->cmdDefFileSave, Qt::LeftButton);  // cancelled
        QCOMPARE(cDialog::calls().last().startPath, bare + QStringLiteral(".trd"));

        // A SEWB3 file is imported whatever the letter case of its extension, and saving never
        // offers to overwrite it.
        const QString rcdef = file(QStringLiteral("DEF.RCDEF"));
        const std::string lines =
            "HEAD=\"SEWB3\";\r\nRNUM=0001;\r\nJPNM=\"明細\";\r\nDTNM=\"LINE\";\r\n"
            "ADSZ=\"4\";\r\nJPNM=\"品番\";\r\nDTAT=\"X\";\r\nBULO=\"1\";\r\nADSZ=\"4\";\r\n"
            "ENDT\r\n";
        writeBytes(rcdef, QByteArray::fromStdString(utf8ToCp932(lines)));
        cDialog::setNextFileName(rcdef);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QCOMPARE(treeTexts(page->tvwRecDef), (QStringList{"明細", "明細"}));
        QCOMPARE(page->lvwFldDef->topLevelItem(0)->text(0), QStringLiteral("品番"));
        QTest::mouseClick(page->cmdDefFileSave, Qt::LeftButton);  // cancelled
        QCOMPARE(cDialog::calls().last().startPath, file(QStringLiteral("DEF.trd")));
        QVERIFY(QFile::remove(QString::fromStdString(ini)));
    }

    void aTickedFieldCountsAndEveryEditCanBeUndone() {
        RecordDefPage* page = pageWith(sampleTable());
        const QString title = wizard_->windowTitle();
        QVERIFY(!page->cmdUndo->isEnabled());
        select(page, 1);
        auto ticked = [page] {
            return page->lvwFldDef->topLevelItem(0)->checkState(0) == Qt::Checked;
        };
        const bool before = ticked();
        // As a click on the row's box does.
        page->lvwFldDef->topLevelItem(0)->setCheckState(0, before ? Qt::Unchecked : Qt::Checked);
        QVERIFY(page->hasUnsavedChanges());
        QCOMPARE(wizard_->windowTitle(), title + QStringLiteral(" *"));

        // Ctrl+Z puts the tick back, and with it the state of the file; Ctrl+Y does it again.
        wizard_->activateWindow();
        page->lvwFldDef->setFocus();
        QTest::keyClick(page->lvwFldDef, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ticked(), before);
        QVERIFY(!page->hasUnsavedChanges());
        QCOMPARE(wizard_->windowTitle(), title);
        QTest::keyClick(page->lvwFldDef, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(ticked(), !before);
        QCOMPARE(wizard_->windowTitle(), title + QStringLiteral(" *"));

        // A record deleted comes back, node and all, by the page's button.
        const int nodes = page->treeNodeCount();
        select(page, 4);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page->mnuRecDef[2]->trigger();
        QCOMPARE(state_.recordDefTable.maxIndex(), 3);
        QTest::mouseClick(page->cmdUndo, Qt::LeftButton);
        QCOMPARE(state_.recordDefTable.maxIndex(), 4);
        QCOMPARE(page->treeNodeCount(), nodes);
        QVERIFY(page->cmdRedo->isEnabled());
        QTest::mouseClick(page->cmdUndo, Qt::LeftButton);
        QVERIFY(!page->hasUnsavedChanges());
        QVERIFY2(!page->cmdUndo->isEnabled(), "no further back than the file opened");
    }

    void unsavedChangesAreAskedAboutBeforeTheyAreDropped() {
        RecordDefPage* page = pageWith(sampleTable());
        const QString given = file(QStringLiteral("given.trd"));
        QCOMPARE(wizard_->windowTitle(), QStringLiteral("Sorvek - REC→CSV変換 (2/3)"));
        QVERIFY(!page->hasUnsavedChanges());
        select(page, 4);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page->mnuRecDef[2]->trigger();  // D goes
        QVERIFY(page->hasUnsavedChanges());
        QCOMPARE(wizard_->windowTitle(), QStringLiteral("Sorvek - REC→CSV変換 (2/3) *"));

        // Closing, 新規作成 and 定義を開く ask first; Cancel keeps everything.
        MessageBox::clearShown();
        QTest::mouseClick(wizard_->cmdCancel, Qt::LeftButton);
        QVERIFY(wizard_->isVisible());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(
            MessageBox::shown()[0].text,
            QStringLiteral("レコード定義「定義」の変更が保存されていません。\n保存しますか？"));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("レコード定義の保存"));
        const int dialogs = editDialogsShown();
        QTest::mouseClick(page->cmdNewRec, Qt::LeftButton);
        QCOMPARE(editDialogsShown(), dialogs);
        cDialog::setNextFileName(given);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 3);
        QCOMPARE(state_.recordDefTable.maxIndex(), 3);  // still without D

        // Discard: the file's definition comes back.
        cDialog::setNextFileName(given);
        MessageBox::setNextAnswer(QMessageBox::Discard);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QCOMPARE(state_.recordDefTable.maxIndex(), 4);
        QVERIFY(!page->hasUnsavedChanges());
        QCOMPARE(wizard_->windowTitle(), QStringLiteral("Sorvek - REC→CSV変換 (2/3)"));

        // Save: the save dialog runs; once saved, the wizard closes without another word.
        select(page, 4);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        page->mnuRecDef[2]->trigger();
        const QString saved = file(QStringLiteral("saved.trd"));
        cDialog::setNextFileName(saved);
        MessageBox::setNextAnswer(QMessageBox::Save);
        QSignalSpy unloaded(wizard_.get(), &frmWizard::unloaded);
        wizard_->close();
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(QFile::exists(saved));
        // A save that is cancelled keeps the wizard open.
        RecordDefPage* again = pageWith(sampleTable());
        select(again, 4);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        again->mnuRecDef[2]->trigger();
        MessageBox::setNextAnswer(QMessageBox::Save);
        QVERIFY(!wizard_->close());  // the save dialog was cancelled
        QVERIFY(wizard_->isVisible());
    }

    void recentDefinitionsListTheLastOpenedOrSaved() {
        const std::string ini = file(QStringLiteral("sorvek.ini")).toStdString();
        QFile::remove(QString::fromStdString(ini));
        RecordDefPage* page = openPage();
        QVERIFY(!page->cmdRecentDef->isEnabled());  // nothing yet
        const QString first = file(QStringLiteral("first.trd"));
        const QString second = file(QStringLiteral("second.trd"));
        QVERIFY(writeTrdFile(first.toStdString(), sampleTable()));
        QVERIFY(writeTrdFile(second.toStdString(), sampleTable()));
        cDialog::setNextFileName(first);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        cDialog::setNextFileName(second);
        QTest::mouseClick(page->cmdDefFileSave, Qt::LeftButton);
        QVERIFY(page->cmdRecentDef->isEnabled());
        const QList<QAction*> items = page->mnuRecentDef->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral("&1 ") + second);
        QCOMPARE(items[1]->text(), QStringLiteral("&2 ") + first);
        QCOMPARE(readRecentDefinitions(ini),
                 (std::vector<std::string>{second.toStdString(), first.toStdString()}));

        // Choosing one opens it; the next wizard offers the same list.
        state_.recordDefTable = RecordDefTable{};
        page = openPage();
        QCOMPARE(page->mnuRecentDef->actions().size(), 2);
        page->mnuRecentDef->actions()[1]->trigger();
        QCOMPARE(page->treeModel().Tag, first.toStdString());
        QCOMPARE(page->treeNodeCount(), 5);
        QCOMPARE(readRecentDefinitions(ini).front(), first.toStdString());
    }

    void secondJobStartsWithAnEmptyTree() {
        state_.recordDefTable = sampleTable();  // left by an earlier job
        RecordDefPage* page = openPage();
        QCOMPARE(page->treeNodeCount(), 0);
        QVERIFY(!wizard_->cmdNext->isEnabled());
        QVERIFY(!page->cmdDefFileSave->isEnabled());
        QCOMPARE(state_.recordDefTable.maxIndex(), 4);
    }
};

QTEST_MAIN(RecordDefTest)
#include "tst_record_def.moc"
