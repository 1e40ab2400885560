#pragma once
// frmWizard: one conversion job, page by page (files, the job's parameter, execute). The step
// logic and the page checks are the core's; this window moves values between its controls and
// them.
#include <QMap>
#include <QWidget>

#include "app/wizard_steps.h"
#include "ui/dialogs/message_box.h"
#include "ui/widgets/widget_progress.h"
#include "ui/wizard/file_window_loader.h"
#include "ui/wizard/job_runner.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace sorvek {

class RecordDefPage;

class frmWizard : public QWidget {
    Q_OBJECT
  public:
    // Form_Load: the job state must be filled (page sequence, comments, parameters).
    // `near`: the window whose screen the wizard opens on (the main window), or none.
    explicit frmWizard(AppState& state, QWidget* parent = nullptr, const QWidget* near = nullptr);
    ~frmWizard() override;

    // Next, and on the execute page Execute. Runs whatever the button's enabled state.
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdCancel_Click();

    // The check of page `page`: Next enabled exactly when it passes. It runs whenever what it
    // checks changes (a typed, chosen or dropped path or value, an edit of the definition) and
    // when the page is shown.
    void runPageCheck(int page);
    // The page on show.
    int currentPage() const { return steps_.page(); }
    // Whether the last Execute succeeded.
    bool lastRunSucceeded() const { return lastRunSucceeded_; }
    bool isRunning() const { return running_; }
    // True while the job, held by the cancel question, has written everything and waits to
    // replace its output.
    bool jobWaitingToReplace() const;
    // For tests: the next run starts held (JobRunner::holdAtStart).
    void holdNextRun();
    // Asks whether the running job is to stop, holding it while the question is open, and asks
    // it to; true when the user said yes. When the job has already begun to replace its output,
    // says so instead and returns false.
    bool askToCancelRun();
    // Where an unattended run writes what it tells without waiting for an answer (that its
    // input looks like record data): the program's standard error. Outlives the wizard.
    void setUnattendedNotes(Messages* notes) { unattendedNotes_ = notes; }

    QLabel* Image1 = nullptr;
    QLabel* lblComment = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdCancel = nullptr;
    // Page 0.
    QComboBox* cmbFileName0 = nullptr;
    QComboBox* cmbFileName5 = nullptr;
    QPushButton* cmdFileRef0 = nullptr;
    QPushButton* cmdFileRef5 = nullptr;
    // Page 10, with the record lengths the input file may have; choosing one fills the box.
    QComboBox* cmbRecLen = nullptr;
    QListWidget* lstRecLenHint = nullptr;
    // Page 11.
    RecordDefPage* recordDefPage = nullptr;
    // Page 13.
    QGroupBox* fraEnterCode = nullptr;
    QLabel* lblCrlfFrom = nullptr;
    QComboBox* cmbCrlfTo = nullptr;
    // The line endings found in the input, counted ("見つかった改行: CR+LF 12 行").
    QLabel* lblCrlfCounts = nullptr;
    // Page 99.
    QListWidget* lstParam = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* lblProgressBar = nullptr;
    // Why Next is greyed, in the page's own words; hidden while Next is enabled.
    QLabel* lblReason = nullptr;

  signals:
    // The window is being unloaded (Form_Unload).
    void unloaded();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter presses the default button (Next or Execute), Esc cancels, F1 opens the manual at
    // the page's topic. Controls that take Enter themselves (the tree, the lists) keep it.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* buildFilesPage();
    QWidget* buildRecordLengthPage();
    QWidget* buildLineEndingPage();
    QWidget* buildExecutePage();
    QWidget* addPanel(int page, QWidget* panel);
    void apply(const StepChange& change);
    // Page 11 is shown: the preview reads the input file, and the window makes room for it.
    void showRecordDefinitionPage();
    // Page 10 is shown: the start of the input file is read for record-length suggestions.
    void showRecordLengthHints();
    void recordLengthHintsLoaded(const PreviewSource& source);
    void cmdFileRef_Click(int index);
    // Leaving page 0 onto an output that exists already: the user is asked (once per path).
    bool confirmOverwrite();
    // The line-ending page counts the endings of the head of the input.
    void showLineEndingCounts(const PreviewSource& source);
    // The size and the splitters are kept in the settings file; the window is placed on the
    // screen of `near` (or its own), centred and never off it.
    void restoreLayout(const QWidget* near);
    void saveLayout();
    void execute();
    // The state a run takes: record-to-CSV writes a workbook to an output named "*.xlsx".
    AppState runState() const;
    void runCurrentPageCheck() { runPageCheck(steps_.page()); }
    // The step's caption, with " *" while the definition has unsaved changes.
    void updateTitle();

    AppState& state_;
    WizardSteps steps_;
    QStackedWidget* pages_;
    QMap<int, QWidget*> panels_;
    WidgetMessages messages_;
    Messages* unattendedNotes_ = nullptr;
    WidgetProgress* progress_ = nullptr;
    JobRunner* runner_ = nullptr;
    FileWindowLoader* hintLoader_ = nullptr;
    FileWindowLoader* crlfLoader_ = nullptr;
    bool lineEndingMixed_ = false;
    // The output path whose replacement the user has already agreed to.
    QString overwriteConfirmed_;
    bool running_ = false;
    bool lastRunSucceeded_ = false;
};

}  // namespace sorvek
