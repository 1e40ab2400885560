#include "support/rec2csv_reference.h"

#include <gtest/gtest.h>

#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST(UnpackDecimal, FieldOutsideTheBytesOrBadDecimalsGiveNothing) {
    const Bytes b = bytes("\x12\x34\x5C");
    EXPECT_EQ(" 345", bytesText(unpackDecimal(b, 1, 2, 0)));
    EXPECT_TRUE(unpackDecimal(b, 2, 2, 0).empty());
    EXPECT_TRUE(unpackDecimal(b, 4, 1, 0).empty());
    EXPECT_TRUE(unpackDecimal(b, 0, 0, 0).empty());
    EXPECT_TRUE(unpackDecimal(b, 0, 3, 6).empty());
    EXPECT_TRUE(unpackDecimal(b, 0, 3, -1).empty());
}

TEST(ByteHelpers, MidPutAndJoin) {
    const Bytes b = bytes("abcdef");
    EXPECT_EQ("cde", bytesText(midBytes(b, 2, 3)));
    EXPECT_EQ("ef", bytesText(midBytes(b, 4, 9)));
    EXPECT_TRUE(midBytes(b, 6, 1).empty());

    Bytes target = bytes("xxxx");
    EXPECT_EQ(1, putBytes(target, 1, bytes("ab")));
    EXPECT_EQ("xabx", bytesText(target));
    EXPECT_EQ(2, putBytes(target, 3, bytes("123")));
    EXPECT_EQ("xab123", bytesText(target));
    EXPECT_EQ(-1, putBytes(target, 0, {}));

    EXPECT_EQ("ab", bytesText(joinBytes(bytes("a"), bytes("b"), "")));
    EXPECT_EQ("a\r\nb", bytesText(joinBytes(bytes("a"), bytes("b"), "\r\n")));
    EXPECT_EQ("a\x81\x41::b", bytesText(joinBytes(bytes("a"), bytes("b"), "、::")));
}

class BuildCsvLine : public ::testing::Test {
  protected:
    // A three-generation table: G > P > C, each with data.
    void SetUp() override {
        table = makeTable(
            fileDefinition(0, "1", ",", false),
            {recordDefinition("G", 4, "G", 0, 2, {unmarked("K", "X", 1, 1), field("g", "X", 2, 3)}),
             recordDefinition("P", 3, "P", 1, 3,
                              {unmarked("K", "X", 1, 1), field("p", "9", 2, 2, 1)}),
             recordDefinition(
                 "C", 6, "C", 2, 0,
                 {unmarked("K", "X", 1, 1), field("c1", "9", 2, 3), field("c2", "P", 5, 2, 1)})});
        table[1].Data = bytes("Gabc");
        table[2].Data = bytes("P12");
        table[3].Data = bytes("C007\x12\x3D");
    }
    std::string line(int k) { return bytesText(buildCsvLine(table, k)); }
    RecordDefTable table;
};

TEST_F(BuildCsvLine, WritesGenerationsFromTheTopWithOneDelimiterBetweenFields) {
    EXPECT_EQ("abc,1.2,007,-12.3", line(3));
    EXPECT_EQ("abc,1.2", line(2));
    table[0].Delimiter = "";
    EXPECT_EQ("abc1.2007-12.3", line(3));
    table[0].Delimiter = "\t";
    EXPECT_EQ("abc\t1.2\t007\t-12.3", line(3));
    table[0].Delimiter = "、";
    EXPECT_EQ(
        "abc\x81\x41"
        "1.2\x81\x41"
        "007\x81\x41-12.3",
        line(3));
}

TEST_F(BuildCsvLine, UnmarkedFieldsAndGenerationsWithoutMarkedFieldsLeaveNoDelimiter) {
    table[2].Fields[1].Check = 0;
    EXPECT_EQ("abc,007,-12.3", line(3));
    table[3].Fields[1].Check = 0;
    table[3].Fields[2].Check = 0;
    EXPECT_EQ("abc", line(3));  // a record without marked fields writes its ancestors' fields
    table[1].Fields[1].Check = 0;
    EXPECT_EQ("", line(3));
}

TEST_F(BuildCsvLine, AncestorWithoutDataLeavesItAndTheGenerationsAboveOut) {
    table[1].Data.clear();
    EXPECT_EQ("1.2,007,-12.3", line(3));
    table[2].Data.clear();
    table[1].Data = bytes("Gabc");
    EXPECT_EQ("007,-12.3", line(3));
    table[3].Data = bytes("C00");  // its own fields cannot be given: an empty line
    EXPECT_EQ("", line(3));
}

TEST_F(BuildCsvLine, TypesOtherThanNineAndUpperCasePAreText) {
    table[3].Fields[2].Type = "p";
    EXPECT_EQ("abc,1.2,007,\x12\x3D", line(3));
    table[3].Fields[1].Dec = 2;
    table[3].Fields[1].Type = "X";
    EXPECT_EQ("abc,1.2,007,\x12\x3D", line(3));
    table[3].Fields[1].Type = "9";
    EXPECT_EQ("abc,1.2,0.07,\x12\x3D", line(3));
    table[3].Fields[1].Dec = 3;
    EXPECT_EQ("abc,1.2,.007,\x12\x3D", line(3));
}

}  // namespace
}  // namespace sorvek::testing
