#include "engine/quote_screen.h"

#include "engine/byte_classes.h"
#include "engine/byte_lanes.h"
#include "engine/text_blocks.h"

namespace sorvek {

bool quoteScreenSse2(const unsigned char* record, const QuoteChunk* chunks, std::size_t count,
                     unsigned char delimiter) {
    return quoteHits<Sse2Lanes>(record, chunks, count, delimiter);
}

void markQuoteBytesSse2(const unsigned char* data, std::size_t n, unsigned char delimiter,
                        std::uint64_t* bits) {
    markQuoteBytes<Sse2Lanes>(data, n, delimiter, bits);
}

QuoteMarker quoteMarker() {
    if (byte_classes::avx512Available()) return markQuoteBytesAvx512;
    if (avx2Available()) return markQuoteBytesAvx2;
    return markQuoteBytesSse2;
}

QuoteScreen quoteScreen() {
    if (byte_classes::avx512Available()) return quoteScreenAvx512;
    if (avx2Available()) return quoteScreenAvx2;
    return quoteScreenSse2;
}

}  // namespace sorvek
