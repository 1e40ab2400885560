// Every vector variant of the text jobs' block work gives the bytes of the byte-wise conversion,
// however the input is cut into blocks.
#include "engine/text_blocks.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "engine/text_blocks_avx2.h"
#include "support/text_reference.h"

namespace sorvek::testing {
namespace {

using CutFn = char* (*)(const char*, const char*, std::int32_t, std::int64_t&, char*, char*);
using ConvertFn = char* (*)(const char*, const char*, const char*, std::size_t, bool&, char*);

struct Variant {
    const char* name;
    CutFn cut;
    ConvertFn convert;
};

std::vector<Variant> variants() {
    std::vector<Variant> all{{"sse2", sse2::cutRecords, sse2::convertBreaks}};
    if (avx2Available()) all.push_back({"avx2", avx2::cutRecords, avx2::convertBreaks});
    return all;
}

// Random text whose breaks come often or rarely, cut into random blocks.
std::string randomText(std::mt19937& rng, std::size_t size, int breakPercent) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) {
        int r = static_cast<int>(rng() % 100);
        s += r < breakPercent / 2 ? '\r'
             : r < breakPercent   ? '\n'
                                  : static_cast<char>('a' + rng() % 26);
    }
    return s;
}

std::vector<std::size_t> randomCuts(std::mt19937& rng, std::size_t size) {
    std::vector<std::size_t> cuts{0};
    while (cuts.back() < size) {
        const std::size_t most = rng() % 2 ? 200 : 3000;  // around and well above the 128-byte step
        cuts.push_back(std::min(size, cuts.back() + 1 + rng() % most));
    }
    return cuts;
}

TEST(TextBlocks, EveryVariantCutsRecordsLikeTheByteWiseConversion) {
    std::mt19937 rng(3);
    for (const Variant& v : variants()) {
        for (int breakPercent : {0, 2, 30, 90}) {
            for (std::int32_t length : {0, 1, 15, 16, 17, 33, 80, 1000}) {
                const std::string in = randomText(rng, 5000, breakPercent);
                const auto cuts = randomCuts(rng, in.size());
                std::string out;
                std::int64_t count = 0;
                for (std::size_t i = 1; i < cuts.size(); ++i) {
                    const std::size_t n = cuts[i] - cuts[i - 1];
                    std::vector<char> buffer(3 * n + 2 + kOutputSlack), scratch(n + kOutputSlack);
                    const char* p = in.data() + cuts[i - 1];
                    char* end = v.cut(p, p + n, length, count, buffer.data(), scratch.data());
                    out.append(buffer.data(), end);
                }
                EXPECT_EQ(referenceRecLen(in, length), out)
                    << v.name << " length " << length << " breaks " << breakPercent << "%";
            }
        }
    }
}

TEST(TextBlocks, EveryVariantConvertsBreaksLikeTheByteWiseConversion) {
    std::mt19937 rng(5);
    for (const Variant& v : variants()) {
        for (int breakPercent : {0, 2, 30, 90}) {
            for (const std::string ending : {"\r\n", "\r", "\n"}) {
                const std::string in = randomText(rng, 5000, breakPercent);
                const auto cuts = randomCuts(rng, in.size());
                std::string out;
                bool afterCr = false;
                for (std::size_t i = 1; i < cuts.size(); ++i) {
                    const std::size_t n = cuts[i] - cuts[i - 1];
                    std::vector<char> buffer(ending.size() * n + kOutputSlack);
                    const char* p = in.data() + cuts[i - 1];
                    char* end =
                        v.convert(p, p + n, ending.data(), ending.size(), afterCr, buffer.data());
                    out.append(buffer.data(), end);
                }
                EXPECT_EQ(referenceCrlf(in, ending), out)
                    << v.name << " ending size " << ending.size() << " breaks " << breakPercent
                    << "%";
            }
        }
    }
}

}  // namespace
}  // namespace sorvek::testing
