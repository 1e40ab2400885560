#pragma once
// A file system that passes everything to the real one but makes any step fail on demand, the
// way a failing disk, a full one or a refusing folder would: opening, each read, each write,
// the flush to the disk, the permission bits, closing, the rename, the folder's flush and the
// making of folders.
#include <atomic>
#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "platform/files.h"

namespace sorvek::testing {

class FaultyFileSystem final : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& real = osFileSystem()) : real_(real) {}

    // Reads fail once this many bytes have been read (over all files).
    std::int64_t readLimit = std::numeric_limits<std::int64_t>::max();
    // Files are read only in order, as pipes are (no reads at offsets by several threads).
    bool inOrderReads = false;
    // Writes fail once this many bytes would have been written (over all files).
    std::int64_t writeLimit = std::numeric_limits<std::int64_t>::max();
    // The write call of this number (1 the first, over all files) fails; 0 none.
    std::int64_t failWriteCall = 0;
    // close() of a written file fails.
    bool failClose = false;
    // Opening a file for reading fails (as for a file without read permission).
    bool failOpenRead = false;
    // Opening or creating a file for writing fails (openWrite, openWriteExisting,
    // createTemporary).
    bool failOpenWrite = false;
    // sync() of a written file fails.
    bool failSync = false;
    // The sync() call of this number (1 the first, over all files) fails; 0 none.
    std::int64_t failSyncCall = 0;
    // copyPermissions() fails.
    bool failPermissions = false;
    // replaceFile fails.
    bool failReplace = false;
    // syncFolder fails.
    bool failSyncFolder = false;
    // inspect() and fileSize() report regular files this many bytes longer than they are (a
    // file truncated by someone else while it is read).
    std::int64_t sizeExtra = 0;
    // createFolders fails (a folder above that refuses new entries) and makes nothing.
    bool failCreateFolders = false;
    // Paths that inspect() reports as not writable (a read-only file, a folder that refuses new
    // files), and folders that folderWritable() says refuse new files, whoever runs the test.
    std::set<std::string> readOnly;

    bool fileExists(const std::string& path) override { return real_.fileExists(path); }
    Status deleteFile(const std::string& path) override { return real_.deleteFile(path); }
    std::int64_t fileSize(const std::string& path) override {
        std::int64_t size = real_.fileSize(path);
        return size < 0 ? size : size + sizeExtra;
    }
    bool isSameFile(const std::string& a, const std::string& b) override {
        return real_.isSameFile(a, b);
    }
    Result<FileInfo> inspect(const std::string& path) override;
    Result<std::string> resolveLinks(const std::string& path) override {
        return real_.resolveLinks(path);
    }
    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override;
    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override;
    Result<std::unique_ptr<WritableFile>> openWriteExisting(const std::string& path) override;
    Result<TemporaryFile> createTemporary(const std::string& prefix) override;
    Status replaceFile(const std::string& from, const std::string& to) override {
        if (failReplace) return injectedFailure();
        return real_.replaceFile(from, to);
    }
    Status syncFolder(const std::string& folder) override {
        if (failSyncFolder) return injectedFailure();
        return real_.syncFolder(folder);
    }
    Status createFolders(const std::string& folder) override {
        if (failCreateFolders) return injectedFailure();
        return real_.createFolders(folder);
    }
    bool folderWritable(const std::string& folder) override {
        return readOnly.count(folder) == 0 && real_.folderWritable(folder);
    }

    // The failure every injected fault reports.
    static Failure injectedFailure() { return failure("injected fault"); }

    // Bytes read by sequential reads: the workers of a job read files of their own at once.
    std::atomic<std::int64_t> bytesRead{0};
    std::int64_t bytesWritten = 0;
    std::int64_t writeCalls = 0;
    std::int64_t syncCalls = 0;

  private:
    std::unique_ptr<WritableFile> faulty(std::unique_ptr<WritableFile> real);

    FileSystem& real_;
};

}  // namespace sorvek::testing
