#pragma once
// The lengths in descriptor words, in the form the definition names (DescriptorWords): read by
// the record walk (RecordFraming) of the conversion, the inspection and the split plans, and
// written by the CSV-to-records job (RecordFramer), so that both ways agree.
#include <cstdint>
#include <string>

#include "model/host_data.h"

namespace sorvek {

// The length a record descriptor word at `p` states, as written (4 bytes of the word included
// or not, as `words` says).
inline std::uint32_t statedRecordLength(const unsigned char* p, const DescriptorWords& words) {
    return words.byteOrder == DescriptorByteOrder::Big
               ? static_cast<std::uint32_t>(p[0]) << 8 | p[1]
               : static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

// Whether the two bytes of a record descriptor word after its length are zero, as they must be.
inline bool recordWordPadded(const unsigned char* p) {
    return p[2] == 0 && p[3] == 0;
}

// The length a block descriptor word at `p` states, as written: big-endian, the first two
// bytes, or 31 bits when the first bit is set; little-endian, the four bytes low first, the
// last bit left out.
inline std::uint32_t statedBlockLength(const unsigned char* p, const DescriptorWords& words) {
    if (words.byteOrder == DescriptorByteOrder::Little) {
        return (static_cast<std::uint32_t>(p[3] & 0x7F) << 24) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) |
               p[0];
    }
    if ((p[0] & 0x80) == 0) return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
    return (static_cast<std::uint32_t>(p[0] & 0x7F) << 24) |
           (static_cast<std::uint32_t>(p[1]) << 16) | (static_cast<std::uint32_t>(p[2]) << 8) |
           p[3];
}

// A stated length as bytes from the start of the word on.
inline std::uint64_t withWord(std::uint32_t stated, const DescriptorWords& words) {
    return words.length == DescriptorLength::Exclusive ? std::uint64_t{stated} + 4 : stated;
}

// Writes the descriptor word of `length` bytes (the word's 4 included) into `word`.
// REQUIRES: 4 <= length <= 65535 (+ 4 where the length leaves the word out).
inline void putDescriptorWord(std::uint32_t length, const DescriptorWords& words, char* word) {
    const std::uint32_t stated = words.length == DescriptorLength::Exclusive ? length - 4 : length;
    const auto high = static_cast<char>(stated >> 8 & 0xFF);
    const auto low = static_cast<char>(stated & 0xFF);
    word[0] = words.byteOrder == DescriptorByteOrder::Big ? high : low;
    word[1] = words.byteOrder == DescriptorByteOrder::Big ? low : high;
    word[2] = word[3] = 0;
}

// The records at the start of a file within which a descriptor word at fault gets a hint.
inline constexpr int kDescriptorRecordsTried = 3;

// When the descriptor words of a file's start, [begin, end) (up to and with a word the form
// `words` cannot read), fit another form up to `end`, framing at least two records whole: a line
// for the message that names the options of that form; otherwise "".
std::string descriptorFormHint(RecordFormat format, const DescriptorWords& words,
                               const unsigned char* begin, const unsigned char* end);

}  // namespace sorvek
