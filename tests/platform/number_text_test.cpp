#include "platform/number_text.h"

#include <gtest/gtest.h>

namespace sorvek {
namespace {

TEST(ParseBoolean, AcceptsTrueFalseInAnyCaseOrANumber) {
    EXPECT_EQ(true, parseBoolean("True"));
    EXPECT_EQ(true, parseBoolean(" tRUE "));
    EXPECT_EQ(false, parseBoolean("FALSE"));
    EXPECT_EQ(false, parseBoolean("0"));
    EXPECT_EQ(false, parseBoolean("-00"));
    EXPECT_EQ(true, parseBoolean("-1"));
    EXPECT_EQ(true, parseBoolean("99999999999999999999"));
    for (const char* bad : {"", " ", "yes", "T", "1.0", "+", "Truth", "0x1"}) {
        EXPECT_FALSE(parseBoolean(bad).has_value()) << bad;
    }
}

TEST(LeadingNumber, TakesTheNumberAtTheFrontIgnoringBlanks) {
    EXPECT_EQ(12, leadingNumber("12\";"));
    EXPECT_EQ(1234, leadingNumber(" 12 3\t4 x5"));
    EXPECT_EQ(-7, leadingNumber(" - 7"));
    EXPECT_EQ(0, leadingNumber(""));
    EXPECT_EQ(0, leadingNumber("abc 12"));
    EXPECT_EQ(0, leadingNumber("-"));
    EXPECT_EQ(250, leadingNumber("2.5E2"));
    EXPECT_EQ(3, leadingNumber("3E"));  // an exponent needs digits
    EXPECT_EQ(30, leadingNumber("3d1"));
    EXPECT_EQ(0, leadingNumber("1e-400"));
}

TEST(LeadingNumber, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(2, leadingNumber("2.5"));
    EXPECT_EQ(4, leadingNumber("3.5"));
    EXPECT_EQ(0, leadingNumber(".5"));
    EXPECT_EQ(2, leadingNumber("1.51"));
    EXPECT_EQ(-2, leadingNumber("-2.5"));
    EXPECT_EQ(2147483647, leadingNumber("2147483647"));
    EXPECT_EQ(-2147483647 - 1, leadingNumber("-2147483648"));
    EXPECT_FALSE(leadingNumber("2147483648").has_value());
    EXPECT_FALSE(leadingNumber("1E10").has_value());
    EXPECT_FALSE(leadingNumber(std::string(400, '9')).has_value());
}

TEST(GroupedNumber, GroupsDigitsByThreesWithTheSignInFront) {
    EXPECT_EQ("0", groupedNumber(0));
    EXPECT_EQ("999", groupedNumber(999));
    EXPECT_EQ("1,000", groupedNumber(1000));
    EXPECT_EQ("-1,000", groupedNumber(-1000));
    EXPECT_EQ("-100", groupedNumber(-100));
    EXPECT_EQ("1,074,000,000", groupedNumber(1074000000));
    EXPECT_EQ("-9,223,372,036,854,775,808", groupedNumber(INT64_MIN));
}

}  // namespace
}  // namespace sorvek
