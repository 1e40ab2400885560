#include "engine/block_reader.h"

namespace sorvek {

BlockReader::BlockReader(ReadableFile& file, std::size_t blockSize, std::size_t mapSize,
                         std::size_t depth, OnRead onRead)
    : file_(file),
      blockSize_(blockSize == 0 ? 1 : blockSize),
      mapSize_(mapSize == 0 ? 1 : mapSize),
      onRead_(std::move(onRead)),
      slots_(depth < 2 ? 2 : depth) {
    for (std::size_t i = 0; i < slots_.size(); ++i) free_.push_back(i);
    thread_ = std::thread([this] { run(); });
}

BlockReader::~BlockReader() {
    {
        MutexLock lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool BlockReader::fill(Slot& slot, Failure& failure) {
    slot.mapped.reset();
    if (mapping_) {
        Result<std::unique_ptr<MappedBytes>> mapped = file_.mapNext(mapSize_);
        if (!mapped) {
            failure = mapped.error();
            return false;
        }
        if (*mapped) {
            slot.mapped = std::move(*mapped);
            slot.data = slot.mapped->data();
            slot.size = slot.mapped->size();
            return true;
        }
        mapping_ = false;  // not mappable: read from here on
    }
    // A block is filled whole unless the file ends: a short read of a pipe is not its end.
    slot.buffer.resize(blockSize_);
    slot.data = slot.buffer.data();
    slot.size = 0;
    char* data = reinterpret_cast<char*>(slot.buffer.data());
    while (slot.size < blockSize_) {
        Result<std::size_t> got = file_.read(data + slot.size, blockSize_ - slot.size);
        if (!got) {
            failure = got.error();
            return false;
        }
        if (*got == 0) break;
        slot.size += *got;
    }
    return true;
}

void BlockReader::run() {
    for (;;) {
        std::size_t index;
        {
            MutexLock lock(mutex_);
            while (!stop_ && free_.empty()) lock.wait(changed_);
            if (stop_) return;
            index = free_.front();
            free_.pop_front();
        }
        Slot& slot = slots_[index];
        Filled filled{index, false, {}};
        filled.failed = !fill(slot, filled.failure);
        if (!filled.failed && slot.size > 0 && onRead_) onRead_(slot.data, slot.size);
        // The end of the file is an empty block.
        const bool last = filled.failed || slot.size == 0;
        {
            MutexLock lock(mutex_);
            filled_.push_back(filled);
        }
        changed_.notify_all();
        if (last) return;
    }
}

Result<BlockReader::Block> BlockReader::next() {
    MutexLock lock(mutex_);
    if (holding_) {
        // The window is unmapped (or the buffer kept) before the reader may use the slot again.
        slots_[held_].mapped.reset();
        free_.push_back(held_);
        holding_ = false;
        changed_.notify_all();
    }
    while (filled_.empty()) lock.wait(changed_);
    const Filled filled = filled_.front();
    if (filled.failed) return filled.failure;  // stays at the front: every later call fails too
    const Slot& slot = slots_[filled.slot];
    if (slot.size == 0) return Block{};  // the end stays at the front too
    filled_.pop_front();
    holding_ = true;
    held_ = filled.slot;
    return Block{slot.data, slot.size};
}

}  // namespace sorvek
