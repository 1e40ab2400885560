#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace sorvek::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorvek-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    if (made == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    std::string p = file(name);
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::vector<std::string> TempDir::names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
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
