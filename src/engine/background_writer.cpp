#include "engine/background_writer.h"

namespace sorvek {

BackgroundWriter::BackgroundWriter(WritableFile& file) : file_(file), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queued_ == 0; });
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::submit(const char* data, std::size_t n, const Cp932Decoder* decoder) {
    {
        std::lock_guard lock(mutex_);
        queue_[(first_ + queued_) % kMaxQueued] = Piece{data, n, decoder};
        ++queued_;
    }
    changed_.notify_all();
}

void BackgroundWriter::waitUntilQueued(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this, count] { return queued_ <= count; });
}

std::string_view BackgroundWriter::decodeInto(const Cp932Decoder& decoder, const char* data,
                                              std::size_t n, MemoryOutput& into) {
    into.clear();
    char* const start = into.reserve(Cp932Decoder::kMaxGrowth * n + Cp932Decoder::kSlack);
    const char* end = decoder.decode(reinterpret_cast<const unsigned char*>(data), n, start);
    return {start, static_cast<std::size_t>(end - start)};
}

void BackgroundWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return queued_ > 0 || stopping_; });
        if (queued_ == 0) return;  // stopping with nothing queued
        const Piece piece = queue_[first_];
        lock.unlock();
        const char* data = piece.data;
        std::size_t n = piece.size;
        if (ok_.load(std::memory_order_relaxed) && piece.decoder != nullptr) {
            const std::string_view decoded = decodeInto(*piece.decoder, data, n, decoded_);
            data = decoded.data();
            n = decoded.size();
        }
        if (ok_.load(std::memory_order_relaxed)) {
            if (Status written = file_.write(data, n); !written) {
                failure_ = written.error();
                ok_.store(false, std::memory_order_release);
            }
        }
        lock.lock();
        first_ = (first_ + 1) % kMaxQueued;
        --queued_;
        changed_.notify_all();
    }
}

}  // namespace sorvek
