// Lines cut into values where the caller reuses its memory, as a reader that reads block after
// block into one buffer does.
#include "engine/csv_line_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace sorvek::testing {
namespace {

TEST(CsvLineSplitterTest, BytesRewrittenInPlaceAreReadAfresh) {
    CsvLineSplitter splitter(",");
    std::vector<std::string_view> values;
    // The same memory and the same end, other bytes: a buffer refilled after its lines were
    // taken, or a part's buffer handed out again.
    std::string bytes = "a,bc\nxyz";
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    EXPECT_EQ(5u, splitter.split(begin, end, false, values).length);
    EXPECT_EQ((std::vector<std::string_view>{"a", "bc"}), values);
    bytes = "ab,c\nxyz";
    EXPECT_EQ(5u, splitter.split(begin, end, false, values).length);
    EXPECT_EQ((std::vector<std::string_view>{"ab", "c"}), values);
    bytes = "abcd,efg";
    EXPECT_EQ(8u, splitter.split(begin, end, true, values).length);
    EXPECT_EQ((std::vector<std::string_view>{"abcd", "efg"}), values);
}

}  // namespace
}  // namespace sorvek::testing
