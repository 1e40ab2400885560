#pragma once
// Pop-up menus that show the keys of their commands. The keys belong to the view the menu opens
// over, which handles them itself; the menu only shows them.
#include <QKeySequence>

class QAction;
class QMenu;

namespace sorvek {

// Shows `keys` beside `action` in its menu.
void showKeysInMenu(QAction* action, const QKeySequence& keys);

// Keys typed while `menu` is open go to the menu (its highlighted item, its letters), never to
// the keys shown beside its items: Enter runs the highlighted item, not the one shown with Enter.
void keepKeysInMenu(QMenu* menu);

}  // namespace sorvek
