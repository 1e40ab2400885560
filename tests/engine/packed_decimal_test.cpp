#include "engine/packed_decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "support/rec2csv_reference.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

std::string unpack(const std::string& field, int dec) {
    std::string out(packedWidth(field.size(), dec) + 8, '#');
    char* end = writePacked(reinterpret_cast<const unsigned char*>(field.data()), field.size(), dec,
                            out.data());
    EXPECT_EQ(packedWidth(field.size(), dec), static_cast<std::size_t>(end - out.data()));
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

TEST(WritePacked, GivesSignAndEveryDigitWithOptionalPoint) {
    EXPECT_EQ(" 12345", unpack("\x12\x34\x5C", 0));
    EXPECT_EQ(" 123.45", unpack("\x12\x34\x5C", 2));
    EXPECT_EQ(" 1234.5", unpack("\x12\x34\x5C", 1));
    EXPECT_EQ("-12345", unpack("\x12\x34\x5D", 0));
    EXPECT_EQ(" 7", unpack("\x7C", 0));
    EXPECT_EQ("-.7", unpack("\x7D", 1));
    EXPECT_EQ(" 00010", unpack(std::string("\x00\x01\x0C", 3), 0));
    EXPECT_EQ(" .12345", unpack("\x12\x34\x5F", 5));
    // Any sign other than D is a blank; invalid digit nibbles come out as ":" to "?".
    EXPECT_EQ(" 1234567", unpack("\x12\x34\x56\x7F", 0));
    EXPECT_EQ(" 1234567", unpack("\x12\x34\x56\x73", 0));
    EXPECT_EQ(" :;<=>", unpack("\xAB\xCD\xEF", 0));
    EXPECT_EQ("-?", unpack("\xFD", 0));
}

TEST(WritePacked, AgreesWithTheNibbleWiseReferenceForEverySizeAndDecimalCount) {
    std::string field;
    for (int size = 1; size <= 9; ++size) {
        field += static_cast<char>(0x10 * size + 0x0F - size);
        for (int dec = 0; dec <= 2 * size - 1; ++dec) {
            const Bytes bytes(field.begin(), field.end());
            EXPECT_EQ(bytesText(unpackDecimal(bytes, 0, bytes.size(), dec)), unpack(field, dec))
                << "size " << size << " dec " << dec;
        }
    }
}

}  // namespace
}  // namespace sorvek::testing
