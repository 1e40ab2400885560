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
    if (s.headOpen) [[unlikely]] {
        s.headOpen = false;
        s.headLine = length;
        return;
    }
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

ByteProfiler::Width ByteProfiler::widest() {
    return byte_classes::avx512Available() ? Width::Avx512
           : avx2Available()               ? Width::Avx2
                                           : Width::Sse2;
}

ByteProfiler::ByteProfiler() : ByteProfiler(widest()) {}

ByteProfiler::ByteProfiler(Width width, std::int64_t sampleBytes) : width_(width) {
    state_.sjisLimit = sampleBytes;
}

ByteProfiler ByteProfiler::part(std::int64_t offset) {
    ByteProfiler profiler;
    byte_classes::ProfileState& s = profiler.state_;
    s.sjisLimit = 0;
    s.offset = s.lineStart = s.startOffset = offset;
    s.headOpen = true;
    return profiler;
}

void ByteProfiler::add(const unsigned char* p, std::size_t n) {
    byte_classes::ProfileState& s = state_;
    if (n == 0) return;
    if (s.offset == s.startOffset) s.firstByte = p[0];
    // The Shift-JIS sample ends exactly at its limit, however the bytes come.
    if (s.offset < s.sjisLimit && s.offset + static_cast<std::int64_t>(n) > s.sjisLimit) {
        const auto inside = static_cast<std::size_t>(s.sjisLimit - s.offset);
        addWords(p, inside);
        p += inside;
        n -= inside;
    }
    addWords(p, n);
}

void ByteProfiler::addWords(const unsigned char* p, std::size_t n) {
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

void ByteProfiler::join(ByteProfiler& later) {
    byte_classes::ProfileState& s = state_;
    byte_classes::ProfileState& l = later.state_;
    if (l.offset == l.startOffset) return;  // no bytes
    ByteProfile& b = s.profile;
    const ByteProfile& lb = l.profile;
    b.crlf += lb.crlf;
    b.cr += lb.cr;
    b.lf += lb.lf;
    if (s.afterCr && l.firstByte == '\n') {
        // The LF that `later` took for a lone one, and that ended a line of no bytes there,
        // completes the CR these bytes ended with.
        --b.cr;
        --b.lf;
        ++b.crlf;
    } else if (!l.headOpen) {
        byte_classes::lineEnded(s, l.headLine + (l.startOffset - s.lineStart));
    }
    if (lb.lines > 0) {
        if (b.lines == 0 || lb.longestLine > b.longestLine) b.longestLine = lb.longestLine;
        if (b.lines == 0 || lb.shortestLine < b.shortestLine) b.shortestLine = lb.shortestLine;
        b.lines += lb.lines;
    }
    for (std::size_t i = 0; i < s.lineLengths.size(); ++i) s.lineLengths[i] += l.lineLengths[i];
    s.longLines += l.longLines;
    b.nonText.join(lb.nonText);
    if (!l.headOpen) s.lineStart = l.lineStart;
    s.afterCr = l.afterCr;
    s.offset = l.offset;
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
