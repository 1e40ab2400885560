#include "ui/widgets/widget_progress.h"

#include <QLabel>
#include <QProgressBar>

namespace sorvek {

void WidgetProgress::draw(const ProgressSnapshot& snapshot) {
    if (snapshot.version == drawn_) return;
    drawn_ = snapshot.version;
    if (snapshot.labelShown) label_->setVisible(true);
    if (snapshot.busy) {
        if (bar_->maximum() != 0) bar_->setRange(0, 0);
    } else {
        bar_->setRange(0, snapshot.maximum);
        bar_->setValue(snapshot.value);
    }
    if (!snapshot.label.empty()) label_->setText(QString::fromStdString(snapshot.label));
}

}  // namespace sorvek
