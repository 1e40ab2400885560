// The value checks of packed and zoned fields and the split-character test, against plain
// byte-by-byte rules: every length, with one bad byte at every place (the checks read eight or
// four bytes at once, in loads that overlap).
#include "engine/field_checks.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/byte_classes.h"
#include "engine/text_blocks.h"

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

// The screen lets a record through exactly when every check of its kind passes and no text field
// has a lead byte at an edge; each instruction set the processor has is held to that.
TEST(FieldChecks, TheScreenPassesExactlyTheRecordsWhoseChecksAllPass) {
    std::vector<RecordScreen> screens = {screenRecordSse2};
    if (avx2Available()) screens.push_back(screenRecordAvx2);
    if (byte_classes::avx512Available()) screens.push_back(screenRecordAvx512);
    std::mt19937 rng(7);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const unsigned char alphabet[] = {'0',  '5',  '9',  ' ',  'A',  0x12, 0x3C, 0x9D, 0x0A,
                                      0xA0, 0x82, 0x9F, 0xE0, 0x40, 0xFF, 0x99, 0x0C};
    int passed = 0;
    for (int round = 0; round < 300; ++round) {
        RecordDefTable table;
        table.reset(1);
        RecordDef record;
        record.Size = 1 + pick(150);
        for (int pos = 1; pos <= record.Size;) {
            const int size = 1 + pick(std::min(12, record.Size - pos + 1));
            const char* types[] = {"X", "9", "P"};
            record.Fields.push_back(
                FieldDef{"f", types[pick(3)], pos, size, 0, pick(5) == 0 ? 0 : -1, ""});
            pos += size + pick(2);
        }
        table.entries.push_back(record);
        const FieldCheckPlan plan(table);
        std::string bytes(static_cast<std::size_t>(record.Size), ' ');
        for (int sample = 0; sample < 20; ++sample) {
            for (char& b : bytes) {
                b = static_cast<char>(sample % 4 == 0 ? '0' + pick(10) : alphabet[pick(17)]);
            }
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
            bool expected = true;
            for (const FieldCheck& c : plan.checks(1)) {
                const unsigned char* f = p + c.offset;
                switch (c.cls) {
                    case FieldClass::Packed:
                        expected = expected && packedValid(f, c.size);
                        break;
                    case FieldClass::Zoned:
                        expected = expected && zonedValid(f, c.size);
                        break;
                    case FieldClass::Text:
                        expected = expected && !isSjisLead(f[c.size - 1]) &&
                                   (c.beforeSize == 0 || !isSjisLead(f[-1]));
                        break;
                }
            }
            passed += expected ? 1 : 0;
            for (RecordScreen screen : screens) {
                EXPECT_EQ(expected, plan.screenPasses(1, p, screen))
                    << "round " << round << " sample " << sample;
            }
        }
    }
    EXPECT_GT(passed, 100);  // both outcomes are tried often
}

}  // namespace
}  // namespace sorvek::testing
