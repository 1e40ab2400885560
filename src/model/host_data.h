#pragma once
// What a definition says of data written by host computers: how records follow one another
// in the file, and the forms of numeric fields that COBOL layouts declare (binary fields, the
// sign of zoned fields, scaling by P positions). Every value has a default that leaves the
// conversion as it always was.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/csv_output_options.h"
#include "platform/input_code_page.h"

namespace sorvek {

// The field types by their letters. "X", "9" and "P" are text, zoned and packed decimal; any
// other letter is copied as text.
inline constexpr std::string_view kTypeText = "X";
inline constexpr std::string_view kTypeZoned = "9";
inline constexpr std::string_view kTypePacked = "P";
// A binary integer (COBOL COMP, COMP-4, BINARY and COMP-5) of 2, 4 or 8 bytes. The host types
// have names of more than one letter: layouts imported from SEWB3 may hold any single letter,
// which is copied as text, and keeps being copied so.
inline constexpr std::string_view kTypeBinary = "BIN";
// Double-byte text without shift bytes (COBOL PIC G and PIC N).
inline constexpr std::string_view kTypeDoubleByte = "DBCS";

// How records follow one another. Fixed: records of their kind's length, as always (a CR, then
// an LF, may follow each one in a Shift-JIS file). V: each record begins with a 4-byte record
// descriptor word, its length (the word included) in the first two bytes, big-endian, then two
// zero bytes. VB: such records in blocks, each beginning with a 4-byte block descriptor word,
// the block's length (the word included) in the first two bytes, or in 31 bits when the first
// bit is set.
enum class RecordFormat : std::uint8_t { Fixed, V, VB };

inline constexpr std::array<OptionWord<RecordFormat>, 3> kRecordFormatWords{{
    {"fixed", RecordFormat::Fixed},
    {"v", RecordFormat::V},
    {"vb", RecordFormat::VB},
}};

// How the descriptor words of V and VB records are written. Hosts write the length high byte
// first, counting the word's own 4 bytes; programs elsewhere write it low byte first (Little:
// the first two bytes, low first, then two zero bytes, as a 4-byte little-endian length reads
// too), or count only the bytes after the word (Exclusive). Both apply to record and block
// descriptor words alike.
enum class DescriptorByteOrder : std::uint8_t { Big, Little };
enum class DescriptorLength : std::uint8_t { Inclusive, Exclusive };

inline constexpr std::array<OptionWord<DescriptorByteOrder>, 2> kDescriptorByteOrderWords{{
    {"big", DescriptorByteOrder::Big},
    {"little", DescriptorByteOrder::Little},
}};
inline constexpr std::array<OptionWord<DescriptorLength>, 2> kDescriptorLengthWords{{
    {"inclusive", DescriptorLength::Inclusive},
    {"exclusive", DescriptorLength::Exclusive},
}};

struct DescriptorWords {
    DescriptorByteOrder byteOrder = DescriptorByteOrder::Big;
    DescriptorLength length = DescriptorLength::Inclusive;
    bool operator==(const DescriptorWords&) const = default;
};

// Where the sign of a zoned field is, as its layout declares it. Undeclared: the output
// option for zoned signs decides (and on an EBCDIC page the last digit's zone carries it).
// Trailing and Leading: the zone of the last or the first digit. The separate forms: a byte of
// its own, "+" or "-", after the last or before the first digit.
enum class SignPosition : std::uint8_t {
    Undeclared,
    Trailing,
    Leading,
    TrailingSeparate,
    LeadingSeparate
};

inline constexpr std::array<OptionWord<SignPosition>, 5> kSignPositionWords{{
    {"undeclared", SignPosition::Undeclared},
    {"trailing", SignPosition::Trailing},
    {"leading", SignPosition::Leading},
    {"trailing-separate", SignPosition::TrailingSeparate},
    {"leading-separate", SignPosition::LeadingSeparate},
}};

inline bool separateSign(SignPosition sign) {
    return sign == SignPosition::TrailingSeparate || sign == SignPosition::LeadingSeparate;
}

// Byte order of a binary field: big-endian (COMP, COMP-4, BINARY), or that of the machine that
// wrote the file (COMP-5): big-endian for a file on an EBCDIC page, which a host wrote, else
// the order of this machine.
enum class ByteOrder : std::uint8_t { Big, Native };

inline constexpr std::array<OptionWord<ByteOrder>, 2> kByteOrderWords{{
    {"big", ByteOrder::Big},
    {"native", ByteOrder::Native},
}};

// The largest scale either way (P positions) and the most decimal places of a binary field (an
// 8-byte field holds 20 digits): bounds that keep the text of a host number short.
inline constexpr std::int32_t kMaxScale = 64;
inline constexpr std::int32_t kMaxBinaryDecimals = 20;

// The most decimal places a numeric field of `type` and `size` bytes can hold: its digits (a
// zoned byte holds one, a packed field two a byte but for the sign's half), or
// kMaxBinaryDecimals for a binary field; -1 for a type that holds no number.
inline std::int64_t maxDecimalPlaces(std::string_view type, std::int64_t size) {
    if (type == kTypeBinary) return kMaxBinaryDecimals;
    if (type == kTypeZoned) return size;
    if (type == kTypePacked) return 2 * size - 1;
    return -1;
}

// What the command line sets for one run of the record-to-CSV job, over the definition.
struct InputOverrides {
    std::optional<InputCodePage> codePage;
    std::optional<RecordFormat> recordFormat;
    std::optional<DescriptorByteOrder> descriptorByteOrder;
    std::optional<DescriptorLength> descriptorLength;
    bool empty() const {
        return !codePage && !recordFormat && !descriptorByteOrder && !descriptorLength;
    }
};

}  // namespace sorvek
