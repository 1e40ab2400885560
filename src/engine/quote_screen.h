#pragma once
// The quote screen: which bytes of a block are a double quote, CR, LF or the delimiter, 64 bytes a
// step. Most records hold none in their text, and their fields are then written without a look
// at each.
#include <cstddef>
#include <cstdint>

namespace sorvek {

// Marks the bytes of [data, data + n) that are '"', CR, LF or `delimiter`: bit i % 64 of
// bits[i / 64] for byte i. Writes (n + 63) / 64 words; the bits past n in the last are 0.
// A block is marked once, in one sweep, and each record of it then looks at the bits of its
// text (CsvLinePlan::recordMayNeedQuotes) rather than at its bytes.
using QuoteMarker = void (*)(const unsigned char* data, std::size_t n, unsigned char delimiter,
                             std::uint64_t* bits);
void markQuoteBytesSse2(const unsigned char* data, std::size_t n, unsigned char delimiter,
                        std::uint64_t* bits);
// Only where the processor has AVX2, or AVX-512 BW.
void markQuoteBytesAvx2(const unsigned char* data, std::size_t n, unsigned char delimiter,
                        std::uint64_t* bits);
void markQuoteBytesAvx512(const unsigned char* data, std::size_t n, unsigned char delimiter,
                          std::uint64_t* bits);
// The marker of the widest instruction set the processor has.
QuoteMarker quoteMarker();

// Whether a byte of the record at `record` that `looked` points out (bit i % 64 of
// looked[i / 64] for byte i, no bit at or past `span`) is '"', CR, LF or `delimiter`: the
// marks of one record made and read at once, without a block's. Reads no byte that is not
// looked at.
using RecordQuoteCheck = bool (*)(const unsigned char* record, std::size_t span,
                                  const std::uint64_t* looked, unsigned char delimiter);
// Only where the processor has AVX-512 BW, whose masked loads read the record alone.
bool recordHasQuoteBytesAvx512(const unsigned char* record, std::size_t span,
                               const std::uint64_t* looked, unsigned char delimiter);
// The record check where the processor has AVX-512 BW; elsewhere nullptr, and a block is
// marked once (QuoteMarker) for its records to read their bits.
RecordQuoteCheck recordQuoteCheck();

// The marker with vector operations of engine/byte_lanes.h.
template <class Lanes>
void markQuoteBytes(const unsigned char* data, std::size_t n, unsigned char delimiter,
                    std::uint64_t* bits) {
    auto mark64 = [delimiter](const unsigned char* at) {
        std::uint64_t found = 0;
        for (int i = 0; i < 64; i += Lanes::kWidth) {
            const auto v = Lanes::load(at + i);
            const auto special =
                Lanes::orV(Lanes::orV(Lanes::eq(v, '"'), Lanes::eq(v, '\r')),
                           Lanes::orV(Lanes::eq(v, '\n'), Lanes::eq(v, delimiter)));
            found |= Lanes::bits(special) << i;
        }
        return found;
    };
    std::size_t at = 0;
    for (; at + 64 <= n; at += 64) *bits++ = mark64(data + at);
    if (at == n) return;
    // The last bytes from a copy, so that nothing past `n` is read.
    unsigned char last[64] = {};
    for (std::size_t i = at; i < n; ++i) last[i - at] = data[i];
    *bits = mark64(last) & ((std::uint64_t{1} << (n - at)) - 1);
}

}  // namespace sorvek
