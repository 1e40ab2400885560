#pragma once
// Shared pieces of the widget tests: a settings file in a temporary folder, file helpers, and
// the check that a test left no window behind.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QWidget;

namespace sorvek::testing {

// Puts message boxes and file dialogs into test mode: nothing modal is ever shown.
void answerDialogsInTests();

// Names of top-level windows still alive after pending deletions ran; each is deleted.
QStringList takeLeakedWindows();

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

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
