#pragma once
// A hold on a running job, closed and opened from another thread: the desktop program closes it
// while it asks whether to cancel, so that the job neither reads on nor replaces its outputs
// before the answer. A job consults it between two blocks (`pause`) and once before it replaces
// its outputs (`enterReplace`); a job without a gate (the console, the libraries) never waits.
#include <atomic>
#include <condition_variable>

#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class JobGate {
  public:
    // --- The owner's side ---

    // Closes the gate: the job stops at its next pause, or before it replaces its outputs.
    // Returns false, and leaves the gate open, once the job has passed the point of replacing
    // its outputs: they are replaced (or being replaced) whatever is answered.
    bool hold() EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        if (replacing_) return false;
        held_ = true;
        return true;
    }
    // Opens the gate; a job waiting at it goes on, and sees a cancel made while it waited.
    void release() EXCLUDES(mutex_) {
        {
            MutexLock lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }
    // True while the job waits at the closed gate with every output written, before replacing.
    bool waitingToReplace() const EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        return waitingToReplace_;
    }

    // --- The job's side (any of its threads) ---

    // Waits while the gate is closed.
    void pause() EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        while (held_) lock.wait(changed_);
    }
    // Called with every output written, before the first is replaced: waits while the gate is
    // closed, then, unless `cancelled` (may be null) is set, lets the outputs be replaced and
    // returns true. From then on the gate no longer holds, and later calls return true at once,
    // so that outputs replaced together are all replaced.
    bool enterReplace(const std::atomic<bool>* cancelled) EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        if (replacing_) return true;
        waitingToReplace_ = true;
        while (held_) lock.wait(changed_);
        waitingToReplace_ = false;
        if (cancelled != nullptr && cancelled->load(std::memory_order_acquire)) return false;
        replacing_ = true;
        return true;
    }

  private:
    mutable Mutex mutex_;
    std::condition_variable changed_;
    bool held_ GUARDED_BY(mutex_) = false;
    bool replacing_ GUARDED_BY(mutex_) = false;
    bool waitingToReplace_ GUARDED_BY(mutex_) = false;
};

}  // namespace sorvek
