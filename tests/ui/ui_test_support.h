#pragma once
// Shared pieces of the widget tests: a settings file in a temporary folder, file helpers, and
// the check that a test left no window behind.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

class QWidget;

namespace sorvek {
class frmWizSub;
}

namespace sorvek::testing {

// Puts message boxes and file dialogs into test mode: nothing modal is ever shown.
void answerDialogsInTests();

// Names of top-level windows still alive after pending deletions ran; each is deleted.
QStringList takeLeakedWindows();

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);
// A completion message without its "所要時間" line, which varies from run to run (a failed check
// when the line is missing).
QString withoutTimeTaken(const QString& message);

// The edit dialog is modal: a test queues what to do with each one before the command that opens
// it. When a dialog shows, the next handler runs on it (from the dialog's own event loop). A
// dialog still open after its handler, or one without a handler, is cancelled and counted as
// unexpected.
void onNextEditDialog(std::function<void(frmWizSub&)> handler);
// Edit dialogs shown since the last reset, and those that no handler closed.
int editDialogsShown();
int unexpectedEditDialogs();
// Forgets queued handlers and zeroes both counts.
void resetEditDialogs();

// The widget named `name` below `root`, or a test failure.
template <typename T>
T* child(QWidget* root, const QString& name);

}  // namespace sorvek::testing

#include <QWidget>

template <typename T>
T* sorvek::testing::child(QWidget* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (found == nullptr) qWarning("no child %s", qPrintable(name));
    return found;
}
