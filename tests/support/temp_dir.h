#pragma once
// A fresh folder per test, removed with everything in it afterwards.
#include <string>
#include <vector>

namespace sorvek::testing {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // Path of `name` inside the folder.
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes `bytes` to `name` and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;
    // The names of everything in the folder (hidden ones too), sorted.
    std::vector<std::string> names() const;

  private:
    std::string path_;
};

// The whole contents of a file; fails the test when it cannot be read.
std::string readFile(const std::string& path);

// Bytes shown as hex, for failure messages that say which byte differs.
std::string hexDump(const std::string& bytes);

}  // namespace sorvek::testing
