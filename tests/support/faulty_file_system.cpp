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

  private:
    std::unique_ptr<ReadableFile> real_;
    FaultyFileSystem& fs_;
};

class FaultyWritable final : public WritableFile {
  public:
    FaultyWritable(std::unique_ptr<WritableFile> real, FaultyFileSystem& fs)
        : real_(std::move(real)), fs_(fs) {}
    Status write(const char* data, std::size_t n) override {
        if (fs_.bytesWritten + static_cast<std::int64_t>(n) > fs_.writeLimit) {
            return FaultyFileSystem::injectedFailure();
        }
        fs_.bytesWritten += static_cast<std::int64_t>(n);
        return real_->write(data, n);
    }
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

Result<std::unique_ptr<ReadableFile>> FaultyFileSystem::openRead(const std::string& path) {
    if (failOpenRead) return injectedFailure();
    auto real = real_.openRead(path);
    if (!real) return real.error();
    return std::unique_ptr<ReadableFile>(std::make_unique<FaultyReadable>(std::move(*real), *this));
}

Result<std::unique_ptr<WritableFile>> FaultyFileSystem::openWrite(const std::string& path) {
    auto real = real_.openWrite(path);
    if (!real) return real.error();
    return std::unique_ptr<WritableFile>(std::make_unique<FaultyWritable>(std::move(*real), *this));
}

}  // namespace sorvek::testing
