// Record-length suggestions on files made for the purpose: lines of one length, fixed-length
// records with a class code, a stray byte at the end, and bytes without any structure.
#include "engine/record_length_hints.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace sorvek::testing {
namespace {

std::vector<RecordLengthSuggestion> suggest(const std::string& file) {
    const auto* p = reinterpret_cast<const unsigned char*>(file.data());
    const std::size_t head = std::min<std::size_t>(file.size(), 256 * 1024);
    return suggestRecordLengthsFromHead({p, head}, static_cast<std::int64_t>(file.size()));
}

// Records of `length` bytes: a class code H or D, a number, a name padded with blanks and a
// packed amount, like the data the program is for.
std::string records(std::size_t length, int count, std::mt19937& rng) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string r(length, ' ');
        r[0] = rng() % 4 == 0 ? 'H' : 'D';
        for (std::size_t j = 1; j < 7; ++j) r[j] = static_cast<char>('0' + rng() % 10);
        for (std::size_t j = 8; j < 8 + rng() % 10; ++j) r[j] = static_cast<char>('A' + rng() % 26);
        r[length - 3] = static_cast<char>(rng() % 256);
        r[length - 2] = static_cast<char>(rng() % 256);
        r[length - 1] = '\x0C';
        out += r;
    }
    return out;
}

// Records whose first byte holds one kind throughout ("2", then a bank code "0001" and a branch
// "1" or "3"), or EBCDIC class codes: the note names the first byte, not a digit of a number.
TEST(RecordLengthHints, ClassCodeOfOneKindOrInEbcdicIsTheFirstByte) {
    std::mt19937 rng(5);
    for (const bool ebcdic : {false, true}) {
        std::string file;
        for (int i = 0; i < 100; ++i) {
            std::string r(120, ebcdic ? '\x40' : ' ');
            const std::string code = std::string(1, ebcdic && i == 0 ? '1' : '2') + "0001" +
                                     (rng() % 2 == 0 ? "1" : "3") + std::to_string(100 + i);
            for (std::size_t j = 0; j < code.size(); ++j) {
                r[j] = ebcdic ? static_cast<char>(0xF0 + (code[j] - '0')) : code[j];
            }
            r[118] = static_cast<char>(rng() % 256);
            file += r;
        }
        const auto s = suggest(file);
        ASSERT_FALSE(s.empty()) << ebcdic;
        EXPECT_EQ(120, s[0].length);
        EXPECT_NE(std::string::npos,
                  s[0].reason.find(ebcdic ? "1 バイト目に識別区分らしい値 (F1, F2)"
                                          : "1 バイト目に識別区分らしい値 (2)"))
            << s[0].reason;
    }
}

TEST(RecordLengthHints, LinesOfOneLengthSuggestThatLengthWithoutTheBreak) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += std::string(72, 'a' + i % 26) + "\r\n";
    const auto s = suggest(text);
    ASSERT_EQ(1u, s.size());
    EXPECT_EQ(72, s[0].length);
    EXPECT_EQ("全 50 行が 72 バイト (改行を除く)", s[0].reason);
}

TEST(RecordLengthHints, FixedLengthRecordsSuggestTheirLengthAndTheClassCodeColumn) {
    std::mt19937 rng(3);
    for (std::size_t length : {23u, 100u, 300u, 1200u}) {
        const auto s = suggest(records(length, 200, rng));
        ASSERT_FALSE(s.empty()) << length;
        EXPECT_EQ(static_cast<std::int64_t>(length), s[0].length);
        EXPECT_NE(std::string::npos, s[0].reason.find("ファイルサイズを割り切ります"))
            << s[0].reason;
        EXPECT_NE(std::string::npos, s[0].reason.find("1 バイト目に識別区分らしい値 (D, H)"))
            << s[0].reason;
        // Multiples of the length are not offered beside it.
        for (const RecordLengthSuggestion& other : s) {
            EXPECT_FALSE(other.length > s[0].length && other.length % s[0].length == 0)
                << other.length;
        }
    }
}

TEST(RecordLengthHints, ALengthThatLeavesBytesOverSaysHowMany) {
    std::mt19937 rng(4);
    const auto s = suggest(records(64, 300, rng) + "\x1A");
    ASSERT_FALSE(s.empty());
    EXPECT_EQ(64, s[0].length);
    EXPECT_NE(std::string::npos, s[0].reason.find("割り切りません (端数 1 バイト)")) << s[0].reason;
}

TEST(RecordLengthHints, BytesWithoutStructureAndTinyFilesGetNoSuggestion) {
    std::mt19937 rng(5);
    std::string noise(100000, '\0');
    for (char& c : noise) c = static_cast<char>(rng() % 256);
    EXPECT_TRUE(suggest(noise).empty());
    EXPECT_TRUE(suggest("").empty());
    EXPECT_TRUE(suggest("x").empty());
    EXPECT_TRUE(suggest(records(40, 3, rng)).empty());
}

}  // namespace
}  // namespace sorvek::testing
