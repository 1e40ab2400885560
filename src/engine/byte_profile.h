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

    // The next `n` bytes of the file.
    void add(const unsigned char* p, std::size_t n);
    // The profile of every byte added. Call once, after the last add.
    ByteProfile finish();

  private:
    Width width_;
    byte_classes::ProfileState state_;
};

}  // namespace sorvek
