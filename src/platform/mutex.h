#pragma once
// A mutex that the thread-safety analysis knows (platform/thread_annotations.h), and the scoped
// lock that holds it. The standard library's std::mutex carries no annotations, so state
// guarded by one could not be checked. Waiting goes through the lock, on a
// std::condition_variable, in a loop over the condition: the condition is then read where the
// analysis sees the mutex held.
#include <condition_variable>
#include <mutex>

#include "platform/thread_annotations.h"

namespace sorvek {

class CAPABILITY("mutex") Mutex {
  public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void lock() ACQUIRE() { mutex_.lock(); }
    void unlock() RELEASE() { mutex_.unlock(); }

  private:
    friend class MutexLock;
    std::mutex mutex_;
};

// Holds `mutex` from its making to its end.
class SCOPED_CAPABILITY MutexLock {
  public:
    explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : lock_(mutex.mutex_) {}
    ~MutexLock() RELEASE() {}
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    // Lets go of the mutex for a while (work that the other threads need not wait for) and
    // takes it again. REQUIRES: held before `unlock`, not before `lock`.
    void unlock() RELEASE() { lock_.unlock(); }
    void lock() ACQUIRE() { lock_.lock(); }

    // Lets go of the mutex until `changed` is notified (or the wait ends for no reason), then
    // holds it again. Callers wait in a loop until their condition holds.
    void wait(std::condition_variable& changed) { changed.wait(lock_); }

  private:
    std::unique_lock<std::mutex> lock_;
};

}  // namespace sorvek
