#pragma once
// File access of the core. Everything goes through `FileSystem`, so that tests can hand the
// engine a file system whose reads, writes, flushes or renames fail on demand and prove that
// failures are reported and nothing is lost. A failure's message is the reason in the user's
// words ("アクセスが拒否されました。"); the caller puts its own lines (which file, which step)
// before it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ports/status.h"

namespace sorvek {

// The path that names the standard streams: standard input where a file is read, standard
// output where one is written. A file really called "-" is reached as "./-".
inline constexpr std::string_view kStandardStream = "-";

// The descriptor of the process that `path` names, as the system's own names for them do
// (/dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N, /proc/thread-self/fd/N):
// written through that descriptor, its file is written as the process was given it (a pipe, a
// terminal, a file opened for appending). Otherwise none.
std::optional<int> descriptorNamed(std::string_view path);
// Bytes of a file held in memory without a copy (mapped); released when destroyed.
class MappedBytes {
  public:
    virtual ~MappedBytes() = default;
    virtual const unsigned char* data() const = 0;
    virtual std::size_t size() const = 0;
};

class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Reads up to `n` bytes: the number read, 0 only at the end of the file. Fewer than `n`
    // bytes do not mean the end (a pipe delivers what it has).
    virtual Result<std::size_t> read(char* buffer, std::size_t n) = 0;
    // Maps the next bytes of the file, up to `n` (fewer only at its end, none there), instead of
    // reading them; the position moves past them. No object where the file cannot be mapped (a
    // pipe, a device, a file system that does not map): read instead. A regular file must not
    // shrink while its bytes are mapped.
    virtual Result<std::unique_ptr<MappedBytes>> mapNext(std::size_t /*n*/) {
        return std::unique_ptr<MappedBytes>{};
    }
    // Moves the position `n` bytes on without handing the bytes over: a seek where the file
    // can seek, reading and dropping them elsewhere. Past the end is no failure: reads then
    // find the end.
    // Whether `readAt` reads this file (a regular file, not a pipe): several threads may then
    // read parts of it at once, each into its own memory.
    virtual bool readsAtOffsets() const { return false; }
    // Reads up to `n` bytes from `offset` on, without moving the position; fewer than `n` only
    // where the file ends. Safe to call from several threads at once. Fails with the reason.
    // REQUIRES: readsAtOffsets().
    virtual Result<std::size_t> readAt(std::int64_t /*offset*/, char* /*buffer*/,
                                       std::size_t /*n*/) {
        return failure("");
    }
    virtual Status skip(std::int64_t n) {
        char scrap[64 * 1024];
        while (n > 0) {
            Result<std::size_t> got =
                read(scrap, static_cast<std::size_t>(std::min<std::int64_t>(n, sizeof scrap)));
            if (!got) return got.error();
            if (*got == 0) break;
            n -= static_cast<std::int64_t>(*got);
        }
        return {};
    }
};

// What is at a path, symbolic links followed.
enum class FileKind {
    Missing,  // nothing (or a symbolic link to nothing)
    Regular,
    Folder,
    Other,  // a device, a FIFO, a socket: written and read as it is, never replaced
};

struct FileInfo {
    FileKind kind = FileKind::Missing;
    // Bytes of a regular file. A file of the kernel's own (/proc) says 0 and yet has contents.
    std::int64_t size = 0;
    std::uint32_t mode = 0;  // permission bits (07777)
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    bool writable = false;  // this process may write it
};

class WritableFile {
  public:
    virtual ~WritableFile() = default;
    // Writes all `n` bytes.
    virtual Status write(const char* data, std::size_t n) = 0;
    // Makes everything written so far durable (fsync).
    virtual Status sync() = 0;
    // Gives the file the permission bits of `like`, and its owner and group where this process
    // may (as root); a file of another owner is not refused for want of the right to chown.
    virtual Status copyPermissions(const FileInfo& like) = 0;
    // Closes; a failure means the data may not have reached the file.
    virtual Status close() = 0;
    // Whether the bytes are handed to the disk as the file grows, so that a `sync` at the end
    // finds little left: worth it only for a file that will be synced. A hint; files that
    // cannot take it ignore it.
    virtual void setWriteBehind(bool) {}
};

// A new file of a unique name, open for writing.
struct TemporaryFile {
    std::unique_ptr<WritableFile> file;
    std::string path;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when something that can be opened as a file exists at `path` (not a folder).
    virtual bool fileExists(const std::string& path) = 0;
    virtual Status deleteFile(const std::string& path) = 0;
    // Length in bytes, or -1 when it cannot be read.
    virtual std::int64_t fileSize(const std::string& path) = 0;
    // True when both paths name one existing file: same device and inode, so relative,
    // absolute, symbolically and hard linked spellings all count.
    virtual bool isSameFile(const std::string& a, const std::string& b) = 0;
    // What is at `path`, symbolic links followed; `Missing` when nothing is there. Fails with
    // the reason when it cannot be told (a folder on the way that may not be searched).
    // "-" is standard input: `Other`.
    virtual Result<FileInfo> inspect(const std::string& path) = 0;
    // The path a write to `path` reaches: symbolic links followed to their last target, also
    // when that does not exist yet; `path` itself when it is no link. A name of one of the
    // process's descriptors (descriptorNamed) on the way is where it stops.
    virtual Result<std::string> resolveLinks(const std::string& path) = 0;

    // Opens for reading; "-" reads standard input.
    virtual Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) = 0;
    // Creates or truncates.
    virtual Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) = 0;
    // Opens what already exists at `path` for writing as it is, without creating or truncating
    // anything: for devices, FIFOs and sockets. "-" writes standard output, and a name of one of
    // the process's descriptors (descriptorNamed) writes through that descriptor.
    virtual Result<std::unique_ptr<WritableFile>> openWriteExisting(const std::string& path) = 0;
    // Creates a new, empty file whose name is `prefix` followed by six characters that make it
    // unique, with the permission bits a newly created file gets (0666 less the umask).
    virtual Result<TemporaryFile> createTemporary(const std::string& prefix) = 0;
    // Moves `from` over `to` in one step (same folder).
    virtual Status replaceFile(const std::string& from, const std::string& to) = 0;
    // Makes the entries of `folder` durable (after a rename in it).
    virtual Status syncFolder(const std::string& folder) = 0;

    // Makes the folder `folder` and those above it that are missing, as `mkdir -p` does, with
    // the permission bits a new folder gets (0777 less the umask); succeeds when it is there
    // already. Fails with the reason (a file in the way, a folder that refuses new entries);
    // folders made before the failure stay. REQUIRES: `folder` is not empty.
    virtual Status createFolders(const std::string& folder) = 0;
    // Whether this process may make entries in the folder `folder`: write and search permission
    // for its real user and group, as access(2) tells them. False when nothing is there or it
    // cannot be examined.
    virtual bool folderWritable(const std::string& folder) = 0;
};

// The operating system's file system. Stateless; lives as long as the process.
FileSystem& osFileSystem();

// Reads a whole regular file (or one a symbolic link names) of at most `maxBytes` bytes. Anything
// else is refused before it is opened, so that a device, a FIFO or a large file given by mistake
// costs neither time nor memory: a missing file, a folder, a device, FIFO or socket ("通常の
// ファイルではありません。") and a larger file ("ファイルが大きすぎます。") fail with the reason.
Result<std::string> readRegularFile(FileSystem& fs, const std::string& path, std::size_t maxBytes);

// The reason for a path that is not a regular file, and for one beyond a size limit.
inline constexpr const char* kNotRegularFileText = "通常のファイルではありません。";
inline constexpr const char* kFileTooLargeText = "ファイルが大きすぎます。";

// Writes `bytes` to `path` through a SafeOutput (platform/safe_output.h): a regular file is
// replaced only when every byte was written and made durable; on failure it is as it was.
Status replaceFileContents(FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace sorvek
