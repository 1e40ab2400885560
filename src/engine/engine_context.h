#pragma once
// What an engine operation is handed besides its arguments.
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/job_gate.h"
#include "platform/files.h"
#include "ports/progress.h"

namespace sorvek {

// Input block size of the conversions. Larger than the 20480 bytes of old, for throughput;
// the output does not depend on it.
inline constexpr std::size_t kDefaultBlockSize = 256 * 1024;

// The most workers a job is given: the console, the libraries and Python refuse more.
inline constexpr unsigned kMaxJobs = 256;

// A file the output must not name (besides the input), and the line that says what it is.
struct KeptFile {
    std::string path;
    std::string reason;  // "レコード定義ファイルと同じファイルです。"
};

// The engine shows nothing: its operations return what went wrong, and the caller shows it.
struct EngineContext {
    Progress& progress;
    FileSystem& files = osFileSystem();
    // Tests shrink the block to put every byte on a block boundary once.
    std::size_t blockSize = kDefaultBlockSize;
    // Set (by a signal, or a cancel button) to end the job between two blocks, through the same
    // path as any failure: the output is not replaced. May be null.
    const std::atomic<bool>* cancelled = nullptr;
    // When set, consulted between two blocks and before the outputs are replaced (JobGate): the
    // desktop program holds the job there while it asks whether to cancel. Null: never waits.
    JobGate* gate = nullptr;
    // Workers that convert parts of the input at once; 1 is the sequential run. The output is
    // the same bytes either way.
    unsigned jobs = 1;
    // Files the output is refused for naming (by device and inode): the definition file, the
    // settings file.
    std::vector<KeptFile> keptFiles = {};
    // When set, handed every block of the input as it is read, in order: the desktop program
    // inspects the input this way while a job runs, for its completion message.
    std::function<void(const char* data, std::size_t size)> observeInput = {};
};

}  // namespace sorvek
