#pragma once
// Runs the inspection of the whole input file (the "点検" of the record-definition page) on a
// thread of its own, with progress and a way to stop it, so that the window stays usable: of
// records read through the definition, or of a delimited text read as the CSV-to-records job
// reads it.
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "engine/csv_check_report.h"
#include "engine/inspection_report.h"
#include "model/record_def.h"
#include "model/record_output_options.h"
#include "ports/progress.h"
#include "ports/status.h"

namespace sorvek {

class CheckRunner : public QObject {
    Q_OBJECT
  public:
    explicit CheckRunner(QObject* parent = nullptr);
    // Stops a run under way and waits for it.
    ~CheckRunner() override;

    // Inspects the file at `path` through a copy of `table`. REQUIRES: !running().
    void start(const QString& path, const RecordDefTable& table);
    // Reads the text at `path` as the CSV-to-records job reads it through a copy of `table` and
    // `records` (checkCsvFile); the report comes as `csvFinished`. REQUIRES: !running().
    void startCsv(const QString& path, const RecordDefTable& table,
                  const RecordOutputOptions& records);
    // Asks the run to stop; it ends with a report on what it read (`finished`, cancelled).
    void cancel();
    // Stops the run and drops its answer: no signal comes of it, and running() is false at
    // once (a new run waits for the old one's thread, which stops between two blocks).
    void discard();
    bool running() const { return running_; }

  signals:
    // Percent of the file read, a few times a second while it runs.
    void progressed(int percent);
    // The report (cancelled when stopped), on this object's thread.
    void finished(const sorvek::InspectionReport& report);
    void csvFinished(const sorvek::CsvCheckReport& report);
    void failed(const QString& message);

  private:
    // What a run hands back to this object's thread: the call that tells its outcome.
    using Delivery = std::function<void()>;
    // Runs `work` on the run's thread, with the run's progress and cancel flag; the delivery it
    // returns is called on this object's thread unless the run was discarded meanwhile.
    void launch(std::function<Delivery(Progress&, const std::atomic<bool>&)> work);
    // The delivery of a failure or of a report (`cancelled`: the percent stays where it was).
    Delivery deliverFailure(const Failure& failure);
    Delivery deliverReport(bool cancelled, std::function<void()> emitReport);

    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    QTimer poll_;
    bool running_ = false;
    std::uint64_t generation_ = 0;  // of the run whose answer is wanted
};

}  // namespace sorvek
