#include "ui/dialogs/c_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QQueue>
#include <QRegularExpression>
#include <QSplitter>
#include <QTreeView>
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

// Qt's own file dialog is wide enough for its details (name, size, type, date) to be read
// whole: the name takes the room the others leave. A native dialog has no such view.
void makeRoomy(QFileDialog& dialog) {
    dialog.resize(std::max(dialog.width(), 860), std::max(dialog.height(), 520));
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (view == nullptr) return;
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

// Opens the dialog at `startPath`: a path that names a file opens its folder with its name
// filled in; a folder path (ending in the separator) just opens that folder.
void startAt(QFileDialog& dialog, const QString& startPath) {
    if (startPath.isEmpty() || startPath.endsWith(QDir::separator()) ||
        startPath.endsWith(QLatin1Char('/'))) {
        if (!startPath.isEmpty()) dialog.setDirectory(startPath);
        return;
    }
    const QFileInfo start(startPath);
    dialog.setDirectory(start.absolutePath());
    dialog.selectFile(start.fileName());
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
    startAt(dialog, startPath);
    QList<QUrl> sidebar = dialog.sidebarUrls();
    for (const QString& place : places) {
        const QUrl url = QUrl::fromLocalFile(place);
        if (QFileInfo(place).isDir() && !sidebar.contains(url)) sidebar.append(url);
    }
    dialog.setSidebarUrls(sidebar);
    makeRoomy(dialog);
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
    const QString selected = filters.value(filterIndex - 1);
    if (!save && !places.isEmpty()) {
        return showOpenDialogWithPlaces(owner, filters, selected, title, startPath, places);
    }
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && (flags & kOfnOverwritePrompt) == 0) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(selected);
    startAt(dialog, startPath);
    makeRoomy(dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
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
