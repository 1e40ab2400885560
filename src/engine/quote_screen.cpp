#include "engine/quote_screen.h"

#include "engine/byte_classes.h"
#include "engine/byte_lanes.h"
#include "engine/text_blocks.h"

namespace sorvek {

void markQuoteBytesSse2(const unsigned char* data, std::size_t n, unsigned char delimiter,
                        std::uint64_t* bits) {
    markQuoteBytes<Sse2Lanes>(data, n, delimiter, bits);
}

QuoteMarker quoteMarker() {
    if (byte_classes::avx512Available()) return markQuoteBytesAvx512;
    if (avx2Available()) return markQuoteBytesAvx2;
    return markQuoteBytesSse2;
}

RecordQuoteCheck recordQuoteCheck() {
    return byte_classes::avx512Available() ? recordHasQuoteBytesAvx512 : nullptr;
}

}  // namespace sorvek
