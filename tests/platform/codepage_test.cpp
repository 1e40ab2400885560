#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <random>

namespace sorvek {
namespace {

TEST(Codepage, ShiftJisAndUtf8RoundTrip) {
    // "受注データ" and a backslash, which CP932 keeps at 0x5C.
    const std::string sjis = "\x8E\xF3\x92\x8D\x83\x66\x81\x5B\x83\x5E\\";
    const std::string utf8 = "受注データ\\";
    EXPECT_EQ(utf8, cp932ToUtf8(sjis));
    EXPECT_EQ(sjis, utf8ToCp932(utf8));
    // Half-width katakana and the NEC and IBM extensions of CP932.
    EXPECT_EQ("ﾊﾞｰｼﾞｮﾝ①髙", cp932ToUtf8(utf8ToCp932("ﾊﾞｰｼﾞｮﾝ①髙")));
}

TEST(Codepage, CharactersCp932CannotHoldBecomeQuestionMarks) {
    EXPECT_EQ("a?b", utf8ToCp932("a😀b"));
    EXPECT_EQ("a?b", utf8ToCp932("a\xC3\xA9"
                                 "b"));  // é has no CP932 code
    EXPECT_EQ("a?b", utf8ToCp932("a\xFF"
                                 "b"));  // malformed UTF-8
}

TEST(Codepage, StrayBytesNeverFailReading) {
    // A lead byte followed by a byte that cannot trail, and a lead byte at the very end.
    EXPECT_EQ(
        "\xEF\xBF\xBD"
        " x",
        cp932ToUtf8("\x82 x"));
    EXPECT_EQ("ab\xEF\xBF\xBD", cp932ToUtf8("ab\x82"));
}

TEST(Codepage, CountsAndCutsCharactersNotBytes) {
    EXPECT_EQ(3u, characterCount("aあ😀"));
    EXPECT_EQ(U"aあ", toCodePoints("aあ"));
    EXPECT_EQ("aあ", fromCodePoints(U"aあ"));
    EXPECT_EQ("ABC+あ", asciiUpper("abC+あ"));
}

}  // namespace
}  // namespace sorvek

namespace sorvek {
namespace {

// The table decoder gives what the converter gives, byte for byte, on any bytes: text of every
// kind, stray lead bytes, pieces that cut characters in two, at every length and offset.
TEST(Cp932Decoder, MatchesTheConverterOnAnyBytes) {
    const Cp932Decoder& decoder = Cp932Decoder::get();
    const std::string text = utf8ToCp932("受注データ　ﾊﾞｰｼﾞｮﾝ①髙 order-0123 ポ|ソ\\表");
    std::mt19937 rng(5);
    for (int round = 0; round < 3000; ++round) {
        std::string in;
        const std::size_t length = rng() % 150;
        while (in.size() < length) {
            switch (rng() % 4) {
                case 0:
                    in += static_cast<char>(rng() % 256);
                    break;
                case 1:
                    in += static_cast<char>(0x81 + rng() % 0x7C);
                    break;
                default:
                    in += text.substr(rng() % text.size(), rng() % 12);
                    break;
            }
        }
        std::string out(Cp932Decoder::kMaxGrowth * in.size() + Cp932Decoder::kSlack, '#');
        char* end = decoder.decode(reinterpret_cast<const unsigned char*>(in.data()), in.size(),
                                   out.data());
        out.resize(static_cast<std::size_t>(end - out.data()));
        ASSERT_EQ(cp932ToUtf8(in), out) << "round " << round;
    }
}

}  // namespace
}  // namespace sorvek
