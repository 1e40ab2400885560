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

void PartWorkers::submit(std::function<void()> work) {
    std::packaged_task<void()> task(std::move(work));
    ends_.push_back(task.get_future());
    {
        MutexLock lock(mutex_);
        queue_.push_back(std::move(task));
    }
    changed_.notify_one();
}

void PartWorkers::takeOldest() {
    ends_.front().get();
    ends_.pop_front();
}

void PartWorkers::run() {
    for (;;) {
        std::packaged_task<void()> task;
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

}  // namespace sorvek
