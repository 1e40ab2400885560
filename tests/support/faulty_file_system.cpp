#include "support/faulty_file_system.h"

namespace sorvek::testing {
namespace {

class FaultyReadable final : public ReadableFile {
  public:
    FaultyReadable(std::unique_ptr<ReadableFile> real, FaultyFileSystem& fs)
        : real_(std::move(real)), fs_(fs) {}
    std::int64_t read(char* buffer, std::size_t n) override {
        if (fs_.bytesRead + static_cast<std::int64_t>(n) > fs_.readLimit) return -1;
        std::int64_t got = real_->read(buffer, n);
        if (got > 0) fs_.bytesRead += got;
        return got;
    }

  private:
    std::unique_ptr<ReadableFile> real_;
    FaultyFileSystem& fs_;
};

class FaultyWritable final : public WritableFile {
  public:
    FaultyWritable(std::unique_ptr<WritableFile> real, FaultyFileSystem& fs)
        : real_(std::move(real)), fs_(fs) {}
    bool write(const char* data, std::size_t n) override {
        if (fs_.bytesWritten + static_cast<std::int64_t>(n) > fs_.writeLimit) return false;
        fs_.bytesWritten += static_cast<std::int64_t>(n);
        return real_->write(data, n);
    }
    bool close() override { return real_->close() && !fs_.failClose; }

  private:
    std::unique_ptr<WritableFile> real_;
    FaultyFileSystem& fs_;
};

}  // namespace

std::unique_ptr<ReadableFile> FaultyFileSystem::openRead(const std::string& path) {
    if (failOpenRead) return nullptr;
    auto real = real_.openRead(path);
    if (!real) return nullptr;
    return std::make_unique<FaultyReadable>(std::move(real), *this);
}

std::unique_ptr<WritableFile> FaultyFileSystem::openWrite(const std::string& path) {
    auto real = real_.openWrite(path);
    if (!real) return nullptr;
    return std::make_unique<FaultyWritable>(std::move(real), *this);
}

}  // namespace sorvek::testing
