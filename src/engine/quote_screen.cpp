#include "engine/quote_screen.h"

#include "engine/byte_classes.h"
#include "engine/byte_lanes.h"
#include "engine/text_blocks.h"

namespace sorvek {

bool quoteScreenSse2(const unsigned char* record, const QuoteChunk* chunks, std::size_t count,
                     unsigned char delimiter) {
    return quoteHits<Sse2Lanes>(record, chunks, count, delimiter);
}

QuoteScreen quoteScreen() {
    if (byte_classes::avx512Available()) return quoteScreenAvx512;
    if (avx2Available()) return quoteScreenAvx2;
    return quoteScreenSse2;
}

}  // namespace sorvek
