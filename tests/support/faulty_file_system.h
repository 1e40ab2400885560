#pragma once
// A file system that passes everything to the real one but makes reads or writes fail after a
// given number of bytes, the way a failing disk or a full one would.
#include <cstdint>
#include <limits>

#include "platform/files.h"

namespace sorvek::testing {

class FaultyFileSystem final : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& real = osFileSystem()) : real_(real) {}

    // Reads fail once this many bytes have been read (over all files).
    std::int64_t readLimit = std::numeric_limits<std::int64_t>::max();
    // Writes fail once this many bytes would have been written (over all files).
    std::int64_t writeLimit = std::numeric_limits<std::int64_t>::max();
    // close() of a written file fails.
    bool failClose = false;
    // Opening a file for reading fails (as for a file without read permission).
    bool failOpenRead = false;
    // replaceFile fails.
    bool failReplace = false;

    bool fileExists(const std::string& path) override { return real_.fileExists(path); }
    Status deleteFile(const std::string& path) override { return real_.deleteFile(path); }
    std::int64_t fileSize(const std::string& path) override { return real_.fileSize(path); }
    bool isSameFile(const std::string& a, const std::string& b) override {
        return real_.isSameFile(a, b);
    }
    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override;
    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override;
    Status replaceFile(const std::string& from, const std::string& to) override {
        if (failReplace) return injectedFailure();
        return real_.replaceFile(from, to);
    }

    // The failure every injected fault reports.
    static Failure injectedFailure() { return failure("injected fault"); }

    std::int64_t bytesRead = 0;
    std::int64_t bytesWritten = 0;

  private:
    FileSystem& real_;
};

}  // namespace sorvek::testing
