#pragma once
// Output kept in memory, with the reserve-and-commit calls of OutputBuffer: what a worker makes
// of one part before it is written in order.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace sorvek {

class MemoryOutput {
  public:
    MemoryOutput() = default;
    explicit MemoryOutput(std::size_t capacity) { grow(capacity); }

    // Room for at least `n` bytes at the returned pointer.
    char* reserve(std::size_t n) {
        if (capacity_ - used_ < n) grow(std::max(2 * capacity_, used_ + n));
        return bytes_.get() + used_;
    }
    // Takes the `n` bytes written at the pointer of the last `reserve`.
    void commit(std::size_t n) { used_ += n; }
    void append(const char* data, std::size_t n) {
        if (n == 0) return;
        std::memcpy(reserve(n), data, n);
        commit(n);
    }
    // Empties it, keeping its memory for the next use.
    void clear() { used_ = front_ = 0; }
    // The bytes taken, but the first `n` of them, which are left out from here on (they stay in
    // memory: dropping costs no copy). REQUIRES: n <= size().
    void dropFront(std::size_t n) { front_ += n; }
    // The bytes taken (all but those dropped at the front), in memory that may be rewritten.
    char* data() { return bytes_.get() + front_; }
    const char* data() const { return bytes_.get() + front_; }
    std::size_t size() const { return used_ - front_; }
    std::string_view view() const { return {data(), size()}; }

  private:
    void grow(std::size_t capacity) {
        if (capacity <= capacity_) return;
        // Not zeroed: every byte handed out is written before it is committed.
        auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
        if (used_ > 0) std::memcpy(bigger.get(), bytes_.get(), used_);
        bytes_ = std::move(bigger);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> bytes_;
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;   // from the start of bytes_
    std::size_t front_ = 0;  // dropped at the front
};

}  // namespace sorvek
