// Every width of the quote screen marks exactly the special bytes of a block; the record check
// finds them among the bytes it is told to look at, and reads no other.
#include "engine/quote_screen.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/byte_classes.h"
#include "engine/text_blocks.h"

namespace sorvek::testing {
namespace {

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

TEST(QuoteScreen, TheRecordQuoteCheckFindsSpecialBytesOnlyWhereItLooks) {
    const RecordQuoteCheck check = recordQuoteCheck();
    if (check == nullptr) GTEST_SKIP() << "no record check on this processor";
    std::mt19937 rng(12);
    for (int round = 0; round < 3000; ++round) {
        const std::size_t span = 1 + rng() % 200;
        // The record ends its buffer exactly, and the bytes not looked at are all special.
        std::vector<unsigned char> record(span, ',');
        std::vector<std::uint64_t> looked((span + 63) / 64, 0);
        bool expected = false;
        for (std::size_t i = 0; i < span; ++i) {
            if (rng() % 3 == 0) continue;
            looked[i / 64] |= std::uint64_t{1} << (i % 64);
            // Rarely special, so that both answers come up often.
            const unsigned char picks[] = {'"', '\r', '\n', ','};
            record[i] =
                rng() % 150 == 0 ? picks[rng() % 4] : static_cast<unsigned char>('a' + i % 26);
            expected = expected || record[i] == '"' || record[i] == '\r' || record[i] == '\n' ||
                       record[i] == ',';
        }
        EXPECT_EQ(expected, check(record.data(), span, looked.data(), ','))
            << "round " << round << " span " << span;
    }
}

}  // namespace
}  // namespace sorvek::testing
