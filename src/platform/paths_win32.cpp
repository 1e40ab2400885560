// Paths on Windows: "\" and "/" both end a folder, a drive letter or \\server\share starts an
// absolute path; the text is the core's UTF-8, the system's calls are made with wide paths.
#include <windows.h>

#include <algorithm>

#include "platform/paths.h"
#include "platform/wide_text.h"

namespace sorvek {
namespace {

constexpr const char* kSeparators = "\\/";

// Where the root of `path` ends: after "C:\", "C:", "\\server\share\" or "\"; 0 without one.
std::size_t rootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') {
        return path.size() >= 3 && (path[2] == '\\' || path[2] == '/') ? 3 : 2;
    }
    if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
        (path[1] == '\\' || path[1] == '/')) {
        const std::size_t server = path.find_first_of(kSeparators, 2);
        if (server == std::string::npos) return path.size();
        const std::size_t share = path.find_first_of(kSeparators, server + 1);
        return share == std::string::npos ? path.size() : share + 1;
    }
    return !path.empty() && (path[0] == '\\' || path[0] == '/') ? 1 : 0;
}

}  // namespace

std::string getFullPath(const std::string& path) {
    const std::wstring wide = wideText(path.empty() ? std::string(".") : path);
    DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (n == 0 || n >= full.size()) return path;
    full.resize(n);
    std::string normal = utf8Text(full);
    // As on POSIX: no trailing separator the caller did not write, but the root keeps its own.
    if (normal.size() > rootLength(normal) && normal.back() == '\\' && !path.empty() &&
        path.back() != '\\' && path.back() != '/') {
        normal.pop_back();
    }
    return normal;
}

char folderSeparator() {
    return '\\';
}

std::string withTrailingSeparator(const std::string& folder) {
    if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder;
    return folder + folderSeparator();
}

std::string folderOfPath(const std::string& path) {
    const std::size_t root = rootLength(path);
    const std::size_t slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos || slash < root) {
        return root == 0 ? std::string(".") : path.substr(0, root);
    }
    if (slash + 1 == root) return path.substr(0, root);
    return path.substr(0, slash);
}

std::string nameOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    const std::size_t start =
        std::max(rootLength(path), slash == std::string::npos ? 0 : slash + 1);
    return path.substr(std::min(start, path.size()));
}

namespace {

std::wstring executablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::string executableFolder() {
    const std::string path = utf8Text(executablePath());
    if (path.empty()) return {};
    return folderOfPath(path);
}

std::string executableBaseName() {
    const std::string name = nameOfPath(utf8Text(executablePath()));
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace sorvek
