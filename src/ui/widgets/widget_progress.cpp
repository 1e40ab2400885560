#include "ui/widgets/widget_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace sorvek {
namespace {
constexpr qint64 kRepaintIntervalMs = 40;
}

void WidgetProgress::showLabel() {
    label_->setVisible(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}

void WidgetProgress::showProgress(std::int32_t value, std::int32_t maximum) {
    if (!model_.apply(value, maximum)) return;
    bar_->setMaximum(model_.maximum());
    bar_->setValue(model_.value());
    label_->setText(QString::fromStdString(model_.label()));
    const bool atEnd = model_.value() == model_.maximum();
    if (!atEnd && sinceRepaint_.isValid() && sinceRepaint_.elapsed() < kRepaintIntervalMs) return;
    // The job runs on this thread: painting (and the window system's expose events) is handled
    // here, user input waits until the job has ended.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}

}  // namespace sorvek
