#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/safe_output.h"
#include "platform/stop_request.h"
#include "platform/system_error.h"

namespace sorvek {
namespace {

// A call interrupted by a signal is repeated, unless the signal asked the job to stop: a read
// from a pipe that has nothing to give would otherwise wait on for ever.
bool retryAfterInterrupt() {
    return !stopRequestFlag().load(std::memory_order_acquire);
}
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

    Status skip(std::int64_t n) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return ReadableFile::skip(n);
        if (::lseek(fd_, static_cast<off_t>(n), SEEK_CUR) < 0) return systemFailure(errno);
        return {};
    }

    bool readsAtOffsets() const override {
        struct stat st {};
        return ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
    }

    Result<std::size_t> readAt(std::int64_t offset, char* buffer, std::size_t n) override {
        std::size_t total = 0;
        while (total < n) {
            ssize_t got = ::pread(fd_, buffer + total, n - total,
                                  static_cast<off_t>(offset) + static_cast<off_t>(total));
            if (got < 0) {
                if (errno == EINTR && retryAfterInterrupt()) continue;
                return systemFailure(errno);
            }
            if (got == 0) break;
            total += static_cast<std::size_t>(got);
        }
        return total;
    }

    Result<std::size_t> read(char* buffer, std::size_t n) override {
        std::size_t total = 0;
        // Fill the whole request unless the file ends, so callers see full blocks.
        while (total < n) {
            // A stop requested between two reads: the next one could wait on an idle pipe.
            if (!retryAfterInterrupt()) {
                if (total > 0) break;
                return systemFailure(EINTR);
            }
            ssize_t got = ::read(fd_, buffer + total, n - total);
            if (got < 0) {
                if (errno == EINTR) {
                    if (retryAfterInterrupt()) continue;
                    if (total > 0) break;  // what was read counts; the caller sees the stop
                }
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
// A file that will be flushed to the disk at its end has its pages handed to the disk as it
// grows, every this many bytes, so that the final flush finds little left to do.
constexpr std::int64_t kWriteBehindBytes = 8 << 20;

class PosixWritableFile final : public WritableFile {
  public:
    // `writeBehind`: start writing the file's pages out while it is written (a regular file
    // that sync() will flush).
    explicit PosixWritableFile(int fd, bool writeBehind = false)
        : fd_(fd), writeBehind_(writeBehind) {}

    void setWriteBehind(bool on) override { writeBehind_ = on; }
    ~PosixWritableFile() override {
        if (fd_ >= 0) ::close(fd_);
    }

    Status write(const char* data, std::size_t n) override {
        while (n > 0) {
            // Calls of at most 64 KiB: larger ones make the kernel look for large page-cache
            // folios, which can cost more than the copy itself when memory is fragmented.
            ssize_t done = ::write(fd_, data, std::min<std::size_t>(n, kWriteChunk));
            if (done < 0) {
                if (errno == EINTR && retryAfterInterrupt()) continue;
                return systemFailure(errno);
            }
            data += done;
            n -= static_cast<std::size_t>(done);
            written_ += done;
        }
        if (writeBehind_ && written_ - handedOver_ >= kWriteBehindBytes) {
            // Only a hint that starts the write-out and returns; sync() reports what failed.
            (void)::sync_file_range(fd_, handedOver_, written_ - handedOver_,
                                    SYNC_FILE_RANGE_WRITE);
            handedOver_ = written_;
        }
        return {};
    }

    Status sync() override {
        while (::fsync(fd_) != 0) {
            if (errno != EINTR) return systemFailure(errno);
        }
        return {};
    }

    Status copyPermissions(const FileInfo& like) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return systemFailure(errno);
        // Owner first: changing the owner may clear the set-user-ID bits that fchmod then sets.
        if (st.st_uid != like.owner || st.st_gid != like.group) {
            // Only a privileged process may give a file away; anyone else keeps a file of
            // their own, as a copy would.
            if (::fchown(fd_, like.owner, like.group) != 0 && errno != EPERM) {
                return systemFailure(errno);
            }
        }
        if (::fchmod(fd_, static_cast<mode_t>(like.mode & 07777)) != 0) return systemFailure(errno);
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
    bool writeBehind_;
    off_t written_ = 0;
    off_t handedOver_ = 0;  // bytes whose write-out has been started
};

FileKind kindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Folder;
    return FileKind::Other;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Six characters for a temporary file's name, different at every call.
std::string uniqueSuffix() {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
    unsigned char random[6] = {};
    if (::getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
        // No entropy yet: the process id and a counter are unique enough, as O_EXCL checks.
        unsigned v = static_cast<unsigned>(::getpid()) * 2654435761u + counter++;
        for (unsigned char& c : random) {
            c = static_cast<unsigned char>(v);
            v = v * 1103515245u + 12345u;
        }
    }
    std::string suffix;
    for (unsigned char c : random) suffix += kChars[c % (sizeof kChars - 1)];
    return suffix;
}

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

    Result<FileInfo> inspect(const std::string& path) override {
        FileInfo info;
        if (path == kStandardStream) {
            info.kind = FileKind::Other;
            return info;
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return info;
            return systemFailure(errno);
        }
        info.kind = kindOf(st.st_mode);
        info.size = info.kind == FileKind::Regular ? static_cast<std::int64_t>(st.st_size) : 0;
        info.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
        info.owner = st.st_uid;
        info.group = st.st_gid;
        info.writable = ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
        return info;
    }

    Result<std::string> resolveLinks(const std::string& path) override {
        std::string current = path;
        // As many links as the kernel itself follows before it gives up with ELOOP.
        for (int hops = 0; hops < 40; ++hops) {
            // Its link names no path ("pipe:[…]"); the descriptor is what is written.
            if (descriptorNamed(current)) return current;
            struct stat st {};
            if (::lstat(current.c_str(), &st) != 0) {
                if (errno == ENOENT) return current;  // a link to a file still to be made
                return systemFailure(errno);
            }
            if (!S_ISLNK(st.st_mode)) return current;
            std::vector<char> target(static_cast<std::size_t>(std::max<off_t>(st.st_size, 255)) +
                                     1);
            ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0) return systemFailure(errno);
            if (static_cast<std::size_t>(n) >= target.size()) return systemFailure(ENAMETOOLONG);
            std::string next(target.data(), static_cast<std::size_t>(n));
            if (next.empty() || next.front() != '/') next = folderOf(current) + "/" + next;
            current = std::move(next);
        }
        return systemFailure(ELOOP);
    }

    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override {
        int fd = path == kStandardStream ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                                         : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return systemFailure(errno);
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(fd);
            return systemFailure(error);
        }
        if (S_ISREG(st.st_mode)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::unique_ptr<ReadableFile>(std::make_unique<PosixReadableFile>(fd));
    }

    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) return systemFailure(errno);
        return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd));
    }

    Result<std::unique_ptr<WritableFile>> openWriteExisting(const std::string& path) override {
        const std::optional<int> named =
            path == kStandardStream ? std::optional<int>(STDOUT_FILENO) : descriptorNamed(path);
        int fd = named ? ::fcntl(*named, F_DUPFD_CLOEXEC, 0)
                       : ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return systemFailure(errno);
        return std::unique_ptr<WritableFile>(std::make_unique<PosixWritableFile>(fd));
    }

    Result<TemporaryFile> createTemporary(const std::string& prefix) override {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string path = prefix + uniqueSuffix();
            int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                return TemporaryFile{std::make_unique<PosixWritableFile>(fd, true),
                                     std::move(path)};
            }
            if (errno != EEXIST) return systemFailure(errno);
        }
        return systemFailure(EEXIST);
    }

    Status replaceFile(const std::string& from, const std::string& to) override {
        if (std::rename(from.c_str(), to.c_str()) != 0) return systemFailure(errno);
        return {};
    }

    Status syncFolder(const std::string& folder) override {
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return systemFailure(errno);
        int result = ::fsync(fd);
        // Some file systems cannot flush a folder at all; their renames are as durable as
        // they get.
        const int error = result == 0 || errno == EINVAL ? 0 : errno;
        ::close(fd);
        if (error != 0) return systemFailure(error);
        return {};
    }

    Status createFolders(const std::string& folder) override {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) return systemFailure(error.value());
        return {};
    }

    bool folderWritable(const std::string& folder) override {
        return ::access(folder.c_str(), W_OK | X_OK) == 0;
    }
};

}  // namespace

std::optional<int> descriptorNamed(std::string_view path) {
    if (path == "/dev/stdin") return STDIN_FILENO;
    if (path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (std::string_view folder : {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/"}) {
        if (!path.starts_with(folder)) continue;
        const std::string_view digits = path.substr(folder.size());
        if (digits.empty() || digits.size() > 9 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        int fd = 0;
        for (char c : digits) fd = fd * 10 + (c - '0');
        return fd;
    }
    return std::nullopt;
}

FileSystem& osFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace sorvek
