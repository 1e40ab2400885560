#pragma once
// The quote screen of wide records: whether any byte that a line's text is copied from is a
// double quote, CR, LF or the delimiter, 64 bytes a step. Most records hold none, and their
// fields are then written without a look at each.
#include <cstddef>
#include <cstdint>

namespace sorvek {

// 64 bytes of a record from `start`, with a bit for each byte the screen looks at (bit i: byte
// start + i).
struct QuoteChunk {
    std::uint64_t bits = 0;
    std::uint32_t start = 0;
};

// True when a byte that a chunk looks at is '"', CR, LF or `delimiter`. REQUIRES: the 64 bytes
// of every chunk are readable at `record`.
using QuoteScreen = bool (*)(const unsigned char* record, const QuoteChunk* chunks,
                             std::size_t count, unsigned char delimiter);
bool quoteScreenSse2(const unsigned char* record, const QuoteChunk* chunks, std::size_t count,
                     unsigned char delimiter);
// Only where the processor has AVX2, or AVX-512 BW.
bool quoteScreenAvx2(const unsigned char* record, const QuoteChunk* chunks, std::size_t count,
                     unsigned char delimiter);
bool quoteScreenAvx512(const unsigned char* record, const QuoteChunk* chunks, std::size_t count,
                       unsigned char delimiter);
// The screen of the widest instruction set the processor has.
QuoteScreen quoteScreen();

// The screen with vector operations of engine/byte_lanes.h.
template <class Lanes>
bool quoteHits(const unsigned char* record, const QuoteChunk* chunks, std::size_t count,
               unsigned char delimiter) {
    std::uint64_t hits = 0;
    for (const QuoteChunk* chunk = chunks; chunk != chunks + count; ++chunk) {
        std::uint64_t found = 0;
        for (int i = 0; i < 64; i += Lanes::kWidth) {
            const auto v = Lanes::load(record + chunk->start + i);
            const auto special =
                Lanes::orV(Lanes::orV(Lanes::eq(v, '"'), Lanes::eq(v, '\r')),
                           Lanes::orV(Lanes::eq(v, '\n'), Lanes::eq(v, delimiter)));
            found |= Lanes::bits(special) << i;
        }
        hits |= found & chunk->bits;
    }
    return hits != 0;
}

}  // namespace sorvek
