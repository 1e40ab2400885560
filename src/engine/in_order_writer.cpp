#include "engine/in_order_writer.h"

#include <utility>

namespace sorvek {

void InOrderWriter::writeFirst(const char* data, std::size_t n, std::size_t stream) {
    MutexLock lock(mutex_);
    if (n > 0 && written_) written_ = files_[stream]->write(data, n);
}

std::vector<MemoryOutput> InOrderWriter::takeBuffers() {
    MutexLock lock(mutex_);
    if (free_.empty()) return std::vector<MemoryOutput>(files_.size());
    std::vector<MemoryOutput> streams = std::move(free_.back());
    free_.pop_back();
    for (MemoryOutput& bytes : streams) bytes.clear();
    return streams;
}

void InOrderWriter::deliver(std::uint64_t index, MemoryOutput bytes, bool last) {
    std::vector<MemoryOutput> streams;
    streams.push_back(std::move(bytes));
    deliverStreams(index, std::move(streams), last);
}

void InOrderWriter::deliverStreams(std::uint64_t index, std::vector<MemoryOutput> streams,
                                   bool last) {
    MutexLock lock(mutex_);
    done_.emplace(index, Part{std::move(streams), last});
    if (writing_) return;  // the thread that writes takes this part too when its turn comes
    writing_ = true;
    for (auto due = done_.find(next_); due != done_.end(); due = done_.find(next_)) {
        Part part = std::move(due->second);
        done_.erase(due);
        ++next_;
        const bool write = written_.ok() && !ended_;
        ended_ = ended_ || part.last;
        if (write) {
            // Written without the lock: the other workers deliver meanwhile.
            lock.unlock();
            Status status;
            for (std::size_t i = 0; i < part.streams.size() && status; ++i) {
                const MemoryOutput& bytes = part.streams[i];
                if (bytes.size() > 0) status = files_[i]->write(bytes.data(), bytes.size());
            }
            lock.lock();
            if (!status) written_ = std::move(status);
        }
        // A part of one stream that comes back with none (skipped) is not kept.
        if (part.streams.size() == files_.size()) free_.push_back(std::move(part.streams));
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
