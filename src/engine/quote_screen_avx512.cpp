// Compiled with AVX-512 BW (see CMakeLists.txt); only called where the processor has it.
#include "engine/quote_screen.h"

#if defined(__AVX512BW__)
#include <immintrin.h>

namespace sorvek {

void markQuoteBytesAvx512(const unsigned char* data, std::size_t n, unsigned char delimiter,
                          std::uint64_t* bits) {
    const __m512i quote = _mm512_set1_epi8('"'), cr = _mm512_set1_epi8('\r'),
                  lf = _mm512_set1_epi8('\n'),
                  separator = _mm512_set1_epi8(static_cast<char>(delimiter));
    auto mark = [&](__m512i v) {
        return _cvtmask64_u64(_mm512_cmpeq_epi8_mask(v, quote) | _mm512_cmpeq_epi8_mask(v, cr) |
                              _mm512_cmpeq_epi8_mask(v, lf) | _mm512_cmpeq_epi8_mask(v, separator));
    };
    std::size_t at = 0;
    for (; at + 64 <= n; at += 64) *bits++ = mark(_mm512_loadu_si512(data + at));
    if (at == n) return;
    // A masked load reads nothing past `n`.
    const __mmask64 left = _cvtu64_mask64((std::uint64_t{1} << (n - at)) - 1);
    *bits = mark(_mm512_maskz_loadu_epi8(left, data + at)) & _cvtmask64_u64(left);
}

bool recordHasQuoteBytesAvx512(const unsigned char* record, std::size_t span,
                               const std::uint64_t* looked, unsigned char delimiter) {
    const __m512i quote = _mm512_set1_epi8('"'), cr = _mm512_set1_epi8('\r'),
                  lf = _mm512_set1_epi8('\n'),
                  separator = _mm512_set1_epi8(static_cast<char>(delimiter));
    __mmask64 found = 0;
    for (std::size_t at = 0; at < span; at += 64) {
        // Only the bytes looked at are loaded and compared.
        const __mmask64 take = _cvtu64_mask64(*looked++);
        const __m512i v = _mm512_maskz_loadu_epi8(take, record + at);
        found |= _mm512_mask_cmpeq_epi8_mask(take, v, quote) |
                 _mm512_mask_cmpeq_epi8_mask(take, v, cr) |
                 _mm512_mask_cmpeq_epi8_mask(take, v, lf) |
                 _mm512_mask_cmpeq_epi8_mask(take, v, separator);
    }
    return _cvtmask64_u64(found) != 0;
}

}  // namespace sorvek

#else

namespace sorvek {

void markQuoteBytesAvx512(const unsigned char* data, std::size_t n, unsigned char delimiter,
                          std::uint64_t* bits) {
    markQuoteBytesSse2(data, n, delimiter, bits);
}

// Never chosen without AVX-512 (recordQuoteCheck); "may need quotes" is the answer that is safe.
bool recordHasQuoteBytesAvx512(const unsigned char*, std::size_t, const std::uint64_t*,
                               unsigned char) {
    return true;
}

}  // namespace sorvek

#endif
