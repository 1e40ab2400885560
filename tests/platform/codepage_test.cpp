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

TEST(Codepage, LongTextsConvertWholeWhereverTheyHoldWhatCannotBeConverted) {
    // Millions of characters CP932 cannot hold, and sequences that pieces of input cut in two.
    std::string text;
    std::string expected;
    for (int i = 0; i < 300000; ++i) {
        text += i % 3 == 0 ? "\xEF\xBF\xBD" : "受";
        expected += i % 3 == 0 ? "?" : "\x8E\xF3";
    }
    EXPECT_EQ(expected, utf8ToCp932(text));
    EXPECT_EQ(std::string(300000 * 2, 'x'),
              utf8ToCp932(std::string(300000 * 2, 'x')));  // the ASCII way
    const std::string sjis = utf8ToCp932(std::string(5000, 'a') + std::string(3000, '\xC3') + "受");
    EXPECT_EQ(5000u + 3000u + 2u, sjis.size());
    EXPECT_EQ("\x8E\xF3", sjis.substr(sjis.size() - 2));
}

TEST(Codepage, DefinitionTextsWrittenAsUtf8AreTold) {
    const std::string orderUtf8 =
        "[File Property]\r\nName=受注データ\r\nField_1=数量,9,2,9,0,-1,\r\n";
    const struct {
        std::string bytes;
        TextEncoding encoding;
        std::string text;
    } cases[] = {
        {"Name=orders\r\n", TextEncoding::Cp932, "Name=orders\r\n"},
        {utf8ToCp932(orderUtf8), TextEncoding::Cp932, orderUtf8},
        {orderUtf8, TextEncoding::Utf8, orderUtf8},
        {"\xEF\xBB\xBF" + orderUtf8, TextEncoding::Utf8, orderUtf8},
        {"\xEF\xBB\xBFName=x\r\n", TextEncoding::Utf8, "Name=x\r\n"},
        // Valid in both: the bytes of "受注" in UTF-8 are also CP932 ("蜿玲ｳｨ").
        {"受注", TextEncoding::Cp932, "蜿玲ｳｨ"},
        // A malformed sequence after a byte-order mark becomes U+FFFD.
        {"\xEF\xBB\xBF"
         "a\xFF"
         "b",
         TextEncoding::Utf8,
         "a\xEF\xBF\xBD"
         "b"},
        // Overlong forms and surrogates are no UTF-8.
        {"\xC0\xAF"
         "a\x8E\xF3",
         TextEncoding::Cp932,
         cp932ToUtf8("\xC0\xAF"
                     "a\x8E\xF3")},
        {"\xED\xA0\x80", TextEncoding::Cp932, cp932ToUtf8("\xED\xA0\x80")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.encoding, detectTextEncoding(c.bytes)) << c.text;
        EXPECT_EQ(c.text, decodeText(c.bytes, c.encoding)) << c.text;
    }
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
    const Cp932Decoder& decoder = Cp932Decoder::get();
    // A text that ends inside a character must not leave its state to the next one.
    for (const char* bytes : {"\x8E\xF3\x92\x8D", "ab\x82", "\x82\xA0", "plain", "\xB1\xB2", ""}) {
        EXPECT_EQ(cp932ToUtf8(bytes), decoder.decode(bytes)) << bytes;
    }
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

// Long stretches of ASCII, read many bytes at a time, end wherever the text resumes: at every
// length, after every lead, with a character, a stray lead byte or the end right after them.
TEST(Cp932Decoder, StretchesOfAsciiOfAnyLengthEndWhereTheTextResumes) {
    const std::string text = utf8ToCp932("受ﾊ");
    const std::string afters[] = {text, "\x81", "\xFF" + text, ""};
    for (std::size_t lead = 0; lead < 3; ++lead) {
        for (std::size_t length = 0; length < 200; ++length) {
            for (const std::string& after : afters) {
                std::string in = text.substr(0, lead);
                for (std::size_t i = 0; i < length; ++i) in += static_cast<char>('!' + i % 90);
                in += after + "0123456789";
                std::string out(Cp932Decoder::kMaxGrowth * in.size() + Cp932Decoder::kSlack, '#');
                char* end = Cp932Decoder::get().decode(
                    reinterpret_cast<const unsigned char*>(in.data()), in.size(), out.data());
                out.resize(static_cast<std::size_t>(end - out.data()));
                ASSERT_EQ(cp932ToUtf8(in), out) << lead << " " << length << " " << after.size();
            }
        }
    }
}

// Random bytes that make every case likely: characters of each width, stray lead bytes, trail
// bytes in the ASCII range, blanks of both widths.
std::string awkwardBytes(std::mt19937& rng, std::size_t length) {
    static const std::string text = utf8ToCp932("受注データ　ﾊﾞｰｼﾞｮﾝ①髙 order-0123 ポ|ソ\\表");
    std::string in;
    while (in.size() < length) {
        switch (rng() % 5) {
            case 0:
                in += static_cast<char>(rng() % 256);
                break;
            case 1:
                in += static_cast<char>(0x81 + rng() % 0x7C);
                break;
            case 2:
                in += rng() % 2 ? " " : "\x81\x40";
                break;
            default:
                in += text.substr(rng() % text.size(), rng() % 12);
                break;
        }
    }
    return in;
}

std::string decoded(const std::string& in) {
    std::string out(Cp932Decoder::kMaxGrowth * in.size() + Cp932Decoder::kSlack, '#');
    char* end = Cp932Decoder::get().decode(reinterpret_cast<const unsigned char*>(in.data()),
                                           in.size(), out.data());
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

// Text cut at the bytes that stand alone decodes piece by piece as it decodes whole, which the
// record-to-CSV output relies on when it quotes and trims in CP932 and decodes whole lines.
TEST(Cp932Decoder, TextCutAtBytesThatStandAloneDecodesAlike) {
    const Cp932Decoder& decoder = Cp932Decoder::get();
    for (unsigned char c : std::string("\"\r\n ,;\t:")) {
        EXPECT_TRUE(decoder.standsAlone(c)) << int{c};
    }
    // Trail bytes of pairs ("ポ" is 83 7C), and what is no ASCII.
    for (unsigned char c : std::string("|@A\\~\x80\xA0\xFF")) {
        EXPECT_FALSE(decoder.standsAlone(c)) << int{c};
    }
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        const std::string left = awkwardBytes(rng, rng() % 40);
        const std::string right = awkwardBytes(rng, rng() % 40);
        for (char c : {'"', '\r', '\n', ',', '\t'}) {
            ASSERT_EQ(decoded(left) + c + decoded(right), decoded(left + c + right))
                << "round " << round;
        }
    }
}

TEST(Cp932Decoder, TrailingBlanksAreCutAsTheTextIsRead) {
    const Cp932Decoder& decoder = Cp932Decoder::get();
    const struct {
        std::string bytes;
        std::size_t kept;
    } cases[] = {
        {"", 0},
        {"   ", 0},
        {"ab  ", 2},
        {"ab\x81\x40 \x81\x40", 2},
        {"\x81\x40", 0},
        // 83 81 is "メ": the 81 40 after it is "@" and a byte, no blank.
        {"\x83\x81\x40", 3},
        // 85 81 is no character: 85 stands for itself, and 81 40 is a blank.
        {"\x85\x81\x40", 1},
        {"a\x81", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.kept,
                  decoder.withoutTrailingBlanks(
                      reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()))
            << c.bytes;
    }
    // What is kept decodes to the whole text's UTF-8 without its trailing blanks.
    std::mt19937 rng(13);
    for (int round = 0; round < 3000; ++round) {
        const std::string in = awkwardBytes(rng, rng() % 40);
        std::u32string text = toCodePoints(decoded(in));
        while (!text.empty() && (text.back() == U' ' || text.back() == U'\u3000')) text.pop_back();
        const std::size_t kept = decoder.withoutTrailingBlanks(
            reinterpret_cast<const unsigned char*>(in.data()), in.size());
        ASSERT_EQ(fromCodePoints(text), decoded(in.substr(0, kept))) << "round " << round;
    }
}

}  // namespace
}  // namespace sorvek
