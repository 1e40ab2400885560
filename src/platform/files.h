#pragma once
// File access of the core. Everything goes through `FileSystem`, so that tests can hand the
// engine a file system whose reads or writes fail on demand and prove that failures are reported.
// A failure's message is the reason in the user's words ("アクセスが拒否されました。"); the caller
// puts its own lines (which file, which step) before it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ports/status.h"

namespace sorvek {

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
    // Reads up to `n` bytes: the number read, 0 only at the end of the file.
    virtual Result<std::size_t> read(char* buffer, std::size_t n) = 0;
    // Maps the next bytes of the file, up to `n` (fewer only at its end, none there), instead of
    // reading them; the position moves past them. No object where the file cannot be mapped (a
    // pipe, a device, a file system that does not map): read instead. A regular file must not
    // shrink while its bytes are mapped.
    virtual Result<std::unique_ptr<MappedBytes>> mapNext(std::size_t /*n*/) {
        return std::unique_ptr<MappedBytes>{};
    }
};

class WritableFile {
  public:
    virtual ~WritableFile() = default;
    // Writes all `n` bytes.
    virtual Status write(const char* data, std::size_t n) = 0;
    // Flushes and closes; a failure means the data may not have reached the file.
    virtual Status close() = 0;
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

    virtual Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) = 0;
    // Creates or truncates.
    virtual Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) = 0;
    // Moves `from` over `to` in one step (same folder).
    virtual Status replaceFile(const std::string& from, const std::string& to) = 0;
};

// The operating system's file system. Stateless; lives as long as the process.
FileSystem& osFileSystem();

// Reads a whole (small) file.
Result<std::string> readWholeFile(FileSystem& fs, const std::string& path);

// Writes `bytes` to `path` through a temporary file in the same folder; the target is replaced
// only when every byte was written and the file closed. On failure the target is as it was.
Status replaceFileContents(FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace sorvek
