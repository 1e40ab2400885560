#pragma once
// Threads that convert parts of a job while the job's own thread reads the input and writes
// the results in order. At most a bounded number of parts is in flight, so memory stays bounded
// however long the input is.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include "engine/split_plan.h"
#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class PartWorkers {
  public:
    // `workers` threads (at least 1).
    explicit PartWorkers(unsigned workers);
    // Lets the queued parts finish (their results are dropped), then ends the threads.
    ~PartWorkers();
    PartWorkers(const PartWorkers&) = delete;
    PartWorkers& operator=(const PartWorkers&) = delete;

    // Queues a part; its result is taken with `takeOldest`, in the order of submission.
    void submit(std::function<PartResult()> work) EXCLUDES(mutex_);
    // Parts submitted and not taken yet.
    std::size_t inFlight() const { return results_.size(); }
    // Waits for the oldest part not taken yet. REQUIRES: inFlight() > 0.
    PartResult takeOldest();

  private:
    void run() EXCLUDES(mutex_);

    Mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::packaged_task<PartResult()>> queue_ GUARDED_BY(mutex_);
    bool stopping_ GUARDED_BY(mutex_) = false;
    std::deque<std::future<PartResult>> results_;  // the job's thread only
    std::vector<std::thread> threads_;
};

// One worker per core: what the library and the Python module use for 0 workers.
unsigned defaultJobCount();

// Workers of a job when none are asked for. One, for now: the sequential run already writes on
// a thread of its own, so that on two cores the parts have little left to share, and they take
// more memory.
inline constexpr unsigned kDefaultJobs = 1;

}  // namespace sorvek
