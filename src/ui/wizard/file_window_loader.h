#pragma once
// Reads a stretch of the input file on a thread of its own, for the preview and the
// record-length hints, so that the window never waits on the disk. Only regular files are read
// (the head of a pipe would be taken from the job). A newer request makes the results of older
// ones be dropped.
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

#include "editor/data_preview.h"
#include "platform/files.h"

namespace sorvek {

class FileWindowLoader : public QObject {
    Q_OBJECT
  public:
    // `files` tells what is at the path (only a regular file is read), asked on the reading
    // thread. REQUIRES: `files` outlives the loader and may be asked from another thread.
    explicit FileWindowLoader(QObject* parent = nullptr, FileSystem& files = osFileSystem())
        : QObject(parent), files_(files) {}
    // Waits for a reading still under way.
    ~FileWindowLoader() override;

    // Reads up to `bytes` bytes of the file at `path` from `offset` on, where record number
    // `firstRecord` starts (with `blockLeft` of its block left, PreviewSource::blockLeft), and the
    // first bytes of the file (PreviewSource::fileStart). The result arrives as `loaded` (or
    // `failed`) on this object's thread.
    void load(const QString& path, std::int64_t offset, std::size_t bytes, std::int64_t firstRecord,
              std::uint32_t blockLeft = 0);
    // True while a request has not been answered.
    bool busy() const { return busy_; }

  signals:
    void loaded(const sorvek::PreviewSource& source);
    // Why the file cannot be shown: it is missing, no regular file, or cannot be read.
    void failed(const QString& reason);

  private:
    FileSystem& files_;
    std::thread thread_;
    std::atomic<std::uint64_t> generation_{0};
    bool busy_ = false;
};

}  // namespace sorvek
