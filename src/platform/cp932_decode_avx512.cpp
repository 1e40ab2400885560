// Compiled with AVX-512 F, BW, VL, DQ and VBMI2 (see CMakeLists.txt); only called where the
// processor has them.
#include "platform/cp932_decode_wide.h"
#include "platform/instruction_sets.h"

#if defined(__AVX512BW__) && defined(__AVX512VBMI2__) && defined(__AVX512DQ__) && \
    defined(__AVX512VL__)
#include <immintrin.h>

namespace sorvek::cp932_decode {

bool wideAvailable() {
    static const bool available =
        instructionSetsAllowed(InstructionSets::Avx512) && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vbmi2");
    return available;
}

const unsigned char* decodeWide(const std::uint32_t* table, const unsigned char* in,
                                const unsigned char* end, char*& out) {
    const __m512i byteOfEntry = _mm512_set1_epi32(0x03020100);
    constexpr unsigned kEven = 0x5555;
    // The masked forms throughout: the plain ones start from an undefined vector, which GCC 12
    // takes for a use of an uninitialised value.
    const __mmask16 kAll = 0xFFFF;
    char* o = out;
    while (end - in >= 17) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
        if ((high & 1) == 0) {
            // ASCII as it is, up to the first byte that is not.
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
            const int ascii = high == 0 ? 16 : __builtin_ctz(high);
            in += ascii;
            o += ascii;
            // A longer stretch of it 64 bytes at a time (the output has room for three bytes
            // of every byte still to decode).
            while (ascii == 16 && end - in >= 65) {
                const __m512i w = _mm512_loadu_si512(in);
                _mm512_storeu_si512(o, w);
                const std::uint64_t others = _cvtmask64_u64(_mm512_movepi8_mask(w));
                const int run = others == 0 ? 64 : __builtin_ctzll(others);
                in += run;
                o += run;
                if (run != 64) break;
            }
            continue;
        }
        // The lead bytes, and which of them start a pair: a run of lead bytes starts a
        // character (the byte before it, whatever it is, ends one), and then every second byte
        // of the run does. Adding its first bit to a run carries through it and clears it, so
        // `leads & ~(leads + first bits at even places)` are the runs that start at even ones.
        const unsigned leads =
            _mm_cmplt_epu8_mask(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0x81))),
                                _mm_set1_epi8(0x1F)) |
            _mm_cmplt_epu8_mask(_mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0xE0))),
                                _mm_set1_epi8(0x1D));
        const unsigned runStarts = leads & ~(leads << 1);
        const unsigned fromEven = leads & ~(leads + (runStarts & kEven));
        const unsigned fromOdd = leads & ~(leads + (runStarts & ~kEven));
        const unsigned pairs = ((fromEven & kEven) | (fromOdd & ~kEven)) & 0xFFFF;
        unsigned starts = ~(pairs << 1) & 0xFFFF;
        int taken = 16;
        if ((pairs & 0x8000) != 0) {
            // The last byte starts a pair whose second byte is in the next step.
            starts &= 0x7FFF;
            taken = 15;
        }
        // The entry of every byte with the one after it: for a byte that is a character of
        // its own the next byte changes nothing.
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 1));
        const __m512i index =
            _mm512_or_si512(_mm512_maskz_slli_epi32(kAll, _mm512_maskz_cvtepu8_epi32(kAll, v), 8),
                            _mm512_maskz_cvtepu8_epi32(kAll, next));
        const __m512i entries =
            _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), kAll, index, table, 4);
        const unsigned tookTwo = _mm512_cmpeq_epi32_mask(_mm512_maskz_srli_epi32(kAll, entries, 26),
                                                         _mm512_set1_epi32(2));
        if ((pairs & starts & ~tookTwo) != 0) [[unlikely]] {
            // A lead byte that makes no character with the next: character by character to
            // the end of the step, as the general walk reads them.
            const unsigned char* stop = in + taken;
            while (in < stop) {
                const std::uint32_t e = table[in[0] << 8 | in[1]];
                __builtin_memcpy(o, &e, sizeof e);
                o += (e >> 24) & 3;
                in += e >> 26;
            }
            continue;
        }
        // The UTF-8 bytes of each character start, packed together.
        const __m512i lengths =
            _mm512_and_si512(_mm512_maskz_srli_epi32(kAll, entries, 24), _mm512_set1_epi32(3));
        const __mmask64 inEntry = _mm512_cmplt_epu8_mask(
            byteOfEntry, _mm512_mullo_epi32(lengths, _mm512_set1_epi32(0x01010101)));
        const __mmask64 ofStarts =
            _mm512_movepi8_mask(_mm512_movm_epi32(static_cast<__mmask16>(starts)));
        const __mmask64 keep = inEntry & ofStarts;
        const int count = __builtin_popcountll(keep);
        _mm512_mask_storeu_epi8(o, _cvtu64_mask64((std::uint64_t{1} << count) - 1),
                                _mm512_maskz_compress_epi8(keep, entries));
        o += count;
        in += taken;
    }
    out = o;
    return in;
}

}  // namespace sorvek::cp932_decode

#else

namespace sorvek::cp932_decode {

bool wideAvailable() {
    return false;
}

const unsigned char* decodeWide(const std::uint32_t*, const unsigned char* in, const unsigned char*,
                                char*&) {
    return in;
}

}  // namespace sorvek::cp932_decode

#endif
