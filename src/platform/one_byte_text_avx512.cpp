// Compiled with AVX-512 BW and VBMI (see CMakeLists.txt); only called where the processor has
// them.
#include "platform/one_byte_text.h"

#include <cstdint>

#include "platform/instruction_sets.h"

#if defined(__AVX512BW__) && defined(__AVX512VBMI__)
#include <immintrin.h>

namespace sorvek::one_byte_text {

bool avx512Available() {
    return avx512BwVbmiUsable();
}

std::size_t translateAvx512(const unsigned char* in, std::size_t n, const OneByteTable& table,
                            char* out) {
    const __m512i b0 = _mm512_load_si512(table.bytes), b1 = _mm512_load_si512(table.bytes + 64),
                  b2 = _mm512_load_si512(table.bytes + 128),
                  b3 = _mm512_load_si512(table.bytes + 192);
    const __m512i s0 = _mm512_load_si512(table.special), s1 = _mm512_load_si512(table.special + 64),
                  s2 = _mm512_load_si512(table.special + 128),
                  s3 = _mm512_load_si512(table.special + 192);
    std::size_t done = 0;
    while (done < n) {
        const std::size_t left = n - done;
        // Only the bytes of the field are read and written.
        const __mmask64 inside = left >= 64 ? ~0ull : (1ull << left) - 1;
        const __m512i v = _mm512_maskz_loadu_epi8(inside, in + done);
        // The low seven bits pick the entry in the lower or the upper half of a table.
        const __mmask64 upper = _mm512_movepi8_mask(v);
        const __m512i bytes = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(b0, v, b1),
                                                     _mm512_permutex2var_epi8(b2, v, b3));
        const __m512i special = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(s0, v, s1),
                                                       _mm512_permutex2var_epi8(s2, v, s3));
        const std::uint64_t stops =
            _cvtmask64_u64(_mm512_mask_test_epi8_mask(inside, special, special));
        if (stops != 0) {
            const unsigned kept = static_cast<unsigned>(__builtin_ctzll(stops));
            _mm512_mask_storeu_epi8(out + done, (1ull << kept) - 1, bytes);
            return done + kept;
        }
        _mm512_mask_storeu_epi8(out + done, inside, bytes);
        done += left >= 64 ? 64 : left;
    }
    return n;
}

}  // namespace sorvek::one_byte_text

#else

namespace sorvek::one_byte_text {

bool avx512Available() {
    return false;
}

std::size_t translateAvx512(const unsigned char*, std::size_t, const OneByteTable&, char*) {
    return 0;
}

}  // namespace sorvek::one_byte_text

#endif
