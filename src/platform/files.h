#pragma once
// File access of the core. Everything goes through `FileSystem`, so that tests can hand the
// engine a file system whose reads or writes fail on demand and prove that failures are reported.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sorvek {

class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Reads up to `n` bytes. Returns the number read (0 only at the end of the file), or -1 on
    // a read error.
    virtual std::int64_t read(char* buffer, std::size_t n) = 0;
};

class WritableFile {
  public:
    virtual ~WritableFile() = default;
    // Writes all `n` bytes or returns false.
    virtual bool write(const char* data, std::size_t n) = 0;
    // Flushes and closes. Returns false when the data may not have reached the file.
    virtual bool close() = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // True when something that can be opened as a file exists at `path` (not a folder).
    virtual bool fileExists(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Length in bytes, or -1 when it cannot be read.
    virtual std::int64_t fileSize(const std::string& path) = 0;
    // True when both paths name one existing file: same device and inode, so relative,
    // absolute, symbolically and hard linked spellings all count.
    virtual bool isSameFile(const std::string& a, const std::string& b) = 0;

    // nullptr when the file cannot be opened.
    virtual std::unique_ptr<ReadableFile> openRead(const std::string& path) = 0;
    // Creates or truncates. nullptr when the file cannot be opened.
    virtual std::unique_ptr<WritableFile> openWrite(const std::string& path) = 0;
    // Moves `from` over `to` in one step (same folder).
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
};

// The operating system's file system. Stateless; lives as long as the process.
FileSystem& osFileSystem();

// Reads a whole (small) file; false when it cannot be opened or read.
bool readWholeFile(FileSystem& fs, const std::string& path, std::string& contents);

}  // namespace sorvek
