#include "platform/half_width.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codepage.h"

namespace sorvek::testing {
namespace {

std::string halfWidth(std::string_view text, bool upperCase = false) {
    std::string out;
    const std::size_t bad = appendHalfWidth(text, upperCase, out);
    EXPECT_EQ(kAllHalfWidth, bad) << text;
    return out;
}

// The syllabary row by row in full width and its half-width form as a bank transfer file
// writes it; the hiragana are the same rows 0x60 below.
struct Row {
    const char* full;
    const char* half;
};
constexpr Row kRows[] = {
    {"アイウエオ", "ｱｲｳｴｵ"},
    {"ァィゥェォ", "ｧｨｩｪｫ"},
    {"カキクケコ", "ｶｷｸｹｺ"},
    {"ガギグゲゴ", "ｶﾞｷﾞｸﾞｹﾞｺﾞ"},
    {"サシスセソ", "ｻｼｽｾｿ"},
    {"ザジズゼゾ", "ｻﾞｼﾞｽﾞｾﾞｿﾞ"},
    {"タチツテト", "ﾀﾁﾂﾃﾄ"},
    {"ダヂヅデド", "ﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ"},
    {"ッ", "ｯ"},
    {"ナニヌネノ", "ﾅﾆﾇﾈﾉ"},
    {"ハヒフヘホ", "ﾊﾋﾌﾍﾎ"},
    {"バビブベボ", "ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ"},
    {"パピプペポ", "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"},
    {"マミムメモ", "ﾏﾐﾑﾒﾓ"},
    {"ヤユヨ", "ﾔﾕﾖ"},
    {"ャュョ", "ｬｭｮ"},
    {"ラリルレロ", "ﾗﾘﾙﾚﾛ"},
    {"ワヲン", "ﾜｦﾝ"},
};
// Kana from ア to ン that have no half-width form.
constexpr const char* kWithoutForm[] = {"ヮ", "ヰ", "ヱ"};

std::u32string hiragana(std::u32string katakana) {
    for (char32_t& c : katakana) c -= 0x60;
    return katakana;
}

TEST(HalfWidth, EveryKanaFromAToNBecomesItsHalfWidthFormOrIsRefused) {
    std::set<char32_t> seen;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.full);
        const std::u32string katakana = toCodePoints(row.full);
        seen.insert(katakana.begin(), katakana.end());
        EXPECT_EQ(row.half, halfWidth(row.full));
        EXPECT_EQ(row.half, halfWidth(fromCodePoints(hiragana(katakana))));
    }
    for (const char* kana : kWithoutForm) {
        SCOPED_TRACE(kana);
        const std::u32string katakana = toCodePoints(kana);
        seen.insert(katakana[0]);
        for (const std::string& text : {std::string(kana), fromCodePoints(hiragana(katakana))}) {
            std::string out = "ｱ";
            EXPECT_EQ(0u, appendHalfWidth(text, false, out));
            EXPECT_EQ("ｱ", out);
        }
    }
    // The rows cover the whole range, so that no kana is left untested.
    for (char32_t c = U'ア'; c <= U'ン'; ++c)
        EXPECT_TRUE(seen.count(c)) << std::hex << static_cast<std::uint32_t>(c);

    // The kana beyond ン, the marks, and the full-width forms of ASCII.
    EXPECT_EQ("ｳﾞﾜﾞｦﾞｳﾞ", halfWidth("ヴヷヺゔ"));
    EXPECT_EQ("ｰ･ﾞﾟｶﾞﾊﾟ｢｣､｡", halfWidth("ー・゛゜カ\u3099ハ\u309A「」、。"));
    EXPECT_EQ("ABZ abz 019 !(~)\\----", halfWidth("ＡＢＺ　ａｂｚ　０１９　！（～）￥－−‐―"));
    EXPECT_EQ("ABZ ABZ ZZ", halfWidth("ＡＢＺ ａｂｚ zｚ", true));
    // One byte already: as it is (the upper-case flag aside).
    EXPECT_EQ("ab-1 ｱｲﾞ\\~\t", halfWidth("ab-1 ｱｲﾞ\\~\t"));
    EXPECT_EQ("AB-1 ｱｲﾞ", halfWidth("ab-1 ｱｲﾞ", true));
    EXPECT_EQ("", halfWidth(""));
}

TEST(HalfWidth, TheFirstCharacterWithoutAFormIsReportedWithWhatCameBefore) {
    struct Case {
        std::string text;
        std::size_t at;
        std::string before;
    };
    const Case cases[] = {
        {"ヤマダ漢字", 9, "ﾔﾏﾀﾞ"}, {"ｱ①", 3, "ｱ"},          {"ヶ", 0, ""},
        {"ab é", 3, "ab "},        {"ａ\xFF", 3, "a"},      {"ＡＢ\xE3\x82", 6, "AB"},
        {"カ〒", 3, "ｶ"},          {"\xEF\xBF\xA1", 0, ""},  // ￡
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out;
        EXPECT_EQ(c.at, appendHalfWidth(c.text, false, out));
        EXPECT_EQ(c.before, out);
    }
    // Every character of the result is one byte in Shift-JIS.
    const std::string all = halfWidth("アガパヴァーＡａ１（￥　、。「」・");
    EXPECT_EQ(characterCount(all), utf8ToCp932(all).size());
    EXPECT_EQ(cp932ToUtf8(utf8ToCp932(all)), all);
}

}  // namespace
}  // namespace sorvek::testing
