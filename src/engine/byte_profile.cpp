#include "engine/byte_profile.h"

#include <algorithm>
#include <cstring>

#include "engine/text_blocks.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvek {
namespace byte_classes {
namespace {

#if defined(__SSE2__)
struct Lanes {
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
    static std::uint64_t bits(V v) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(v)) & 0xFFFFu;
    }
};
#else
// One byte per lane where the processor offers nothing wider.
struct Lanes {
    using V = std::uint8_t;
    static constexpr int kWidth = 1;
    static V load(const unsigned char* p) { return *p; }
    static V eq(V v, unsigned char c) { return v == c ? 0xFF : 0; }
    static V inRange(V v, unsigned char lo, unsigned char hi) {
        return v >= lo && v <= hi ? 0xFF : 0;
    }
    static V orV(V a, V b) { return a | b; }
    static V andNot(V a, V b) { return static_cast<V>(~a & b); }
    static std::uint64_t bits(V v) { return v != 0 ? 1 : 0; }
};
#endif

using Sse2Profile = Profile<ClassifyByLanes<Lanes>>;

}  // namespace

void followWords(const unsigned char* p, std::size_t words, ProfileState& state) {
    Sse2Profile::words(p, words, state);
}

void followTail(const unsigned char* p, int valid, ProfileState& state) {
    // Classified from a zeroed word; only `valid` bits count.
    unsigned char word[64] = {};
    std::memcpy(word, p, static_cast<std::size_t>(valid));
    Sse2Profile::tail(word, valid, state);
}

void lineEnded(ProfileState& s, std::int64_t length) {
    ByteProfile& b = s.profile;
    if (b.lines == 0 || length > b.longestLine) b.longestLine = length;
    if (b.lines == 0 || length < b.shortestLine) b.shortestLine = length;
    ++b.lines;
    if (length < static_cast<std::int64_t>(kLineHistogram)) {
        ++s.lineLengths[static_cast<std::size_t>(length)];
    } else {
        ++s.longLines;
    }
}

}  // namespace byte_classes

ByteProfiler::ByteProfiler(Width width) : width_(width) {}

ByteProfiler::ByteProfiler()
    : ByteProfiler(byte_classes::avx512Available() ? Width::Avx512
                   : avx2Available()               ? Width::Avx2
                                                   : Width::Sse2) {}

void ByteProfiler::add(const unsigned char* p, std::size_t n) {
    const std::size_t words = n / 64;
    switch (width_) {
        case Width::Avx512:
            byte_classes::followWordsAvx512(p, words, state_);
            break;
        case Width::Avx2:
            byte_classes::followWordsAvx2(p, words, state_);
            break;
        case Width::Sse2:
            byte_classes::followWords(p, words, state_);
            break;
    }
    if (n % 64 != 0) {
        byte_classes::followTail(p + 64 * words, static_cast<int>(n % 64), state_);
    }
}

ByteProfile ByteProfiler::finish() {
    byte_classes::ProfileState& s = state_;
    ByteProfile& b = s.profile;
    b.size = s.offset;
    // Text after the last break is a line without a break.
    if (b.breaks() > 0 && s.lineStart < s.offset)
        byte_classes::lineEnded(s, s.offset - s.lineStart);
    if (b.breaks() == 0) {
        b.lines = s.offset > 0 ? 1 : 0;
        b.longestLine = b.shortestLine = 0;
    }
    const auto common = std::max_element(s.lineLengths.begin(), s.lineLengths.end());
    if (*common > 0) {
        b.commonLineLength = common - s.lineLengths.begin();
        b.commonLineCount = *common;
    }
    b.sjisBytes = s.sjisEnd;
    // A lead byte at the very end lacks its second byte.
    if (s.leadPending && b.sjisBytes == s.offset) b.invalidSjis.add(s.offset - 1);
    return b;
}

}  // namespace sorvek
