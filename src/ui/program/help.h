#pragma once
// The HTML manual that ships with the program, opened in the desktop's browser.
#include <QString>
#include <QUrl>

class QWidget;

namespace sorvek {

// The manual beside a program in `programFolder`: in the build folder
// (`manual/index.html`) or installed (`../share/doc/sorvek/manual/index.html`). "" when neither
// exists.
QString manualPathFor(const QString& programFolder);

// Opens the manual. A missing manual or a browser that cannot be started is told in a message
// box; the program goes on either way. False when the manual was not opened.
bool openManual(QWidget* parent);
// The same for a program in `programFolder`.
bool openManual(QWidget* parent, const QString& programFolder);
// Opens the manual at its section `topic` (an anchor of the page: "editor", "crlf").
bool openManualAt(QWidget* parent, const QString& topic);

// The address of the manual at `path`, at `topic` when one is given.
QUrl manualUrl(const QString& path, const QString& topic);

}  // namespace sorvek
