#pragma once
// A file system held in memory: readers get their input without any disk access, and what the
// writers produce can be compared afterwards. Used by the tests and the fuzz targets.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/files.h"

namespace sorvek::testing {

class MemoryFileSystem final : public FileSystem {
  public:
    std::map<std::string, std::string> files;

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
    Result<std::unique_ptr<ReadableFile>> openRead(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return failure("no such file");
        return std::unique_ptr<ReadableFile>(std::make_unique<Reader>(it->second));
    }
    Result<std::unique_ptr<WritableFile>> openWrite(const std::string& path) override {
        files[path].clear();
        return std::unique_ptr<WritableFile>(std::make_unique<Writer>(*this, path));
    }
    Status replaceFile(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return failure("no such file");
        std::string bytes = std::move(it->second);
        files.erase(it);
        files[to] = std::move(bytes);
        return {};
    }

  private:
    class Reader final : public ReadableFile {
      public:
        explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
        Result<std::size_t> read(char* buffer, std::size_t n) override {
            std::size_t count = std::min(n, bytes_.size() - at_);
            std::memcpy(buffer, bytes_.data() + at_, count);
            at_ += count;
            return count;
        }

      private:
        std::string bytes_;
        std::size_t at_ = 0;
    };

    class Writer final : public WritableFile {
      public:
        Writer(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        Status write(const char* data, std::size_t n) override {
            fs_.files[path_].append(data, n);
            return {};
        }
        Status close() override { return {}; }

      private:
        MemoryFileSystem& fs_;
        std::string path_;
    };
};

}  // namespace sorvek::testing
