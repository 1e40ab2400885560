#include "ui/widgets/file_drop.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace sorvek {
namespace {

// The first local file of the data, or "" when it carries no list of local files.
QString firstLocalFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return {};
}

}  // namespace

void FileDropFilter::install(QComboBox* box) {
    auto* filter = new FileDropFilter(box);
    box->setAcceptDrops(true);
    box->installEventFilter(filter);
    if (box->lineEdit() != nullptr) {
        box->lineEdit()->setAcceptDrops(true);
        box->lineEdit()->installEventFilter(filter);
    }
}

void FileDropFilter::install(QLineEdit* box) {
    box->setAcceptDrops(true);
    box->installEventFilter(new FileDropFilter(box));
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (firstLocalFile(drag->mimeData()).isEmpty()) {
                drag->ignore();
            } else {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = firstLocalFile(drop->mimeData());
            if (path.isEmpty()) {
                drop->ignore();
                return true;
            }
            // The box is the watched object or the combo box owning the watched line edit.
            QObject* target = watched;
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
                if (auto* combo = qobject_cast<QComboBox*>(edit->parent())) target = combo;
            }
            if (auto* combo = qobject_cast<QComboBox*>(target)) {
                combo->setEditText(path);
            } else if (auto* edit = qobject_cast<QLineEdit*>(target)) {
                edit->setText(path);
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace sorvek
