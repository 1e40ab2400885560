#pragma once
// The byte profile of a whole file, read as a stream: blocks of any size in order, in constant
// memory. The bytes are classified 64 at a time into bit masks (with SSE2, or AVX2 or AVX-512
// where the processor has them), and the masks are counted and followed across blocks.
#include <cstddef>

#include "engine/byte_classes.h"
#include "engine/inspection_report.h"

namespace sorvek {

class ByteProfiler {
  public:
    enum class Width { Sse2, Avx2, Avx512 };
    // Classifies with the instructions of `width` (only those the processor has); tests run
    // every width. Without it, the widest the processor has.
    explicit ByteProfiler(Width width);
    ByteProfiler();
    // The widest the processor has.
    static Width widest();
    // Reads the first `sampleBytes` bytes of the file as Shift-JIS (the inspection's limit).
    ByteProfiler(Width width, std::int64_t sampleBytes);

    // A profiler of a part of a file, from `offset` on, whose bytes before it another profiler
    // follows; the two are joined with `join`. It reads no byte as Shift-JIS, so the profiler
    // of the start must cover the whole Shift-JIS sample.
    static ByteProfiler part(std::int64_t offset);

    // The next `n` bytes of the file.
    void add(const unsigned char* p, std::size_t n);
    // Takes in what `later`, the profiler of the bytes right after this one's, found: a CR at
    // the end of these bytes and an LF at the start of those are one CR LF, and a line that
    // runs across is one line. `later` is left unusable. REQUIRES: `later` was made by `part`
    // at the offset this profiler reached, and that offset is at or past this one's sample.
    void join(ByteProfiler& later);
    // The profile of every byte added. Call once, after the last add.
    ByteProfile finish();

  private:
    void addWords(const unsigned char* p, std::size_t n);

    Width width_;
    byte_classes::ProfileState state_;
};

}  // namespace sorvek
