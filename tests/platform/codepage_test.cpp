#include "platform/codepage.h"

#include <gtest/gtest.h>

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

TEST(Codepage, ADecoderUsedAgainAndAgainGivesWhatEachDecodingGives) {
    Cp932Decoder decoder;
    // A text that ends inside a character must not leave its state to the next one.
    for (const char* bytes : {"\x8E\xF3\x92\x8D", "ab\x82", "\x82\xA0", "plain", "\xB1\xB2", ""}) {
        EXPECT_EQ(cp932ToUtf8(bytes), decoder.decode(bytes)) << bytes;
    }
}

}  // namespace
}  // namespace sorvek
