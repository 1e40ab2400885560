#include "engine/text_blocks.h"

#include "engine/text_block_loops.h"
#include "engine/text_blocks_avx2.h"
#include "platform/instruction_sets.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvek {
namespace {

#if defined(__SSE2__)
struct Sse2Lanes {
    static constexpr int kWidth = 16;
    static unsigned copyUpToBreak(const char* p, char* out) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                            _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(breaks));
        return mask == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(mask));
    }
    static void copy(const char* p, char* out) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static std::uint64_t mask16(const char* p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                            _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
        return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(breaks)));
    }
    static std::uint64_t breakMask64(const char* p) {
        return mask16(p) | (mask16(p + 16) << 16) | (mask16(p + 32) << 32) | (mask16(p + 48) << 48);
    }
};
#else
// Without vectors: one byte a step.
struct Sse2Lanes {
    static constexpr int kWidth = 1;
    static unsigned copyUpToBreak(const char* p, char* out) {
        *out = *p;
        return (*p == '\r' || *p == '\n') ? 0u : 1u;
    }
    static void copy(const char* p, char* out) { *out = *p; }
    static std::uint64_t breakMask64(const char* p) {
        std::uint64_t mask = 0;
        for (int i = 0; i < 64; ++i) {
            if (p[i] == '\r' || p[i] == '\n') mask |= std::uint64_t{1} << i;
        }
        return mask;
    }
};
#endif

bool useAvx2() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool use = avx2::compiledIn() && instructionSetsAllowed(InstructionSets::Avx2) &&
                            __builtin_cpu_supports("avx2");
    return use;
#else
    return false;
#endif
}

}  // namespace

namespace sse2 {
char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch) {
    return text_loops::cutRecords<Sse2Lanes>(p, end, length, count, out, scratch);
}
char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out) {
    return text_loops::convertBreaks<Sse2Lanes>(p, end, ending, endingLength, afterCr, out);
}
}  // namespace sse2

char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch) {
    if (useAvx2()) return avx2::cutRecords(p, end, length, count, out, scratch);
    return sse2::cutRecords(p, end, length, count, out, scratch);
}

char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out) {
    if (useAvx2()) return avx2::convertBreaks(p, end, ending, endingLength, afterCr, out);
    return sse2::convertBreaks(p, end, ending, endingLength, afterCr, out);
}

bool avx2Available() {
    return useAvx2();
}

}  // namespace sorvek
