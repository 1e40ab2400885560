// The byte profile against a byte-by-byte reading of the same bytes, for every instruction set
// the processor has and with every byte at a block boundary once.
#include "engine/byte_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/text_blocks.h"

namespace sorvek::testing {
namespace {

using Width = ByteProfiler::Width;

bool isLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The profile read one byte at a time, as the rules say it.
ByteProfile referenceProfile(const std::string& text) {
    ByteProfile p;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::int64_t n = static_cast<std::int64_t>(text.size());
    p.size = n;
    std::vector<std::int64_t> lengths;
    std::int64_t lineStart = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        const unsigned char b = s[i];
        if (b == '\r' || b == '\n') {
            lengths.push_back(i - lineStart);
            if (b == '\r' && i + 1 < n && s[i + 1] == '\n') {
                ++p.crlf;
                ++i;
            } else if (b == '\r') {
                ++p.cr;
            } else {
                ++p.lf;
            }
            lineStart = i + 1;
        }
        const bool allowed = b == 0x09 || b == 0x0A || b == 0x0C || b == 0x0D || b == 0x1A;
        if ((b < 0x20 && !allowed) || b == 0x7F) p.nonText.add(i);
    }
    if (!lengths.empty() && lineStart < n) lengths.push_back(n - lineStart);
    if (lengths.empty()) {
        p.lines = n > 0 ? 1 : 0;
    } else {
        p.lines = static_cast<std::int64_t>(lengths.size());
        p.longestLine = *std::max_element(lengths.begin(), lengths.end());
        p.shortestLine = *std::min_element(lengths.begin(), lengths.end());
        std::int64_t best = -1;
        for (std::int64_t len : lengths) {
            const auto c = std::count(lengths.begin(), lengths.end(), len);
            if (c > p.commonLineCount || (c == p.commonLineCount && len < best)) {
                p.commonLineCount = c;
                best = len;
            }
        }
        p.commonLineLength = best;
    }
    // Shift-JIS: a lead byte takes the next byte as its second byte, whatever it is.
    for (std::int64_t i = 0; i < n;) {
        if (isLead(s[i])) {
            if (i + 1 == n) {
                p.invalidSjis.add(i);
            } else if (s[i + 1] <= 0x3F || s[i + 1] == 0x7F || s[i + 1] >= 0xFD) {
                p.invalidSjis.add(i + 1);
            }
            i += 2;
        } else {
            if (s[i] == 0x80 || s[i] == 0xA0 || s[i] >= 0xFD) p.invalidSjis.add(i);
            ++i;
        }
    }
    p.sjisBytes = n;
    return p;
}

void expectSameProfile(const ByteProfile& expected, const ByteProfile& actual,
                       const std::string& where) {
    EXPECT_EQ(expected.size, actual.size) << where;
    EXPECT_EQ(expected.crlf, actual.crlf) << where;
    EXPECT_EQ(expected.lf, actual.lf) << where;
    EXPECT_EQ(expected.cr, actual.cr) << where;
    EXPECT_EQ(expected.lines, actual.lines) << where;
    EXPECT_EQ(expected.longestLine, actual.longestLine) << where;
    EXPECT_EQ(expected.shortestLine, actual.shortestLine) << where;
    EXPECT_EQ(expected.commonLineLength, actual.commonLineLength) << where;
    EXPECT_EQ(expected.commonLineCount, actual.commonLineCount) << where;
    EXPECT_EQ(expected.nonText.count, actual.nonText.count) << where;
    EXPECT_EQ(expected.nonText.offsets, actual.nonText.offsets) << where;
    EXPECT_EQ(expected.invalidSjis.count, actual.invalidSjis.count) << where;
    EXPECT_EQ(expected.invalidSjis.offsets, actual.invalidSjis.offsets) << where;
    EXPECT_EQ(expected.sjisBytes, actual.sjisBytes) << where;
}

std::vector<Width> widths() {
    std::vector<Width> out{Width::Sse2};
    if (avx2Available()) out.push_back(Width::Avx2);
    if (byte_classes::avx512Available()) out.push_back(Width::Avx512);
    return out;
}

ByteProfile profileInBlocks(const std::string& text, Width width, std::size_t block) {
    ByteProfiler profiler(width);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size(); at += block) {
        profiler.add(p + at, std::min(block, text.size() - at));
    }
    return profiler.finish();
}

// Bytes that matter to the profile, in proportions that make every case frequent: breaks, lead
// bytes, bad second bytes, bytes that are no character, control codes, plain text.
std::string randomBytes(std::mt19937& rng, std::size_t n) {
    const unsigned char alphabet[] = {'\r', '\n', '\r', '\n', 0x82, 0x9F, 0xE0, 0xFC, 0x40,
                                      0x7E, 0x80, 0xA0, 0xFD, 0xFF, 0x00, 0x1A, 0x09, 0x0C,
                                      0x7F, 0x1F, 'A',  ' ',  '0',  0xB1, 0xDF, 0x3F};
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(alphabet[rng() % sizeof alphabet]);
    return s;
}

TEST(ByteProfile, MatchesTheByteWiseReadingAtEveryBlockBoundaryAndWidth) {
    std::mt19937 rng(11);
    std::vector<std::string> inputs = {"",
                                       "\r",
                                       "\n",
                                       "\r\n",
                                       "a\r",
                                       "\x82",
                                       "abc",
                                       std::string(64, '\r'),
                                       std::string(129, '\x82')};
    for (int i = 0; i < 40; ++i) inputs.push_back(randomBytes(rng, 1 + rng() % 300));
    for (const std::string& in : inputs) {
        const ByteProfile expected = referenceProfile(in);
        for (Width width : widths()) {
            for (std::size_t block : {1, 2, 3, 5, 7, 63, 64, 65, 1000}) {
                expectSameProfile(expected, profileInBlocks(in, width, block),
                                  "width " + std::to_string(static_cast<int>(width)) + " block " +
                                      std::to_string(block) + " size " + std::to_string(in.size()));
            }
        }
    }
}

TEST(ByteProfile, CrAtTheEndOfOneBlockAndLfAtTheStartOfTheNextAreOnePair) {
    for (Width width : widths()) {
        for (std::size_t at : {1, 63, 64, 127}) {
            std::string text(at - 1, 'x');
            text += "\r\nyy\r";
            ByteProfiler profiler(width);
            const auto* p = reinterpret_cast<const unsigned char*>(text.data());
            profiler.add(p, at);
            profiler.add(p + at, text.size() - at);
            const ByteProfile b = profiler.finish();
            EXPECT_EQ(1, b.crlf) << at;
            EXPECT_EQ(1, b.cr) << at;
            EXPECT_EQ(0, b.lf) << at;
            EXPECT_EQ(2, b.lines) << at;
            const auto first = static_cast<std::int64_t>(at - 1);
            EXPECT_EQ(std::max<std::int64_t>(first, 2), b.longestLine) << at;
            EXPECT_EQ(std::min<std::int64_t>(first, 2), b.shortestLine) << at;
        }
    }
}

TEST(ByteProfile, PartsProfiledApartAndJoinedGiveTheProfileOfOneReading) {
    // The start reads its Shift-JIS sample whole; every other cut falls anywhere, also between
    // a CR and its LF and inside lines that run over several parts.
    std::mt19937 rng(23);
    for (int round = 0; round < 300; ++round) {
        std::string in = randomBytes(rng, rng() % 400);
        if (round % 3 == 0) in = std::string(rng() % 90, 'x') + in;  // long lines
        const std::int64_t sample = static_cast<std::int64_t>(rng() % 80);
        for (Width width : widths()) {
            ByteProfiler whole(width, sample);
            const auto* p = reinterpret_cast<const unsigned char*>(in.data());
            whole.add(p, in.size());
            const ByteProfile expected = whole.finish();

            std::size_t at =
                std::min<std::size_t>(in.size(), static_cast<std::size_t>(sample) + rng() % 20);
            ByteProfiler joined(width, sample);
            joined.add(p, at);
            while (at < in.size()) {
                const std::size_t size = std::min<std::size_t>(1 + rng() % 30, in.size() - at);
                ByteProfiler part = ByteProfiler::part(static_cast<std::int64_t>(at));
                part.add(p + at, size);
                joined.join(part);
                at += size;
            }
            expectSameProfile(expected, joined.finish(), "round " + std::to_string(round));
        }
    }
}

TEST(ByteProfile, ListsTwentyPlacesAndCountsAll) {
    const std::string text(100, '\0');
    for (Width width : widths()) {
        const ByteProfile b = profileInBlocks(text, width, 7);
        EXPECT_EQ(100, b.nonText.count);
        ASSERT_EQ(kListedPlaces, b.nonText.offsets.size());
        EXPECT_EQ(19, b.nonText.offsets.back());
    }
}

TEST(ByteProfile, ShiftJisIsReadAtTheStartOfTheFileOnlyWhileTheRestIsCounted) {
    // A bad byte just inside the sample and one beyond it; control codes on both sides.
    std::string text(static_cast<std::size_t>(byte_classes::kSjisSampleBytes) + 1000, 'a');
    const std::size_t inside = static_cast<std::size_t>(byte_classes::kSjisSampleBytes) - 1;
    text[inside] = '\x80';
    text[inside + 500] = '\x80';
    text[10] = '\x01';
    text[inside + 600] = '\x01';
    for (Width width : widths()) {
        const ByteProfile b = profileInBlocks(text, width, 100000);
        EXPECT_EQ(1, b.invalidSjis.count);
        EXPECT_EQ(std::vector<std::int64_t>{static_cast<std::int64_t>(inside)},
                  b.invalidSjis.offsets);
        // Read in whole words of 64 bytes: the sample ends at most 63 bytes after its size.
        EXPECT_GE(b.sjisBytes, byte_classes::kSjisSampleBytes);
        EXPECT_LT(b.sjisBytes, byte_classes::kSjisSampleBytes + 64);
        EXPECT_EQ(2, b.nonText.count);
    }
}

}  // namespace
}  // namespace sorvek::testing
