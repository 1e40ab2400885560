// The whole-file helpers of files.h, on any FileSystem.
#include <cerrno>

#include "platform/files.h"
#include "platform/safe_output.h"
#include "platform/system_error.h"

namespace sorvek {

Result<std::string> readRegularFile(FileSystem& fs, const std::string& path, std::size_t maxBytes) {
    Result<FileInfo> info = fs.inspect(path);
    if (!info) return info.error();
    switch (info->kind) {
        case FileKind::Missing:
            return systemFailure(ENOENT);
        case FileKind::Folder:
            return systemFailure(EISDIR);
        case FileKind::Other:
            return failure(kNotRegularFileText, FailureKind::DeviceOrSocket);
        case FileKind::Regular:
            break;
    }
    if (info->size < 0 || static_cast<std::uint64_t>(info->size) > maxBytes) {
        return failure(kFileTooLargeText, FailureKind::RefusedArgument);
    }
    auto file = fs.openRead(path);
    if (!file) return file.error();
    std::string contents;
    contents.reserve(static_cast<std::size_t>(info->size));
    char buffer[65536];
    for (;;) {
        Result<std::size_t> got = (*file)->read(buffer, sizeof buffer);
        if (!got) return got.error();
        if (*got == 0) return contents;
        // The file may have grown since it was looked at.
        if (*got > maxBytes - contents.size()) {
            return failure(kFileTooLargeText, FailureKind::RefusedArgument);
        }
        contents.append(buffer, *got);
    }
}

Status replaceFileContents(FileSystem& fs, const std::string& path, std::string_view bytes) {
    auto out = SafeOutput::open(fs, path);
    if (!out) return out.error();
    if (Status written = (*out)->file().write(bytes.data(), bytes.size()); !written) {
        return written;  // the temporary file goes with the SafeOutput
    }
    return (*out)->commit();
}

}  // namespace sorvek
