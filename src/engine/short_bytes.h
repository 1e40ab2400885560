#pragma once
// Copies and comparisons of the few bytes of one value, inline: a call into the C library costs
// more than the work for the ten or thirty bytes of a field, and fields are many. Both read and
// write only the `n` bytes given, as two overlapping words where they fit.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sorvek {

// Copies the `n` bytes at `from` to `to` (which do not overlap them).
[[gnu::always_inline]] inline void copyShort(void* to, const void* from, std::size_t n) {
    auto* d = static_cast<unsigned char*>(to);
    const auto* s = static_cast<const unsigned char*>(from);
    if (n >= 8 && n <= 16) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n > 16 && n <= 32) {
        std::uint64_t w[4];
        std::memcpy(w, s, 16);
        std::memcpy(w + 2, s + n - 16, 16);
        std::memcpy(d, w, 16);
        std::memcpy(d + n - 16, w + 2, 16);
    } else if (n >= 4 && n < 8) {
        std::uint32_t a;
        std::uint32_t b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i) d[i] = s[i];
    } else {
        std::memcpy(d, s, n);
    }
}

// Copies the `n` bytes at `from` to `to` (which do not overlap them): a record's few hundred
// bytes in words of 16, the last overlapping the one before; longer runs through the library.
[[gnu::always_inline]] inline void copyRecordBytes(void* to, const void* from, std::size_t n) {
    if (n <= 32 || n > 512) {
        if (n <= 32) {
            copyShort(to, from, n);
        } else {
            std::memcpy(to, from, n);
        }
        return;
    }
    auto* d = static_cast<unsigned char*>(to);
    const auto* s = static_cast<const unsigned char*>(from);
    std::uint64_t w[2];
    for (std::size_t i = 0; i + 16 < n; i += 16) {
        std::memcpy(w, s + i, 16);
        std::memcpy(d + i, w, 16);
    }
    std::memcpy(w, s + n - 16, 16);
    std::memcpy(d + n - 16, w, 16);
}

// Whether the `n` bytes at `a` and at `b` are the same.
[[gnu::always_inline]] inline bool sameShort(const void* a, const void* b, std::size_t n) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    if (n >= 8 && n <= 16) {
        std::uint64_t x0;
        std::uint64_t x1;
        std::uint64_t y0;
        std::uint64_t y1;
        std::memcpy(&x0, x, 8);
        std::memcpy(&x1, x + n - 8, 8);
        std::memcpy(&y0, y, 8);
        std::memcpy(&y1, y + n - 8, 8);
        return ((x0 ^ y0) | (x1 ^ y1)) == 0;
    }
    if (n > 16 && n <= 32) {
        std::uint64_t xs[4];
        std::uint64_t ys[4];
        std::memcpy(xs, x, 16);
        std::memcpy(xs + 2, x + n - 16, 16);
        std::memcpy(ys, y, 16);
        std::memcpy(ys + 2, y + n - 16, 16);
        return ((xs[0] ^ ys[0]) | (xs[1] ^ ys[1]) | (xs[2] ^ ys[2]) | (xs[3] ^ ys[3])) == 0;
    }
    if (n < 8) {
        for (std::size_t i = 0; i < n; ++i) {
            if (x[i] != y[i]) return false;
        }
        return true;
    }
    return std::memcmp(x, y, n) == 0;
}

}  // namespace sorvek
