#pragma once
// Every message box of the desktop program goes through here, so that tests can answer them
// without a modal window (setNextAnswer, test mode) and read what was shown.
#include <QList>
#include <QMessageBox>
#include <QString>

#include "ports/messages.h"

class QWidget;

namespace sorvek {

class MessageBox {
  public:
    // Shows `text` with an OK button and waits for it. An empty title shows the application title.
    static void show(QWidget* parent, const QString& text, const QString& title, MessageIcon icon);
    // Asks a Yes/No question without an icon; true for Yes.
    static bool askYesNo(QWidget* parent, const QString& text, const QString& title);
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
    };
    // The answer to the next box (queued in order); the box is then not shown.
    static void setNextAnswer(QMessageBox::StandardButton answer);
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

  private:
    QWidget* parent_;
};

}  // namespace sorvek
