#include "engine/in_order_writer.h"

#include <utility>

namespace sorvek {

void InOrderWriter::writeFirst(const char* data, std::size_t n) {
    MutexLock lock(mutex_);
    if (n > 0 && written_) written_ = file_.write(data, n);
}

MemoryOutput InOrderWriter::takeBuffer() {
    MutexLock lock(mutex_);
    if (free_.empty()) return MemoryOutput();
    MemoryOutput bytes = std::move(free_.back());
    free_.pop_back();
    bytes.clear();
    return bytes;
}

void InOrderWriter::deliver(std::uint64_t index, MemoryOutput bytes, bool last) {
    MutexLock lock(mutex_);
    done_.emplace(index, Part{std::move(bytes), last});
    if (writing_) return;  // the thread that writes takes this part too when its turn comes
    writing_ = true;
    for (auto due = done_.find(next_); due != done_.end(); due = done_.find(next_)) {
        Part part = std::move(due->second);
        done_.erase(due);
        ++next_;
        const bool write = written_.ok() && !ended_;
        ended_ = ended_ || part.last;
        if (write && part.bytes.size() > 0) {
            // Written without the lock: the other workers deliver meanwhile.
            lock.unlock();
            Status status = file_.write(part.bytes.data(), part.bytes.size());
            lock.lock();
            if (!status) written_ = std::move(status);
        }
        free_.push_back(std::move(part.bytes));
        changed_.notify_all();
    }
    writing_ = false;
    changed_.notify_all();
}

Status InOrderWriter::finish(std::uint64_t parts) {
    MutexLock lock(mutex_);
    while (next_ < parts || writing_) lock.wait(changed_);
    return written_;
}

}  // namespace sorvek
