#include "editor/byte_text.h"

#include <gtest/gtest.h>

#include "editor/uncut_preview.h"

namespace sorvek::testing {
namespace {

TEST(ByteText, EachLineReadsAsItsCodePageAndAFileWithoutDefinitionIsShownUncut) {
    // CP932: "受注" after an "A", two bytes a line: a character cut by the line's end is shown
    // on the line it starts on. A control code is a dot.
    const std::string order = "A\x8E\xF3\x92\x8D\x01";
    EXPECT_EQ((std::vector<std::string>{"A受", "注", "."}),
              bytesAsText(order, 2, InputCodePage::Cp932));
    // IBM930: letters and digits, a blank, shift bytes as dots and a double-byte blank between.
    EXPECT_EQ((std::vector<std::string>{"A1 .", "\xE3\x80\x80."}),
              bytesAsText("\xC1\xF1\x40\x0E\x40\x40\x0F", 4, InputCodePage::Ibm930));

    // Without a definition the file's lines are shown as they are, line ends and all.
    PreviewSource source;
    source.bytes = std::string("H001\xB5\x8E\xF3\r\nD\x00\x01\n", 13) + std::string(300, 'x');
    source.fileSize = static_cast<std::int64_t>(source.bytes.size());
    const Preview preview = uncutPreview(source);
    ASSERT_EQ(4u, preview.rows.size());
    EXPECT_TRUE(preview.uncut);
    EXPECT_FALSE(preview.definitionUsable);
    EXPECT_EQ("H001\xEF\xBD\xB5受", preview.rows[0].cells.at(0).text);  // a half-width katakana
    EXPECT_EQ(9u, preview.rows[0].length);
    EXPECT_EQ("D..", preview.rows[1].cells.at(0).text);
    EXPECT_EQ(13, preview.rows[2].offset);
    EXPECT_EQ(kUncutRowBytes, preview.rows[2].length) << "a long line goes on in the next row";
    EXPECT_EQ(300 - kUncutRowBytes, preview.rows[3].length);
}

}  // namespace
}  // namespace sorvek::testing
