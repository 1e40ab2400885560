#include "support/faulty_file_system.h"

namespace sorvek::testing {
namespace {

class FaultyReadable final : public ReadableFile {
  public:
    FaultyReadable(std::unique_ptr<ReadableFile> real, FaultyFileSystem& fs)
        : real_(std::move(real)), fs_(fs) {}
    Result<std::size_t> read(char* buffer, std::size_t n) override {
        if (fs_.bytesRead + static_cast<std::int64_t>(n) > fs_.readLimit) {
            return FaultyFileSystem::injectedFailure();
        }
        Result<std::size_t> got = real_->read(buffer, n);
        if (got) fs_.bytesRead += static_cast<std::int64_t>(*got);
        return got;
    }

    bool readsAtOffsets() const override { return !fs_.inOrderReads && real_->readsAtOffsets(); }
    // Fails where the read would reach beyond `readLimit`, whichever thread reads.
    Result<std::size_t> readAt(std::int64_t offset, char* buffer, std::size_t n) override {
        if (offset + static_cast<std::int64_t>(n) > fs_.readLimit) {
            return FaultyFileSystem::injectedFailure();
        }
        return real_->readAt(offset, buffer, n);
    }

  private:
    std::unique_ptr<ReadableFile> real_;
    FaultyFileSystem& fs_;
};

class FaultyWritable final : public WritableFile {
  public:
    FaultyWritable(std::unique_ptr<WritableFile> real, FaultyFileSystem& fs)
        : real_(std::move(real)), fs_(fs) {}
    Status write(const char* data, std::size_t n) override {
        ++fs_.writeCalls;
        if (fs_.writeCalls == fs_.failWriteCall ||
            fs_.bytesWritten + static_cast<std::int64_t>(n) > fs_.writeLimit) {
            return FaultyFileSystem::injectedFailure();
        }
        fs_.bytesWritten += static_cast<std::int64_t>(n);
        return real_->write(data, n);
    }
    Status sync() override {
        ++fs_.syncCalls;
        if (fs_.failSync || fs_.syncCalls == fs_.failSyncCall) {
            return FaultyFileSystem::injectedFailure();
        }
        return real_->sync();
    }
    Status copyPermissions(const FileInfo& like) override {
        if (fs_.failPermissions) return FaultyFileSystem::injectedFailure();
        return real_->copyPermissions(like);
    }
    void setWriteBehind(bool on) override { real_->setWriteBehind(on); }
    Status close() override {
        Status closed = real_->close();
        if (closed && fs_.failClose) return FaultyFileSystem::injectedFailure();
        return closed;
    }

  private:
    std::unique_ptr<WritableFile> real_;
    FaultyFileSystem& fs_;
};

}  // namespace

std::unique_ptr<WritableFile> FaultyFileSystem::faulty(std::unique_ptr<WritableFile> real) {
    return std::make_unique<FaultyWritable>(std::move(real), *this);
}

Result<FileInfo> FaultyFileSystem::inspect(const std::string& path) {
    Result<FileInfo> info = real_.inspect(path);
    if (!info) return info;
    if (info->kind == FileKind::Regular) info->size += sizeExtra;
    if (readOnly.count(path) != 0) info->writable = false;
    return info;
}

Result<std::unique_ptr<ReadableFile>> FaultyFileSystem::openRead(const std::string& path) {
    if (failOpenRead) return injectedFailure();
    auto real = real_.openRead(path);
    if (!real) return real.error();
    return std::unique_ptr<ReadableFile>(std::make_unique<FaultyReadable>(std::move(*real), *this));
}

Result<std::unique_ptr<WritableFile>> FaultyFileSystem::openWrite(const std::string& path) {
    if (failOpenWrite) return injectedFailure();
    auto real = real_.openWrite(path);
    if (!real) return real.error();
    return faulty(std::move(*real));
}

Result<std::unique_ptr<WritableFile>> FaultyFileSystem::openWriteExisting(const std::string& path) {
    if (failOpenWrite) return injectedFailure();
    auto real = real_.openWriteExisting(path);
    if (!real) return real.error();
    return faulty(std::move(*real));
}

Result<TemporaryFile> FaultyFileSystem::createTemporary(const std::string& prefix) {
    if (failOpenWrite) return injectedFailure();
    auto real = real_.createTemporary(prefix);
    if (!real) return real.error();
    return TemporaryFile{faulty(std::move(real->file)), real->path};
}

}  // namespace sorvek::testing
