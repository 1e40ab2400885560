#include "ui/dialogs/message_box.h"
#include "ports/app_title.h"

#include <QPushButton>
#include <QQueue>

#include <functional>
#include <optional>
#include <utility>

namespace sorvek {
namespace {

struct Hooks {
    bool testMode = false;
    QQueue<QMessageBox::StandardButton> answers;
    QList<MessageBox::Shown> shown;
    std::function<void()> whileOpen;
};

Hooks& hooks() {
    static Hooks instance;
    return instance;
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The queued or default answer when no box is to be shown; nothing when the box must be shown.
std::optional<QMessageBox::StandardButton> presetAnswer(QMessageBox::StandardButton fallback) {
    Hooks& h = hooks();
    if (!h.answers.isEmpty()) {
        // What happens while the user reads the box, before the queued answer comes.
        if (std::function<void()> meanwhile = std::exchange(h.whileOpen, {})) meanwhile();
        return h.answers.dequeue();
    }
    if (h.testMode) return fallback;
    return std::nullopt;
}

QMessageBox::StandardButton exec(
    QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton fallback,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    const QString shownTitle = title.isEmpty() ? QString::fromUtf8(kAppTitle) : title;
    hooks().shown.append({text, shownTitle, icon, defaultButton});
    if (auto answer = presetAnswer(fallback)) return *answer;
    QMessageBox box(qtIcon(icon), shownTitle, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void MessageBox::show(QWidget* parent, const QString& text, const QString& title,
                      MessageIcon icon) {
    exec(parent, text, title, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool MessageBox::askYesNo(QWidget* parent, const QString& text, const QString& title) {
    return exec(parent, text, title, MessageIcon::None, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool MessageBox::askBeforeHarm(QWidget* parent, const QString& text, const QString& title,
                               MessageIcon icon) {
    return exec(parent, text, title, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

bool MessageBox::showWithAction(QWidget* parent, const QString& text, const QString& title,
                                MessageIcon icon, const QString& actionCaption) {
    const QString shownTitle = title.isEmpty() ? QString::fromUtf8(kAppTitle) : title;
    hooks().shown.append({text, shownTitle, icon});
    if (auto answer = presetAnswer(QMessageBox::Ok)) return *answer == QMessageBox::Open;
    QMessageBox box(qtIcon(icon), shownTitle, text, QMessageBox::Ok, parent);
    QPushButton* action = box.addButton(actionCaption, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == action;
}

QMessageBox::StandardButton MessageBox::askSaveDiscardCancel(QWidget* parent, const QString& text,
                                                             const QString& title) {
    return exec(parent, text, title, MessageIcon::Exclamation,
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Cancel,
                QMessageBox::Save);
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) {
    hooks().answers.enqueue(answer);
}

void MessageBox::setWhileOpen(std::function<void()> meanwhile) {
    hooks().whileOpen = std::move(meanwhile);
}

void MessageBox::setTestMode(bool on) {
    hooks().testMode = on;
}

const QList<MessageBox::Shown>& MessageBox::shown() {
    return hooks().shown;
}

void MessageBox::clearShown() {
    hooks().shown.clear();
    hooks().answers.clear();
    hooks().whileOpen = {};
}

void WidgetMessages::show(const std::string& text, const std::string& title, MessageIcon icon) {
    MessageBox::show(parent_, QString::fromStdString(text), QString::fromStdString(title), icon);
}

bool WidgetMessages::askYesNo(const std::string& text, const std::string& title) {
    return MessageBox::askYesNo(parent_, QString::fromStdString(text),
                                QString::fromStdString(title));
}

bool WidgetMessages::askBeforeHarm(const std::string& text, const std::string& title,
                                   MessageIcon icon) {
    return MessageBox::askBeforeHarm(parent_, QString::fromStdString(text),
                                     QString::fromStdString(title), icon);
}

}  // namespace sorvek
