#include "ui/dialogs/c_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>
#include <QRegularExpression>
#include <QSplitter>
#include <QUrl>

#include <algorithm>
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

// Qt's own open dialog, with the folders of `places` after its own places in the side bar.
QString showOpenDialogWithPlaces(QWidget* owner, const QStringList& filters,
                                 const QString& selected, const QString& title,
                                 const QString& startPath, const QStringList& places) {
    QFileDialog dialog(owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(selected);
    if (startPath.isEmpty() || startPath.endsWith(QDir::separator()) ||
        startPath.endsWith(QLatin1Char('/'))) {
        if (!startPath.isEmpty()) dialog.setDirectory(startPath);
    } else {
        const QFileInfo start(startPath);
        dialog.setDirectory(start.absolutePath());
        dialog.selectFile(start.fileName());
    }
    QList<QUrl> sidebar = dialog.sidebarUrls();
    for (const QString& place : places) {
        const QUrl url = QUrl::fromLocalFile(place);
        if (QFileInfo(place).isDir() && !sidebar.contains(url)) sidebar.append(url);
    }
    dialog.setSidebarUrls(sidebar);
    // The places are named by their folders: wide enough to read the names.
    if (auto* split = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
        const int side = split->widget(0)->sizeHint().width() * 3 / 2;
        split->setSizes({side, std::max(dialog.width() - side, side)});
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

QString showFileDialog(bool save, QWidget* owner, int flags, const QString& filter, int filterIndex,
                       const QString& title, const QString& startPath,
                       const QStringList& places = {}) {
    if (auto answer = presetAnswer({save ? "save" : "open", title, startPath, flags, places})) {
        return *answer;
    }
    const QStringList filters = cDialog::qtFilters(filter);
    QString selected = filters.value(filterIndex - 1);
    QFileDialog::Options options;
    if (save && (flags & kOfnOverwritePrompt) == 0) options |= QFileDialog::DontConfirmOverwrite;
    // Qt opens the folder of a start path that names a file and fills in its name; a folder
    // path (ending in the separator) just opens that folder.
    if (!save && !places.isEmpty()) {
        return showOpenDialogWithPlaces(owner, filters, selected, title, startPath, places);
    }
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
                                const QString& title, const QString& startPath,
                                const QStringList& places) {
    return showFileDialog(false, owner, flags, filter, filterIndex, title, startPath, places);
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
    if (auto answer = presetAnswer({QStringLiteral("folder"), prompt, startFolder, 0, {}})) {
        return *answer;
    }
    return QFileDialog::getExistingDirectory(owner, prompt, startFolder, QFileDialog::ShowDirsOnly);
}

}  // namespace sorvek
