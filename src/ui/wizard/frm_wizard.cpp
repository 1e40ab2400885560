#include "ui/wizard/frm_wizard.h"
#include "ui/program/resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "app/check_report.h"
#include "app/page_checks.h"
#include "app/record_data_check.h"
#include "app/settings.h"
#include "engine/inspection.h"
#include "engine/part_workers.h"
#include "engine/record_length_hints.h"
#include "engine/tran_crlf.h"
#include "platform/paths.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/widgets/file_drop.h"
#include "ui/widgets/ui_text.h"
#include "ui/wizard/record_def_page.h"

namespace sorvek {
namespace {

QComboBox* editableCombo(const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

std::vector<std::string> listOf(const QComboBox* box) {
    std::vector<std::string> items;
    for (int i = 0; i < box->count(); ++i) items.push_back(s(box->itemText(i)));
    return items;
}

const QString kAllFilesFilter = QStringLiteral("全てのファイル (*.*)| *.*");

}  // namespace

frmWizard::frmWizard(AppState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), steps_(state.job), messages_(this) {
    ensureResources();
    setObjectName(QStringLiteral("frmWizard"));
    setWindowIcon(QIcon(QStringLiteral(":/sorvek/sorvek.svg")));

    // The band at the top: a picture and the guidance text of the step.
    auto* band = new QWidget(this);
    band->setObjectName(QStringLiteral("band"));
    band->setAutoFillBackground(true);
    QPalette bandPalette = band->palette();
    bandPalette.setColor(QPalette::Window, bandPalette.color(QPalette::Base));
    band->setPalette(bandPalette);
    Image1 = new QLabel(band);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QIcon(QStringLiteral(":/sorvek/sorvek.svg")).pixmap(40, 40));
    lblComment = new QLabel(band);
    lblComment->setObjectName(QStringLiteral("lblComment"));
    lblComment->setWordWrap(true);
    lblComment->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* bandLayout = new QHBoxLayout(band);
    bandLayout->setContentsMargins(10, 6, 10, 6);
    bandLayout->addWidget(lblComment, 1);
    bandLayout->addWidget(Image1, 0, Qt::AlignTop);
    band->setMinimumHeight(px(900) - 4);

    pages_ = new QStackedWidget(this);
    addPanel(kPageFiles, buildFilesPage());
    addPanel(kPageRecordLength, buildRecordLengthPage());
    recordDefPage = new RecordDefPage(state_);
    addPanel(kPageRecordDefinition, recordDefPage);
    addPanel(kPageLineEnding, buildLineEndingPage());
    addPanel(kPageExecute, buildExecutePage());

    cmdBack = button(QStringLiteral("cmdBack"), QStringLiteral("< 戻る(&B)"), this);
    cmdNext = button(QStringLiteral("cmdNext"), QString::fromUtf8(kNextCaption), this);
    cmdCancel = button(QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addSpacing(8);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->setSpacing(8);
    layout->addWidget(band);
    layout->addWidget(separator(this));
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(px(150), 0, px(150), 0);
    middle->addWidget(pages_);
    layout->addLayout(middle, 1);
    layout->addWidget(separator(this));
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(10, 0, 10, 0);
    bottom->addLayout(buttons);
    layout->addLayout(bottom);

    connect(cmdNext, &QPushButton::clicked, this, &frmWizard::cmdNext_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmWizard::cmdBack_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmWizard::cmdCancel_Click);
    connect(recordDefPage, &RecordDefPage::pageCheckRequested, this,
            &frmWizard::runCurrentPageCheck);

    // Form_Load.
    resize(px(7455), px(6270));
    pages_->setCurrentWidget(panels_.value(steps_.page()));
    setWindowTitle(q(steps_.caption()));
    lblComment->setText(q(steps_.comment()));
    recordDefPage->lblRecLen->clear();
    recordDefPage->lblClass->clear();
    recordDefPage->lblFldLenSum->clear();
    lblCrlfFrom->clear();
    for (const std::string& path : readHistory(state_.IniFilePath, kHistoryInput)) {
        cmbFileName0->addItem(q(path));
    }
    for (const std::string& path : readHistory(state_.IniFilePath, kHistoryOutput)) {
        cmbFileName5->addItem(q(path));
    }
    cmbFileName0->setEditText(QString());
    cmbFileName5->setEditText(QString());
    cmdNext->setEnabled(false);
    cmdBack->setEnabled(false);
}

frmWizard::~frmWizard() {
    delete progress_;
}

QWidget* frmWizard::addPanel(int page, QWidget* panel) {
    panel->setObjectName(QStringLiteral("pnlWiz_%1").arg(page));
    panels_.insert(page, panel);
    pages_->addWidget(panel);
    return panel;
}

QWidget* frmWizard::buildFilesPage() {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 8, 0, 0);
    grid->setVerticalSpacing(4);
    auto addField = [&](int index, const QString& caption, int row) {
        auto* label = new QLabel(caption, panel);
        label->setObjectName(QStringLiteral("lblFileName_%1").arg(index));
        QComboBox* box = editableCombo(QStringLiteral("cmbFileName_%1").arg(index), panel);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(20);
        box->setMaxCount(kHistorySize);
        QPushButton* browse = button(QStringLiteral("cmdFileRef_%1").arg(index),
                                     QStringLiteral("参照(&R)..."), panel);
        label->setBuddy(box);
        grid->addWidget(label, row, 0, 1, 2);
        grid->addWidget(box, row + 1, 0);
        grid->addWidget(browse, row + 1, 1);
        FileDropFilter::install(box);
        connect(box, &QComboBox::editTextChanged, this, &frmWizard::runCurrentPageCheck);
        connect(box, &QComboBox::activated, this, &frmWizard::runCurrentPageCheck);
        connect(browse, &QPushButton::clicked, this, [this, index] { cmdFileRef_Click(index); });
        return std::pair{box, browse};
    };
    std::tie(cmbFileName0, cmdFileRef0) =
        addField(kHistoryInput, QStringLiteral("入力ファイル:"), 0);
    grid->setRowMinimumHeight(2, 16);
    std::tie(cmbFileName5, cmdFileRef5) =
        addField(kHistoryOutput, QStringLiteral("出力ファイル:"), 3);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(5, 1);
    return panel;
}

QWidget* frmWizard::buildRecordLengthPage() {
    auto* panel = new QWidget;
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("レコード長:"), panel);
    cmbRecLen = editableCombo(QStringLiteral("cmbRecLen"), panel);
    cmbRecLen->addItems({QStringLiteral("64"), QStringLiteral("128"), QStringLiteral("256")});
    cmbRecLen->setEditText(QString());
    cmbRecLen->setMinimumWidth(120);
    label->setBuddy(cmbRecLen);
    row->addWidget(label);
    row->addWidget(cmbRecLen);
    row->addStretch();
    auto* hintLabel = new QLabel(QStringLiteral("入力ファイルから見たレコード長の候補:"), panel);
    hintLabel->setObjectName(QStringLiteral("lblRecLenHint"));
    lstRecLenHint = new QListWidget(panel);
    lstRecLenHint->setObjectName(QStringLiteral("lstRecLenHint"));
    lstRecLenHint->setWordWrap(true);
    hintLabel->setBuddy(lstRecLenHint);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addLayout(row);
    layout->addSpacing(12);
    layout->addWidget(hintLabel);
    layout->addWidget(lstRecLenHint, 1);
    connect(cmbRecLen, &QComboBox::editTextChanged, this, &frmWizard::runCurrentPageCheck);
    connect(cmbRecLen, &QComboBox::activated, this, &frmWizard::runCurrentPageCheck);
    auto choose = [this](QListWidgetItem* item) {
        const QVariant length = item->data(Qt::UserRole);
        if (length.isValid()) cmbRecLen->setEditText(length.toString());
    };
    connect(lstRecLenHint, &QListWidget::itemClicked, this, choose);
    connect(lstRecLenHint, &QListWidget::itemActivated, this, choose);
    hintLoader_ = new FileWindowLoader(this);
    connect(hintLoader_, &FileWindowLoader::loaded, this, &frmWizard::recordLengthHintsLoaded);
    connect(hintLoader_, &FileWindowLoader::failed, this, [this](const QString& reason) {
        lstRecLenHint->clear();
        auto* item = new QListWidgetItem(reason, lstRecLenHint);
        item->setFlags(Qt::NoItemFlags);
    });
    return panel;
}

QWidget* frmWizard::buildLineEndingPage() {
    auto* panel = new QWidget;
    fraEnterCode = new QGroupBox(QStringLiteral("改行コード指定"), panel);
    fraEnterCode->setObjectName(QStringLiteral("fraEnterCode"));
    lblCrlfFrom = new QLabel(fraEnterCode);
    lblCrlfFrom->setObjectName(QStringLiteral("lblCrlfFrom"));
    lblCrlfFrom->setFrameShape(QFrame::StyledPanel);
    lblCrlfFrom->setFrameShadow(QFrame::Sunken);
    lblCrlfFrom->setMinimumWidth(110);
    lblCrlfFrom->setAlignment(Qt::AlignCenter);
    cmbCrlfTo = editableCombo(QStringLiteral("cmbCrlfTo"), fraEnterCode);
    for (const char* ending : kLineEndingChoices) cmbCrlfTo->addItem(QString::fromUtf8(ending));
    cmbCrlfTo->setEditText(QString());
    cmbCrlfTo->setMinimumWidth(110);
    auto* row = new QHBoxLayout;
    row->addWidget(lblCrlfFrom);
    row->addWidget(new QLabel(QStringLiteral("を"), fraEnterCode));
    row->addWidget(cmbCrlfTo);
    row->addWidget(new QLabel(QStringLiteral("に変換"), fraEnterCode));
    row->addStretch();
    auto* frameLayout = new QVBoxLayout(fraEnterCode);
    frameLayout->addLayout(row);

    // The notes line up their "…" in a fixed-pitch font.
    auto* notes = new QLabel(QStringLiteral("※改行コードの種類\n"
                                            "CR+LF … Windows, MS-DOS\n"
                                            "LF    … Unix, Mac OS X 以降\n"
                                            "CR    … Mac OS 9 以前"),
                             panel);
    notes->setObjectName(QStringLiteral("lblCrlfNotes"));
    notes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(fraEnterCode);
    layout->addSpacing(12);
    layout->addWidget(notes);
    layout->addStretch();
    connect(cmbCrlfTo, &QComboBox::editTextChanged, this, &frmWizard::runCurrentPageCheck);
    connect(cmbCrlfTo, &QComboBox::activated, this, &frmWizard::runCurrentPageCheck);
    return panel;
}

QWidget* frmWizard::buildExecutePage() {
    auto* panel = new QWidget;
    auto* label = new QLabel(QStringLiteral("実行内容:"), panel);
    lstParam = new QListWidget(panel);
    lstParam->setObjectName(QStringLiteral("lstParam"));
    ProgressBar = new QProgressBar(panel);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    lblProgressBar = new QLabel(panel);
    lblProgressBar->setObjectName(QStringLiteral("lblProgressBar"));
    lblProgressBar->setMinimumWidth(
        lblProgressBar->fontMetrics().horizontalAdvance(QStringLiteral("(100/100%)")) + 4);
    // Shown by the job once it has opened its files; the place is kept meanwhile.
    QSizePolicy keep = lblProgressBar->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    lblProgressBar->setSizePolicy(keep);
    lblProgressBar->setVisible(false);
    auto* row = new QHBoxLayout;
    row->addWidget(ProgressBar, 1);
    row->addWidget(lblProgressBar);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(label);
    layout->addWidget(lstParam, 1);
    layout->addLayout(row);
    progress_ = new WidgetProgress(ProgressBar, lblProgressBar);
    return panel;
}

void frmWizard::apply(const StepChange& change) {
    pages_->setCurrentWidget(panels_.value(change.shownPage));
    setWindowTitle(q(steps_.caption()));
    lblComment->setText(q(steps_.comment()));
    if (change.detectLineEnding) {
        lblCrlfFrom->setText(
            q(lineEndingCaption(detectLineEnding(s(cmbFileName0->currentText())))));
    }
    cmdNext->setText(QString::fromUtf8(change.nextIsExecute ? kExecuteCaption : kNextCaption));
    if (change.shownPage == kPageRecordDefinition) showRecordDefinitionPage();
    if (change.shownPage == kPageRecordLength) showRecordLengthHints();
    if (change.fillSummary) {
        lstParam->clear();
        for (const std::string& line : summaryLines(state_.job)) lstParam->addItem(q(line));
    }
    if (change.nextEnabled) cmdNext->setEnabled(*change.nextEnabled);
    cmdBack->setEnabled(change.backEnabled);
    // The page just shown checks what it holds.
    runCurrentPageCheck();
}

void frmWizard::showRecordDefinitionPage() {
    // The preview needs room: the window grows once, within the screen.
    const QScreen* screen = this->screen();
    const QSize wanted(px(14400), px(11250));
    if (screen != nullptr && (width() < wanted.width() || height() < wanted.height())) {
        const QRect available = screen->availableGeometry();
        resize(std::min(std::max(width(), wanted.width()), available.width()),
               std::min(std::max(height(), wanted.height()), available.height() - 40));
    }
    recordDefPage->setInputFile(q(getFullPath(state_.job.JobParams[0])));
}

void frmWizard::showRecordLengthHints() {
    lstRecLenHint->clear();
    auto* item = new QListWidgetItem(QStringLiteral("調べています…"), lstRecLenHint);
    item->setFlags(Qt::NoItemFlags);
    hintLoader_->load(q(getFullPath(state_.job.JobParams[0])), 0, kInspectionHeadBytes, 1);
}

void frmWizard::recordLengthHintsLoaded(const PreviewSource& source) {
    const auto* head = reinterpret_cast<const unsigned char*>(source.bytes.data());
    const std::vector<RecordLengthSuggestion> suggestions =
        suggestRecordLengthsFromHead({head, source.bytes.size()}, source.fileSize);
    lstRecLenHint->clear();
    for (const RecordLengthSuggestion& s : suggestions) {
        auto* item = new QListWidgetItem(QStringLiteral("%1 バイト — ").arg(s.length) + q(s.reason),
                                         lstRecLenHint);
        item->setData(Qt::UserRole, QVariant::fromValue<qint64>(s.length));
        item->setToolTip(QStringLiteral("選ぶとレコード長に入ります"));
    }
    if (suggestions.empty()) {
        auto* item = new QListWidgetItem(QStringLiteral("候補はありません。"), lstRecLenHint);
        item->setFlags(Qt::NoItemFlags);
    }
}

void frmWizard::cmdNext_Click() {
    if (steps_.onExecutePage()) {
        execute();
    } else if (steps_.canGoNext()) {
        apply(steps_.next());
    }
}

void frmWizard::cmdBack_Click() {
    if (running_ || !steps_.canGoBack()) return;
    apply(steps_.back());
}

void frmWizard::cmdCancel_Click() {
    close();
}

void frmWizard::runPageCheck(int page) {
    PageInputs inputs;
    inputs.inputPath = s(cmbFileName0->currentText());
    inputs.outputPath = s(cmbFileName5->currentText());
    inputs.recordLength = s(cmbRecLen->currentText());
    inputs.lineEndingTarget = s(cmbCrlfTo->currentText());
    inputs.lineEndingPresent = s(lblCrlfFrom->text());
    inputs.treeNodeCount = recordDefPage->treeNodeCount();
    const std::optional<PageCheckResult> result = checkPage(page, inputs, state_);
    if (!result) return;
    cmdNext->setEnabled(result->nextEnabled);
    if (result->saveEnabled) recordDefPage->cmdDefFileSave->setEnabled(*result->saveEnabled);
}

void frmWizard::cmdFileRef_Click(int index) {
    QComboBox* box = index == kHistoryInput ? cmbFileName0 : cmbFileName5;
    const QString start = q(browseStartPath(s(box->currentText()), state_.IniFilePath));
    cDialog dialog;
    const QString path =
        index == kHistoryInput
            ? dialog.showOpenDialog(this, kOfnFileMustExist | kOfnHideReadOnly, kAllFilesFilter, 1,
                                    QStringLiteral("入力ファイルの指定"), start)
            : dialog.showSaveDialog(this, 0, kAllFilesFilter, 1,
                                    QStringLiteral("出力ファイルの指定"), start);
    if (!path.isEmpty()) box->setEditText(path);
}

void frmWizard::execute() {
    if (running_) return;
    // A job that rewrites line breaks, on record data: the user decides; an unattended run
    // warns on standard error, as the console program does, and runs.
    if (const auto recordData = recordDataInInput(state_.job)) {
        const std::string& title = state_.job.JobTitle;
        if (state_.unattended) {
            std::fprintf(stderr, "%s\n", recordDataWarning(*recordData, title).c_str());
        } else if (!MessageBox::askYesNo(this, q(recordDataQuestion(*recordData, title)),
                                         q(title))) {
            return;
        }
    }
    running_ = true;
    cmdBack->setEnabled(false);
    cmdCancel->setEnabled(false);
    cmdNext->setEnabled(false);
    EngineContext context{*progress_, messages_};
    context.jobs = defaultJobCount();
    const ExecuteResult result = executeJob(state_, context);
    cmdBack->setEnabled(true);
    cmdCancel->setEnabled(true);
    cmdNext->setEnabled(true);
    running_ = false;
    lastRunSucceeded_ = result.succeeded;
    if (!result.completeInteractively) return;

    MessageBox::show(this,
                     QString::fromUtf8(kCompletionMessage) + QStringLiteral("\n\n") +
                         q(result.completionDetails),
                     QString(), MessageIcon::Information);
    saveHistory(state_.IniFilePath, kHistoryInput, s(cmbFileName0->currentText()),
                listOf(cmbFileName0));
    saveHistory(state_.IniFilePath, kHistoryOutput, s(cmbFileName5->currentText()),
                listOf(cmbFileName5));
    close();
}

void frmWizard::closeEvent(QCloseEvent* event) {
    // A job runs inside this window's call stack: the window stays until it has ended.
    if (running_) {
        event->ignore();
        return;
    }
    emit unloaded();
    event->accept();
}

}  // namespace sorvek
