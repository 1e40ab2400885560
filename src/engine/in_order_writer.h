#pragma once
// Writes the outputs of a job's parts in the order of the parts, on the threads that made them:
// the worker that finishes the next part due writes it, and every later part already finished,
// while the other workers go on converting. The job's own thread copies no output byte, and one
// thread at a time writes, so the file receives exactly the bytes of one sequential run. A part
// may be made of several streams, each for a file of its own (the files of a split output).
#include <condition_variable>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "engine/memory_output.h"
#include "platform/files.h"
#include "platform/mutex.h"
#include "platform/thread_annotations.h"
#include "ports/status.h"

namespace sorvek {

class InOrderWriter {
  public:
    // `file` outlives the writer.
    explicit InOrderWriter(WritableFile& file) : files_{&file} {}
    // Stream i of each part goes to `files[i]`; they outlive the writer. REQUIRES: not empty.
    explicit InOrderWriter(std::vector<WritableFile*> files) : files_(std::move(files)) {}
    InOrderWriter(const InOrderWriter&) = delete;
    InOrderWriter& operator=(const InOrderWriter&) = delete;

    // Writes `n` bytes at once to the file of `stream`, before any part is delivered (a title
    // line).
    void writeFirst(const char* data, std::size_t n, std::size_t stream = 0) EXCLUDES(mutex_);
    // Memory for a part's output: a buffer of a part already written, or a new one.
    MemoryOutput takeBuffer() EXCLUDES(mutex_) { return std::move(takeBuffers()[0]); }
    // The same for each stream: one buffer per file, emptied.
    std::vector<MemoryOutput> takeBuffers() EXCLUDES(mutex_);
    // Part `index` (0, 1, 2, ... every one delivered exactly once) is done. When every part
    // before it is written, writes it, and the parts after it that are done, before returning;
    // otherwise keeps it for the thread that writes the part before it. `last`: nothing after
    // this part is written (the conversion stopped in it). Thread-safe.
    void deliver(std::uint64_t index, MemoryOutput bytes, bool last = false) EXCLUDES(mutex_);
    // The same for a part of several streams: `streams[i]` goes to file i. REQUIRES: one per
    // file.
    void deliverStreams(std::uint64_t index, std::vector<MemoryOutput> streams, bool last = false)
        EXCLUDES(mutex_);
    // Waits until the `parts` first parts are written (or dropped after a failure or the last
    // part); the first failed write, if any. Nothing is written after a failure.
    Status finish(std::uint64_t parts) EXCLUDES(mutex_);
    // False once a write failed: later parts are dropped, so they need not be converted.
    bool ok() const EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        return written_.ok();
    }

  private:
    struct Part {
        std::vector<MemoryOutput> streams;
        bool last = false;
    };

    // Written by the one thread that has set writing_, without the mutex.
    const std::vector<WritableFile*> files_;
    mutable Mutex mutex_;
    std::condition_variable changed_;
    // Delivered, waiting for the parts before them.
    std::map<std::uint64_t, Part> done_ GUARDED_BY(mutex_);
    std::vector<std::vector<MemoryOutput>> free_ GUARDED_BY(mutex_);
    std::uint64_t next_ GUARDED_BY(mutex_) = 0;  // the part due
    bool writing_ GUARDED_BY(mutex_) = false;    // a thread is writing parts
    // A part marked last was written: the rest is dropped.
    bool ended_ GUARDED_BY(mutex_) = false;
    Status written_ GUARDED_BY(mutex_);
};

}  // namespace sorvek
