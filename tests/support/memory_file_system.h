#pragma once
// A file system held in memory: readers get their input without any disk access, and what the
// writers produce can be compared afterwards. Used by the tests and the fuzz targets. Folders
// exist where files lie in them, or where `folders` names them (createFolders adds to it), and
// every folder takes new files; there are no links; `devices` are outputs written as they are
// (what reaches them is kept).
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace sorvek::testing {

class MemoryFileSystem final : public FileSystem {
  public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::map<std::string, std::string> devices;
    // Whether files are read as regular files that several threads read parts of at once
    // (`readAt`), or only in order, as pipes are.
    bool readsAtOffsets = false;

    bool fileExists(const std::string& path) override { return files.count(path) != 0; }
    Status deleteFile(const std::string& path) override {
        if (files.erase(path) == 0) return failure("no such file");
        return {};
    }
    std::int64_t fileSize(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? -1 : static_cast<std::int64_t>(it->second.size());
    }
    bool isSameFile(const std::string& a, const std::string& b) override {
        return a == b && fileExists(a);
    }
    Result<FileInfo> inspect(const std::string& path) override {
        FileInfo info;
        info.writable = true;
        info.mode = 0644;
        if (auto it = files.find(path); it != files.end()) {
            info.kind = FileKind::Regular;
            info.size = static_cast<std::int64_t>(it->second.size());
        } else if (devices.count(path) != 0) {
            info.kind = FileKind::Other;
        } else if (isFolder(path)) {
            info.kind = FileKind::Folder;
        }
        return info;
    }
    Result<std::string> resolveLinks(const std::string& path) override { return path; }
    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return failure("no such file");
        return std::unique_ptr<ReadableFile>(std::make_unique<Reader>(it->second, readsAtOffsets));
    }
    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override {
        files[path].clear();
        return std::unique_ptr<WritableFile>(std::make_unique<Writer>(files[path]));
    }
    Result<std::unique_ptr<WritableFile>> openWriteExisting(const std::string& path) override {
        if (devices.count(path) == 0) return failure("no such device");
        return std::unique_ptr<WritableFile>(std::make_unique<Writer>(devices[path]));
    }
    Result<TemporaryFile> createTemporary(const std::string& prefix) override {
        std::string path = prefix + std::to_string(100000 + temporaries_++);
        files[path].clear();
        return TemporaryFile{std::make_unique<Writer>(files[path]), path};
    }
    Status syncFolder(const std::string&) override { return {}; }
    // Fails where a file or a device is in the way, before anything is made.
    Status createFolders(const std::string& folder) override {
        std::vector<std::string> steps;
        for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
            std::string step = folder.substr(0, slash);
            if (files.count(step) != 0 || devices.count(step) != 0) return failure("not a folder");
            if (!step.empty() && step.back() != '/') steps.push_back(std::move(step));
            if (slash == std::string::npos) break;
        }
        folders.insert(steps.begin(), steps.end());
        return {};
    }
    bool folderWritable(const std::string& folder) override { return isFolder(folder); }
    Status replaceFile(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return failure("no such file");
        std::string bytes = std::move(it->second);
        files.erase(it);
        files[to] = std::move(bytes);
        return {};
    }

  private:
    bool isFolder(const std::string& path) const {
        if (path == "/" || path == "." || folders.count(path) != 0) return true;
        auto it = files.lower_bound(path + "/");
        return it != files.end() && it->first.compare(0, path.size() + 1, path + "/") == 0;
    }

    class Reader final : public ReadableFile {
      public:
        Reader(std::string bytes, bool atOffsets)
            : bytes_(std::move(bytes)), atOffsets_(atOffsets) {}
        bool readsAtOffsets() const override { return atOffsets_; }
        Result<std::size_t> readAt(std::int64_t offset, char* buffer, std::size_t n) override {
            const auto from = std::min(static_cast<std::size_t>(offset), bytes_.size());
            const std::size_t count = std::min(n, bytes_.size() - from);
            std::memcpy(buffer, bytes_.data() + from, count);
            return count;
        }
        Result<std::size_t> read(char* buffer, std::size_t n) override {
            std::size_t count = std::min(n, bytes_.size() - at_);
            std::memcpy(buffer, bytes_.data() + at_, count);
            at_ += count;
            return count;
        }

      private:
        const std::string bytes_;
        const bool atOffsets_;
        std::size_t at_ = 0;
    };

    // Appends to a string of the maps above; std::map keeps its elements in place, and a file
    // that is replaced or deleted while open is a fault of the code under test.
    class Writer final : public WritableFile {
      public:
        explicit Writer(std::string& bytes) : bytes_(bytes) {}
        Status write(const char* data, std::size_t n) override {
            bytes_.append(data, n);
            return {};
        }
        Status sync() override { return {}; }
        Status copyPermissions(const FileInfo&) override { return {}; }
        Status close() override { return {}; }

      private:
        std::string& bytes_;
    };

    unsigned temporaries_ = 0;
};

}  // namespace sorvek::testing
