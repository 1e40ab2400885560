#pragma once
// Reads a file ahead on a thread of its own, so that the reading and the work on the bytes read
// run side by side. A regular file is mapped in windows rather than copied (the copy out of the
// system's cache would cost more than the work); anything else is read into buffers. A few
// blocks are in flight; memory does not depend on the file.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class BlockReader {
  public:
    // Work done on each block on the reading thread, before the block is handed over (in file
    // order, one block at a time).
    using OnRead = std::function<void(const unsigned char* data, std::size_t size)>;

    // Starts reading `file` (which must outlive the reader) in blocks of `blockSize` bytes, or
    // mapped windows of `mapSize` where the file can be mapped; `depth` blocks ahead at most.
    // Reads to the end of the file, whatever its length.
    BlockReader(ReadableFile& file, std::size_t blockSize, std::size_t mapSize,
                std::size_t depth = 3, OnRead onRead = {});
    // Stops the reading (a block being read is finished first) and waits for the thread.
    ~BlockReader();
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    struct Block {
        const unsigned char* data = nullptr;
        std::size_t size = 0;  // 0 at the end of the file
    };
    // The next block, once it is read; the block returned before goes back to the reader and
    // must no longer be used. A failed read: the failure (the reason from the file system);
    // every later call returns it again.
    Result<Block> next() EXCLUDES(mutex_);

  private:
    struct Slot {
        std::vector<unsigned char> buffer;    // read into, when the file is not mapped
        std::unique_ptr<MappedBytes> mapped;  // or its mapped window
        const unsigned char* data = nullptr;
        std::size_t size = 0;
    };
    struct Filled {
        std::size_t slot;
        bool failed;
        Failure failure;
    };
    void run() EXCLUDES(mutex_);
    // Fills `slot` with the next block: false on a failure (`failure` set).
    bool fill(Slot& slot, Failure& failure);

    ReadableFile& file_;
    std::size_t blockSize_;
    std::size_t mapSize_;
    OnRead onRead_;
    bool mapping_ = true;  // the reading thread's own: mapping until the file refuses
    // Each slot belongs to whoever took its number from free_ (the reading thread) or filled_
    // (the consumer), until it hands the number back.
    std::vector<Slot> slots_;
    Mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::size_t> free_ GUARDED_BY(mutex_);
    std::deque<Filled> filled_ GUARDED_BY(mutex_);
    bool stop_ GUARDED_BY(mutex_) = false;
    bool holding_ GUARDED_BY(mutex_) = false;  // the consumer holds a slot
    std::size_t held_ GUARDED_BY(mutex_) = 0;
    std::thread thread_;
};

}  // namespace sorvek
