#include "ui/widgets/window_placement.h"

#include <QMouseEvent>
#include <QScreen>

namespace sorvek {

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const QRect frame = window.frameGeometry();
    window.move(area.left() + (area.width() - frame.width()) / 2,
                area.top() + (area.height() - frame.height()) / 2);
}

std::optional<QPoint> rightButtonPress(const QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress) return std::nullopt;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (mouse->button() != Qt::RightButton) return std::nullopt;
    return mouse->globalPosition().toPoint();
}

}  // namespace sorvek
