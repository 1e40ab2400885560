#include "ui_test_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMenu>

#include "ui/c_dialog.h"
#include "ui/message_box.h"

namespace sorvek::testing {

void answerDialogsInTests() {
    MessageBox::setTestMode(true);
    cDialog::setTestMode(true);
}

QStringList takeLeakedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList leaked;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        // Menus, tooltips and the like are Qt's own helpers, not windows of the program.
        if (w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip ||
            qobject_cast<QMenu*>(w) != nullptr || w->parentWidget() != nullptr) {
            continue;
        }
        leaked.append(w->objectName().isEmpty() ? QString::fromUtf8(w->metaObject()->className())
                                                : w->objectName());
        delete w;
    }
    return leaked;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

}  // namespace sorvek::testing
