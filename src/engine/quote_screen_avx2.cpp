// Compiled with -mavx2 (see CMakeLists.txt); only called where the processor has AVX2.
#include "engine/quote_screen.h"

#if defined(__AVX2__)
#include "engine/byte_lanes.h"

namespace sorvek {

void markQuoteBytesAvx2(const unsigned char* data, std::size_t n, unsigned char delimiter,
                        std::uint64_t* bits) {
    markQuoteBytes<Avx2Lanes>(data, n, delimiter, bits);
}

}  // namespace sorvek

#else

namespace sorvek {

// Never called where AVX2 is not compiled in.
void markQuoteBytesAvx2(const unsigned char* data, std::size_t n, unsigned char delimiter,
                        std::uint64_t* bits) {
    markQuoteBytesSse2(data, n, delimiter, bits);
}

}  // namespace sorvek

#endif
