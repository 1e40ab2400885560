#pragma once
// The engine's progress port on the wizard's progress bar and its label.
#include <QElapsedTimer>

#include "ports/progress.h"

class QLabel;
class QProgressBar;

namespace sorvek {

class WidgetProgress final : public Progress {
  public:
    WidgetProgress(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {}

    void showLabel() override;
    // Updates the bar and the label "(37/100%)" unless the bar refuses the report, then lets
    // the window repaint (at most every few tens of milliseconds, and always at the end) while
    // keeping mouse and keyboard input out until the job is over.
    void showProgress(std::int32_t value, std::int32_t maximum) override;
    // An input of unknown length: the bar turns busy (no maximum) and the label shows the bytes
    // done, "(12.3 MiB)", until showProgress brings the bar to its end.
    void showBytesDone(std::int64_t bytes) override;

  private:
    // Lets the window repaint, at most every few tens of milliseconds unless `now`.
    void repaint(bool now);

    QProgressBar* bar_;
    QLabel* label_;
    ProgressBarModel model_;
    QElapsedTimer sinceRepaint_;
};

}  // namespace sorvek
