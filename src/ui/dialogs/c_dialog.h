#pragma once
// The file and folder dialogs. Callers pass everything per call and get a path back, or ""
// when the user cancelled. Tests answer the dialogs through setNextFileName / test mode.
#include <QList>
#include <QString>

class QWidget;

namespace sorvek {

// Flag bits of the file dialogs, as callers pass them.
inline constexpr int kOfnOverwritePrompt = 0x2;
inline constexpr int kOfnHideReadOnly = 0x4;
inline constexpr int kOfnFileMustExist = 0x1000;

// The filter of the input and output file fields: every file, those without an extension too.
inline constexpr const char* kAllFilesFilter = "全てのファイル (*)|*";

class cDialog {
  public:
    // The filter is pairs of description and pattern separated by "|" ("全てのファイル (*)|*");
    // a pattern may list several masks separated by ";". The filter index is 1-based. A
    // start path ending in the folder separator opens that folder; any other non-empty start path
    // opens its folder with its name filled in. The folders of `places` that exist are added to
    // the side bar after the dialog's own places; the dialog is then Qt's own, as a native one
    // takes no places.
    QString showOpenDialog(QWidget* owner, int flags, const QString& filter, int filterIndex,
                           const QString& title, const QString& startPath,
                           const QStringList& places = {});
    // As showOpenDialog; asks before replacing an existing file only with kOfnOverwritePrompt.
    QString showSaveDialog(QWidget* owner, int flags, const QString& filter, int filterIndex,
                           const QString& title, const QString& startPath);

    // The "description|pattern|..." filters in Qt's form, "description (masks)" each: masks in
    // brackets at the end of a description are replaced by the pattern's masks.
    static QStringList qtFilters(const QString& filter);

    // --- For tests ---
    struct Call {
        QString kind;  // "open", "save" or "folder"
        QString title;
        QString startPath;
        int flags;
        QStringList places;  // the places added to the side bar
    };
    // The result of the next dialog (queued in order; "" = cancelled); the dialog is not shown.
    static void setNextFileName(const QString& path);
    // In test mode no dialog is ever shown: a dialog without a queued result is cancelled.
    static void setTestMode(bool on);
    static const QList<Call>& calls();
    static void clearCalls();
};

// The folder chooser: the chosen folder without a trailing separator (except the root), or "".
QString browseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder);

}  // namespace sorvek
