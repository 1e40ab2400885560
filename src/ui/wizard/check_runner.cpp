#include "ui/wizard/check_runner.h"

#include <QMetaObject>

#include "app/failure_message.h"
#include "engine/inspection.h"
#include "engine/part_workers.h"

namespace sorvek {

// What the run's thread and the window's thread both see.
struct CheckRunner::Shared {
    std::atomic<bool> cancel{false};
    std::atomic<int> percent{0};
};

namespace {

// The progress port of the run: keeps the percentage for the window's thread to fetch.
class AtomicProgress final : public Progress {
  public:
    explicit AtomicProgress(std::atomic<int>& percent) : percent_(percent) {}
    void showLabel() override {}
    void showProgress(std::int32_t value, std::int32_t maximum) override {
        if (model_.apply(value, maximum)) percent_ = model_.percent();
    }

  private:
    std::atomic<int>& percent_;
    ProgressBarModel model_;
};

}  // namespace

CheckRunner::CheckRunner(QObject* parent) : QObject(parent) {
    poll_.setInterval(100);
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (shared_) emit progressed(shared_->percent.load());
    });
}

CheckRunner::~CheckRunner() {
    if (shared_) shared_->cancel = true;
    if (thread_.joinable()) thread_.join();
}

void CheckRunner::start(const QString& path, const RecordDefTable& table) {
    if (thread_.joinable()) thread_.join();
    shared_ = std::make_shared<Shared>();
    running_ = true;
    poll_.start();
    emit progressed(0);
    const std::uint64_t generation = ++generation_;
    thread_ = std::thread([this, shared = shared_, file = path.toStdString(), table, generation] {
        AtomicProgress progress(shared->percent);
        InspectionContext context{progress};
        context.cancel = &shared->cancel;
        // As the wizard's jobs: more than one reads a regular file in parts, with the same report.
        context.jobs = kDefaultJobs;
        Result<InspectionReport> report = inspectFile(file, &table, context);
        QMetaObject::invokeMethod(
            this,
            [this, report = std::move(report), generation] {
                if (generation != generation_) return;
                running_ = false;
                poll_.stop();
                if (report) {
                    emit progressed(report->cancelled ? shared_->percent.load() : 100);
                    emit finished(*report);
                } else {
                    emit failed(QString::fromStdString(failureMessage(report.error()).text));
                }
            },
            Qt::QueuedConnection);
    });
}

void CheckRunner::cancel() {
    if (shared_) shared_->cancel = true;
}

void CheckRunner::discard() {
    cancel();
    ++generation_;
    running_ = false;
    poll_.stop();
}

}  // namespace sorvek
