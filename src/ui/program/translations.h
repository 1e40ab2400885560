#pragma once
// Qt's own texts (the buttons of standard message boxes, the file and folder dialogs) in
// Japanese, from the translations Qt installs.
class QCoreApplication;

namespace sorvek {

// Loads Qt's Japanese translation ("qtbase_ja") from Qt's translations folder and installs it
// into `app`, which keeps it, with the few texts of Qt's file dialog that translation lacks.
// False when the file is missing or unreadable: Qt's texts then stay
// in English and nothing else changes.
bool installQtTranslation(QCoreApplication& app);

}  // namespace sorvek
