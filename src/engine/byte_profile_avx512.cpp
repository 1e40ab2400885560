// Compiled with AVX-512 BW and VBMI (see CMakeLists.txt); only called where the processor has
// them. Each byte's classes are looked up in a 256-entry table by two permutes, and each class
// becomes a bit mask in one test.
#include "engine/byte_classes.h"
#include "platform/instruction_sets.h"

#if defined(__AVX512BW__) && defined(__AVX512VBMI__)
#include <immintrin.h>

namespace sorvek::byte_classes {
namespace {

constexpr std::array<std::uint8_t, 256> kClasses = classTable();

struct Classify512 {
    template <bool kSjis>
    static Masks classify(const unsigned char* p) {
        const __m512i t0 = _mm512_loadu_si512(kClasses.data());
        const __m512i t1 = _mm512_loadu_si512(kClasses.data() + 64);
        const __m512i t2 = _mm512_loadu_si512(kClasses.data() + 128);
        const __m512i t3 = _mm512_loadu_si512(kClasses.data() + 192);
        const __m512i v = _mm512_loadu_si512(p);
        // The low seven bits pick the entry in the lower or the upper half of the table.
        const __m512i low = _mm512_permutex2var_epi8(t0, v, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, v, t3);
        const __m512i c = _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high);
        auto test = [&](std::uint8_t bit) {
            std::uint64_t m =
                _cvtmask64_u64(_mm512_test_epi8_mask(c, _mm512_set1_epi8(static_cast<char>(bit))));
            // The following is scalar work: keep the masks out of the mask registers, whose
            // moves would lengthen every step of it.
            asm("" : "+r"(m));
            return m;
        };
        if constexpr (!kSjis) return Masks{test(kCr), test(kLf), test(kNonText), 0, 0, 0};
        return Masks{test(kCr),   test(kLf),       test(kNonText),
                     test(kLead), test(kBadTrail), test(kBadSingle)};
    }
};

}  // namespace

void followWordsAvx512(const unsigned char* p, std::size_t words, ProfileState& state) {
    Profile<Classify512>::words(p, words, state);
}

bool avx512Available() {
    return avx512BwVbmiUsable();
}

}  // namespace sorvek::byte_classes

#else

namespace sorvek::byte_classes {

void followWordsAvx512(const unsigned char* p, std::size_t words, ProfileState& state) {
    followWords(p, words, state);
}

bool avx512Available() {
    return false;
}

}  // namespace sorvek::byte_classes

#endif
