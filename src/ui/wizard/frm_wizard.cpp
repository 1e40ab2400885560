#include "ui/wizard/frm_wizard.h"
#include "ui/program/resources.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/check_report.h"
#include "app/job_registry.h"
#include "app/page_checks.h"
#include "app/record_data_check.h"
#include "app/run_summary.h"
#include "app/settings.h"
#include "app/window_layout.h"
#include "editor/output_format.h"
#include "engine/byte_profile.h"
#include "engine/inspection.h"
#include "engine/record_length_hints.h"
#include "engine/tran_crlf.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "ports/app_title.h"
#include "ui/dialogs/c_dialog.h"
#include "ui/program/help.h"
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

const QString kAllFiles = QString::fromUtf8(kAllFilesFilter);

// The path in `box` as the history keeps it: absolute, unless it names a standard stream.
std::string absoluteUnlessStream(const QComboBox* box) {
    const std::string text = s(box->currentText());
    return text == kStandardStream ? text : getFullPath(text);
}

}  // namespace

frmWizard::frmWizard(AppState& state, QWidget* parent, const QWidget* near)
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
    // The job's own picture, as on its button in the main window; the program's for a job without.
    const JobEntry* entry = findJobByKind(state_.job.JobKind);
    const QString picture = entry != nullptr && entry->iconName[0] != '\0'
                                ? QString::fromUtf8(entry->iconName)
                                : QStringLiteral("sorvek");
    Image1->setPixmap(QIcon(QStringLiteral(":/sorvek/%1.svg").arg(picture)).pixmap(40, 40));
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

    lblReason = new QLabel(this);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    lblReason->setWordWrap(true);
    QPalette reasonPalette = lblReason->palette();
    reasonPalette.setColor(QPalette::WindowText, QColor(0xB0, 0x20, 0x20));
    lblReason->setPalette(reasonPalette);
    // The line keeps its place, so that the page does not jump as the reason comes and goes.
    QSizePolicy keepReason = lblReason->sizePolicy();
    keepReason.setRetainSizeWhenHidden(true);
    lblReason->setSizePolicy(keepReason);
    lblReason->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    layout->setSpacing(8);
    layout->addWidget(band);
    layout->addWidget(separator(this));
    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(px(150), 0, px(150), 0);
    middle->addWidget(pages_);
    layout->addLayout(middle, 1);
    auto* reasonRow = new QHBoxLayout;
    reasonRow->setContentsMargins(px(150), 0, px(150), 0);
    reasonRow->addWidget(lblReason);
    layout->addLayout(reasonRow);
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
    connect(recordDefPage, &RecordDefPage::definitionStateChanged, this, &frmWizard::updateTitle);

    runner_ = new JobRunner(this, *progress_);

    // Form_Load. The default size shows every column of the definition page.
    resize(px(14400), px(11250));
    restoreLayout(near);
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
        // One letter per button: 参照(&R) for the input, 参照(&E) for the output.
        QPushButton* browse = button(
            QStringLiteral("cmdFileRef_%1").arg(index),
            index == kHistoryInput ? QStringLiteral("参照(&R)...") : QStringLiteral("参照(&E)..."),
            panel);
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
    lblCrlfCounts = new QLabel(fraEnterCode);
    lblCrlfCounts->setObjectName(QStringLiteral("lblCrlfCounts"));
    lblCrlfCounts->setWordWrap(true);
    frameLayout->addWidget(lblCrlfCounts);
    crlfLoader_ = new FileWindowLoader(this);
    connect(crlfLoader_, &FileWindowLoader::loaded, this, &frmWizard::showLineEndingCounts);
    connect(crlfLoader_, &FileWindowLoader::failed, this,
            [this](const QString& reason) { lblCrlfCounts->setText(reason); });
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
    updateTitle();
    lblComment->setText(q(steps_.comment()));
    if (change.detectLineEnding) {
        lblCrlfFrom->setText(
            q(lineEndingCaption(detectLineEnding(s(cmbFileName0->currentText())))));
        lineEndingMixed_ = false;
        lblCrlfCounts->setText(QStringLiteral("調べています…"));
        crlfLoader_->load(q(getFullPath(state_.job.JobParams[0])), 0, kInspectionHeadBytes, 1);
    }
    cmdNext->setText(QString::fromUtf8(change.nextIsExecute ? kExecuteCaption : kNextCaption));
    if (change.shownPage == kPageRecordDefinition) showRecordDefinitionPage();
    if (change.shownPage == kPageRecordLength) showRecordLengthHints();
    if (change.fillSummary) {
        lstParam->clear();
        // The run's own state: an output named "*.xlsx" makes it a workbook.
        const bool unsaved = recordDefPage->hasUnsavedChanges();
        for (const std::string& line : summaryLines(runState(), unsaved)) {
            lstParam->addItem(q(line));
        }
    }
    if (change.nextEnabled) cmdNext->setEnabled(*change.nextEnabled);
    cmdBack->setEnabled(change.backEnabled);
    // The page just shown checks what it holds.
    runCurrentPageCheck();
}

void frmWizard::showRecordDefinitionPage() {
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

void frmWizard::showLineEndingCounts(const PreviewSource& source) {
    ByteProfiler profiler;
    profiler.add(reinterpret_cast<const unsigned char*>(source.bytes.data()), source.bytes.size());
    const ByteProfile profile = profiler.finish();
    lineEndingMixed_ = lineEndingsMixed(profile);
    // The first ending found is not the file's ending when it has several.
    if (lineEndingMixed_) lblCrlfFrom->setText(QString::fromUtf8(kMixedLineEndingCaption));
    QString text = q(lineEndingCountsText(profile));
    if (!source.reachesEnd()) {
        text += QStringLiteral("\n(ファイルの先頭 %1 バイトを調べました)")
                    .arg(q(groupedNumber(static_cast<std::int64_t>(source.bytes.size()))));
    }
    lblCrlfCounts->setText(text);
    runCurrentPageCheck();
}

void frmWizard::updateTitle() {
    // "*" while the definition being edited holds changes that no file has.
    const bool unsaved = recordDefPage->hasUnsavedChanges();
    setWindowTitle(q(steps_.caption()) + (unsaved ? QStringLiteral(" *") : QString()));
}

void frmWizard::cmdNext_Click() {
    if (steps_.onExecutePage()) {
        execute();
    } else if (steps_.canGoNext()) {
        if (steps_.page() == kPageFiles && !confirmOverwrite()) return;
        apply(steps_.next());
    }
}

bool frmWizard::confirmOverwrite() {
    const std::string output = state_.job.JobParams[1];
    if (output == kStandardStream) return true;
    const QString absolute = q(getFullPath(output));
    if (absolute == overwriteConfirmed_ || !QFileInfo(absolute).isFile()) return true;
    if (!MessageBox::askBeforeHarm(this, q(overwriteQuestion(s(absolute))),
                                   q(state_.job.JobTitle))) {
        return false;
    }
    overwriteConfirmed_ = absolute;
    return true;
}

void frmWizard::cmdBack_Click() {
    if (running_ || !steps_.canGoBack()) return;
    apply(steps_.back());
}

void frmWizard::cmdCancel_Click() {
    if (running_) {
        askToCancelRun();
        return;
    }
    close();
}

bool frmWizard::jobWaitingToReplace() const {
    return runner_->waitingToReplace();
}

void frmWizard::holdNextRun() {
    runner_->holdAtStart();
}

bool frmWizard::askToCancelRun() {
    if (!running_ || runner_->cancelRequested()) return false;
    // The job waits while the question is open, so that the answer keeps what it promises.
    if (!runner_->hold()) {
        MessageBox::show(this, QString::fromUtf8(kTooLateToCancel), q(state_.job.JobTitle),
                         MessageIcon::Information);
        return false;
    }
    lblComment->setText(QString::fromUtf8(kPausedComment));
    const bool yes =
        MessageBox::askYesNo(this, QString::fromUtf8(kCancelRunQuestion), q(state_.job.JobTitle));
    if (yes) runner_->cancel();
    runner_->release();
    if (running_) lblComment->setText(QString::fromUtf8(yes ? kStoppingComment : kRunningComment));
    return yes;
}

void frmWizard::runPageCheck(int page) {
    PageInputs inputs;
    inputs.inputPath = s(cmbFileName0->currentText());
    inputs.outputPath = s(cmbFileName5->currentText());
    inputs.recordLength = s(cmbRecLen->currentText());
    inputs.lineEndingTarget = s(cmbCrlfTo->currentText());
    inputs.lineEndingPresent = s(lblCrlfFrom->text());
    inputs.lineEndingMixed = lineEndingMixed_;
    inputs.treeNodeCount = recordDefPage->treeNodeCount();
    const std::optional<PageCheckResult> result = checkPage(page, inputs, state_);
    if (!result) return;
    cmdNext->setEnabled(result->nextEnabled);
    lblReason->setText(q(result->reason));
    lblReason->setVisible(!result->nextEnabled && !result->reason.empty());
    if (result->saveEnabled) recordDefPage->cmdDefFileSave->setEnabled(*result->saveEnabled);
    if (page == kPageRecordDefinition) updateTitle();
}

void frmWizard::cmdFileRef_Click(int index) {
    QComboBox* box = index == kHistoryInput ? cmbFileName0 : cmbFileName5;
    const QString start = q(browseStartPath(s(box->currentText()), state_.IniFilePath));
    // Record-to-CSV offers its two file types; the one chosen names the output's form.
    const bool rec2csv = state_.job.JobKind == kJobRec2Csv;
    const QString outputFilter = rec2csv ? q(kRec2CsvOutputFilter) : kAllFiles;
    const int outputFilterIndex =
        rec2csv && state_.recordDefTable.output.format == OutputFormat::Xlsx ? 2 : 1;
    cDialog dialog;
    const QString path =
        index == kHistoryInput
            ? dialog.showOpenDialog(this, kOfnFileMustExist | kOfnHideReadOnly, kAllFiles, 1,
                                    QStringLiteral("入力ファイルの指定"), start)
            : dialog.showSaveDialog(this, kOfnOverwritePrompt, outputFilter, outputFilterIndex,
                                    QStringLiteral("出力ファイルの指定"), start);
    if (path.isEmpty()) return;
    // The save dialog has asked before an existing file was chosen.
    if (index == kHistoryOutput) overwriteConfirmed_ = q(getFullPath(s(path)));
    box->setEditText(path);
}

AppState frmWizard::runState() const {
    AppState run = state_;
    if (run.job.JobKind == kJobRec2Csv) {
        CsvOutputOptions& output = run.recordDefTable.output;
        output.format = outputFormatFor(run.job.JobParams[1], output.format);
    }
    return run;
}

void frmWizard::execute() {
    if (running_) return;
    // A job that rewrites line breaks, on record data: the user decides; an unattended run
    // warns where the program tells it (standard error, as the console program does), and runs.
    if (const auto recordData = recordDataInInput(state_.job)) {
        const std::string& title = state_.job.JobTitle;
        if (state_.unattended) {
            if (unattendedNotes_ != nullptr) {
                unattendedNotes_->show(recordDataWarning(*recordData, title), kAppTitle,
                                       MessageIcon::Exclamation);
            }
        } else if (!MessageBox::askBeforeHarm(this, q(recordDataQuestion(*recordData, title)),
                                              q(title))) {
            return;
        }
    }
    running_ = true;
    cmdBack->setEnabled(false);
    cmdNext->setEnabled(false);
    // The cancel button stays usable: it holds the job while it asks, then stops it. An
    // unattended run has no one to ask.
    cmdCancel->setEnabled(!state_.unattended);
    lblComment->setText(QString::fromUtf8(kRunningComment));
    const ExecuteResult result = runner_->run(runState());
    if (runner_->cancelled()) {
        // Nothing of the stopped run stands: the bar starts again from nothing.
        lblComment->setText(QString::fromUtf8(kCancelledComment));
        ProgressBar->setValue(ProgressBar->minimum());
        lblProgressBar->setVisible(false);
    } else {
        lblComment->setText(q(steps_.comment()));
    }
    cmdBack->setEnabled(true);
    cmdCancel->setEnabled(true);
    cmdNext->setEnabled(true);
    running_ = false;
    lastRunSucceeded_ = result.succeeded;
    if (!result.completeInteractively) return;

    const QString output = q(getFullPath(state_.job.JobParams[1]));
    const bool openFolder = MessageBox::showWithAction(
        this,
        QString::fromUtf8(kCompletionMessage) + QStringLiteral("\n\n") +
            q(result.completionDetails),
        QString(), MessageIcon::Information, QStringLiteral("フォルダを開く(&O)"));
    if (openFolder && state_.job.JobParams[1] != kStandardStream) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(output).absolutePath()));
    }
    // The history keeps absolute paths: a relative one would name another file once the
    // program starts from another folder.
    saveHistory(state_.IniFilePath, kHistoryInput, absoluteUnlessStream(cmbFileName0),
                listOf(cmbFileName0));
    saveHistory(state_.IniFilePath, kHistoryOutput, absoluteUnlessStream(cmbFileName5),
                listOf(cmbFileName5));
    close();
}

void frmWizard::closeEvent(QCloseEvent* event) {
    // A running job is asked to stop first; the window stays until it has ended.
    if (running_) {
        event->ignore();
        if (!state_.unattended) askToCancelRun();
        return;
    }
    if (!recordDefPage->confirmDropDefinition()) {
        event->ignore();
        return;
    }
    saveLayout();
    emit unloaded();
    event->accept();
}

void frmWizard::keyPressEvent(QKeyEvent* event) {
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // A button with the focus is the one Enter presses; otherwise Next (or Execute).
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused != nullptr && focused->isEnabled() && focused->isVisible()) {
            focused->click();
        } else if (cmdNext->isEnabled() && !running_) {
            cmdNext->click();
        }
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        cmdCancel_Click();
        return;
    }
    if (plain && event->key() == Qt::Key_F1) {
        openManualAt(this, q(manualTopic(steps_.page(), state_.job.JobKind)));
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmWizard::restoreLayout(const QWidget* near) {
    const WizardLayout kept = readWizardLayout(state_.IniFilePath);
    if (kept.width > 0) resize(kept.width, kept.height);
    if (!kept.definitionSplitter.empty()) {
        recordDefPage->splitter->setSizes(
            QList<int>(kept.definitionSplitter.begin(), kept.definitionSplitter.end()));
    }
    if (!kept.pageSplitter.empty()) {
        recordDefPage->pageSplitter->setSizes(
            QList<int>(kept.pageSplitter.begin(), kept.pageSplitter.end()));
    }
    const QScreen* screen = near != nullptr ? near->screen() : this->screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    // The window manager's frame is not known before the window is shown: a usual one is
    // allowed for.
    const WindowRect placed =
        placeWindow(width(), height(), 16, 48, {area.x(), area.y(), area.width(), area.height()});
    resize(placed.width, placed.height);
    move(placed.x, placed.y);
}

void frmWizard::saveLayout() {
    if (state_.unattended) return;
    WizardLayout layout;
    layout.width = width();
    layout.height = height();
    for (int size : recordDefPage->splitter->sizes()) layout.definitionSplitter.push_back(size);
    for (int size : recordDefPage->pageSplitter->sizes()) layout.pageSplitter.push_back(size);
    saveWizardLayout(state_.IniFilePath, layout);
}

}  // namespace sorvek
