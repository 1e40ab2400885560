#include "ui/wizard/check_runner.h"

#include <QMetaObject>

#include "app/failure_message.h"
#include "engine/csv_check.h"
#include "engine/inspection.h"
#include "engine/job_count.h"

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
    launch([this, file = path.toStdString(), table](Progress& progress,
                                                    const std::atomic<bool>& cancel) {
        InspectionContext context{progress};
        context.cancel = &cancel;
        // As the wizard's jobs: workers where they pay, with the same report.
        context.jobs = chooseJobCount(0, file, osFileSystem()).jobs;
        Result<InspectionReport> report = inspectFile(file, &table, context);
        if (!report) return deliverFailure(report.error());
        return deliverReport(report->cancelled,
                             [this, report = std::move(*report)] { emit finished(report); });
    });
}

void CheckRunner::startCsv(const QString& path, const RecordDefTable& table,
                           const RecordOutputOptions& records) {
    launch([this, file = path.toStdString(), table, records](Progress& progress,
                                                             const std::atomic<bool>& cancel) {
        EngineContext context{progress};
        context.cancelled = &cancel;
        Result<CsvCheckReport> report = checkCsvFile(file, table, records, context);
        if (!report) return deliverFailure(report.error());
        return deliverReport(report->cancelled,
                             [this, report = std::move(*report)] { emit csvFinished(report); });
    });
}

CheckRunner::Delivery CheckRunner::deliverFailure(const Failure& failure) {
    return [this, message = QString::fromStdString(failureMessage(failure).text)] {
        emit failed(message);
    };
}

CheckRunner::Delivery CheckRunner::deliverReport(bool cancelled, std::function<void()> emitReport) {
    return [this, cancelled, emitReport = std::move(emitReport)] {
        emit progressed(cancelled ? shared_->percent.load() : 100);
        emitReport();
    };
}

void CheckRunner::launch(std::function<Delivery(Progress&, const std::atomic<bool>&)> work) {
    if (thread_.joinable()) thread_.join();
    shared_ = std::make_shared<Shared>();
    running_ = true;
    poll_.start();
    emit progressed(0);
    const std::uint64_t generation = ++generation_;
    thread_ = std::thread([this, shared = shared_, work = std::move(work), generation] {
        AtomicProgress progress(shared->percent);
        Delivery deliver = work(progress, shared->cancel);
        QMetaObject::invokeMethod(
            this,
            [this, deliver = std::move(deliver), generation] {
                if (generation != generation_) return;
                running_ = false;
                poll_.stop();
                deliver();
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
