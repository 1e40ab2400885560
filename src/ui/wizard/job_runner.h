#pragma once
// Runs the wizard's execute step on a thread of its own, so that the window stays usable (it
// repaints, and its cancel button works) while a job of any length runs. The engine's ports are
// carried over to the window's thread: its messages are shown over the window and the job waits
// for them as it would on the window's own thread; its progress is drawn a few tens of times a
// second.
#include <QObject>
#include <QTimer>
#include <atomic>
#include <thread>

#include "app/app_state.h"
#include "app/shared_progress.h"
#include "app/wizard_steps.h"
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
    // leaves the output as it was.
    void cancel();
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
    std::thread thread_;
    bool running_ = false;
    bool cancelled_ = false;
};

}  // namespace sorvek
