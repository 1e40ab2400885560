#pragma once
// Runs the wizard's execute step on a thread of its own, so that the window stays usable (it
// repaints, and its cancel button works) while a job of any length runs. The engine's ports are
// carried over to the window's thread: its messages are shown over the window and the job waits
// for them as it would on the window's own thread; its progress is drawn a few tens of times a
// second.
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "app/app_state.h"
#include "app/shared_progress.h"
#include "app/wizard_steps.h"
#include "engine/job_gate.h"
#include "ui/widgets/widget_progress.h"

class QWidget;

namespace sorvek {

class JobRunner : public QObject {
    Q_OBJECT
  public:
    // Messages are shown over `window`; progress is drawn by `display`. Both must outlive the
    // runner.
    JobRunner(QWidget* window, WidgetProgress& display);
    // Waits for a job still running (after asking it to stop).
    ~JobRunner() override;

    // Runs the execute step of a copy of `state`, so that the window may read its own state
    // meanwhile. Returns when the job has ended; the window's events are handled meanwhile.
    // REQUIRES: !running().
    ExecuteResult run(const AppState& state);
    // Asks the running job to stop between two blocks; it ends as a failure that says so and
    // leaves the output as it was, unless it is already replacing its outputs (see `hold`).
    void cancel();
    // Holds the running job where it stands: at its next block, or with its outputs written
    // but not yet replaced, until `release`. The window holds it while it asks whether to
    // cancel, so that the answer still finds the old outputs. False when there is nothing to
    // hold: no job runs, or it has already begun to replace its outputs (a cancel comes too
    // late; the job completes).
    bool hold();
    // Lets the held job go on; after `cancel` it ends as cancelled, its old outputs kept.
    void release();
    // For tests: the next run starts held, as if the cancel question had opened at once, so
    // that a job of one block reliably finishes converting while the question is open.
    void holdAtStart() { holdAtStart_ = true; }
    // True while the held job has written everything and waits to replace its outputs.
    bool waitingToReplace() const { return running_ && gate_ && gate_->waitingToReplace(); }
    bool running() const { return running_; }
    // True once the running job has been asked to stop.
    bool cancelRequested() const { return running_ && cancel_; }
    // True when the last run was asked to stop and did not succeed.
    bool cancelled() const { return cancelled_; }

  private:
    QWidget* window_;
    WidgetProgress& display_;
    SharedProgress progress_;
    QTimer redraw_;
    std::atomic<bool> cancel_{false};
    // One for each run, made before its thread starts.
    std::unique_ptr<JobGate> gate_;
    std::thread thread_;
    bool running_ = false;
    bool cancelled_ = false;
    bool holdAtStart_ = false;
};

}  // namespace sorvek
