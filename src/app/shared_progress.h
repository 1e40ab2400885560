#pragma once
// The progress port of a job that runs on a thread of its own: the engine reports on the job's
// thread, the window fetches what there is to draw on its own thread, as often as it repaints.
#include <cstdint>
#include <string>

#include "platform/mutex.h"
#include "platform/thread_annotations.h"
#include "ports/progress.h"

namespace sorvek {

// What the progress display shows at one moment.
struct ProgressSnapshot {
    bool labelShown = false;
    // An input of unknown length: the bar is busy (no maximum) and the label counts bytes.
    bool busy = false;
    std::int32_t value = 0;
    std::int32_t maximum = 100;
    std::string label;  // "(37/100%)", or "(12.3 MiB)" while busy
    // Grows with every change, so that a display draws only what is new.
    std::uint64_t version = 0;
    bool operator==(const ProgressSnapshot&) const = default;
};

// Follows the rules of the port: a refused report changes nothing, except that an input of
// unknown length that ends with one (an empty stream) stops being busy.
class SharedProgress final : public Progress {
  public:
    void showLabel() override EXCLUDES(mutex_);
    void showProgress(std::int32_t value, std::int32_t maximum) override EXCLUDES(mutex_);
    void showBytesDone(std::int64_t bytes) override EXCLUDES(mutex_);
    // Safe from any thread.
    ProgressSnapshot snapshot() const EXCLUDES(mutex_);

  private:
    mutable Mutex mutex_;
    ProgressBarModel model_ GUARDED_BY(mutex_);
    ProgressSnapshot state_ GUARDED_BY(mutex_);
};

}  // namespace sorvek
