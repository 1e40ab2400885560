// Telling EBCDIC records from Shift-JIS text, and IBM930 from IBM939, on records made from the
// same customer list through each page.
#include "engine/ebcdic_guess.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"

namespace sorvek::testing {
namespace {

// Records of a customer list: a number, a name in half-width katakana, an address, a packed
// amount; `latin` adds a name in Latin letters of both cases.
std::string records(InputCodePage page, bool latin) {
    const EbcdicDecoder& decoder = EbcdicDecoder::get(page);
    const char* names[] = {"ﾔﾏﾀﾞ ﾀﾛｳ", "ｽｽﾞｷ ﾊﾅｺ", "ｶﾌﾞｼｷｶﾞｲｼｬ ﾎｸｾｲ ｼｮｳｼﾞ", "ｻﾄｳ ｹﾝｲﾁ"};
    std::string out;
    int number = 1;
    for (const char* name : names) {
        std::string text = "00" + std::to_string(number++) + " " + name + " TOKYO 03-1234-5678";
        if (latin) text += " Shinagawa-ku Tokyo";
        const std::string bytes = decoder.fromUtf8(text);
        EXPECT_FALSE(bytes.empty()) << text;
        out += bytes + std::string(40 - bytes.size() % 40, '\x40') + "\x00\x12\x34\x5C";
    }
    return out;
}

EbcdicGuess guess(const std::string& bytes) {
    return guessEbcdic(
        std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

TEST(EbcdicGuess, TellsTheJapanesePageByItsKatakanaAndLatinLetters) {
    const EbcdicGuess on930 = guess(records(InputCodePage::Ibm930, false));
    EXPECT_TRUE(on930.looksEbcdic);
    EXPECT_EQ(InputCodePage::Ibm930, on930.japanesePage);

    const EbcdicGuess on939 = guess(records(InputCodePage::Ibm939, false));
    EXPECT_TRUE(on939.looksEbcdic);
    EXPECT_EQ(InputCodePage::Ibm939, on939.japanesePage);
    // Lower-case letters beside the katakana: only IBM939 has both at once.
    EXPECT_EQ(InputCodePage::Ibm939, guess(records(InputCodePage::Ibm939, true)).japanesePage);

    // Digits and capitals alone read alike on both pages.
    const EbcdicGuess digits =
        guess(EbcdicDecoder::get(InputCodePage::Ibm930)
                  .fromUtf8("0001 ABC 0002 DEF 0003 GHI 0004 JKL 0005 MNO 0006 PQR 0007 STU"));
    EXPECT_TRUE(digits.looksEbcdic);
    EXPECT_EQ(std::nullopt, digits.japanesePage);
}

TEST(EbcdicGuess, ShiftJisTextAndItsFullWidthBlanksAreNoEbcdic) {
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += utf8ToCp932("0001,ﾔﾏﾀﾞ ﾀﾛｳ,山田　太郎　　　,東京都品川区　１２３,12345\r\n");
    }
    EXPECT_EQ(EbcdicGuess{}, guess(text));
    EXPECT_EQ(EbcdicGuess{}, guess(""));
    // Records of full-width text padded with full-width blanks (81 40), without one ASCII byte.
    std::string records;
    for (int i = 0; i < 40; ++i)
        records += utf8ToCp932("山田　太郎　　　　　東京都　品川区　　　　");
    EXPECT_FALSE(guess(records).looksEbcdic);
}

}  // namespace
}  // namespace sorvek::testing
