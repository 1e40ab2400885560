#include "platform/ebcdic_decoder.h"
#include "platform/one_byte_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace sorvek {
namespace {

// The byte sequences and their texts below are written out by hand from the code pages' tables,
// so that the decoder is held to the pages themselves and not only to the converter it is
// built from.

std::string decode(InputCodePage page, const std::string& bytes, TextTarget target,
                   bool trim = false, bool doubleByteField = false) {
    const EbcdicDecoder& decoder = EbcdicDecoder::get(page);
    std::string out(EbcdicDecoder::kMaxGrowth * bytes.size() + EbcdicDecoder::kSlack, '\0');
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    char* end = doubleByteField
                    ? decoder.decodeDoubleByte(in, bytes.size(), target, trim, out.data())
                    : decoder.decodeText(in, bytes.size(), target, trim, out.data());
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

struct TextCase {
    const char* what;
    InputCodePage page;
    std::string bytes;
    std::string utf8;
    std::string cp932;
};

class EbcdicText : public ::testing::TestWithParam<TextCase> {};

TEST_P(EbcdicText, DecodesToUtf8AndShiftJis) {
    const TextCase& c = GetParam();
    EXPECT_EQ(c.utf8, decode(c.page, c.bytes, TextTarget::Utf8)) << c.what;
    EXPECT_EQ(c.cp932, decode(c.page, c.bytes, TextTarget::Cp932)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, EbcdicText,
    ::testing::Values(
        // One-byte katakana, capital letters and digits of the Japanese katakana page.
        TextCase{"930 katakana", InputCodePage::Ibm930, "\x81\x82\x83\x40\xC1\xC2\xF0\xF9",
                 "ｱｲｳ AB09", "\xB1\xB2\xB3 AB09"},
        // Its small letters lie elsewhere than on the Latin pages.
        TextCase{"930 small letters", InputCodePage::Ibm930, "\x62\x63\x64", "abc", "abc"},
        // 日本 between shift-out and shift-in: the two shift bytes become blanks at the end, so
        // the Shift-JIS text keeps the field's eight bytes.
        TextCase{"930 kanji run", InputCodePage::Ibm930, "\xC1\x0E\x45\x62\x45\x66\x0F\xC2",
                 "A日本B  ",
                 "A\x93\xFA\x96\x7B"
                 "B  "},
        // The same on the Latin page: small letters where the Latin pages have them.
        TextCase{"939 kanji run", InputCodePage::Ibm939, "\x81\x0E\x45\x62\x45\x66\x0F\x82",
                 "a日本b  ",
                 "a\x93\xFA\x96\x7B"
                 "b  "},
        // A field that ends inside double-byte text: closed there, the shift-out a blank.
        TextCase{"930 no shift-in", InputCodePage::Ibm930, "\x0E\x45\x62", "日 ", "\x93\xFA "},
        // ... and one that cuts the second character in two: the cut byte is a blank too.
        TextCase{"930 cut character", InputCodePage::Ibm930, "\x0E\x45\x62\x45", "日  ",
                 "\x93\xFA  "},
        // Full-width letters (42 and the letter's one-byte code), the ideographic blank 40 40,
        // full-width katakana and the long vowel mark.
        TextCase{"930 full width", InputCodePage::Ibm930,
                 "\x0E\x42\xC1\x42\xF0\x40\x40\x43\x81\x43\x58\x0F", "Ａ０　アー  ",
                 "\x82\x60\x82\x4F\x81\x40\x83\x41\x81\x5B  "},
        TextCase{"939 letters", InputCodePage::Ibm939, "\x81\x82\xC1\xAD\xBD\xB0", "abA[]^",
                 "abA[]^"},
        TextCase{"037 letters", InputCodePage::Ibm037, "\x81\xC1\xBA\xBB\xB0\x5A\x4F\x7F\x6B",
                 "aA[]^!|\",", "aA[]^!|\","},
        // 1047 has the brackets and the circumflex at other bytes than 037.
        TextCase{"1047 letters", InputCodePage::Ibm1047, "\x81\xC1\xAD\xBD\x5F", "aA[]^", "aA[]^"},
        // The cent sign: Shift-JIS has it as a double-byte character only.
        TextCase{"037 cent", InputCodePage::Ibm037, "\x4A", "¢", "\x81\x91"},
        // On a Latin page 0E and 0F are no shift bytes but control characters.
        TextCase{"037 no shifts", InputCodePage::Ibm037, "\x0E\xC1\x0F",
                 "\x0E"
                 "A\x0F",
                 "\x0E"
                 "A\x0F"},
        // A byte that is no character of the page.
        TextCase{"930 no character", InputCodePage::Ibm930, "\xC1\x6A", "A\xEF\xBF\xBD", "A?"}));

TEST(EbcdicDecoder, TrimmingLeavesOutBlanksNulsAndTheShiftBlanks) {
    // Host files pad text with NULs as often as with blanks.
    EXPECT_EQ("AB", decode(InputCodePage::Ibm037, "\xC1\xC2\x40\x00\x00", TextTarget::Utf8, true));
    EXPECT_EQ("AB", decode(InputCodePage::Ibm037, "\xC1\xC2\x40\x00\x00", TextTarget::Cp932, true));
    EXPECT_EQ("A B", decode(InputCodePage::Ibm037, "\xC1\x40\xC2\x40", TextTarget::Cp932, true));
    // A full-width blank after the last character goes, and so do the shift blanks.
    EXPECT_EQ("Ａ", decode(InputCodePage::Ibm930, "\x0E\x42\xC1\x40\x40\x0F\x40", TextTarget::Utf8,
                           true));
    EXPECT_EQ("\x82\x60", decode(InputCodePage::Ibm930, "\x0E\x42\xC1\x40\x40\x0F\x40",
                                 TextTarget::Cp932, true));
    EXPECT_EQ("",
              decode(InputCodePage::Ibm930, "\x40\x00\x0E\x40\x40\x0F", TextTarget::Utf8, true));
}

TEST(EbcdicDecoder, DoubleByteFieldsHoldPairsWithoutShiftBytes) {
    EXPECT_EQ("日本",
              decode(InputCodePage::Ibm930, "\x45\x62\x45\x66", TextTarget::Utf8, false, true));
    EXPECT_EQ("\x93\xFA\x96\x7B",
              decode(InputCodePage::Ibm939, "\x45\x62\x45\x66", TextTarget::Cp932, false, true));
    // An odd last byte is no character.
    EXPECT_EQ("日 ", decode(InputCodePage::Ibm930, "\x45\x62\x45", TextTarget::Utf8, false, true));
    EXPECT_EQ("日",
              decode(InputCodePage::Ibm930, "\x45\x62\x40\x40", TextTarget::Utf8, true, true));
}

// Text fields read one character at a time, by the rules the decoder states, from what it
// gives for a lone character: the runs of one kind of character it reads in one go must give
// the same.
std::string decodeByCharacter(InputCodePage page, const std::string& bytes, TextTarget target,
                              bool trim, bool doubleByteField) {
    const bool shiftBytes = !doubleByteField && EbcdicDecoder::get(page).doubleByte();
    bool shifted = doubleByteField && EbcdicDecoder::get(page).doubleByte();
    std::string out;
    std::size_t kept = 0;  // the end of the last character that trimming keeps
    std::size_t blanks = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[at]);
        if (shiftBytes && (b == EbcdicDecoder::kShiftOut || b == EbcdicDecoder::kShiftIn)) {
            shifted = b == EbcdicDecoder::kShiftOut;
            ++blanks;
            ++at;
            continue;
        }
        std::string c;
        if (shifted && at + 1 == bytes.size()) {
            ++blanks;
            break;
        }
        c = decode(page, bytes.substr(at, shifted ? 2 : 1), target, false, shifted);
        at += shifted ? 2 : 1;
        out += c;
        if (c != " " && c != std::string(1, '\0') && c != "\xE3\x80\x80" && c != "\x81\x40") {
            kept = out.size();
        }
    }
    return trim ? out.substr(0, kept) : out + std::string(blanks, ' ');
}

TEST(EbcdicDecoder, ReadsRunsAsItReadsCharacters) {
    // Bytes that make one-byte and double-byte characters, blanks, NULs, shift bytes, a byte
    // that is no character, and characters Shift-JIS holds in two bytes.
    const unsigned char alphabet[] = {0x0E, 0x0F, 0x40, 0x00, 0xC1, 0x81, 0x45, 0x62,
                                      0x42, 0x6A, 0x4A, 0x5F, 0xF1, 0x66, 0x43};
    std::mt19937 random(11);
    for (InputCodePage page :
         {InputCodePage::Ibm930, InputCodePage::Ibm939, InputCodePage::Ibm037}) {
        for (int round = 0; round < 600; ++round) {
            std::string bytes;
            for (std::size_t length = random() % 24; bytes.size() < length;) {
                const std::size_t pick = random() % (sizeof alphabet + 1);
                // Now and then a run of blanks, as host text is padded.
                bytes += pick == sizeof alphabet
                             ? std::string(8 + random() % 10, '\x40')
                             : std::string(1, static_cast<char>(alphabet[pick]));
            }
            for (TextTarget target : {TextTarget::Utf8, TextTarget::Cp932}) {
                for (bool trim : {false, true}) {
                    for (bool doubleByteField : {false, true}) {
                        EXPECT_EQ(decodeByCharacter(page, bytes, target, trim, doubleByteField),
                                  decode(page, bytes, target, trim, doubleByteField))
                            << ::testing::PrintToString(bytes) << " trim " << trim
                            << " double-byte field " << doubleByteField;
                    }
                }
            }
        }
    }
}

TEST(EbcdicDecoder, TellsHowATextFieldEnds) {
    const EbcdicDecoder& d = EbcdicDecoder::get(InputCodePage::Ibm930);
    auto end = [&](const std::string& b) {
        const auto e = d.textEnd(reinterpret_cast<const unsigned char*>(b.data()), b.size());
        return std::pair(e.insideDoubleByte, e.cutCharacter);
    };
    EXPECT_EQ(std::pair(false, false), end("\xC1\x0E\x45\x62\x0F"));
    EXPECT_EQ(std::pair(true, false), end("\xC1\x0E\x45\x62"));
    EXPECT_EQ(std::pair(true, true), end("\x0E\x45\x62\x45"));
    EXPECT_EQ(std::pair(false, false), end("\xC1\xC2"));
}

TEST(EbcdicDecoder, EncodesClassCodesInThePage) {
    EXPECT_EQ("\xC8\xF1", EbcdicDecoder::get(InputCodePage::Ibm037).fromUtf8("H1"));
    EXPECT_EQ("\x81", EbcdicDecoder::get(InputCodePage::Ibm930).fromUtf8("ｱ"));
    EXPECT_EQ("\x81", EbcdicDecoder::get(InputCodePage::Ibm939).fromUtf8("a"));
    EXPECT_EQ("\x0E\x45\x62\x0F", EbcdicDecoder::get(InputCodePage::Ibm930).fromUtf8("日"));
    EXPECT_EQ("", EbcdicDecoder::get(InputCodePage::Ibm037).fromUtf8("日"));
}

TEST(InputCodePage, NamesInAnyLetterCase) {
    EXPECT_EQ(InputCodePage::Ibm930, parseInputCodePage("ibm930"));
    EXPECT_EQ(InputCodePage::Cp932, parseInputCodePage("CP932"));
    EXPECT_EQ(InputCodePage::Ibm1047, parseInputCodePage("Ibm1047"));
    EXPECT_FALSE(parseInputCodePage("IBM500"));
    EXPECT_FALSE(parseInputCodePage(""));
    EXPECT_EQ("IBM037", inputCodePageName(InputCodePage::Ibm037));
    EXPECT_EQ("CP932|IBM930|IBM939|IBM037|IBM1047", inputCodePageNameList());
}

}  // namespace
}  // namespace sorvek

namespace sorvek {
namespace {

// The translation of a field's start, 64 bytes a step where the processor allows: what a byte
// loop gives, at every length and with the first special byte anywhere, and nothing written
// after it.
TEST(OneByteText, TranslatesUpToTheFirstSpecialByteAtAnyLength) {
    std::mt19937 random(13);
    OneByteTable table;
    for (int b = 0; b < 256; ++b) {
        table.bytes[b] = static_cast<unsigned char>(random());
        table.special[b] = random() % 8 == 0 ? 1 : 0;
    }
    for (std::size_t length = 0; length <= 200; ++length) {
        for (int round = 0; round < 4; ++round) {
            std::vector<unsigned char> in(length);
            for (unsigned char& b : in) {
                do {
                    b = static_cast<unsigned char>(random());
                } while (table.special[b] != 0 && round != 3);
            }
            if (length > 0 && round < 2) {
                // A special byte somewhere, or none at all.
                for (int b = 0; b < 256; ++b) {
                    if (table.special[b] != 0) {
                        in[random() % length] = static_cast<unsigned char>(b);
                        break;
                    }
                }
            }
            std::string expected(length + 8, '#');
            std::size_t n = 0;
            for (; n < length && table.special[in[n]] == 0; ++n)
                expected[n] = static_cast<char>(table.bytes[in[n]]);
            std::string out(length + 8, '#');
            EXPECT_EQ(n, translateOneByteText(in.data(), length, table, out.data())) << length;
            EXPECT_EQ(expected, out) << length;
        }
    }
}

}  // namespace
}  // namespace sorvek
