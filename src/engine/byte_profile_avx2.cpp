// Compiled with -mavx2 (see CMakeLists.txt); only called where the processor has AVX2.
#include "engine/byte_classes.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace sorvek::byte_classes {
namespace {

struct Lanes {
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
    static std::uint64_t bits(V v) { return static_cast<std::uint32_t>(_mm256_movemask_epi8(v)); }
};

}  // namespace

void followWordsAvx2(const unsigned char* p, std::size_t words, ProfileState& state) {
    Profile<ClassifyByLanes<Lanes>>::words(p, words, state);
}

}  // namespace sorvek::byte_classes

#else

namespace sorvek::byte_classes {

// Never called where AVX2 is not compiled in (avx2Available() is false there).
void followWordsAvx2(const unsigned char* p, std::size_t words, ProfileState& state) {
    followWords(p, words, state);
}

}  // namespace sorvek::byte_classes

#endif
