#pragma once
// Finding the next CR or LF in a block. Text lines are short (tens to hundreds of bytes), so
// two memchr calls per line cost more than one pass that tests 16 bytes at a time.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvek {

// First CR or LF in [p, end), or end.
inline const char* findLineBreak(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

}  // namespace sorvek
