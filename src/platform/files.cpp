#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace sorvek {
namespace {

class PosixReadableFile final : public ReadableFile {
  public:
    explicit PosixReadableFile(int fd) : fd_(fd) {}
    ~PosixReadableFile() override { ::close(fd_); }

    std::int64_t read(char* buffer, std::size_t n) override {
        std::size_t total = 0;
        // Fill the whole request unless the file ends, so callers see full blocks.
        while (total < n) {
            ssize_t got = ::read(fd_, buffer + total, n - total);
            if (got < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            if (got == 0) break;
            total += static_cast<std::size_t>(got);
        }
        return static_cast<std::int64_t>(total);
    }

  private:
    int fd_;
};

constexpr std::size_t kWriteChunk = 64 * 1024;

class PosixWritableFile final : public WritableFile {
  public:
    explicit PosixWritableFile(int fd) : fd_(fd) {}
    ~PosixWritableFile() override {
        if (fd_ >= 0) ::close(fd_);
    }

    bool write(const char* data, std::size_t n) override {
        while (n > 0) {
            // Calls of at most 64 KiB: larger ones make the kernel look for large page-cache
            // folios, which can cost more than the copy itself when memory is fragmented.
            ssize_t done = ::write(fd_, data, std::min<std::size_t>(n, kWriteChunk));
            if (done < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            data += done;
            n -= static_cast<std::size_t>(done);
        }
        return true;
    }

    bool close() override {
        int fd = fd_;
        fd_ = -1;
        return fd >= 0 && ::close(fd) == 0;
    }

  private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
  public:
    bool fileExists(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    }

    bool deleteFile(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    std::int64_t fileSize(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return -1;
        return static_cast<std::int64_t>(st.st_size);
    }

    bool isSameFile(const std::string& a, const std::string& b) override {
        struct stat sa {
        }, sb{};
        if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }

    std::unique_ptr<ReadableFile> openRead(const std::string& path) override {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::make_unique<PosixReadableFile>(fd);
    }

    std::unique_ptr<WritableFile> openWrite(const std::string& path) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixWritableFile>(fd);
    }

    bool replaceFile(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
};

}  // namespace

FileSystem& osFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

bool readWholeFile(FileSystem& fs, const std::string& path, std::string& contents) {
    auto file = fs.openRead(path);
    if (!file) return false;
    contents.clear();
    char buffer[65536];
    for (;;) {
        std::int64_t got = file->read(buffer, sizeof buffer);
        if (got < 0) return false;
        if (got == 0) return true;
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace sorvek
