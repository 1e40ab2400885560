#pragma once
// Writing an output so that nothing the user had is lost. What happens depends on what is at the
// output path (symbolic links followed to the file they name; the link itself stays):
//
// - A regular file, or nothing yet: the bytes go to a temporary file in the same folder, named
//   ".NAME.sorvek-XXXXXX" so that one left behind by a killed process is plainly one. It gets
//   the old file's permission bits (and owner, where this process may) before the first byte is
//   written. `commit` flushes it to the disk (see Flush), renames it over the final name and
//   flushes the folder; until then the final name holds exactly what it held. Without a commit (a
//   failure, a cancelled job) the temporary file is removed.
// - A device, a FIFO, a socket, or "-" (standard output): opened for writing as it is; never
//   deleted, replaced or created.
// - A regular file in a folder where no new file may be made (but the file itself may be
//   written): written in place, the only way to write it at all. A failure then leaves it empty,
//   so that no partial file looks usable.
//
// Both the jobs and the definition and settings writers go through here.
#include <memory>
#include <string>

#include "platform/files.h"

namespace sorvek {

// The reasons SafeOutput::open gives beyond the system's own.
inline constexpr const char* kMissingFolderText = "フォルダが存在しません。";

class SafeOutput {
  public:
    // When `commit` waits for the bytes to reach the disk. Always: definition and settings
    // files, small and precious. WhenReplacing: the outputs of jobs, often gigabytes; the wait
    // keeps an old file from being swapped for one that a crash could still cut short, while
    // a new file is left to the system to write out, as copying a file would.
    enum class Flush { Always, WhenReplacing };

    // Opens the output at `path`. Fails with the reason, nothing touched: a folder at the path,
    // an existing regular file this process may not write, a folder that does not exist, or
    // whatever opening or creating the file met.
    static Result<std::unique_ptr<SafeOutput>> open(FileSystem& fs, const std::string& path,
                                                    Flush flush = Flush::Always);

    // Without a successful commit: the temporary file is closed and removed (a file written in
    // place is emptied).
    ~SafeOutput();
    SafeOutput(const SafeOutput&) = delete;
    SafeOutput& operator=(const SafeOutput&) = delete;

    // Where the bytes go until the commit. Owned by this object; do not close it.
    WritableFile& file() { return *file_; }
    // True when a temporary file is moved over the final name at the commit.
    bool replacesOnCommit() const { return !temporary_.empty(); }
    // True when the bytes reach their destination as they are written (a device, a FIFO,
    // standard output): nothing written can be taken back.
    bool writesThrough() const { return mode_ == Mode::AsItIs; }
    // The file the output ends up in: the path with symbolic links followed.
    const std::string& target() const { return target_; }

    // Ends a successful output: flushes it to the disk (as Flush says), moves the temporary file
    // over the final name and flushes the folder (likewise); an output written as it is is closed.
    // A failure removes the temporary file (the final name keeps what it held) and carries the
    // reason. Call once.
    Status commit();
    // The first half of commit, for a set of outputs that is to replace its old files together:
    // flushes the output to the disk (as Flush says) and closes it, so that what can fail for
    // want of room fails before any file of the set is renamed. commit then only renames. A
    // failure carries the reason; the output is then to be discarded (its destructor does).
    Status seal();

  private:
    enum class Mode { Replace, AsItIs, InPlace };
    SafeOutput(FileSystem& fs, Mode mode, std::string target, std::string temporary,
               std::unique_ptr<WritableFile> file, bool flushes = true)
        : fs_(fs),
          mode_(mode),
          flushes_(flushes),
          target_(std::move(target)),
          temporary_(std::move(temporary)),
          file_(std::move(file)) {}
    void discard();

    FileSystem& fs_;
    Mode mode_;
    bool flushes_;  // commit waits for the disk
    std::string target_;
    std::string temporary_;  // empty unless mode_ is Replace
    std::unique_ptr<WritableFile> file_;
    bool sealed_ = false;
    Status sealing_;  // what seal() met
    bool finished_ = false;
};

}  // namespace sorvek
