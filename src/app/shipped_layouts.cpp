#include "app/shipped_layouts.h"

#include <array>
#include <filesystem>

#include "platform/paths.h"

namespace sorvek {
namespace {

constexpr std::array<ShippedLayout, 3> kLayouts{{
    {"zengin-sogo", "総合振込"},
    {"zengin-kyuyo", "給与振込"},
    {"zengin-furikae", "口座振替"},
}};

bool isFolder(const std::string& path, FileSystem& files) {
    const Result<FileInfo> info = files.inspect(path);
    return info && info->kind == FileKind::Folder;
}

// Whether `folder` is `root` or lies below it.
bool isWithin(const std::string& folder, const std::string& root) {
    const std::filesystem::path relative =
        std::filesystem::path(folder).lexically_relative(std::filesystem::path(root));
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

std::span<const ShippedLayout> shippedLayouts() {
    return kLayouts;
}

std::string shippedLayoutsFolder(const std::string& programFolder, FileSystem& files) {
    if (programFolder.empty()) return {};
    const std::string installed = getFullPath(programFolder + "/../share/sorvek/layouts");
    if (isFolder(installed, files)) return installed;
#if defined(SORVEK_BUILD_TREE) && defined(SORVEK_SOURCE_LAYOUTS)
    // A program run where it was built reads the layouts of the sources it was built from.
    if (isWithin(getFullPath(programFolder), SORVEK_BUILD_TREE) &&
        isFolder(SORVEK_SOURCE_LAYOUTS, files)) {
        return SORVEK_SOURCE_LAYOUTS;
    }
#endif
    return {};
}

std::string shippedLayoutsFolder(FileSystem& files) {
    return shippedLayoutsFolder(executableFolder(), files);
}

std::string shippedLayoutPath(const ShippedLayout& layout, const std::string& layoutsFolder,
                              FileSystem& files) {
    if (layoutsFolder.empty()) return {};
    std::string path = withTrailingSeparator(layoutsFolder) + layout.name + ".trd";
    const Result<FileInfo> info = files.inspect(path);
    return info && info->kind == FileKind::Regular ? path : std::string();
}

std::string definitionPathFor(const std::string& typed, const std::string& layoutsFolder,
                              FileSystem& files) {
    const std::string typedPath = getFullPath(typed);
    const bool bareName = !typed.empty() && typed.find('/') == std::string::npos &&
                          typed.find(folderSeparator()) == std::string::npos &&
                          typed.find('.') == std::string::npos;
    if (!bareName || layoutsFolder.empty()) return typedPath;
    // Anything at the path, even what cannot be read as a definition, is what the user meant.
    const Result<FileInfo> there = files.inspect(typedPath);
    if (!there || there->kind != FileKind::Missing) return typedPath;
    for (const ShippedLayout& layout : kLayouts) {
        if (typed != layout.name) continue;
        std::string path = shippedLayoutPath(layout, layoutsFolder, files);
        return path.empty() ? typedPath : path;
    }
    return typedPath;
}

}  // namespace sorvek
