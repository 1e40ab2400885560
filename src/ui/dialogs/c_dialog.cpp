#include "ui/dialogs/c_dialog.h"

#include <QFileDialog>
#include <QQueue>
#include <QRegularExpression>

#include <optional>

namespace sorvek {
namespace {

struct Hooks {
    bool testMode = false;
    QQueue<QString> answers;
    QList<cDialog::Call> calls;
};

Hooks& hooks() {
    static Hooks instance;
    return instance;
}

std::optional<QString> presetAnswer(const cDialog::Call& call) {
    Hooks& h = hooks();
    h.calls.append(call);
    if (!h.answers.isEmpty()) return h.answers.dequeue();
    if (h.testMode) return QString();
    return std::nullopt;
}

QString showFileDialog(bool save, QWidget* owner, int flags, const QString& filter, int filterIndex,
                       const QString& title, const QString& startPath) {
    if (auto answer = presetAnswer({save ? "save" : "open", title, startPath, flags})) {
        return *answer;
    }
    const QStringList filters = cDialog::qtFilters(filter);
    QString selected = filters.value(filterIndex - 1);
    QFileDialog::Options options;
    if (save && (flags & kOfnOverwritePrompt) == 0) options |= QFileDialog::DontConfirmOverwrite;
    // Qt opens the folder of a start path that names a file and fills in its name; a folder
    // path (ending in the separator) just opens that folder.
    const QString joined = filters.join(QStringLiteral(";;"));
    return save ? QFileDialog::getSaveFileName(owner, title, startPath, joined, &selected, options)
                : QFileDialog::getOpenFileName(owner, title, startPath, joined, &selected, options);
}

}  // namespace

QStringList cDialog::qtFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& mask : masks) mask = mask.trimmed();
        // Qt reads the masks from the description's last brackets: masks the description
        // already shows in brackets of its own are replaced there rather than shown twice.
        QString description = parts[i].trimmed();
        static const QRegularExpression shownMasks(QStringLiteral("\\s*[(（][^()（）]*[)）]$"));
        description.remove(shownMasks);
        result.append(description + QStringLiteral(" (") + masks.join(QLatin1Char(' ')) +
                      QLatin1Char(')'));
    }
    return result;
}

QString cDialog::showOpenDialog(QWidget* owner, int flags, const QString& filter, int filterIndex,
                                const QString& title, const QString& startPath) {
    return showFileDialog(false, owner, flags, filter, filterIndex, title, startPath);
}

QString cDialog::showSaveDialog(QWidget* owner, int flags, const QString& filter, int filterIndex,
                                const QString& title, const QString& startPath) {
    return showFileDialog(true, owner, flags, filter, filterIndex, title, startPath);
}

void cDialog::setNextFileName(const QString& path) {
    hooks().answers.enqueue(path);
}

void cDialog::setTestMode(bool on) {
    hooks().testMode = on;
}

const QList<cDialog::Call>& cDialog::calls() {
    return hooks().calls;
}

void cDialog::clearCalls() {
    hooks().calls.clear();
    hooks().answers.clear();
}

QString browseForFolder(QWidget* owner, const QString& prompt, const QString& startFolder) {
    if (auto answer = presetAnswer({QStringLiteral("folder"), prompt, startFolder, 0})) {
        return *answer;
    }
    return QFileDialog::getExistingDirectory(owner, prompt, startFolder, QFileDialog::ShowDirsOnly);
}

}  // namespace sorvek
