// The file system through the Win32 API: every path is the core's UTF-8, made a wide path
// (widePath) at the call, so that Japanese names, UNC paths and paths beyond 260 characters
// reach the file whatever the system's code page is. Handles, not the C runtime's descriptors:
// standard input and output are read and written as bytes, never as text.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/stop_request.h"
#include "platform/system_error.h"
#include "platform/wide_text.h"

namespace sorvek {
namespace {

// The errno value of a Win32 error, so that it has the reason and the kind of system_error.h.
int errnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_DRIVE:
            return ENOENT;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return EBUSY;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILE_TOO_LARGE:
            return EFBIG;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return EPIPE;
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
            return ENXIO;
        case ERROR_OPERATION_ABORTED:
            return EINTR;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_CRC:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
        case ERROR_SEEK:
            return EIO;
        default:
            return 0;
    }
}

Failure win32Failure(DWORD error) {
    if (const int mapped = errnoOf(error); mapped != 0) return systemFailure(mapped);
    return failure("システムエラーが発生しました (エラー " + std::to_string(error) + ")。",
                   FailureKind::Failed);
}

Failure lastFailure() {
    return win32Failure(::GetLastError());
}

bool stopRequested() {
    return stopRequestFlag().load(std::memory_order_acquire);
}

// A device, a pipe or a console: not a file on a disk.
bool isDiskFile(HANDLE handle) {
    return ::GetFileType(handle) == FILE_TYPE_DISK;
}

// A copy of a standard handle that closing does not take from the process.
HANDLE duplicateStandard(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        return INVALID_HANDLE_VALUE;
    }
    return copy;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 1 << 20;  // bytes of one ReadFile or WriteFile call

class Win32ReadableFile final : public ReadableFile {
  public:
    explicit Win32ReadableFile(HANDLE handle)
        : handle_(handle),
          disk_(isDiskFile(handle)),
          pipe_(::GetFileType(handle) == FILE_TYPE_PIPE) {}
    ~Win32ReadableFile() override { ::CloseHandle(handle_); }

    Result<std::size_t> read(char* buffer, std::size_t n) override {
        std::size_t total = 0;
        // Fill the whole request unless the file ends, so callers see full blocks.
        while (total < n) {
            // A stop requested between two reads: the next one could wait on an idle pipe.
            if (stopRequested()) {
                if (total > 0) break;
                return systemFailure(EINTR);
            }
            if (pipe_ && !pipeReady()) {
                if (total > 0) break;
                return systemFailure(EINTR);
            }
            DWORD got = 0;
            const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - total, kChunk));
            if (!::ReadFile(handle_, buffer + total, ask, &got, nullptr)) {
                // The writer of a pipe closed its end: the input ends there.
                if (::GetLastError() == ERROR_BROKEN_PIPE) break;
                return lastFailure();
            }
            if (got == 0) break;
            total += got;
        }
        return total;
    }

    Status skip(std::int64_t n) override {
        if (!disk_) return ReadableFile::skip(n);
        LARGE_INTEGER distance;
        distance.QuadPart = n;
        if (!::SetFilePointerEx(handle_, distance, nullptr, FILE_CURRENT)) return lastFailure();
        return {};
    }

    bool readsAtOffsets() const override { return disk_; }

    // A positioned read of a handle opened for plain (not overlapped) reads: each call names its
    // own offset, so that threads reading at once do not meet.
    Result<std::size_t> readAt(std::int64_t offset, char* buffer, std::size_t n) override {
        std::size_t total = 0;
        while (total < n) {
            OVERLAPPED at{};
            const std::uint64_t from = static_cast<std::uint64_t>(offset) + total;
            at.Offset = static_cast<DWORD>(from);
            at.OffsetHigh = static_cast<DWORD>(from >> 32);
            DWORD got = 0;
            const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n - total, kChunk));
            if (!::ReadFile(handle_, buffer + total, ask, &got, &at)) {
                if (::GetLastError() == ERROR_HANDLE_EOF) break;
                return lastFailure();
            }
            if (got == 0) break;
            total += got;
        }
        return total;
    }

  private:
    // Waits until the pipe holds bytes or its writer has closed it (ReadFile then says so);
    // false when a stop is requested meanwhile. A read of an idle pipe cannot be interrupted,
    // so the pipe is looked at, first every millisecond, then every 50.
    bool pipeReady() const {
        for (DWORD pause = 1;; pause = std::min<DWORD>(pause * 2, 50)) {
            DWORD available = 0;
            if (!::PeekNamedPipe(handle_, nullptr, 0, nullptr, &available, nullptr)) return true;
            if (available > 0) return true;
            if (stopRequested()) return false;
            ::Sleep(pause);
        }
    }

    HANDLE handle_;
    bool disk_;
    bool pipe_;
};

class Win32WritableFile final : public WritableFile {
  public:
    explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
    ~Win32WritableFile() override {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    }

    Status write(const char* data, std::size_t n) override {
        while (n > 0) {
            DWORD done = 0;
            const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(n, kChunk));
            if (!::WriteFile(handle_, data, ask, &done, nullptr)) return lastFailure();
            if (done == 0) return systemFailure(EIO);
            data += done;
            n -= done;
        }
        return {};
    }

    Status sync() override {
        if (!::FlushFileBuffers(handle_)) return lastFailure();
        return {};
    }

    // A new file takes the access rights of its folder, as one copied there would; the old
    // file's read-only mark is refused before (FileInfo::writable).
    Status copyPermissions(const FileInfo&) override { return {}; }

    Status close() override {
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (handle == INVALID_HANDLE_VALUE) return systemFailure(EBADF);
        if (!::CloseHandle(handle)) return lastFailure();
        return {};
    }

  private:
    HANDLE handle_;
};

// Six characters for a temporary file's name, different at every call of this process; the
// creation refuses a name that exists, and the next is tried.
std::string uniqueSuffix() {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
    unsigned v = static_cast<unsigned>(::GetCurrentProcessId()) * 2654435761u +
                 static_cast<unsigned>(::GetTickCount64()) * 40503u + counter++ * 2246822519u;
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += kChars[(v >> 24) % (sizeof kChars - 1)];
        v = v * 1103515245u + 12345u;
    }
    return suffix;
}

// The attributes at `path`, or INVALID_FILE_ATTRIBUTES with the error.
DWORD attributesOf(const std::string& path) {
    return ::GetFileAttributesW(widePath(path).c_str());
}

bool isMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

// A device's name (NUL, CON, \\.\...): written as it is, never replaced.
bool namesDevice(const std::string& path) {
    return widePath(path).starts_with(L"\\\\.\\");
}

HANDLE openHandle(const std::string& path, DWORD access, DWORD creation, DWORD flags = 0) {
    return ::CreateFileW(widePath(path).c_str(), access, kShareAll, nullptr, creation,
                         FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

class Win32FileSystem final : public FileSystem {
  public:
    bool fileExists(const std::string& path) override {
        const DWORD attributes = attributesOf(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return namesDevice(path);
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    Status deleteFile(const std::string& path) override {
        if (!::DeleteFileW(widePath(path).c_str())) return lastFailure();
        return {};
    }

    std::int64_t fileSize(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) {
            return -1;
        }
        return static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) |
                                         data.nFileSizeLow);
    }

    bool isSameFile(const std::string& a, const std::string& b) override {
        BY_HANDLE_FILE_INFORMATION ia{}, ib{};
        return identify(a, ia) && identify(b, ib) &&
               ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
               ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    }

    Result<FileInfo> inspect(const std::string& path) override {
        FileInfo info;
        if (path == kStandardStream || namesDevice(path)) {
            info.kind = FileKind::Other;
            info.writable = true;
            return info;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data)) {
            const DWORD error = ::GetLastError();
            if (isMissingError(error)) return info;
            return win32Failure(error);
        }
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            info.kind = FileKind::Folder;
            info.writable = true;  // a folder's read-only mark does not keep new files out
            return info;
        }
        info.kind = FileKind::Regular;
        info.size = static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) |
                                              data.nFileSizeLow);
        info.writable = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
        return info;
    }

    // The file a link names is not looked for: a move over a link replaces the link.
    Result<std::string> resolveLinks(const std::string& path) override { return path; }

    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override {
        HANDLE handle = path == kStandardStream
                            ? duplicateStandard(STD_INPUT_HANDLE)
                            : openHandle(path, GENERIC_READ, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS);
        if (handle == INVALID_HANDLE_VALUE) return lastFailure();
        BY_HANDLE_FILE_INFORMATION info{};
        if (isDiskFile(handle) && ::GetFileInformationByHandle(handle, &info) &&
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            ::CloseHandle(handle);
            return systemFailure(EISDIR);
        }
        return std::unique_ptr<ReadableFile>(std::make_unique<Win32ReadableFile>(handle));
    }

    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override {
        HANDLE handle = openHandle(path, GENERIC_WRITE, CREATE_ALWAYS);
        if (handle == INVALID_HANDLE_VALUE) return lastFailure();
        return std::unique_ptr<WritableFile>(std::make_unique<Win32WritableFile>(handle));
    }

    Result<std::unique_ptr<WritableFile>> openWriteExisting(const std::string& path) override {
        HANDLE handle = path == kStandardStream ? duplicateStandard(STD_OUTPUT_HANDLE)
                                                : openHandle(path, GENERIC_WRITE, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE) return lastFailure();
        return std::unique_ptr<WritableFile>(std::make_unique<Win32WritableFile>(handle));
    }

    Result<TemporaryFile> createTemporary(const std::string& prefix) override {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string path = prefix + uniqueSuffix();
            HANDLE handle = openHandle(path, GENERIC_WRITE, CREATE_NEW);
            if (handle != INVALID_HANDLE_VALUE) {
                return TemporaryFile{std::make_unique<Win32WritableFile>(handle), std::move(path)};
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
                return win32Failure(error);
            }
        }
        return systemFailure(EEXIST);
    }

    // Written through: the move is on the disk when it returns, so the folder needs no flush.
    Status replaceFile(const std::string& from, const std::string& to) override {
        if (!::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return lastFailure();
        }
        return {};
    }

    // A folder cannot be flushed on Windows; replaceFile writes its move through.
    Status syncFolder(const std::string&) override { return {}; }

    Status createFolders(const std::string& folder) override {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(widePath(folder)), error);
        if (error) return systemFailure(error.value());
        return {};
    }

    bool folderWritable(const std::string& folder) override {
        const DWORD attributes = attributesOf(folder);
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

  private:
    static bool identify(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE handle = openHandle(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
        if (handle == INVALID_HANDLE_VALUE) return false;
        const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
        ::CloseHandle(handle);
        return known;
    }
};

}  // namespace

// The process's descriptors have no names of their own here: "-" is the standard stream.
std::optional<int> descriptorNamed(std::string_view) {
    return std::nullopt;
}

FileSystem& osFileSystem() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace sorvek
