#pragma once
// Writes hand-over buffers to a file on a thread of its own, so that converting the next block
// overlaps with copying the previous one into the file (and, for UTF-8 output, with decoding
// it). At most one buffer is in flight.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"

namespace sorvek {

class BackgroundWriter {
  public:
    explicit BackgroundWriter(WritableFile& file);
    // Waits for the buffer in flight, then ends the thread.
    ~BackgroundWriter();
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Starts writing `n` bytes at `data`, or with `decoder` their UTF-8 (decoded on the
    // writer's thread, into memory of its own that grows to what the largest buffer needs).
    // REQUIRES: no buffer in flight (call `wait` first); `data` stays valid and unchanged until
    // the next `wait` returns.
    void submit(const char* data, std::size_t n, const Cp932Decoder* decoder = nullptr);
    // Returns once the buffer in flight, if any, has been written.
    void wait();
    // False once any write failed; every later submission is then dropped.
    bool ok() const { return ok_.load(std::memory_order_acquire); }
    // The first failed write's failure. REQUIRES: !ok(), and no buffer in flight.
    Failure failure() const { return failure_; }

  private:
    void run();

    WritableFile& file_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    const Cp932Decoder* decoder_ = nullptr;
    std::vector<char> decoded_;  // used by the writer's thread only
    bool busy_ = false;
    bool stopping_ = false;
    std::atomic<bool> ok_{true};
    Failure failure_;  // written by the writer thread before ok_ turns false
    std::thread thread_;
};

}  // namespace sorvek
