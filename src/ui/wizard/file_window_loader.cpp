#include "ui/wizard/file_window_loader.h"

#include <QFile>
#include <QMetaObject>

namespace sorvek {

FileWindowLoader::~FileWindowLoader() {
    ++generation_;
    if (thread_.joinable()) thread_.join();
}

void FileWindowLoader::load(const QString& path, std::int64_t offset, std::size_t bytes,
                            std::int64_t firstRecord, std::uint32_t blockLeft) {
    // The reading before is short (a few megabytes of a regular file) and no longer wanted.
    if (thread_.joinable()) thread_.join();
    const std::uint64_t generation = ++generation_;
    busy_ = true;
    thread_ = std::thread([this, path, offset, bytes, firstRecord, blockLeft, generation] {
        PreviewSource source;
        source.offset = offset;
        source.firstRecord = firstRecord;
        source.blockLeft = blockLeft;
        QString failure;
        if (!QFile::exists(path)) {
            failure = QStringLiteral("入力ファイルが存在しません。");
        } else if (const Result<FileInfo> info = files_.inspect(path.toStdString());
                   !info || info->kind != FileKind::Regular) {
            failure = QStringLiteral("通常のファイルではないため、プレビューしません。");
        } else {
            QFile file(path);
            // The start of the file tells how a text further on is read (its byte order mark).
            const QByteArray start = file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
            if (!file.isOpen() || !file.seek(offset)) {
                failure = QStringLiteral("ファイルを読めません: ") + file.errorString();
            } else {
                source.fileStart.assign(start.constData(), static_cast<std::size_t>(start.size()));
                source.fileSize = file.size();
                const QByteArray data = file.read(static_cast<qint64>(bytes));
                if (data.isNull() && file.error() != QFileDevice::NoError) {
                    failure = QStringLiteral("ファイルを読めません: ") + file.errorString();
                }
                source.bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, source = std::move(source), failure, generation] {
                if (generation != generation_) return;
                busy_ = false;
                if (failure.isEmpty()) {
                    emit loaded(source);
                } else {
                    emit failed(failure);
                }
            },
            Qt::QueuedConnection);
    });
}

}  // namespace sorvek
