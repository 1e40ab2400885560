#include "ui_test_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QQueue>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "ui/dialogs/c_dialog.h"
#include "ui/dialogs/frm_wiz_sub.h"
#include "ui/dialogs/message_box.h"

namespace sorvek::testing {

void answerDialogsInTests() {
    MessageBox::setTestMode(true);
    cDialog::setTestMode(true);
}

QString withoutTimeTaken(const QString& message) {
    static const QRegularExpression time(QStringLiteral("\n所要時間: [0-9.]+ 秒"));
    if (!message.contains(time)) {
        qWarning("no time taken in: %s", qPrintable(message));
        return QStringLiteral("(no time taken)");
    }
    QString rest = message;
    return rest.remove(time);
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

namespace {

class EditDialogDriver : public QObject {
  public:
    QQueue<std::function<void(frmWizSub&)>> handlers;
    int shown = 0;
    int unexpected = 0;

    static EditDialogDriver& instance() {
        static EditDialogDriver* driver = [] {
            auto* d = new EditDialogDriver;
            qApp->installEventFilter(d);
            return d;
        }();
        return *driver;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<frmWizSub*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            ++shown;
            QPointer<frmWizSub> guard(dialog);
            auto handler = handlers.isEmpty() ? nullptr : handlers.dequeue();
            QTimer::singleShot(0, dialog, [this, guard, handler] {
                // As a window manager would, give the new dialog the keyboard.
                if (guard) {
                    guard->activateWindow();
                    if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == guard; })) {
                        qWarning("the edit dialog did not become active");
                    }
                }
                if (guard && handler) handler(*guard);
                if (guard && guard->isVisible()) {
                    ++unexpected;
                    guard->cmdCancel_Click();
                }
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void onNextEditDialog(std::function<void(frmWizSub&)> handler) {
    EditDialogDriver::instance().handlers.enqueue(std::move(handler));
}

int editDialogsShown() {
    return EditDialogDriver::instance().shown;
}

int unexpectedEditDialogs() {
    return EditDialogDriver::instance().unexpected;
}

void resetEditDialogs() {
    EditDialogDriver& driver = EditDialogDriver::instance();
    driver.handlers.clear();
    driver.shown = 0;
    driver.unexpected = 0;
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
