#pragma once
// Every message box of the desktop program goes through here, so that tests can answer them
// without a modal window (setNextAnswer, test mode) and read what was shown.
#include <QList>
#include <QMessageBox>
#include <QString>

#include <functional>

#include "ports/messages.h"

class QWidget;

namespace sorvek {

class MessageBox {
  public:
    // Shows `text` with an OK button and waits for it. An empty title shows the application title.
    static void show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon);
    // Asks a Yes/No question without an icon, Yes the default button; true for Yes.
    static bool askYesNo(QWidget* parent, const QString& text, const QString& title);
    // Asks a question whose Yes may lose the user's data (replace a file, delete, run a job
    // that spoils the input's kind of data): No is the default button, so that Enter keeps the
    // data, and `icon` (a warning unless told) is shown beside it. True for Yes.
    static bool askBeforeHarm(QWidget* parent, const QString& text, const QString& title,
                              MessageIcon icon = MessageIcon::Exclamation);
    // Shows `text` with an OK button and a button `actionCaption` beside it; true when the
    // action's button closed the box. Tests answer it with QMessageBox::Open.
    static bool showWithAction(QWidget* parent, const QString& text, const QString& title,
                               MessageIcon icon, const QString& actionCaption);
    // Asks whether unsaved work is to be saved: Save, Discard or Cancel (Esc and the close box
    // cancel). A warning icon.
    static QMessageBox::StandardButton askSaveDiscardCancel(QWidget* parent, const QString& text,
                                                            const QString& title);

    // --- For tests ---
    struct Shown {
        QString text;
        QString title;
        MessageIcon icon;
        // The button Enter presses; NoButton where the box has a single one.
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };
    // The answer to the next box (queued in order); the box is then not shown.
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // Run once, as the next box with a queued answer is "open", before it is answered: what
    // happens while a user reads it.
    static void setWhileOpen(std::function<void()> meanwhile);
    // In test mode no box is ever shown: a box without a queued answer gets OK, No or Cancel.
    static void setTestMode(bool on);
    // Every box since the last clearShown(), answered or shown.
    static const QList<Shown>& shown();
    static void clearShown();
};

// The engine's message port on message boxes.
class WidgetMessages final : public Messages {
  public:
    explicit WidgetMessages(QWidget* parent) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const std::string& text, const std::string& title, MessageIcon icon) override;
    bool askYesNo(const std::string& text, const std::string& title) override;
    bool askBeforeHarm(const std::string& text, const std::string& title,
                       MessageIcon icon) override;

  private:
    QWidget* parent_;
};

}  // namespace sorvek
