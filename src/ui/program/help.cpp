#include "ui/program/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "ui/dialogs/message_box.h"

namespace sorvek {

QString manualPathFor(const QString& programFolder) {
    const QDir folder(programFolder);
    for (const QString& relative : {QStringLiteral("manual/index.html"),
                                    QStringLiteral("../share/doc/sorvek/manual/index.html")}) {
        const QFileInfo file(folder.filePath(relative));
        if (file.isFile()) return file.canonicalFilePath();
    }
    return {};
}

bool openManual(QWidget* parent) {
    return openManual(parent, QCoreApplication::applicationDirPath());
}

namespace {

bool openManualIn(QWidget* parent, const QString& programFolder, const QString& topic) {
    const QString path = manualPathFor(programFolder);
    if (path.isEmpty()) {
        MessageBox::show(parent,
                         QStringLiteral("ヘルプファイルが見つかりません。\nfni = ") +
                             QDir(programFolder).filePath(QStringLiteral("manual/index.html")),
                         QString(), MessageIcon::Exclamation);
        return false;
    }
    if (!QDesktopServices::openUrl(manualUrl(path, topic))) {
        MessageBox::show(parent, QStringLiteral("ヘルプを表示できませんでした。\nfni = ") + path,
                         QString(), MessageIcon::Exclamation);
        return false;
    }
    return true;
}

}  // namespace

QUrl manualUrl(const QString& path, const QString& topic) {
    QUrl url = QUrl::fromLocalFile(path);
    if (!topic.isEmpty()) url.setFragment(topic);
    return url;
}

bool openManual(QWidget* parent, const QString& programFolder) {
    return openManualIn(parent, programFolder, QString());
}

bool openManualAt(QWidget* parent, const QString& topic) {
    return openManualIn(parent, QCoreApplication::applicationDirPath(), topic);
}

}  // namespace sorvek
