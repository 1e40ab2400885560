#pragma once
// Buffers handed to a job's workers come back here when the last holder lets go, so that each
// part does not cost the pages of a fresh allocation.
#include <memory>
#include <vector>

#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class BufferPool {
  public:
    // A buffer of any size (resize it); back in the pool when the last copy is dropped.
    // REQUIRES: the pool outlives every buffer it handed out.
    std::shared_ptr<std::vector<char>> take() EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        std::vector<char>* buffer = nullptr;
        if (free_.empty()) {
            buffer = new std::vector<char>();
        } else {
            buffer = free_.back().release();
            free_.pop_back();
        }
        return std::shared_ptr<std::vector<char>>(buffer, [this](std::vector<char>* b) {
            MutexLock back(mutex_);
            free_.emplace_back(b);
        });
    }

  private:
    Mutex mutex_;
    std::vector<std::unique_ptr<std::vector<char>>> free_ GUARDED_BY(mutex_);
};

}  // namespace sorvek
