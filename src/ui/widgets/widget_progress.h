#pragma once
// The wizard's progress bar and its label, drawn from what a job running on a thread of its own
// reports (SharedProgress).
#include <cstdint>

#include "app/shared_progress.h"

class QLabel;
class QProgressBar;

namespace sorvek {

class WidgetProgress {
  public:
    WidgetProgress(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {}

    // Shows `snapshot` unless it is the one already shown: the label once the job has shown it,
    // the bar with its value and maximum ("(37/100%)"), or busy (no maximum) while an input of
    // unknown length is counted in bytes ("(12.3 MiB)").
    void draw(const ProgressSnapshot& snapshot);

  private:
    QProgressBar* bar_;
    QLabel* label_;
    std::uint64_t drawn_ = 0;
};

}  // namespace sorvek
