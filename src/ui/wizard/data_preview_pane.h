#pragma once
// The data pane of the record-definition page: the preview of the input file through the
// definition being edited (a table of the first records and the byte ruler of the selected one),
// rebuilt after every edit from the bytes read once; and the "点検" of the whole file, run in
// the background with progress and a stop button, whose findings lead to their records. For a
// text input (the CSV-to-records job) the records are those its first lines make, and the check
// reads the text as that job does; its findings lead to their lines.
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "editor/data_preview.h"
#include "engine/csv_check_report.h"
#include "engine/inspection_report.h"
#include "model/record_output_options.h"
#include "ui/wizard/check_runner.h"
#include "ui/wizard/file_window_loader.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace sorvek {

class ByteRuler;
class PreviewTableModel;

class DataPreviewPane : public QWidget {
    Q_OBJECT
  public:
    // `table` is the definition being edited; it must outlive the pane.
    explicit DataPreviewPane(const RecordDefTable& table, QWidget* parent = nullptr);
    ~DataPreviewPane() override;

    // The input file (an absolute path): its start is read again when it changes. `input`: what
    // the file holds; for a text, `records` is the layout the job gives its records (which the
    // check judges as the job does).
    void setInputFile(const QString& path, PreviewInput input = PreviewInput::Records,
                      const RecordOutputOptions& records = {});
    const QString& inputFile() const { return path_; }
    // The definition changed; `columnKind` is the record whose fields head the columns (the
    // record selected in the tree; other values keep the present one). The preview is rebuilt
    // once the events at hand are handled.
    void definitionChanged(int columnKind);
    // Whether the page shows the definition. One it does not show (a new wizard's, before a
    // definition is chosen) cuts nothing: the file is shown line by line, uncut.
    void setDefinitionShown(bool shown);
    bool definitionShown() const { return definitionShown_; }
    // The findings belong to another input or another definition: forgets them (the summary
    // shows what it shows before a check) and stops a check under way, whose answer is dropped.
    // A new input file does the same.
    void clearCheck();
    // Shows the records from the one at `offset` (record `recordNumber`) on and selects it.
    // `blockLeft`: for records in blocks, the rest of the block from that record on, as the
    // finding's place gives it (FindingPlace::blockLeft).
    void showRecordAt(std::int64_t offset, std::int64_t recordNumber, std::uint32_t blockLeft = 0);

    void cmdCheck_Click();
    void cmdCheckCancel_Click();
    void cmdPreviewTop_Click();

    // The row shown in the ruler (0-based), -1 for none.
    int selectedRow() const;
    void selectRow(int row, int field = -1);
    bool previewLoaded() const { return loaded_; }
    bool checkRunning() const { return runner_.running(); }
    // The bytes the rows lie in: the stretch of the file read, or for a text the records its
    // lines made (the stretch of the text is `text()`).
    const PreviewSource& source() const { return source_; }
    const PreviewSource& text() const { return text_; }
    PreviewInput input() const { return input_; }
    PreviewTableModel* model() const { return model_; }
    const std::optional<InspectionReport>& lastReport() const { return report_; }
    const std::optional<CsvCheckReport>& lastCsvReport() const { return csvReport_; }

    QLabel* lblPreviewFile = nullptr;
    QLabel* lblPreviewStatus = nullptr;
    QPushButton* cmdPreviewTop = nullptr;
    QPushButton* cmdCheck = nullptr;
    QTabWidget* tbsPreview = nullptr;
    QTableView* lvwPreview = nullptr;
    QScrollArea* rulerArea = nullptr;
    ByteRuler* picRuler = nullptr;
    QProgressBar* checkProgress = nullptr;
    QPushButton* cmdCheckCancel = nullptr;
    QLabel* lblCheckSummary = nullptr;
    QTreeWidget* tvwFindings = nullptr;

  signals:
    // The preview was rebuilt (after an edit or a new stretch of the file).
    void previewRebuilt();
    // The check ended (finished, stopped or failed).
    void checkEnded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void rebuild();
    void sourceLoaded(const PreviewSource& source);
    void sourceFailed(const QString& reason);
    void showSelectedRecord();
    void hoverField(int field, int kind);
    // The field of the current cell is highlighted in the table and on the ruler.
    void highlightCurrentField();
    void checkFinished(const InspectionReport& report);
    void csvCheckFinished(const CsvCheckReport& report);
    void checkFailed(const QString& message);
    // Lines that make no record span the field columns with what is wrong.
    void spanFailingLines();
    void findingChosen(QTreeWidgetItem* item);
    void setChecking(bool running);

    const RecordDefTable& table_;
    PreviewSource source_;
    PreviewSource text_;
    PreviewInput input_ = PreviewInput::Records;
    RecordOutputOptions records_;
    QString path_;
    bool loaded_ = false;
    int columnKind_ = 1;
    bool definitionShown_ = true;
    bool uncutWidth_ = false;  // the first field column is as wide as the uncut text's
    std::optional<std::int64_t> selectOffset_;  // to select once the stretch is loaded
    std::optional<InspectionReport> report_;
    std::optional<CsvCheckReport> csvReport_;
    PreviewTableModel* model_ = nullptr;
    FileWindowLoader loader_;
    CheckRunner runner_;
    QTimer rebuildSoon_;
};

}  // namespace sorvek
