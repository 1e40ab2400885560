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
    bool deleteFile(const std::string& path) override { return files.erase(path) != 0; }
    std::int64_t fileSize(const std::string& path) override {
        auto it = files.find(path);
        return it == files.end() ? -1 : static_cast<std::int64_t>(it->second.size());
    }
    bool isSameFile(const std::string& a, const std::string& b) override {
        return a == b && fileExists(a);
    }
    std::unique_ptr<ReadableFile> openRead(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return nullptr;
        return std::make_unique<Reader>(it->second);
    }
    std::unique_ptr<WritableFile> openWrite(const std::string& path) override {
        files[path].clear();
        return std::make_unique<Writer>(*this, path);
    }
    bool replaceFile(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return false;
        std::string bytes = std::move(it->second);
        files.erase(it);
        files[to] = std::move(bytes);
        return true;
    }

  private:
    class Reader final : public ReadableFile {
      public:
        explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
        std::int64_t read(char* buffer, std::size_t n) override {
            std::size_t count = std::min(n, bytes_.size() - at_);
            std::memcpy(buffer, bytes_.data() + at_, count);
            at_ += count;
            return static_cast<std::int64_t>(count);
        }

      private:
        std::string bytes_;
        std::size_t at_ = 0;
    };

    class Writer final : public WritableFile {
      public:
        Writer(MemoryFileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        bool write(const char* data, std::size_t n) override {
            fs_.files[path_].append(data, n);
            return true;
        }
        bool close() override { return true; }

      private:
        MemoryFileSystem& fs_;
        std::string path_;
    };
};

}  // namespace sorvek::testing
