#include "engine/part_workers.h"

#include <algorithm>
#include <utility>

namespace sorvek {

PartWorkers::PartWorkers(unsigned workers) {
    for (unsigned i = 0; i < std::max(workers, 1u); ++i) threads_.emplace_back([this] { run(); });
}

PartWorkers::~PartWorkers() {
    {
        MutexLock lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void PartWorkers::submit(std::function<PartResult()> work) {
    std::packaged_task<PartResult()> task(std::move(work));
    results_.push_back(task.get_future());
    {
        MutexLock lock(mutex_);
        queue_.push_back(std::move(task));
    }
    changed_.notify_one();
}

PartResult PartWorkers::takeOldest() {
    PartResult result = results_.front().get();
    results_.pop_front();
    return result;
}

void PartWorkers::run() {
    for (;;) {
        std::packaged_task<PartResult()> task;
        {
            MutexLock lock(mutex_);
            while (!stopping_ && queue_.empty()) lock.wait(changed_);
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
    }
}

unsigned defaultJobCount() {
    return std::max(std::thread::hardware_concurrency(), 1u);
}

}  // namespace sorvek
