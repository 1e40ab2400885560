#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/fresh_folder.h"

namespace sorvek::testing {

namespace {

// The tests' paths are UTF-8: a narrow path would be read in the system's code page on Windows.
std::filesystem::path utf8Path(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string utf8Name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

}  // namespace

TempDir::TempDir() : path_(makeFreshFolder()) {}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(utf8Path(path_), ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::string p = file(name);
    std::ofstream out(utf8Path(p), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::vector<std::string> TempDir::names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(utf8Path(path_))) {
        names.push_back(utf8Name(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string hexDump(const std::string& bytes) {
    std::ostringstream out;
    static const char* digits = "0123456789ABCDEF";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) out << (i % 32 == 0 ? '\n' : ' ');
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        out << digits[b >> 4] << digits[b & 15];
    }
    return out.str();
}

}  // namespace sorvek::testing
