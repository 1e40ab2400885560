// Compiled with AVX-512 BW (see CMakeLists.txt); only called where the processor has it. The
// last step of a record loads only its own bytes, by mask.
#include "engine/record_screen.h"

#if defined(__AVX512BW__)
#include <immintrin.h>

namespace sorvek {
namespace {

__mmask64 inRange(__m512i v, unsigned char lo, unsigned char hi) {
    return _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(static_cast<char>(lo))),
                                  _mm512_set1_epi8(static_cast<char>(hi - lo)));
}

}  // namespace

bool screenRecordAvx512(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                        std::size_t count) {
    for (std::size_t c = 0; c < count; ++c) {
        const std::size_t at = 64 * c;
        const std::size_t n = length - at < 64 ? length - at : 64;
        const __mmask64 in = n == 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1;
        const __m512i v = _mm512_maskz_loadu_epi8(in, record + at);
        ScreenClasses classes;
        classes.digit = _cvtmask64_u64(inRange(v, '0', '9'));
        classes.lowDigit = _cvtmask64_u64(_mm512_cmple_epu8_mask(
            _mm512_and_si512(v, _mm512_set1_epi8(0x0F)), _mm512_set1_epi8(9)));
        classes.highDigit =
            _cvtmask64_u64(_mm512_cmple_epu8_mask(v, _mm512_set1_epi8(static_cast<char>(0x9F))));
        classes.lead = _cvtmask64_u64(inRange(v, 0x81, 0x9F) | inRange(v, 0xE0, 0xFC));
        if (!screenPasses(classes, chunks[c])) return false;
    }
    return true;
}

}  // namespace sorvek

#else

namespace sorvek {

bool screenRecordAvx512(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                        std::size_t count) {
    return screenRecordSse2(record, length, chunks, count);
}

}  // namespace sorvek

#endif
