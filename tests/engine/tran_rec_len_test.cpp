#include "engine/tran_rec_len.h"

#include <random>

#include "support/engine_fixture.h"
#include "support/text_reference.h"

namespace sorvek::testing {
namespace {

class TranRecLenTest : public EngineTest {
  protected:
    // Converts `in` and returns the output bytes; expects success.
    std::string convert(const std::string& in, std::int32_t length) {
        std::string input = dir.write("in.dat", in);
        EngineContext ctx = context();
        EXPECT_TRUE(ran(tranRecLen(input, dir.file("out.dat"), length, ctx)));
        return readFile(dir.file("out.dat"));
    }
};

TEST_F(TranRecLenTest, CutsRecordsAcrossLinesAndLeavesShortRestWithoutBreak) {
    EXPECT_BYTES_EQ(std::string("ABC\r\nDEF\r\nG"), convert("ABCDEFG", 3));
    EXPECT_BYTES_EQ(std::string("ABC\r\nDEF\r\n"), convert("ABCD\r\nEF\r\n", 3));
}

TEST_F(TranRecLenTest, ZeroAndNegativeLengthsOnlyRemoveBreaks) {
    EXPECT_BYTES_EQ(std::string("ABCDEF"), convert("AB\rC\nD\r\nEF\n", 0));
    EXPECT_BYTES_EQ(std::string("ABCDEF"), convert("AB\rC\nD\r\nEF\n", -3));
}

TEST_F(TranRecLenTest, CutsDoubleByteCharactersByBytes) {
    // "あい" in Shift-JIS is 82 A0 82 A2; a length of 3 splits the second character.
    EXPECT_BYTES_EQ(std::string("\x82\xA0\x82\r\n\xA2"), convert("\x82\xA0\x82\xA2", 3));
}

TEST_F(TranRecLenTest, EmptyInputGivesEmptyOutputAndReplacesOldOutput) {
    dir.write("out.dat", "old contents");
    EXPECT_EQ("", convert("", 80));
    EXPECT_EQ((std::vector<ProgressCall>{{0, 0}, {0, -1}}), progress.calls);
}

TEST_F(TranRecLenTest, MatchesByteWiseConversionWhateverTheBlockSize) {
    std::mt19937 rng(7);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\x82', '\xA0'};
    for (std::size_t block : {1u, 2u, 3u, 7u, 20480u, 20481u}) {
        for (std::int32_t length : {0, 1, 2, 5, 80}) {
            std::string in;
            std::size_t size = 20480 * 2 + rng() % 100;
            for (std::size_t i = 0; i < size; ++i) in += alphabet[rng() % sizeof alphabet];
            blockSize = block;
            EXPECT_BYTES_EQ(referenceRecLen(in, length), convert(in, length))
                << "block " << block << " length " << length;
        }
    }
}

TEST_F(TranRecLenTest, OutputOfExactlyOneBlockAndOneByteOverIsWrittenOnce) {
    for (std::size_t n : {20480u, 20481u, 20479u}) {
        std::string in(n, 'x');
        EXPECT_EQ(in, convert(in, 0)) << n;
    }
}

TEST_F(TranRecLenTest, ReportsProgressPerBlockAndEndsAtTheInputLength) {
    blockSize = 4;
    convert("0123456789", 0);
    EXPECT_EQ(1, progress.labelShown);
    EXPECT_EQ((std::vector<ProgressCall>{{0, 10}, {4, -1}, {8, -1}, {10, -1}, {10, -1}}),
              progress.calls);
}

}  // namespace
}  // namespace sorvek::testing
