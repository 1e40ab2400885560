#include "ui/widgets/menu_keys.h"

#include <QAction>
#include <QEvent>
#include <QMenu>

namespace sorvek {
namespace {

// Accepting the override hands every key to the menu as an ordinary key press.
class KeysStayInMenu : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void showKeysInMenu(QAction* action, const QKeySequence& keys) {
    action->setShortcut(keys);
    // Only while the menu itself has the keyboard, where keepKeysInMenu hands keys to the menu.
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
}

void keepKeysInMenu(QMenu* menu) {
    menu->installEventFilter(new KeysStayInMenu(menu));
}

}  // namespace sorvek
