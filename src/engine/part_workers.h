#pragma once
// Threads that work on parts of a job (engine/part_pipeline.h) while the job's own thread hands
// them out and takes them back in order. Parts are started in the order they were handed out.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class PartWorkers {
  public:
    // `workers` threads (at least 1).
    explicit PartWorkers(unsigned workers);
    // Lets the queued parts finish, then ends the threads.
    ~PartWorkers();
    PartWorkers(const PartWorkers&) = delete;
    PartWorkers& operator=(const PartWorkers&) = delete;

    // Queues a part's work; its end is waited for with `takeOldest`, in the order of submission.
    // Called by one thread (the job's).
    void submit(std::function<void()> work) EXCLUDES(mutex_);
    // Waits for the oldest part not waited for yet: what it did is then seen by this thread.
    // REQUIRES: a part submitted and not waited for.
    void takeOldest();

  private:
    void run() EXCLUDES(mutex_);

    Mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::packaged_task<void()>> queue_ GUARDED_BY(mutex_);
    bool stopping_ GUARDED_BY(mutex_) = false;
    std::deque<std::future<void>> ends_;  // the job's thread only
    std::vector<std::thread> threads_;
};

}  // namespace sorvek
