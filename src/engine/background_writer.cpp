#include "engine/background_writer.h"

namespace sorvek {

BackgroundWriter::BackgroundWriter(WritableFile& file) : file_(file), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::submit(const char* data, std::size_t n, const Cp932Decoder* decoder) {
    {
        std::lock_guard lock(mutex_);
        data_ = data;
        size_ = n;
        decoder_ = decoder;
        busy_ = true;
    }
    changed_.notify_all();
}

void BackgroundWriter::wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
}

void BackgroundWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (!busy_) return;  // stopping with nothing in flight
        const char* data = data_;
        std::size_t n = size_;
        const Cp932Decoder* decoder = decoder_;
        lock.unlock();
        if (ok_.load(std::memory_order_relaxed) && decoder != nullptr) {
            const std::size_t room = Cp932Decoder::kMaxGrowth * n + Cp932Decoder::kSlack;
            if (decoded_.size() < room) decoded_.resize(room);
            const char* end =
                decoder->decode(reinterpret_cast<const unsigned char*>(data), n, decoded_.data());
            data = decoded_.data();
            n = static_cast<std::size_t>(end - data);
        }
        if (ok_.load(std::memory_order_relaxed)) {
            if (Status written = file_.write(data, n); !written) {
                failure_ = written.error();
                ok_.store(false, std::memory_order_release);
            }
        }
        lock.lock();
        busy_ = false;
        changed_.notify_all();
    }
}

}  // namespace sorvek
