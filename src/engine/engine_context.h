#pragma once
// What an engine operation is handed besides its arguments.
#include <cstddef>
#include <functional>

#include "platform/files.h"
#include "ports/messages.h"
#include "ports/progress.h"

namespace sorvek {

// Input block size of the conversions. Larger than the 20480 bytes of old, for throughput;
// the output does not depend on it.
inline constexpr std::size_t kDefaultBlockSize = 256 * 1024;

struct EngineContext {
    Progress& progress;
    Messages& messages;
    FileSystem& files = osFileSystem();
    // Tests shrink the block to put every byte on a block boundary once.
    std::size_t blockSize = kDefaultBlockSize;
    // When set, handed every block of the input as it is read, in order: the desktop program
    // inspects the input this way while a job runs, for its completion message.
    std::function<void(const char* data, std::size_t size)> observeInput = {};
};

}  // namespace sorvek
