#pragma once
// Vector operations on bytes for the inspection's loops, one struct per instruction set, each
// in an unnamed namespace so that every translation unit that includes this header (compiled for
// its own instruction set) keeps its own copy:
//   Sse2Lanes (16 bytes; one byte at a time where there is no SSE2), Avx2Lanes (32 bytes; only
//   in a unit compiled with -mavx2).
// Each provides, for a vector V of kWidth bytes: load, eq (bytes equal to c), inRange (bytes in
// [lo, hi]), orV, andNot (b and not a), andConst (bytes ANDed with c) and bits (one bit per
// byte, low first).
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace sorvek {
namespace {

#if defined(__SSE2__)
struct Sse2Lanes {
    using V = __m128i;
    static constexpr int kWidth = 16;
    static V load(const unsigned char* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static V eq(V v, unsigned char c) {
        return _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(c)));
    }
    static V inRange(V v, unsigned char lo, unsigned char hi) {
        const V t = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(lo)));
        return _mm_cmpeq_epi8(_mm_min_epu8(t, _mm_set1_epi8(static_cast<char>(hi - lo))), t);
    }
    static V orV(V a, V b) { return _mm_or_si128(a, b); }
    static V andNot(V a, V b) { return _mm_andnot_si128(a, b); }
    static V andConst(V v, unsigned char c) {
        return _mm_and_si128(v, _mm_set1_epi8(static_cast<char>(c)));
    }
    static std::uint64_t bits(V v) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(v)) & 0xFFFFu;
    }
};
#else
struct Sse2Lanes {
    using V = std::uint8_t;
    static constexpr int kWidth = 1;
    static V load(const unsigned char* p) { return *p; }
    static V eq(V v, unsigned char c) { return v == c ? 0xFF : 0; }
    static V inRange(V v, unsigned char lo, unsigned char hi) {
        return v >= lo && v <= hi ? 0xFF : 0;
    }
    static V orV(V a, V b) { return a | b; }
    static V andNot(V a, V b) { return static_cast<V>(~a & b); }
    static V andConst(V v, unsigned char c) { return static_cast<V>(v & c); }
    static std::uint64_t bits(V v) { return v != 0 ? 1 : 0; }
};
#endif

#if defined(__AVX2__)
struct Avx2Lanes {
    using V = __m256i;
    static constexpr int kWidth = 32;
    static V load(const unsigned char* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static V eq(V v, unsigned char c) {
        return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(static_cast<char>(c)));
    }
    static V inRange(V v, unsigned char lo, unsigned char hi) {
        const V t = _mm256_sub_epi8(v, _mm256_set1_epi8(static_cast<char>(lo)));
        return _mm256_cmpeq_epi8(_mm256_min_epu8(t, _mm256_set1_epi8(static_cast<char>(hi - lo))),
                                 t);
    }
    static V orV(V a, V b) { return _mm256_or_si256(a, b); }
    static V andNot(V a, V b) { return _mm256_andnot_si256(a, b); }
    static V andConst(V v, unsigned char c) {
        return _mm256_and_si256(v, _mm256_set1_epi8(static_cast<char>(c)));
    }
    static std::uint64_t bits(V v) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(v)); }
};
#endif

}  // namespace
}  // namespace sorvek
