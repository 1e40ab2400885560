// The value checks of packed and zoned fields and the split-character test, against plain
// byte-by-byte rules: every length, with one bad byte at every place (the checks read eight or
// four bytes at once, in loads that overlap).
#include "engine/field_checks.h"

#include <gtest/gtest.h>

#include <string>

namespace sorvek::testing {
namespace {

bool packedByRule(const std::string& f) {
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto b = static_cast<unsigned char>(f[i]);
        const bool last = i + 1 == f.size();
        if ((b >> 4) > 9) return false;
        if (last ? (b & 0x0F) < 0x0A : (b & 0x0F) > 9) return false;
    }
    return true;
}

bool zonedByRule(const std::string& f) {
    for (char c : f) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

bool packed(const std::string& f) {
    return packedValid(reinterpret_cast<const unsigned char*>(f.data()), f.size());
}
bool zoned(const std::string& f) {
    return zonedValid(reinterpret_cast<const unsigned char*>(f.data()), f.size());
}

TEST(FieldChecks, PackedValuesOfEveryLengthWithEveryNibbleWrongOnce) {
    for (std::size_t n = 1; n <= 20; ++n) {
        std::string f(n, '\x90');
        f[n - 1] = '\x1C';
        ASSERT_TRUE(packed(f)) << n;
        for (std::size_t i = 0; i < n; ++i) {
            for (int bad : {0xA0, 0x0A, 0xF9, 0x9F, 0x12, 0x1D, 0x10, 0x99}) {
                std::string g = f;
                g[i] = static_cast<char>(bad);
                EXPECT_EQ(packedByRule(g), packed(g))
                    << "length " << n << " byte " << i << " = " << bad;
            }
        }
    }
}

TEST(FieldChecks, ZonedValuesOfEveryLengthWithEveryByteWrongOnce) {
    for (std::size_t n = 1; n <= 20; ++n) {
        std::string f(n, '0');
        ASSERT_TRUE(zoned(f)) << n;
        for (std::size_t i = 0; i < n; ++i) {
            for (int bad : {0x20, 0x2F, 0x3A, 0x70, 0x00, 0xB0, 0xFF, 0x39}) {
                std::string g = f;
                g[i] = static_cast<char>(bad);
                EXPECT_EQ(zonedByRule(g), zoned(g))
                    << "length " << n << " byte " << i << " = " << bad;
            }
        }
    }
}

TEST(FieldChecks, TextEndsInsideACharacterWhenItsLastLeadByteHasNoSecondByte) {
    const std::pair<const char*, bool> cases[] = {
        {"AB", false},
        {"A\x82", true},         // a lead byte at the end
        {"\x82\xA0", false},     // one whole character
        {"\x82\x82", false},     // lead and a second byte from the lead range
        {"\x82\x82\x82", true},  // lead, second byte, lead
        {"\x82\x82\x82\x82", false},
        {"\xB1\x82", true},          // a half-width kana is a character of its own
        {"\x40\x82\x9F\x81", true},  // "@", then 82 9F, then 81 without its second byte
        {"\x82\x40\x81", true},      // 82 40 is a character; 81 is left alone
    };
    for (const auto& [text, split] : cases) {
        const std::string f(text);
        EXPECT_EQ(split,
                  endSplitsCharacter(reinterpret_cast<const unsigned char*>(f.data()), f.size()))
            << f;
    }
}

}  // namespace
}  // namespace sorvek::testing
