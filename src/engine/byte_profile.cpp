#include "engine/byte_profile.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_lanes.h"
#include "engine/text_blocks.h"

namespace sorvek {
namespace byte_classes {
namespace {

using Sse2Profile = Profile<ClassifyByLanes<Sse2Lanes>>;

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
