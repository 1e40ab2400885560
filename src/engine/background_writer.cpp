#include "engine/background_writer.h"

#include <cstring>

namespace sorvek {

BackgroundWriter::BackgroundWriter(WritableFile& file) : file_(file), thread_([this] { run(); }) {}

BackgroundWriter::~BackgroundWriter() {
    {
        MutexLock lock(mutex_);
        while (queued_ != 0) lock.wait(changed_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundWriter::submit(const char* data, std::size_t n, const Cp932Decoder* decoder) {
    {
        MutexLock lock(mutex_);
        queue_[(first_ + queued_) % kMaxQueued] = Piece{data, n, decoder};
        ++queued_;
    }
    changed_.notify_all();
}

void BackgroundWriter::waitUntilQueued(std::size_t count) {
    MutexLock lock(mutex_);
    while (queued_ > count) lock.wait(changed_);
}

std::string_view BackgroundWriter::decodeInto(const Cp932Decoder& decoder, const char* data,
                                              std::size_t n, MemoryOutput& into) {
    into.clear();
    char* const start = into.reserve(Cp932Decoder::kMaxGrowth * n + Cp932Decoder::kSlack);
    const char* end = decoder.decode(reinterpret_cast<const unsigned char*>(data), n, start);
    return {start, static_cast<std::size_t>(end - start)};
}

void BackgroundWriter::write(const char* data, std::size_t n) {
    if (!ok_.load(std::memory_order_relaxed)) return;
    if (Status written = file_.write(data, n); !written) {
        MutexLock lock(mutex_);
        failure_ = written.error();
        ok_.store(false, std::memory_order_release);
    }
}

void BackgroundWriter::writeDecoded(const Cp932Decoder& decoder, const char* data, std::size_t n) {
    // Decoded a slice at a time, cut after a line feed (never part of a pair), so that the
    // UTF-8 is still in the cache when it is copied into the file.
    const bool cutsAtLines = decoder.standsAlone('\n');
    while (n > 0 && ok_.load(std::memory_order_relaxed)) {
        std::size_t slice = n;
        if (cutsAtLines && n > kDecodeSlice) {
            const void* lineFeed = std::memchr(data + kDecodeSlice / 2, '\n', kDecodeSlice / 2);
            if (lineFeed != nullptr) slice = static_cast<const char*>(lineFeed) + 1 - data;
        }
        const std::string_view decoded = decodeInto(decoder, data, slice, decoded_);
        write(decoded.data(), decoded.size());
        data += slice;
        n -= slice;
    }
}

void BackgroundWriter::run() {
    MutexLock lock(mutex_);
    for (;;) {
        while (queued_ == 0 && !stopping_) lock.wait(changed_);
        if (queued_ == 0) return;  // stopping with nothing queued
        const Piece piece = queue_[first_];
        lock.unlock();
        if (piece.decoder != nullptr) {
            writeDecoded(*piece.decoder, piece.data, piece.size);
        } else {
            write(piece.data, piece.size);
        }
        lock.lock();
        first_ = (first_ + 1) % kMaxQueued;
        --queued_;
        changed_.notify_all();
    }
}

}  // namespace sorvek
