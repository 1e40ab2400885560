#pragma once
// Runs the inspection of the whole input file (the "点検" of the record-definition page) on a
// thread of its own, with progress and a way to stop it, so that the window stays usable.
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "engine/inspection_report.h"
#include "model/record_def.h"

namespace sorvek {

class CheckRunner : public QObject {
    Q_OBJECT
  public:
    explicit CheckRunner(QObject* parent = nullptr);
    // Stops a run under way and waits for it.
    ~CheckRunner() override;

    // Inspects the file at `path` through a copy of `table`. REQUIRES: !running().
    void start(const QString& path, const RecordDefTable& table);
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
    void failed(const QString& message);

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
    QTimer poll_;
    bool running_ = false;
    std::uint64_t generation_ = 0;  // of the run whose answer is wanted
};

}  // namespace sorvek
