#include "ui/wizard/data_preview_pane.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/check_report.h"
#include "app/csv_check_report.h"
#include "editor/byte_text.h"
#include "editor/text_preview.h"
#include "editor/uncut_preview.h"
#include "platform/number_text.h"
#include "ui/widgets/ui_text.h"
#include "ui/wizard/byte_ruler.h"
#include "ui/wizard/preview_table_model.h"

namespace sorvek {
namespace {

// Item data of the findings list: the place a finding leads to.
constexpr int kOffsetRole = Qt::UserRole;
constexpr int kRecordRole = Qt::UserRole + 1;
constexpr int kBlockLeftRole = Qt::UserRole + 2;

void setPlace(QTreeWidgetItem* item, const FindingPlace& place) {
    item->setData(0, kOffsetRole, QVariant::fromValue<qint64>(place.recordOffset));
    item->setData(0, kRecordRole, QVariant::fromValue<qint64>(place.recordNumber));
    item->setData(0, kBlockLeftRole, QVariant::fromValue<quint32>(place.blockLeft));
}

// What the summary says before a check.
QString checkPrompt(PreviewInput input) {
    if (input == PreviewInput::Text) {
        return QStringLiteral(
            "「点検」を押すと、ファイル全体を CSV→REC変換と同じようにこの定義で読みます。");
    }
    return QStringLiteral("「点検」を押すと、ファイル全体をこの定義で読みます。");
}

QString checkTip(PreviewInput input) {
    if (input == PreviewInput::Text) {
        return QStringLiteral(
            "ファイル全体を CSV→REC変換と同じように読み、レコードを作れない行を調べます");
    }
    return QStringLiteral("ファイル全体をこの定義で読み、変換で起きることを調べます");
}

QString rowCaption(const RecordDefTable& table, const PreviewRow& row, const Preview& preview) {
    const bool fromText = preview.fromText;
    QString kind = preview.uncut ? QStringLiteral("(定義なし)")
                   : table.isRecordIndex(row.kind)
                       ? q(table[static_cast<std::size_t>(row.kind)].Name)
                       : QStringLiteral("(不明)");
    if (row.mark == RowMark::LineFails) kind = QStringLiteral("(レコードを作れない行)");
    return (fromText ? QStringLiteral("行 %1  %2  オフセット %3  %4 バイト")
                     : QStringLiteral("レコード %1  %2  オフセット %3  %4 バイト"))
        .arg(q(groupedNumber(row.number)), kind, q(groupedNumber(row.offset)),
             q(groupedNumber(static_cast<std::int64_t>(row.length))));
}

}  // namespace

DataPreviewPane::DataPreviewPane(const RecordDefTable& table, QWidget* parent)
    : QWidget(parent), table_(table) {
    setObjectName(QStringLiteral("pnlPreview"));
    lblPreviewFile = new QLabel(this);
    lblPreviewFile->setObjectName(QStringLiteral("lblPreviewFile"));
    lblPreviewFile->setTextFormat(Qt::PlainText);
    lblPreviewStatus = new QLabel(this);
    lblPreviewStatus->setObjectName(QStringLiteral("lblPreviewStatus"));
    lblPreviewStatus->setTextFormat(Qt::PlainText);
    lblPreviewStatus->setWordWrap(true);
    cmdPreviewTop = new QPushButton(QStringLiteral("先頭へ"), this);
    cmdPreviewTop->setObjectName(QStringLiteral("cmdPreviewTop"));
    cmdPreviewTop->setVisible(false);
    cmdCheck = new QPushButton(QStringLiteral("点検"), this);
    cmdCheck->setObjectName(QStringLiteral("cmdCheck"));
    cmdCheck->setToolTip(checkTip(input_));
    cmdCheck->setEnabled(false);

    model_ = new PreviewTableModel(table_, source_, this);
    lvwPreview = new QTableView(this);
    lvwPreview->setObjectName(QStringLiteral("lvwPreview"));
    lvwPreview->setModel(model_);
    lvwPreview->setSelectionBehavior(QAbstractItemView::SelectItems);
    lvwPreview->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwPreview->setMouseTracking(true);
    lvwPreview->setWordWrap(false);
    lvwPreview->verticalHeader()->setVisible(false);
    lvwPreview->verticalHeader()->setDefaultSectionSize(lvwPreview->fontMetrics().height() + 6);
    lvwPreview->horizontalHeader()->setDefaultSectionSize(90);
    lvwPreview->viewport()->installEventFilter(this);

    picRuler = new ByteRuler;
    picRuler->setObjectName(QStringLiteral("picRuler"));
    picRuler->setFieldTip([this](int field) {
        const int row = selectedRow();
        if (row < 0) return QString();
        return q(cellTip(table_, source_, model_->preview().rows[static_cast<std::size_t>(row)],
                         static_cast<std::size_t>(field)));
    });
    rulerArea = new QScrollArea(this);
    rulerArea->setObjectName(QStringLiteral("rulerArea"));
    rulerArea->setWidget(picRuler);
    rulerArea->setWidgetResizable(false);
    // In a narrow window the ruler scrolls sideways rather than squeezing the table away.
    rulerArea->setMinimumWidth(160);

    auto* previewSplitter = new QSplitter(Qt::Horizontal);
    previewSplitter->setObjectName(QStringLiteral("previewSplitter"));
    previewSplitter->setChildrenCollapsible(false);
    previewSplitter->addWidget(lvwPreview);
    previewSplitter->addWidget(rulerArea);
    previewSplitter->setStretchFactor(0, 1);
    previewSplitter->setStretchFactor(1, 1);
    previewSplitter->setSizes({1000, picRuler->sizeHint().width() + 24});

    checkProgress = new QProgressBar;
    checkProgress->setObjectName(QStringLiteral("checkProgress"));
    checkProgress->setRange(0, 100);
    cmdCheckCancel = new QPushButton(QStringLiteral("中止"));
    cmdCheckCancel->setObjectName(QStringLiteral("cmdCheckCancel"));
    cmdCheckCancel->setEnabled(false);
    lblCheckSummary = new QLabel;
    lblCheckSummary->setObjectName(QStringLiteral("lblCheckSummary"));
    lblCheckSummary->setTextFormat(Qt::PlainText);
    lblCheckSummary->setWordWrap(true);
    lblCheckSummary->setText(checkPrompt(input_));
    tvwFindings = new QTreeWidget;
    tvwFindings->setObjectName(QStringLiteral("tvwFindings"));
    tvwFindings->setHeaderHidden(true);
    tvwFindings->setColumnCount(1);
    auto* checkPage = new QWidget;
    auto* checkLayout = new QVBoxLayout(checkPage);
    checkLayout->setContentsMargins(4, 4, 4, 4);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(checkProgress, 1);
    progressRow->addWidget(cmdCheckCancel);
    checkLayout->addLayout(progressRow);
    checkLayout->addWidget(lblCheckSummary);
    checkLayout->addWidget(tvwFindings, 1);

    tbsPreview = new QTabWidget(this);
    tbsPreview->setObjectName(QStringLiteral("tbsPreview"));
    tbsPreview->addTab(previewSplitter, QStringLiteral("プレビュー"));
    tbsPreview->addTab(checkPage, QStringLiteral("点検結果"));

    auto* header = new QHBoxLayout;
    header->addWidget(lblPreviewFile);
    header->addWidget(lblPreviewStatus, 1);
    header->addWidget(cmdPreviewTop);
    header->addWidget(cmdCheck);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(header);
    layout->addWidget(tbsPreview, 1);

    rebuildSoon_.setSingleShot(true);
    rebuildSoon_.setInterval(0);
    connect(&rebuildSoon_, &QTimer::timeout, this, &DataPreviewPane::rebuild);
    connect(&loader_, &FileWindowLoader::loaded, this, &DataPreviewPane::sourceLoaded);
    connect(&loader_, &FileWindowLoader::failed, this, &DataPreviewPane::sourceFailed);
    connect(lvwPreview->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.row() != previous.row()) showSelectedRecord();
                highlightCurrentField();
            });
    connect(lvwPreview, &QTableView::entered, this, [this](const QModelIndex& index) {
        const auto& rows = model_->preview().rows;
        if (const int record = model_->recordAt(index.row()); record >= 0) {
            hoverField(index.column() - PreviewTableModel::kFirstFieldColumn,
                       rows[static_cast<std::size_t>(record)].kind);
        }
    });
    connect(picRuler, &ByteRuler::fieldHovered, this, [this](int field) {
        const int row = selectedRow();
        if (row < 0) return;
        if (field < 0) {
            highlightCurrentField();
        } else {
            model_->setHighlightedField(field,
                                        model_->preview().rows[static_cast<std::size_t>(row)].kind);
        }
    });
    connect(cmdCheck, &QPushButton::clicked, this, &DataPreviewPane::cmdCheck_Click);
    connect(cmdCheckCancel, &QPushButton::clicked, this, &DataPreviewPane::cmdCheckCancel_Click);
    connect(cmdPreviewTop, &QPushButton::clicked, this, &DataPreviewPane::cmdPreviewTop_Click);
    connect(&runner_, &CheckRunner::progressed, checkProgress, &QProgressBar::setValue);
    connect(&runner_, &CheckRunner::finished, this, &DataPreviewPane::checkFinished);
    connect(&runner_, &CheckRunner::csvFinished, this, &DataPreviewPane::csvCheckFinished);
    connect(&runner_, &CheckRunner::failed, this, &DataPreviewPane::checkFailed);
    connect(tvwFindings, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { findingChosen(item); });
    connect(tvwFindings, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { findingChosen(item); });

    lblPreviewFile->setText(QStringLiteral("データ: (入力ファイルなし)"));
    picRuler->clear(QString());
}

DataPreviewPane::~DataPreviewPane() = default;

bool DataPreviewPane::eventFilter(QObject* watched, QEvent* event) {
    // The mouse left the table: the highlight goes back to the field of the current cell.
    if (watched == lvwPreview->viewport() && event->type() == QEvent::Leave) {
        highlightCurrentField();
    }
    return QWidget::eventFilter(watched, event);
}

void DataPreviewPane::setInputFile(const QString& path, PreviewInput input,
                                   const RecordOutputOptions& records) {
    records_ = records;
    if (path == path_ && input == input_ && (loaded_ || loader_.busy())) return;
    path_ = path;
    input_ = input;
    loaded_ = false;
    source_ = PreviewSource{};
    text_ = PreviewSource{};
    selectOffset_.reset();
    cmdCheck->setToolTip(checkTip(input_));
    clearCheck();
    lblPreviewFile->setText(QStringLiteral("データ: ") + QFileInfo(path).fileName());
    lblPreviewFile->setToolTip(path);
    lblPreviewStatus->setText(QStringLiteral("読み込み中…"));
    cmdCheck->setEnabled(!path.isEmpty() && !runner_.running() && definitionShown_);
    model_->setPreview({});
    picRuler->clear(QString());
    if (path.isEmpty()) {
        lblPreviewStatus->setText(QString());
        return;
    }
    loader_.load(path, 0, kPreviewWindowBytes, 1);
}

void DataPreviewPane::clearCheck() {
    if (runner_.running()) runner_.discard();
    setChecking(false);
    report_.reset();
    csvReport_.reset();
    tvwFindings->clear();
    checkProgress->setValue(0);
    lblCheckSummary->setText(checkPrompt(input_));
}

void DataPreviewPane::setDefinitionShown(bool shown) {
    if (shown == definitionShown_) return;
    definitionShown_ = shown;
    cmdCheck->setEnabled(shown && !path_.isEmpty() && !runner_.running());
    rebuildSoon_.start();
}

void DataPreviewPane::definitionChanged(int columnKind) {
    if (table_.isRecordIndex(columnKind)) columnKind_ = columnKind;
    rebuildSoon_.start();
}

void DataPreviewPane::sourceLoaded(const PreviewSource& source) {
    (input_ == PreviewInput::Text ? text_ : source_) = source;
    loaded_ = true;
    cmdPreviewTop->setVisible(source.offset > 0);
    rebuild();
}

void DataPreviewPane::sourceFailed(const QString& reason) {
    loaded_ = false;
    source_ = PreviewSource{};
    text_ = PreviewSource{};
    model_->setPreview({});
    picRuler->clear(QString());
    lblPreviewStatus->setText(reason);
    cmdCheck->setEnabled(false);
}

void DataPreviewPane::rebuild() {
    if (!loaded_) return;
    // The selection stays on the same record (by its offset, and for the records of a line of
    // text by their kind) across the rebuild.
    const int previous = selectedRow();
    std::optional<std::int64_t> keep = selectOffset_;
    int keepKind = -1;
    const int column = lvwPreview->currentIndex().column();
    if (!keep && previous >= 0) {
        keep = model_->preview().rows[static_cast<std::size_t>(previous)].offset;
        keepKind = model_->preview().rows[static_cast<std::size_t>(previous)].kind;
    }
    selectOffset_.reset();

    if (!definitionShown_) {
        // A definition the page does not show cuts nothing: the file is shown as it is.
        const PreviewSource& shown = input_ == PreviewInput::Text ? text_ : source_;
        if (input_ == PreviewInput::Text) source_ = text_;
        model_->setPreview(uncutPreview(shown));
        // The one column of text takes the room the field columns would have.
        lvwPreview->setColumnWidth(PreviewTableModel::kFirstFieldColumn,
                                   std::max(90, lvwPreview->viewport()->width() / 2));
        uncutWidth_ = true;
    } else if (input_ == PreviewInput::Text) {
        TextPreview made = buildTextPreview(table_, text_, columnKind_);
        source_ = std::move(made.rows);
        model_->setPreview(std::move(made.preview));
    } else {
        model_->setPreview(buildPreview(table_, source_, columnKind_));
    }
    if (definitionShown_ && uncutWidth_) {
        // The first field column goes back to a field's width.
        lvwPreview->setColumnWidth(PreviewTableModel::kFirstFieldColumn,
                                   lvwPreview->horizontalHeader()->defaultSectionSize());
        uncutWidth_ = false;
    }
    spanFailingLines();
    const Preview& preview = model_->preview();
    lblPreviewStatus->setText(q(preview.status));
    int row = preview.rows.empty() ? -1 : 0;
    if (keep) {
        bool sameKind = false;
        for (std::size_t i = 0; i < preview.rows.size() && !sameKind; ++i) {
            if (preview.rows[i].offset != *keep) continue;
            if (row < 0 || preview.rows[static_cast<std::size_t>(row)].offset != *keep ||
                preview.rows[i].kind == keepKind) {
                row = static_cast<int>(i);
            }
            sameKind = preview.rows[i].kind == keepKind;
        }
    }
    selectRow(row, column - PreviewTableModel::kFirstFieldColumn);
    emit previewRebuilt();
}

void DataPreviewPane::spanFailingLines() {
    lvwPreview->clearSpans();
    const int fields = model_->columnCount() - PreviewTableModel::kFirstFieldColumn;
    if (fields < 2) return;
    const auto& rows = model_->preview().rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].mark != RowMark::LineFails) continue;
        lvwPreview->setSpan(model_->rowOf(static_cast<int>(i)),
                            PreviewTableModel::kFirstFieldColumn, 1, fields);
    }
}

int DataPreviewPane::selectedRow() const {
    const QModelIndex current = lvwPreview->currentIndex();
    return current.isValid() ? model_->recordAt(current.row()) : -1;
}

void DataPreviewPane::selectRow(int row, int field) {
    const int tableRow = model_->rowOf(row);
    if (tableRow < 0) {
        picRuler->clear(model_->rowCount() == 0
                            ? QString()
                            : QStringLiteral("レコードを選ぶと、そのバイトを表示します。"));
        return;
    }
    const int column = std::clamp(PreviewTableModel::kFirstFieldColumn + std::max(field, -1), 0,
                                  model_->columnCount() - 1);
    // The record and kind columns stay in sight: only the rows scroll.
    QScrollBar* across = lvwPreview->horizontalScrollBar();
    const int keep = across->value();
    lvwPreview->setCurrentIndex(model_->index(tableRow, column));
    lvwPreview->scrollTo(model_->index(tableRow, column));
    across->setValue(keep);
    showSelectedRecord();
}

void DataPreviewPane::showSelectedRecord() {
    const int row = selectedRow();
    if (row < 0) {
        model_->setHeaderKind(0);
        picRuler->clear(QString());
        return;
    }
    const PreviewRow& r = model_->preview().rows[static_cast<std::size_t>(row)];
    // The columns are headed by the fields of the record looked at.
    model_->setHeaderKind(r.kind);
    const QByteArray bytes(source_.bytes.data() + r.begin, static_cast<qsizetype>(r.length));
    picRuler->setRecord(bytes, rulerSpans(table_, r), rowCaption(table_, r, model_->preview()));
    const InputCodePage page =
        table_.hasDefinition() && definitionShown_ ? table_[0].codePage : InputCodePage::Cp932;
    QStringList texts;
    for (const std::string& line :
         bytesAsText(std::string_view(bytes.constData(),
                                      std::min<std::size_t>(bytes.size(), ByteRuler::kMostBytes)),
                     ByteRuler::kBytesPerLine, page)) {
        texts << q(line);
    }
    picRuler->setLineTexts(texts);
    picRuler->resize(picRuler->sizeHint());
}

void DataPreviewPane::highlightCurrentField() {
    const int row = selectedRow();
    const int field = lvwPreview->currentIndex().column() - PreviewTableModel::kFirstFieldColumn;
    const int kind = row >= 0 ? model_->preview().rows[static_cast<std::size_t>(row)].kind : 0;
    model_->setHighlightedField(field, kind);
    picRuler->setHighlightedField(field);
}

void DataPreviewPane::hoverField(int field, int kind) {
    model_->setHighlightedField(field, kind);
    const int row = selectedRow();
    const bool sameKind =
        row >= 0 && model_->preview().rows[static_cast<std::size_t>(row)].kind == kind;
    picRuler->setHighlightedField(sameKind ? field : -1);
}

void DataPreviewPane::showRecordAt(std::int64_t offset, std::int64_t recordNumber,
                                   std::uint32_t blockLeft) {
    tbsPreview->setCurrentIndex(0);
    const auto& rows = model_->preview().rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].offset == offset) {
            selectRow(static_cast<int>(i));
            return;
        }
    }
    if (path_.isEmpty()) return;
    selectOffset_ = offset;
    lblPreviewStatus->setText(QStringLiteral("読み込み中…"));
    loader_.load(path_, offset, kPreviewWindowBytes, std::max<std::int64_t>(recordNumber, 1),
                 blockLeft);
}

void DataPreviewPane::cmdPreviewTop_Click() {
    if (path_.isEmpty()) return;
    lblPreviewStatus->setText(QStringLiteral("読み込み中…"));
    loader_.load(path_, 0, kPreviewWindowBytes, 1);
}

void DataPreviewPane::setChecking(bool running) {
    cmdCheck->setEnabled(!running && !path_.isEmpty() && definitionShown_);
    cmdCheckCancel->setEnabled(running);
}

void DataPreviewPane::cmdCheck_Click() {
    if (runner_.running() || path_.isEmpty() || !definitionShown_) return;
    tvwFindings->clear();
    report_.reset();
    lblCheckSummary->setText(QStringLiteral("点検しています…"));
    checkProgress->setValue(0);
    tbsPreview->setCurrentIndex(1);
    setChecking(true);
    if (input_ == PreviewInput::Text) {
        csvReport_.reset();
        runner_.startCsv(path_, table_, records_);
    } else {
        runner_.start(path_, table_);
    }
}

void DataPreviewPane::cmdCheckCancel_Click() {
    runner_.cancel();
}

void DataPreviewPane::checkFinished(const InspectionReport& report) {
    report_ = report;
    setChecking(false);
    const ByteProfile& b = report.bytes;
    QStringList summary;
    if (report.cancelled) {
        summary << QStringLiteral("中止しました。先頭 %1 バイトまでの結果です。")
                       .arg(q(groupedNumber(b.size)));
    }
    summary << QStringLiteral("ファイルサイズ: %1 バイト").arg(q(groupedNumber(b.size)));
    const DefinitionFindings& d = report.definition;
    int problems = 0;
    const std::vector<FindingGroup> groups = reportFindings(report);
    for (const FindingGroup& g : groups) problems += g.problem ? 1 : 0;
    if (report.withDefinition && d.recordsCut) {
        QStringList counts;
        for (std::size_t k = 1; k < d.recordsByKind.size(); ++k) {
            counts << q(d.kindNames[k]) + QStringLiteral(" ") +
                          q(groupedNumber(d.recordsByKind[k]));
        }
        summary << QStringLiteral("レコード数: ") + counts.join(QStringLiteral("、"));
        summary << QStringLiteral("書き出される行数: %1").arg(q(groupedNumber(d.linesWritten)));
    }
    summary << (problems == 0 ? QStringLiteral("問題は見つかりませんでした。")
                              : QStringLiteral("問題: %1 種類 (項目を選ぶと、そのレコードを"
                                               "プレビューに表示します)")
                                    .arg(problems));
    lblCheckSummary->setText(summary.join(QStringLiteral("\n")));

    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon information = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    for (const FindingGroup& g : groups) {
        auto* item = new QTreeWidgetItem(tvwFindings, {q(g.text)});
        item->setIcon(0, g.problem ? warning : information);
        item->setToolTip(0, q(g.text));
        if (!g.places.empty() && g.places[0].recordNumber > 0) setPlace(item, g.places[0]);
        for (const FindingPlace& place : g.places) {
            auto* child = new QTreeWidgetItem(item, {q(placeText(place))});
            if (place.recordNumber > 0) setPlace(child, place);
        }
    }
    emit checkEnded();
}

void DataPreviewPane::csvCheckFinished(const CsvCheckReport& report) {
    csvReport_ = report;
    setChecking(false);
    QStringList summary;
    if (report.cancelled) {
        summary << QStringLiteral("中止しました。先頭 %1 バイトまでの結果です。")
                       .arg(q(groupedNumber(report.size)));
    }
    if (report.refusal.empty()) {
        summary << QStringLiteral("ファイルサイズ: %1 バイト").arg(q(groupedNumber(report.size)));
        for (const std::string& line : csvCheckCounts(report)) summary << q(line);
    }
    summary << q(csvProblemSummary(report));
    if (!report.faults.empty()) {
        summary << QStringLiteral("項目を選ぶと、その行をプレビューに表示します。");
    }
    lblCheckSummary->setText(summary.join(QStringLiteral("\n")));

    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QIcon information = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    if (!report.refusal.empty()) {
        auto* item = new QTreeWidgetItem(tvwFindings, {q(csvProblemSummary(report))});
        item->setIcon(0, warning);
        item->setToolTip(0, item->text(0));
    }
    for (const CsvFaultLine& fault : report.faults) {
        auto* item = new QTreeWidgetItem(tvwFindings, {q(csvFaultText(fault))});
        item->setIcon(0, warning);
        item->setToolTip(0, item->text(0));
        setPlace(item, {fault.offset, fault.line, fault.offset, 0});
    }
    if (const std::string more = csvMoreFaultsText(report); !more.empty()) {
        auto* item = new QTreeWidgetItem(tvwFindings, {q(more)});
        item->setIcon(0, information);
    }
    emit checkEnded();
}

void DataPreviewPane::checkFailed(const QString& message) {
    setChecking(false);
    lblCheckSummary->setText(message);
    emit checkEnded();
}

void DataPreviewPane::findingChosen(QTreeWidgetItem* item) {
    if (item == nullptr || !item->data(0, kRecordRole).isValid()) return;
    showRecordAt(item->data(0, kOffsetRole).toLongLong(), item->data(0, kRecordRole).toLongLong(),
                 item->data(0, kBlockLeftRole).toUInt());
}

}  // namespace sorvek
