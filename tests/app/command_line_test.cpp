#include "app/command_line.h"

#include <gtest/gtest.h>

namespace sorvek {
namespace {

using Args = std::vector<std::string>;

Args split(const std::string& text) {
    Args args{"untouched"};
    EXPECT_TRUE(splitCommandLine(text, args));
    return args;
}

TEST(SplitCommandLine, SpacesSeparateAndQuotesAlwaysStartOrEndAnArgument) {
    EXPECT_EQ((Args{"ab", "c d", "e"}), split("ab\"c d\"e"));
    EXPECT_EQ((Args{"/L", "in.dat", "out.dat", "80"}), split("  /L   in.dat out.dat 80  "));
    EXPECT_EQ((Args{"/C", "C:\\my data\\in.dat", "", "x"}),
              split("/C \"C:\\my data\\in.dat\" \"\" x"));
    EXPECT_EQ((Args{"a\tb"}), split("a\tb"));  // a tab is an ordinary character
}

TEST(SplitCommandLine, UnclosedQuoteIsDroppedAndBlankTextGivesNoArgument) {
    EXPECT_EQ((Args{"a"}), split("a \"b c"));
    EXPECT_EQ(Args{}, split("   "));
    Args args{"kept"};
    EXPECT_FALSE(splitCommandLine("", args));
    EXPECT_EQ(Args{"kept"}, args);
}

TEST(SplitCommandLine, CutsJapaneseTextAtCharacters) {
    EXPECT_EQ((Args{"/E", "入力 ファイル.txt", "出力.txt", "crlf"}),
              split("/E \"入力 ファイル.txt\" 出力.txt crlf"));
    EXPECT_EQ((Args{"データ", "表"}), split("データ\"表\""));
}

}  // namespace
}  // namespace sorvek
