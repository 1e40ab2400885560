// Compiled with -mavx2 (see CMakeLists.txt); only called where the processor has AVX2.
#include "engine/text_blocks_avx2.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "engine/text_block_loops.h"

namespace sorvek::avx2 {
namespace {

struct Lanes {
    static constexpr int kWidth = 32;
    static unsigned copyUpToBreak(const char* p, char* out) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), v);
        const __m256i breaks = _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r')),
                                               _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n')));
        const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(breaks));
        return mask == 0 ? 32u : static_cast<unsigned>(__builtin_ctz(mask));
    }
    static std::uint32_t mask32(const char* p) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i breaks = _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r')),
                                               _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n')));
        return static_cast<std::uint32_t>(_mm256_movemask_epi8(breaks));
    }
    static std::uint64_t breakMask64(const char* p) {
        return mask32(p) | (static_cast<std::uint64_t>(mask32(p + 32)) << 32);
    }
    static void copy(const char* p, char* out) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
    }
};

}  // namespace

bool compiledIn() {
    return true;
}

char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch) {
    return text_loops::cutRecords<Lanes>(p, end, length, count, out, scratch);
}

char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out) {
    return text_loops::convertBreaks<Lanes>(p, end, ending, endingLength, afterCr, out);
}

}  // namespace sorvek::avx2

#else

namespace sorvek::avx2 {
bool compiledIn() {
    return false;
}
char* cutRecords(const char*, const char*, std::int32_t, std::int64_t&, char* out, char*) {
    return out;
}
char* convertBreaks(const char*, const char*, const char*, std::size_t, bool&, char* out) {
    return out;
}
}  // namespace sorvek::avx2

#endif
