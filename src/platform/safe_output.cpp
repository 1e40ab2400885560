#include "platform/safe_output.h"

#include <cerrno>

#include "platform/paths.h"
#include "platform/system_error.h"

namespace sorvek {
namespace {

// ".NAME.sorvek-": the temporary file's name without the six characters that make it unique.
// A long name is shortened so that the whole stays within the 255 bytes a name may have.
std::string temporaryPrefix(const std::string& target) {
    constexpr std::size_t kMaxNameBytes = 255 - 1 - 8 - 6;  // ".", ".sorvek-", XXXXXX
    std::string name = nameOfPath(target);
    if (name.size() > kMaxNameBytes) name.resize(kMaxNameBytes);
    return folderOfPath(target) + "/." + name + ".sorvek-";
}

}  // namespace

Result<std::unique_ptr<SafeOutput>> SafeOutput::open(FileSystem& fs, const std::string& path,
                                                     Flush flush) {
    auto asItIs = [&fs](const std::string& target) -> Result<std::unique_ptr<SafeOutput>> {
        auto file = fs.openWriteExisting(target);
        if (!file) return file.error();
        return std::unique_ptr<SafeOutput>(
            new SafeOutput(fs, Mode::AsItIs, target, {}, std::move(*file)));
    };
    if (path == kStandardStream || descriptorNamed(path)) return asItIs(path);

    Result<std::string> target = fs.resolveLinks(path);
    if (!target) return target.error();
    if (descriptorNamed(*target)) return asItIs(*target);
    Result<FileInfo> info = fs.inspect(*target);
    if (!info) return info.error();
    switch (info->kind) {
        case FileKind::Folder:
            return systemFailure(EISDIR);
        case FileKind::Other:
            return asItIs(*target);
        case FileKind::Regular:
            // A file its owner made read-only is not swept away by a rename.
            if (!info->writable) return systemFailure(EACCES);
            break;
        case FileKind::Missing:
            break;
    }

    const std::string folder = folderOfPath(*target);
    Result<FileInfo> folderInfo = fs.inspect(folder);
    if (!folderInfo) return folderInfo.error();
    if (folderInfo->kind == FileKind::Missing)
        return failure(kMissingFolderText, FailureKind::NotFound);
    if (folderInfo->kind != FileKind::Folder) return systemFailure(ENOTDIR);
    if (info->kind == FileKind::Regular && !folderInfo->writable) {
        // No new file may be made beside it, but the file itself may be written.
        auto file = fs.openWrite(*target);
        if (!file) return file.error();
        return std::unique_ptr<SafeOutput>(
            new SafeOutput(fs, Mode::InPlace, *target, {}, std::move(*file)));
    }

    Result<TemporaryFile> temporary = fs.createTemporary(temporaryPrefix(*target));
    if (!temporary) return temporary.error();
    const bool flushes = flush == Flush::Always || info->kind == FileKind::Regular;
    // Handing the bytes to the disk early only pays for a file that is flushed at the end.
    temporary->file->setWriteBehind(flushes);
    std::unique_ptr<SafeOutput> output(new SafeOutput(fs, Mode::Replace, *target, temporary->path,
                                                      std::move(temporary->file), flushes));
    if (info->kind == FileKind::Regular) {
        // Before the first byte, so that a private file's contents are never open to others.
        if (Status kept = output->file().copyPermissions(*info); !kept) return kept.error();
    }
    return output;
}

SafeOutput::~SafeOutput() {
    if (!finished_) discard();
}

Status SafeOutput::seal() {
    if (sealed_) return sealing_;
    sealed_ = true;
    if (mode_ != Mode::AsItIs && flushes_) sealing_ = file_->sync();
    // Closed even after a failed flush: the descriptor must not outlive the output.
    Status closed = file_->close();
    if (sealing_) sealing_ = closed;
    return sealing_;
}

Status SafeOutput::commit() {
    Status status = seal();
    finished_ = true;
    if (status && mode_ == Mode::Replace) {
        status = fs_.replaceFile(temporary_, target_);
        if (status) return flushes_ ? fs_.syncFolder(folderOfPath(target_)) : status;
    }
    if (!status) discard();
    return status;
}

void SafeOutput::discard() {
    finished_ = true;
    file_.reset();
    switch (mode_) {
        case Mode::Replace:
            // A temporary file that cannot be removed is plainly named as one; the failure that
            // led here is what the user is told.
            (void)fs_.deleteFile(temporary_);
            break;
        case Mode::InPlace: {
            // The old contents are gone already; an empty file cannot be taken for a whole one.
            auto emptied = fs_.openWrite(target_);
            if (emptied) (void)(*emptied)->close();
            break;
        }
        case Mode::AsItIs:
            break;
    }
}

}  // namespace sorvek
