#pragma once
// Where windows and pop-up menus appear.
#include <QEvent>
#include <QPoint>
#include <QWidget>

#include <optional>

namespace sorvek {

// Moves a window to the middle of its screen (not of its owner), frame included.
void centreOnScreen(QWidget& window);

// The global position of a right-button press, for views that open their pop-up menu on the
// press without moving the selection; nothing for any other event.
std::optional<QPoint> rightButtonPress(const QEvent* event);

}  // namespace sorvek
