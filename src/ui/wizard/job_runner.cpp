#include "ui/wizard/job_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <utility>

#include "engine/job_count.h"
#include "ui/dialogs/message_box.h"

namespace sorvek {
namespace {

constexpr int kRedrawIntervalMs = 40;

// The message port on the job's thread: every message is shown on the window's thread, and the
// job waits for the answer.
class ForwardedMessages final : public Messages {
  public:
    explicit ForwardedMessages(QWidget* window) : window_(window) {}

    void show(const std::string& text, const std::string& title, MessageIcon icon) override {
        onWindowThread([&] {
            MessageBox::show(window_, QString::fromStdString(text), QString::fromStdString(title),
                             icon);
        });
    }
    bool askYesNo(const std::string& text, const std::string& title) override {
        bool yes = false;
        onWindowThread([&] {
            yes = MessageBox::askYesNo(window_, QString::fromStdString(text),
                                       QString::fromStdString(title));
        });
        return yes;
    }
    bool askBeforeHarm(const std::string& text, const std::string& title,
                       MessageIcon icon) override {
        bool yes = false;
        onWindowThread([&] {
            yes = MessageBox::askBeforeHarm(window_, QString::fromStdString(text),
                                            QString::fromStdString(title), icon);
        });
        return yes;
    }

  private:
    template <typename F>
    void onWindowThread(F&& f) {
        QMetaObject::invokeMethod(qApp, std::forward<F>(f), Qt::BlockingQueuedConnection);
    }
    QWidget* window_;
};

}  // namespace

JobRunner::JobRunner(QWidget* window, WidgetProgress& display)
    : QObject(window), window_(window), display_(display) {
    redraw_.setInterval(kRedrawIntervalMs);
    connect(&redraw_, &QTimer::timeout, this, [this] { display_.draw(progress_.snapshot()); });
}

JobRunner::~JobRunner() {
    cancel_ = true;
    if (gate_) gate_->release();
    if (thread_.joinable()) thread_.join();
}

ExecuteResult JobRunner::run(const AppState& state) {
    running_ = true;
    cancelled_ = false;
    cancel_ = false;
    gate_ = std::make_unique<JobGate>();
    if (std::exchange(holdAtStart_, false)) (void)gate_->hold();  // nothing runs yet: it holds
    ExecuteResult result{false, false, {}};
    std::atomic<bool> done{false};
    QEventLoop loop;
    thread_ = std::thread([this, job = state, &result, &done, &loop]() mutable {
        ForwardedMessages messages(window_);
        EngineContext context{progress_};
        context.cancelled = &cancel_;
        context.gate = gate_.get();
        // Workers where they pay on this machine (engine/job_count.h); the same bytes either way.
        context.jobs = chooseJobCount(0, job.job.JobParams[0], context.files).jobs;
        result = executeJob(job, context, messages);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    redraw_.start();
    loop.exec();
    // The program is ending (the event loops were told to quit): the job is stopped, and its
    // messages are still answered while it ends.
    while (!done) {
        cancel_ = true;
        gate_->release();
        // The redraw timer wakes this up at least every few tens of milliseconds.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    thread_.join();
    redraw_.stop();
    display_.draw(progress_.snapshot());
    cancelled_ = cancel_ && !result.succeeded;
    running_ = false;
    return result;
}

void JobRunner::cancel() {
    cancel_ = true;
}

bool JobRunner::hold() {
    return running_ && gate_->hold();
}

void JobRunner::release() {
    if (gate_) gate_->release();
}

}  // namespace sorvek
