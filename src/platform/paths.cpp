#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace sorvek {
namespace fs = std::filesystem;

std::string getFullPath(const std::string& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec) return path;
    std::string normal = absolute.lexically_normal().string();
    // "dir/." folds to "dir/"; keep "/" but drop the trailing separator of any other folder
    // the caller did not write with one.
    if (normal.size() > 1 && normal.back() == '/' && !path.empty() && path.back() != '/') {
        normal.pop_back();
    }
    return normal;
}

char folderSeparator() {
    return '/';
}

std::string withTrailingSeparator(const std::string& folder) {
    if (!folder.empty() && folder.back() == folderSeparator()) return folder;
    return folder + folderSeparator();
}

std::string folderOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace {
fs::path executablePath() {
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : p;
}
}  // namespace

std::string executableFolder() {
    return executablePath().parent_path().string();
}

std::string executableBaseName() {
    return executablePath().stem().string();
}

}  // namespace sorvek
