// Every width of the quote screen finds exactly the special bytes its chunks look at.
#include "engine/quote_screen.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/byte_classes.h"
#include "engine/text_blocks.h"

namespace sorvek::testing {
namespace {

TEST(QuoteScreen, EveryWidthFindsTheSpecialBytesOfItsChunksOnly) {
    std::vector<QuoteScreen> screens = {quoteScreenSse2};
    if (avx2Available()) screens.push_back(quoteScreenAvx2);
    if (byte_classes::avx512Available()) screens.push_back(quoteScreenAvx512);
    std::mt19937 rng(7);
    const unsigned char delimiters[] = {',', ';', '\t', 0x7C};
    std::vector<unsigned char> record(200);
    for (int round = 0; round < 4000; ++round) {
        const unsigned char delimiter = delimiters[rng() % 4];
        // Mostly plain bytes, at times one or two that may be special.
        for (auto& b : record) b = static_cast<unsigned char>('a' + rng() % 26);
        for (int n = static_cast<int>(rng() % 3); n > 0; --n) {
            const unsigned char picks[] = {'"', '\r', '\n', delimiter, 0x00, 0x8C};
            record[rng() % record.size()] = picks[rng() % 6];
        }
        std::vector<QuoteChunk> chunks(1 + rng() % 3);
        bool expected = false;
        for (QuoteChunk& chunk : chunks) {
            chunk.start = static_cast<std::uint32_t>(rng() % (record.size() - 63));
            chunk.bits = (static_cast<std::uint64_t>(rng()) << 32) | rng();
            for (std::uint32_t i = 0; i < 64; ++i) {
                const unsigned char c = record[chunk.start + i];
                const bool special = c == '"' || c == '\r' || c == '\n' || c == delimiter;
                if (special && (chunk.bits >> i & 1u) != 0) expected = true;
            }
        }
        for (std::size_t s = 0; s < screens.size(); ++s) {
            EXPECT_EQ(expected, screens[s](record.data(), chunks.data(), chunks.size(), delimiter))
                << "round " << round << " width " << s;
        }
    }
}

TEST(QuoteScreen, EveryWidthMarksTheSpecialBytesOfABlockOfAnyLength) {
    std::vector<QuoteMarker> markers = {markQuoteBytesSse2};
    if (avx2Available()) markers.push_back(markQuoteBytesAvx2);
    if (byte_classes::avx512Available()) markers.push_back(markQuoteBytesAvx512);
    std::mt19937 rng(11);
    for (std::size_t n = 0; n <= 200; ++n) {
        // The block is the start of a longer buffer whose next bytes are all special: none of
        // them may be marked.
        std::vector<unsigned char> data(n + 64, '"');
        const unsigned char picks[] = {'"', '\r', '\n', ';', ',', 'a', 0x00, 0x8C};
        for (std::size_t i = 0; i < n; ++i) data[i] = picks[rng() % 8];
        const std::size_t words = (n + 63) / 64;
        std::vector<std::uint64_t> expected(words + 1, 0);
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char c = data[i];
            if (c == '"' || c == '\r' || c == '\n' || c == ';')
                expected[i / 64] |= std::uint64_t{1} << (i % 64);
        }
        for (std::size_t m = 0; m < markers.size(); ++m) {
            std::vector<std::uint64_t> bits(words + 1, 0);
            markers[m](data.data(), n, ';', bits.data());
            EXPECT_EQ(expected, bits) << "length " << n << " width " << m;
        }
    }
}

}  // namespace
}  // namespace sorvek::testing
