#pragma once
// Writes hand-over buffers to a file on a thread of its own, so that converting the next blocks
// overlaps with copying the earlier ones into the file (and, for UTF-8 output, with decoding
// them). Buffers are written in the order they were submitted; up to kMaxQueued wait their turn.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/memory_output.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class BackgroundWriter {
  public:
    // Buffers that may be submitted and not yet written at once.
    static constexpr std::size_t kMaxQueued = 8;

    explicit BackgroundWriter(WritableFile& file);
    // Waits for the buffers submitted, then ends the thread.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Queues `n` bytes at `data` to be written, or with `decoder` their UTF-8 (decoded on the
    // writer's thread, into memory of its own that grows to what the largest buffer needs).
    // REQUIRES: fewer than kMaxQueued buffers not yet written (see `waitUntilQueued`); `data`
    // stays valid and unchanged until a wait shows it written.
    void submit(const char* data, std::size_t n, const Cp932Decoder* decoder = nullptr)
        EXCLUDES(mutex_);
    // Returns once at most `count` submitted buffers are not yet written: the ones submitted
    // before them are.
    void waitUntilQueued(std::size_t count) EXCLUDES(mutex_);
    // Buffers submitted and not yet written.
    std::size_t queued() EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        return queued_;
    }
    // Returns once every buffer submitted has been written.
    void wait() { waitUntilQueued(0); }
    // The UTF-8 of the `n` CP932 bytes at `data`, decoded into `into` (emptied first; its memory
    // is kept for the next use, grown but never zeroed). Valid until `into` is used again.
    static std::string_view decodeInto(const Cp932Decoder& decoder, const char* data, std::size_t n,
                                       MemoryOutput& into);
    // False once any write failed; every later submission is then dropped.
    bool ok() const { return ok_.load(std::memory_order_acquire); }
    // The first failed write's failure. REQUIRES: !ok().
    Failure failure() const EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        return failure_;
    }

  private:
    void run() EXCLUDES(mutex_);
    // Writes unless an earlier write failed; a failure is kept and turns ok() false.
    void write(const char* data, std::size_t n) EXCLUDES(mutex_);
    void writeDecoded(const Cp932Decoder& decoder, const char* data, std::size_t n)
        EXCLUDES(mutex_);

    // Bytes decoded at a time: their UTF-8 fits in the core's own cache.
    static constexpr std::size_t kDecodeSlice = 128 * 1024;

    struct Piece {
        const char* data = nullptr;
        std::size_t size = 0;
        const Cp932Decoder* decoder = nullptr;
    };
    WritableFile& file_;  // written to by the writer's thread only
    mutable Mutex mutex_;
    std::condition_variable changed_;
    Piece queue_[kMaxQueued] GUARDED_BY(mutex_);
    // The oldest queued piece (being written while queued_ > 0).
    std::size_t first_ GUARDED_BY(mutex_) = 0;
    std::size_t queued_ GUARDED_BY(mutex_) = 0;  // pieces submitted and not yet written
    MemoryOutput decoded_;                       // used by the writer's thread only
    bool stopping_ GUARDED_BY(mutex_) = false;
    std::atomic<bool> ok_{true};
    Failure failure_ GUARDED_BY(mutex_);  // set before ok_ turns false
    std::thread thread_;
};

}  // namespace sorvek
