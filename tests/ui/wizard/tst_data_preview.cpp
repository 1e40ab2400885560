// The preview on the record-definition page: it follows the edits of the definition, marks what
// the conversion would get wrong, lays the fields over the bytes of the selected record, leads
// from the findings of the "点検" to their records, and stays usable on a file of a gibibyte.
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

#include <sys/stat.h>

#include "app/app_state.h"
#include "app/job_registry.h"
#include "formats/trd_file.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/frm_wiz_sub.h"
#include "ui/dialogs/message_box.h"
#include "ui/wizard/byte_ruler.h"
#include "ui/wizard/data_preview_pane.h"
#include "ui/wizard/frm_wizard.h"
#include "ui/wizard/preview_table_model.h"
#include "ui/wizard/record_def_page.h"
#include "ui_test_support.h"

using namespace sorvek;
using namespace sorvek::testing;

namespace {

FieldDef field(const std::string& name, const std::string& type, int pos, int size, int dec = 0,
               int check = -1) {
    return FieldDef{name, type, pos, size, dec, check, ""};
}

// One kind of 8-byte record: a code X(2), a quantity 9(3), an amount P(2) and a filler X(1).
RecordDefTable itemTable() {
    RecordDefTable t;
    t.reset(1);
    t[0].Name = "品目";
    t[0].Size = 8;
    t[0].Delimiter = ",";
    RecordDef r;
    r.Name = "ITEM";
    r.Size = 8;
    r.Fields = {field("CODE", "X", 1, 2), field("QTY", "9", 3, 3), field("AMT", "P", 6, 2),
                field("FIL", "X", 8, 1, 0, 0)};
    t.entries.push_back(r);
    return t;
}

QString cellText(DataPreviewPane* pane, int row, int fieldIndex) {
    return pane->model()
        ->index(row, PreviewTableModel::kFirstFieldColumn + fieldIndex)
        .data(Qt::DisplayRole)
        .toString();
}

}  // namespace

class DataPreviewTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    AppState state_;
    std::unique_ptr<frmWizard> wizard_;

    QString file(const QString& name) const { return dir_.filePath(name); }

    // A gibibyte of zeros without any disk behind it, at `name`; its path.
    QString oneGibibyteFile(const QString& name) const {
        const QString path = file(name);
        QFile large(path);
        if (!large.open(QIODevice::WriteOnly) || !large.resize(qint64{1} << 30)) return {};
        return path;
    }

    // A record-to-CSV wizard (or the wizard of job button `button`) on the definition page, with
    // `input` chosen and `table` opened.
    RecordDefPage* openWith(const QString& input, const RecordDefTable& table, int button = 1) {
        state_ = AppState{};
        state_.IniFilePath = file(QStringLiteral("sorvek.ini")).toStdString();
        startJob(button, state_.job);
        wizard_ = std::make_unique<frmWizard>(state_);
        wizard_->show();
        if (!QTest::qWaitForWindowExposed(wizard_.get())) qWarning("wizard not exposed");
        wizard_->cmbFileName0->setEditText(input);
        wizard_->cmbFileName5->setEditText(file(QStringLiteral("out.csv")));
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        RecordDefPage* page = wizard_->recordDefPage;
        const QString trd = file(QStringLiteral("given.trd"));
        if (!writeTrdFile(trd.toStdString(), table)) qWarning("cannot write the definition");
        cDialog::setNextFileName(trd);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        return page;
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
    }
    void cleanup() {
        QCOMPARE(unexpectedEditDialogs(), 0);
        wizard_.reset();
        QCOMPARE(takeLeakedWindows(), QStringList());
    }

    void followsAnEditOfAFieldsPosition() {
        const QString input = file(QStringLiteral("items.dat"));
        writeBytes(input, QByteArray("AB123\x45\x6C ", 8) + QByteArray("CD789\x01\x2D ", 8));
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 2);
        QCOMPARE(cellText(pane, 0, 0), QStringLiteral("AB"));
        QCOMPARE(cellText(pane, 0, 1), QStringLiteral("123"));
        QCOMPARE(cellText(pane, 1, 2), QStringLiteral("-012"));

        // CODE becomes one byte long: QTY and AMT now start a byte earlier, as the edit dialog
        // lays the fields out, and the preview shows at once what that reads.
        QSignalSpy rebuilt(pane, &DataPreviewPane::previewRebuilt);
        page->lvwFldDef->selectRow(1);
        onNextEditDialog([](frmWizSub& d) {
            d.txtFldSize->setText(QStringLiteral("1"));
            QTest::mouseClick(d.cmdOk, Qt::LeftButton);
        });
        page->mnuFldDef_Click(1);
        QCOMPARE(state_.recordDefTable[1].Fields[1].Pos, 2);
        QTRY_VERIFY(!rebuilt.isEmpty());
        QCOMPARE(cellText(pane, 0, 0), QStringLiteral("A"));
        QCOMPARE(cellText(pane, 0, 1), QStringLiteral("B12"));
        QCOMPARE(pane->model()->preview().rows[0].cells[1].mark, CellMark::InvalidValue);
        QCOMPARE(editDialogsShown(), 1);
    }

    void marksAnInvalidPackedValue() {
        const QString input = file(QStringLiteral("bad.dat"));
        // The second amount holds the nibble A.
        writeBytes(input, QByteArray("AB123\x45\x6C ", 8) + QByteArray("CD789\x0A\x2C ", 8));
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 2);
        const QModelIndex good = pane->model()->index(0, PreviewTableModel::kFirstFieldColumn + 2);
        const QModelIndex bad = pane->model()->index(1, PreviewTableModel::kFirstFieldColumn + 2);
        QCOMPARE(bad.data(Qt::DisplayRole).toString(), QStringLiteral(" 0:2"));
        QCOMPARE(bad.data(Qt::BackgroundRole).value<QBrush>().color(),
                 PreviewTableModel::markColor(CellMark::InvalidValue));
        QVERIFY(good.data(Qt::BackgroundRole).value<QBrush>().color() !=
                PreviewTableModel::markColor(CellMark::InvalidValue));
        const QString tip = bad.data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.contains(QStringLiteral("パック10進数として正しくない値です")),
                 qPrintable(tip));
        QVERIFY2(tip.contains(QStringLiteral("バイト: 0A 2C")), qPrintable(tip));
        // The ruler of that record shows the amount in the colour of the mark.
        pane->selectRow(1);
        QCOMPARE(pane->picRuler->spans()[2].mark, CellMark::InvalidValue);
    }

    void theRulerShowsTheFieldBoundaries() {
        const QString input = file(QStringLiteral("items.dat"));
        writeBytes(input, QByteArray("AB123\x45\x6C ", 8));
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 1);
        pane->selectRow(0);
        ByteRuler* ruler = pane->picRuler;
        QCOMPARE(ruler->bytes(), QByteArray("AB123\x45\x6C ", 8));
        const std::vector<RulerSpan>& spans = ruler->spans();
        QCOMPARE(spans.size(), std::size_t{4});
        const std::size_t starts[] = {0, 2, 5, 7};
        const std::size_t ends[] = {2, 5, 7, 8};
        for (std::size_t i = 0; i < 4; ++i) {
            QCOMPARE(spans[i].begin, starts[i]);
            QCOMPARE(spans[i].end, ends[i]);
        }
        QCOMPARE(spans[1].name, std::string("QTY"));
        QVERIFY(!spans[3].written);

        // What is drawn: a boundary line at the start of every field, none inside one.
        const QImage image = ruler->grab().toImage();
        auto lineAt = [&](std::size_t byte) {
            const int x = ruler->boundaryX(byte);
            const int y = ruler->byteRect(byte).center().y();
            for (int dx : {-1, 0}) {
                if (image.pixelColor(x + dx, y) == ByteRuler::boundaryColor()) return true;
            }
            return false;
        };
        for (std::size_t start : starts)
            QVERIFY2(lineAt(start), qPrintable(QString::number(start)));
        QVERIFY(!lineAt(1));
        QVERIFY(!lineAt(3));

        // The field under the mouse on the ruler is the highlighted column of the table.
        QTest::mouseMove(ruler, ruler->byteRect(3).center());
        QTRY_COMPARE(ruler->highlightedField(), 1);
        QCOMPARE(pane->model()->highlightedField(), 1);
        QCOMPARE(pane->model()
                     ->index(0, PreviewTableModel::kFirstFieldColumn + 1)
                     .data(Qt::BackgroundRole)
                     .value<QBrush>()
                     .color(),
                 PreviewTableModel::highlightColor());
    }

    void eachValueStandsUnderItsOwnKindsFieldName() {
        // A header H (order number) with details D (item, amount), class code in column 1.
        RecordDefTable table;
        table.reset(1);
        table[0].Name = "受注";
        table[0].Class = "1";
        table[0].Delimiter = ",";
        RecordDef header;
        header.Name = "H";
        header.Size = 4;
        header.Class = "H";
        header.Child = 2;
        header.Fields = {field("K", "X", 1, 1, 0, 0), field("NO", "9", 2, 3)};
        RecordDef detail;
        detail.Name = "D";
        detail.Size = 6;
        detail.Class = "D";
        detail.Parent = 1;
        detail.Fields = {field("K", "X", 1, 1, 0, 0), field("ITEM", "X", 2, 3),
                         field("AMT", "P", 5, 2)};
        table.entries = {table[0], header, detail};
        const QString input = file(QStringLiteral("orders.dat"));
        writeBytes(input, QByteArray("H001Dpen\x12\x3C", 10));
        DataPreviewPane* pane = openWith(input, table)->preview;
        QTRY_COMPARE(pane->model()->preview().rows.size(), std::size_t{2});
        // Before each run of records of one kind, a heading row names that kind's fields: the
        // H heading, the H record, the D heading, the D record.
        PreviewTableModel* model = pane->model();
        QCOMPARE(model->rowCount(), 4);
        auto at = [model](int row, int column) {
            return model->index(row, column).data(Qt::DisplayRole).toString();
        };
        const int first = PreviewTableModel::kFirstFieldColumn;
        QCOMPARE(model->headingKind(0), 1);
        QCOMPARE(at(0, PreviewTableModel::kKindColumn), QStringLiteral("H"));
        QCOMPARE(at(0, first + 1), QStringLiteral("NO"));
        QCOMPARE(model->recordAt(1), 0);
        QCOMPARE(model->headingKind(2), 2);
        QCOMPARE(at(2, first + 1), QStringLiteral("ITEM"));
        QCOMPARE(at(2, first + 2), QStringLiteral("AMT"));
        QCOMPARE(at(3, first + 1), QStringLiteral("pen"));
        // The column heads then only number the columns, whichever record is looked at.
        auto head = [model](int field) {
            return model
                ->headerData(PreviewTableModel::kFirstFieldColumn + field, Qt::Horizontal,
                             Qt::DisplayRole)
                .toString();
        };
        for (int record : {0, 1}) {
            pane->selectRow(record);
            QCOMPARE(head(1), QStringLiteral("2"));
        }
        // A record is chosen on its own row, never on a heading.
        pane->selectRow(1, 1);
        QCOMPARE(pane->lvwPreview->currentIndex().row(), 3);
        QCOMPARE(pane->selectedRow(), 1);
        QVERIFY(!(model->flags(model->index(2, first)) & Qt::ItemIsSelectable));
        // Beside the hex of the record, what its bytes read as.
        QCOMPARE(pane->picRuler->lineTexts(), QStringList{QStringLiteral("Dpen.<")});
    }

    void aNewWizardCutsNothingBeforeADefinitionIsChosen() {
        const QString input = file(QStringLiteral("items.dat"));
        writeBytes(input, QByteArray("AB123\x45\x6C CD789\x01\x2C ", 16));
        DataPreviewPane* before = openWith(input, itemTable())->preview;
        QTRY_COMPARE(before->model()->rowCount(), 2);
        // A new wizard over the same process: the table still holds the previous definition,
        // but the page shows none, so none cuts the file.
        wizard_->close();
        wizard_ = std::make_unique<frmWizard>(state_);
        wizard_->show();
        wizard_->cmbFileName0->setEditText(input);
        wizard_->cmbFileName5->setEditText(file(QStringLiteral("out.csv")));
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        RecordDefPage* page = wizard_->recordDefPage;
        QCOMPARE(page->treeNodeCount(), 0);
        QVERIFY(state_.recordDefTable.hasDefinition());
        DataPreviewPane* pane = page->preview;
        QTRY_VERIFY(pane->model()->preview().uncut);
        QCOMPARE(pane->model()->rowCount(), 1);
        QCOMPARE(pane->model()->columnCount(), PreviewTableModel::kFirstFieldColumn + 1);
        QCOMPARE(cellText(pane, 0, 0), QStringLiteral("AB123El CD789., "));
        // Nor does the check read the file through it.
        QVERIFY(!pane->cmdCheck->isEnabled());
        pane->cmdCheck_Click();
        QVERIFY(!pane->checkRunning());
        // Once a definition is opened, it cuts the records.
        cDialog::setNextFileName(file(QStringLiteral("given.trd")));
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        QTRY_COMPARE(pane->model()->rowCount(), 2);
        QVERIFY(!pane->model()->preview().uncut);
        QCOMPARE(cellText(pane, 1, 0), QStringLiteral("CD"));
    }

    void aLongRecordShowsTheStartOfItsBytes() {
        RecordDefTable table = itemTable();
        table[0].Size = 100000;
        table[1].Size = 100000;
        const QString input = file(QStringLiteral("long.dat"));
        writeBytes(input, QByteArray(100000, 'x'));
        RecordDefPage* page = openWith(input, table);
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 1);
        pane->selectRow(0);
        QCOMPARE(pane->picRuler->bytes().size(), ByteRuler::kMostBytes);
        QVERIFY(pane->picRuler->sizeHint().height() < 16777215);
        QVERIFY(!pane->picRuler->grab().isNull());
    }

    void aFindingLeadsToItsRecord() {
        const QString input = file(QStringLiteral("many.dat"));
        // 300 records; the 250th holds an invalid amount, beyond the first 200 that are shown.
        QByteArray bytes;
        for (int i = 1; i <= 300; ++i) {
            bytes += i == 250 ? QByteArray("ZZ999\x0A\x0C ", 8) : QByteArray("AB123\x45\x6C ", 8);
        }
        writeBytes(input, bytes);
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 200);
        QSignalSpy ended(pane, &DataPreviewPane::checkEnded);
        QTest::mouseClick(pane->cmdCheck, Qt::LeftButton);
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(pane->tbsPreview->currentIndex(), 1);
        QVERIFY(pane->lastReport().has_value());
        QCOMPARE(pane->lastReport()->definition.invalidFields.size(), std::size_t{1});
        QTreeWidgetItem* group = pane->tvwFindings->topLevelItem(0);
        QVERIFY(group->text(0).contains(QStringLiteral("ITEM.AMT")));
        pane->tvwFindings->setCurrentItem(group->child(0));
        QCOMPARE(pane->tbsPreview->currentIndex(), 0);
        QTRY_COMPARE(pane->model()->preview().rows.front().number, std::int64_t{250});
        QCOMPARE(pane->selectedRow(), 0);
        QCOMPARE(pane->model()->preview().rows.front().offset, std::int64_t{249 * 8});
        QCOMPARE(pane->model()->preview().rows.front().cells[2].mark, CellMark::InvalidValue);
        QVERIFY(pane->cmdPreviewTop->isVisible());
    }

    void staysResponsiveOnAOneGibibyteFile() {
        const QString input = oneGibibyteFile(QStringLiteral("large.dat"));
        QVERIFY(!input.isEmpty());
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        // Only the start is read: the first 200 records are there while nothing else waits.
        QTRY_COMPARE(pane->model()->rowCount(), 200);
        QCOMPARE(pane->source().fileSize, qint64{1} << 30);
        QVERIFY(pane->source().bytes.size() <= kPreviewWindowBytes);

        // The whole file is checked in the background: the window goes on handling events and
        // edits rebuild the preview meanwhile; the check can be stopped.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(5);
        QSignalSpy ended(pane, &DataPreviewPane::checkEnded);
        QSignalSpy rebuilt(pane, &DataPreviewPane::previewRebuilt);
        pane->cmdCheck_Click();
        QVERIFY(pane->checkRunning());
        QVERIFY(!pane->cmdCheck->isEnabled());
        QVERIFY(pane->cmdCheckCancel->isEnabled());
        page->lvwFldDef->topLevelItem(3)->setCheckState(0, Qt::Checked);
        QTRY_VERIFY(!rebuilt.isEmpty());
        QTest::qWait(50);
        const bool stillRunning = pane->checkRunning();
        QTest::mouseClick(pane->cmdCheckCancel, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 30000);
        QVERIFY(ticks > 0);
        QVERIFY(pane->lastReport().has_value());
        if (stillRunning) {
            QVERIFY(pane->lastReport()->cancelled);
            QVERIFY(pane->lblCheckSummary->text().startsWith(QStringLiteral("中止しました。")));
        } else {
            QCOMPARE(pane->lastReport()->bytes.size, qint64{1} << 30);
        }
        QVERIFY(pane->cmdCheck->isEnabled());
        QVERIFY(!pane->cmdCheckCancel->isEnabled());
    }

    void aFindingInTheMiddleOfABlockLeadsToItsRecord() {
        // 300 records behind descriptor words, 30 to a block of 364 bytes; the 255th (the 15th
        // of the ninth block) holds an invalid amount.
        const QString input = file(QStringLiteral("blocks.dat"));
        QByteArray bytes;
        for (int b = 0; b < 10; ++b) {
            QByteArray block;
            for (int i = 1; i <= 30; ++i) {
                const QByteArray code = QByteArray::number(b * 30 + i).rightJustified(2, '0');
                block +=
                    QByteArray("\0\x0C\0\0", 4) + code.right(2) + "123" +
                    (b * 30 + i == 255 ? QByteArray("\x0A\x0C ", 3) : QByteArray("\x45\x6C ", 3));
            }
            const int length = static_cast<int>(block.size()) + 4;
            bytes += QByteArray(1, static_cast<char>(length >> 8)) +
                     QByteArray(1, static_cast<char>(length & 0xFF)) + QByteArray(2, '\0') + block;
        }
        writeBytes(input, bytes);
        RecordDefTable table = itemTable();
        table[0].Size = 0;
        table[0].recordFormat = RecordFormat::VB;
        RecordDefPage* page = openWith(input, table);
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 200);
        QSignalSpy ended(pane, &DataPreviewPane::checkEnded);
        pane->cmdCheck_Click();
        QTRY_COMPARE(ended.size(), 1);
        QTreeWidgetItem* group = pane->tvwFindings->topLevelItem(0);
        QVERIFY(group->text(0).contains(QStringLiteral("ITEM.AMT")));
        pane->tvwFindings->setCurrentItem(group->child(0));
        QTRY_COMPARE(pane->model()->preview().rows.front().number, std::int64_t{255});
        // The rest of the file as the conversion cuts it: it and the 45 records after it, over
        // the last block's descriptor word, and nothing else.
        const auto& rows = pane->model()->preview().rows;
        QCOMPARE(rows.size(), std::size_t{46});
        QCOMPARE(rows.front().offset, std::int64_t{8 * 364 + 4 + 14 * 12});
        QCOMPARE(rows.front().cells[2].mark, CellMark::InvalidValue);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].number, std::int64_t{255} + static_cast<std::int64_t>(i));
            QCOMPARE(rows[i].kind, 1);
            QCOMPARE(rows[i].mark, RowMark::None);
            QCOMPARE(cellText(pane, static_cast<int>(i), 0), QString::number(255 + i).right(2));
        }
        QCOMPARE(pane->selectedRow(), 0);
    }

    void anotherInputOrDefinitionClearsTheCheck() {
        const QString input = file(QStringLiteral("items.dat"));
        writeBytes(input, QByteArray("ZZ999\x0A\x0C ", 8) + QByteArray("AB123\x45\x6C ", 8));
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        const QString prompt = pane->lblCheckSummary->text();
        QTRY_COMPARE(pane->model()->rowCount(), 2);
        QSignalSpy ended(pane, &DataPreviewPane::checkEnded);
        auto check = [&] {
            pane->cmdCheck_Click();
            QTRY_COMPARE(ended.size(), 1);
            ended.clear();
            QVERIFY(pane->tvwFindings->topLevelItemCount() > 0);
            QVERIFY(pane->lblCheckSummary->text() != prompt);
        };
        auto cleared = [&] {
            QCOMPARE(pane->lblCheckSummary->text(), prompt);
            QCOMPARE(pane->tvwFindings->topLevelItemCount(), 0);
            QVERIFY(!pane->lastReport().has_value());
            QVERIFY(!pane->checkRunning());
            QVERIFY(pane->cmdCheck->isEnabled());
            QVERIFY(!pane->cmdCheckCancel->isEnabled());
        };

        // Another definition opened.
        check();
        RecordDefTable other = itemTable();
        other[0].Name = QStringLiteral("別").toStdString();
        const QString trd = file(QStringLiteral("other.trd"));
        QVERIFY(writeTrdFile(trd.toStdString(), other));
        cDialog::setNextFileName(trd);
        QTest::mouseClick(page->cmdDefFileOpen, Qt::LeftButton);
        cleared();

        // An edit of the definition keeps the findings.
        check();
        page->lvwFldDef->topLevelItem(3)->setCheckState(0, Qt::Checked);
        QVERIFY(pane->lblCheckSummary->text() != prompt);

        // Another input file chosen on the first page.
        const QString second = file(QStringLiteral("second.dat"));
        writeBytes(second, QByteArray("AB123\x45\x6C ", 8));
        QTest::mouseClick(wizard_->cmdBack, Qt::LeftButton);
        wizard_->cmbFileName0->setEditText(second);
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        QCOMPARE(pane->inputFile(), second);
        cleared();
        QTRY_COMPARE(pane->model()->rowCount(), 1);
    }

    void aCheckUnderWayStopsWhenTheInputChanges() {
        const QString input = oneGibibyteFile(QStringLiteral("large.dat"));
        QVERIFY(!input.isEmpty());
        RecordDefPage* page = openWith(input, itemTable());
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->model()->rowCount(), 200);
        QSignalSpy ended(pane, &DataPreviewPane::checkEnded);
        pane->cmdCheck_Click();
        QVERIFY(pane->checkRunning());
        const QString prompt =
            QStringLiteral("「点検」を押すと、ファイル全体をこの定義で読みます。");
        const QString second = file(QStringLiteral("small.dat"));
        writeBytes(second, QByteArray("ZZ999\x0A\x0C ", 8));
        QTest::mouseClick(wizard_->cmdBack, Qt::LeftButton);
        wizard_->cmbFileName0->setEditText(second);
        QTest::mouseClick(wizard_->cmdNext, Qt::LeftButton);
        QVERIFY(!pane->checkRunning());
        QCOMPARE(pane->lblCheckSummary->text(), prompt);
        // The stopped check tells nothing; a new one reads the new file.
        QTest::qWait(200);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(pane->lblCheckSummary->text(), prompt);
        pane->cmdCheck_Click();
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 30000);
        QCOMPARE(pane->lastReport()->bytes.size, qint64{8});
        QCOMPARE(pane->tvwFindings->topLevelItemCount() > 0, true);
    }

    void aTextInputShowsTheRecordsOfItsLinesAndIsCheckedAsTheJobReadsIt() {
        // 300 lines of CODE, QTY and AMT; the quantities of lines 3 and 250 are too long.
        const QString input = file(QStringLiteral("items.csv"));
        QByteArray text;
        for (int i = 1; i <= 300; ++i) {
            text += i == 3 || i == 250 ? QByteArray("CD,9999,1\r\n") : QByteArray("AB,123,45\r\n");
        }
        writeBytes(input, text);
        RecordDefPage* page = openWith(input, itemTable(), 2);
        DataPreviewPane* pane = page->preview;
        QCOMPARE(pane->input(), PreviewInput::Text);
        QTRY_COMPARE(pane->model()->rowCount(), 200);
        // Each line's record, its values and its bytes as the job makes them.
        QCOMPARE(cellText(pane, 0, 0), QStringLiteral("AB"));
        QCOMPARE(cellText(pane, 0, 2), QStringLiteral(" 045"));
        pane->selectRow(0);
        QCOMPARE(pane->picRuler->bytes(), QByteArray("AB123\x04\x5C ", 8));
        // The line that makes no record says where and why, across the field columns.
        const QString fault = QStringLiteral("列 2 (QTY): 桁数が多すぎます (3 桁まで)。値 = 9999");
        QCOMPARE(pane->model()->preview().rows[2].mark, RowMark::LineFails);
        QCOMPARE(cellText(pane, 2, 0), fault);
        QCOMPARE(pane->lvwPreview->columnSpan(2, PreviewTableModel::kFirstFieldColumn),
                 pane->model()->columnCount() - PreviewTableModel::kFirstFieldColumn);
        QCOMPARE(pane->model()->index(2, PreviewTableModel::kNumberColumn).data().toString(),
                 QStringLiteral("⚠ 3"));
        pane->selectRow(2);
        QCOMPARE(pane->picRuler->bytes(), QByteArray("CD,9999,1\r\n"));

        // The check reads the whole text as the job does and lists both lines; the second leads
        // the preview to its line, beyond the first 200.
        QSignalSpy ended(pane, &DataPreviewPane::checkEnded);
        QTest::mouseClick(pane->cmdCheck, Qt::LeftButton);
        QTRY_COMPARE(ended.size(), 1);
        QVERIFY(pane->lastCsvReport().has_value());
        QCOMPARE(pane->lastCsvReport()->faultCount, std::int64_t{2});
        QVERIFY2(pane->lblCheckSummary->text().contains(
                     QStringLiteral("作られるレコード数: ITEM 298 件")),
                 qPrintable(pane->lblCheckSummary->text()));
        QCOMPARE(pane->tvwFindings->topLevelItemCount(), 2);
        QTreeWidgetItem* second = pane->tvwFindings->topLevelItem(1);
        QCOMPARE(second->text(0), QStringLiteral("行 250、") + fault);
        pane->tvwFindings->setCurrentItem(second);
        QCOMPARE(pane->tbsPreview->currentIndex(), 0);
        QTRY_COMPARE(pane->model()->preview().rows.front().number, std::int64_t{250});
        const auto& rows = pane->model()->preview().rows;
        QCOMPARE(rows.size(), std::size_t{51});
        QCOMPARE(rows.front().offset, std::int64_t{249 * 11});
        QCOMPARE(rows.front().mark, RowMark::LineFails);
        QCOMPARE(rows[1].number, std::int64_t{251});
        QCOMPARE(cellText(pane, 1, 1), QStringLiteral("123"));
        QCOMPARE(pane->selectedRow(), 0);
    }

    void aPipeIsNeverReadForThePreview() {
        const QString fifo = file(QStringLiteral("fifo"));
        QVERIFY(::mkfifo(fifo.toLocal8Bit().constData(), 0600) == 0);
        RecordDefPage* page = openWith(fifo, itemTable());
        DataPreviewPane* pane = page->preview;
        QTRY_COMPARE(pane->lblPreviewStatus->text(),
                     QStringLiteral("通常のファイルではないため、プレビューしません。"));
        QCOMPARE(pane->model()->rowCount(), 0);
    }
};

QTEST_MAIN(DataPreviewTest)
#include "tst_data_preview.moc"
