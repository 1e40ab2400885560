#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/system_error.h"

namespace sorvek {
namespace {

class PosixMappedBytes final : public MappedBytes {
  public:
    PosixMappedBytes(void* mapping, std::size_t length, std::size_t skip)
        : mapping_(mapping), length_(length), skip_(skip) {}
    ~PosixMappedBytes() override {
        if (mapping_ != nullptr) ::munmap(mapping_, length_);
    }
    const unsigned char* data() const override {
        return static_cast<const unsigned char*>(mapping_) + skip_;
    }
    std::size_t size() const override { return length_ - skip_; }

  private:
    void* mapping_;
    std::size_t length_;  // of the mapping, from a page boundary
    std::size_t skip_;    // bytes before the position asked for
};

class PosixReadableFile final : public ReadableFile {
  public:
    explicit PosixReadableFile(int fd) : fd_(fd) {}
    ~PosixReadableFile() override { ::close(fd_); }

    Result<std::unique_ptr<MappedBytes>> mapNext(std::size_t n) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return std::unique_ptr<MappedBytes>{};
        const off_t position = ::lseek(fd_, 0, SEEK_CUR);
        if (position < 0) return std::unique_ptr<MappedBytes>{};
        if (position >= st.st_size || n == 0) {
            return std::unique_ptr<MappedBytes>(std::make_unique<PosixMappedBytes>(nullptr, 0, 0));
        }
        const std::size_t take =
            static_cast<std::size_t>(std::min<off_t>(static_cast<off_t>(n), st.st_size - position));
        static const off_t page = ::sysconf(_SC_PAGESIZE);
        const off_t start = position / page * page;
        const std::size_t skip = static_cast<std::size_t>(position - start);
        // Populated at once: one call fills the pages in, instead of a fault per page.
        void* mapping =
            ::mmap(nullptr, take + skip, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd_, start);
        if (mapping == MAP_FAILED) return std::unique_ptr<MappedBytes>{};
        if (::lseek(fd_, position + static_cast<off_t>(take), SEEK_SET) < 0) {
            const int error = errno;
            ::munmap(mapping, take + skip);
            return systemFailure(error);
        }
        return std::unique_ptr<MappedBytes>(
            std::make_unique<PosixMappedBytes>(mapping, take + skip, skip));
    }

    Result<std::size_t> read(char* buffer, std::size_t n) override {
        std::size_t total = 0;
        // Fill the whole request unless the file ends, so callers see full blocks.
        while (total < n) {
            ssize_t got = ::read(fd_, buffer + total, n - total);
            if (got < 0) {
                if (errno == EINTR) continue;
                return systemFailure(errno);
            }
            if (got == 0) break;
            total += static_cast<std::size_t>(got);
        }
        return total;
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

    Status write(const char* data, std::size_t n) override {
        while (n > 0) {
            // Calls of at most 64 KiB: larger ones make the kernel look for large page-cache
            // folios, which can cost more than the copy itself when memory is fragmented.
            ssize_t done = ::write(fd_, data, std::min<std::size_t>(n, kWriteChunk));
            if (done < 0) {
                if (errno == EINTR) continue;
                return systemFailure(errno);
            }
            data += done;
            n -= static_cast<std::size_t>(done);
        }
        return {};
    }

    Status close() override {
        int fd = fd_;
        fd_ = -1;
        if (fd < 0) return systemFailure(EBADF);
        if (::close(fd) != 0) return systemFailure(errno);
        return {};
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

    Status deleteFile(const std::string& path) override {
        if (::unlink(path.c_str()) != 0) return systemFailure(errno);
        return {};
    }

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

    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return systemFailure(errno);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd);
            return systemFailure(error);
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::unique_ptr<ReadableFile>(std::make_unique<PosixReadableFile>(fd));
    }

    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return systemFailure(errno);
        return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd));
    }

    Status replaceFile(const std::string& from, const std::string& to) override {
        if (std::rename(from.c_str(), to.c_str()) != 0) return systemFailure(errno);
        return {};
    }
};

}  // namespace

FileSystem& osFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

Result<std::string> readWholeFile(FileSystem& fs, const std::string& path) {
    auto file = fs.openRead(path);
    if (!file) return file.error();
    std::string contents;
    char buffer[65536];
    for (;;) {
        Result<std::size_t> got = (*file)->read(buffer, sizeof buffer);
        if (!got) return got.error();
        if (*got == 0) return contents;
        contents.append(buffer, *got);
    }
}

Status replaceFileContents(FileSystem& fs, const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> counter{0};  // temporary names unique within the process
    const std::string temp =
        path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    auto out = fs.openWrite(temp);
    if (!out) return out.error();
    Status written = (*out)->write(bytes.data(), bytes.size());
    Status closed = (*out)->close();
    Status replaced = written && closed ? fs.replaceFile(temp, path) : Status{};
    if (!written || !closed || !replaced) {
        (void)fs.deleteFile(temp);  // a leftover temporary file is harmless; the failure counts
        return !written ? written : !closed ? closed : replaced;
    }
    return {};
}

}  // namespace sorvek
