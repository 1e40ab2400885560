#include "engine/tran_crlf.h"

#include <random>

#include "support/engine_fixture.h"
#include "support/text_reference.h"

namespace sorvek::testing {
namespace {

class TranCrlfTest : public EngineTest {
  protected:
    std::string convert(const std::string& in, std::string ending) {
        std::string input = dir.write("in.txt", in);
        EngineContext ctx = context();
        EXPECT_TRUE(ran(tranCrlf(input, dir.file("out.txt"), ending, ctx)));
        return readFile(dir.file("out.txt"));
    }
};

TEST_F(TranCrlfTest, EveryKindOfBreakBecomesTheTarget) {
    const std::string mixed = "a\r\nb\rc\nd\r\r\ne\n\rf";
    EXPECT_BYTES_EQ(std::string("a\nb\nc\nd\n\ne\n\nf"), convert(mixed, "LF"));
    EXPECT_BYTES_EQ(std::string("a\rb\rc\rd\r\re\r\rf"), convert(mixed, "CR"));
    EXPECT_BYTES_EQ(std::string("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf"), convert(mixed, "CRLF"));
    EXPECT_BYTES_EQ(convert(mixed, "CRLF"), convert(mixed, "CR+LF"));
}

TEST_F(TranCrlfTest, FileAlreadyInTargetFormIsUnchanged) {
    const std::string text = "\x82\xA0\x82\xA2\r\nline two\r\n\r\nend";
    EXPECT_BYTES_EQ(text, convert(text, "crlf"));
}

TEST_F(TranCrlfTest, CrLfPairSplitBetweenBlocksIsConvertedOnce) {
    blockSize = 4;
    EXPECT_BYTES_EQ(std::string("abc\ndef\n"), convert("abc\r\ndef\r\n", "LF"));
    blockSize = 20480;
    std::string in(20479, 'x');
    in += "\r\ny";
    EXPECT_BYTES_EQ(std::string(20479, 'x') + "\ry", convert(in, "CR"));
}

TEST_F(TranCrlfTest, MatchesByteWiseConversionWhateverTheBlockSize) {
    std::mt19937 rng(11);
    const char alphabet[] = {'a', '\r', '\n', '\x82', '\xA0', ' '};
    for (std::size_t block : {1u, 2u, 3u, 16u, 17u, 20480u}) {
        for (const char* ending : {"CR+LF", "CR", "LF"}) {
            std::string in;
            std::size_t size = 20480 + rng() % 100;
            for (std::size_t i = 0; i < size; ++i) in += alphabet[rng() % sizeof alphabet];
            blockSize = block;
            std::string bytes =
                std::string(ending) == "CR+LF" ? "\r\n" : (ending[0] == 'C' ? "\r" : "\n");
            EXPECT_BYTES_EQ(referenceCrlf(in, bytes), convert(in, ending))
                << "block " << block << " ending " << ending;
        }
    }
}

TEST_F(TranCrlfTest, UpperCasesTheCallersNameAndRefusesUnknownNamesBeforeTouchingFiles) {
    std::string input = dir.write("in.txt", "a\nb");
    EngineContext ctx = context();
    std::string ending = "Lf";
    EXPECT_TRUE(ran(tranCrlf(input, dir.file("out.txt"), ending, ctx)));
    EXPECT_EQ("LF", ending);

    for (std::string bad : {"cr lf", "CR LF", "", "CRLF "}) {
        failures.clear();
        std::string output = dir.file("untouched.txt");
        EXPECT_FALSE(ran(tranCrlf(dir.file("missing.txt"), output, bad, ctx)));
        EXPECT_EQ(Failure(FailureKind::RefusedArgument, "", FailureSubject::LineEnding, bad),
                  onlyFailure());
        EXPECT_FALSE(files.fileExists(output));
    }
}

TEST_F(TranCrlfTest, EmptyInputGivesEmptyOutput) {
    EXPECT_EQ("", convert("", "CR"));
}

TEST(DetectLineEnding, TellsTheFirstBreak) {
    TempDir dir;
    EXPECT_EQ(kNoFile, detectLineEnding(dir.file("none")));
    EXPECT_EQ(kNoLineBreak, detectLineEnding(dir.write("empty", "")));
    EXPECT_EQ(kNoLineBreak, detectLineEnding(dir.write("plain", "abc")));
    EXPECT_EQ(kCrLf, detectLineEnding(dir.write("crlf", "ab\r\ncd\n")));
    EXPECT_EQ(kCr, detectLineEnding(dir.write("cr", "ab\rcd\r\n")));
    EXPECT_EQ(kLf, detectLineEnding(dir.write("lf", "ab\ncd\r\n")));
    EXPECT_EQ(kCr, detectLineEnding(dir.write("last-cr", std::string(99, 'x') + "\r")));
    EXPECT_EQ(kUndetermined, detectLineEnding(dir.write("long", std::string(20480, 'x') + "\n")));
    EXPECT_EQ(kLf, detectLineEnding(dir.write("late", std::string(20479, 'x') + "\n")));
    EXPECT_EQ(kNoFile, detectLineEnding(dir.path()));  // a folder is no file
}

}  // namespace
}  // namespace sorvek::testing
