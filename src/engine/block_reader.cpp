#include "engine/block_reader.h"

namespace sorvek {

BlockReader::BlockReader(ReadableFile& file, std::size_t blockSize, std::size_t depth,
                         OnRead onRead)
    : file_(file), blockSize_(blockSize == 0 ? 1 : blockSize), onRead_(std::move(onRead)) {
    if (depth < 2) depth = 2;
    buffers_.resize(depth);
    for (std::size_t i = 0; i < depth; ++i) {
        buffers_[i].resize(blockSize_);
        free_.push_back(i);
    }
    thread_ = std::thread([this] { run(); });
}

BlockReader::~BlockReader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BlockReader::run() {
    for (;;) {
        std::size_t buffer;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
            if (stop_) return;
            buffer = free_.front();
            free_.pop_front();
        }
        // A block is filled whole unless the file ends: a short read of a pipe is not its end.
        Filled filled{buffer, 0, false, {}};
        char* data = reinterpret_cast<char*>(buffers_[buffer].data());
        while (filled.size < blockSize_) {
            Result<std::size_t> got = file_.read(data + filled.size, blockSize_ - filled.size);
            if (!got) {
                filled.failed = true;
                filled.failure = got.error();
                break;
            }
            if (*got == 0) break;
            filled.size += *got;
        }
        const bool last = filled.failed || filled.size < blockSize_;
        if (onRead_ && !filled.failed && filled.size > 0) {
            onRead_(buffers_[buffer].data(), filled.size);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            filled_.push_back(filled);
            // The end of the file is told by an empty block after the last one.
            if (last && filled.size > 0 && !filled.failed)
                filled_.push_back({buffer, 0, false, {}});
        }
        changed_.notify_all();
        if (last) return;
    }
}

Result<BlockReader::Block> BlockReader::next() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (holding_) {
        free_.push_back(held_);
        holding_ = false;
        changed_.notify_all();
    }
    changed_.wait(lock, [this] { return !filled_.empty(); });
    const Filled filled = filled_.front();
    if (filled.failed) return filled.failure;  // stays at the front: every later call fails too
    if (filled.size == 0) return Block{};      // the end stays at the front too
    filled_.pop_front();
    holding_ = true;
    held_ = filled.buffer;
    return Block{buffers_[filled.buffer].data(), filled.size};
}

}  // namespace sorvek
