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
    if (!model_.apply(value, maximum)) {
        // An empty stream ends with a report the bar refuses: it stops being busy all the same.
        if (maximum != -1 && bar_->maximum() == 0) bar_->setRange(0, 1);
        return;
    }
    bar_->setMaximum(model_.maximum());
    bar_->setValue(model_.value());
    label_->setText(QString::fromStdString(model_.label()));
    repaint(model_.value() == model_.maximum());
}

void WidgetProgress::showBytesDone(std::int64_t bytes) {
    if (bar_->maximum() != 0) bar_->setRange(0, 0);
    label_->setText(QStringLiteral("(%1)").arg(QString::fromStdString(byteCountText(bytes))));
    repaint(bytes == 0);
}

void WidgetProgress::repaint(bool now) {
    if (!now && sinceRepaint_.isValid() && sinceRepaint_.elapsed() < kRepaintIntervalMs) return;
    // The job runs on this thread: painting (and the window system's expose events) is handled
    // here, user input waits until the job has ended.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.start();
}

}  // namespace sorvek
