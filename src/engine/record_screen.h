#pragma once
// A quick look at every checked byte of a record at once, 64 bytes a step: when all zoned bytes
// are digits, all packed bytes hold digit nibbles (and the last of each a sign), and no text
// field ends on a lead byte, every field check of the record passes and none need run. Only
// records that fail the screen go through the field-by-field checks.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sorvek {

// Which checks look at each of 64 bytes of the records of one kind (bit i: byte 64c + i).
struct ScreenChunk {
    std::uint64_t zoned = 0;         // bytes of zoned fields: digits
    std::uint64_t packedDigits = 0;  // bytes of packed fields but the last: two digit nibbles
    std::uint64_t packedLast = 0;    // last bytes of packed fields: a digit and a sign nibble
    // The last byte of each text field, and the byte before a text field that follows another:
    // a lead byte there may cut a character.
    std::uint64_t textEdges = 0;
};

// The classes of 64 bytes that the screen compares with a chunk.
struct ScreenClasses {
    std::uint64_t digit;      // "0" to "9"
    std::uint64_t lowDigit;   // low nibble 0 to 9
    std::uint64_t highDigit;  // high nibble 0 to 9 (byte 0x9F or below)
    std::uint64_t lead;       // Shift-JIS lead byte
};

inline bool screenPasses(const ScreenClasses& c, const ScreenChunk& m) {
    const std::uint64_t bad =
        (m.zoned & ~c.digit) | (m.packedDigits & ~(c.lowDigit & c.highDigit)) |
        (m.packedLast & ~(c.highDigit & ~c.lowDigit)) | (m.textEdges & c.lead);
    return bad == 0;
}

// The classes by vector operations (see engine/byte_lanes.h).
template <class Lanes>
ScreenClasses screenClasses(const unsigned char* p) {
    ScreenClasses c{0, 0, 0, 0};
    for (int i = 0; i < 64; i += Lanes::kWidth) {
        const auto v = Lanes::load(p + i);
        c.digit |= Lanes::bits(Lanes::inRange(v, '0', '9')) << i;
        c.lowDigit |= Lanes::bits(Lanes::inRange(Lanes::andConst(v, 0x0F), 0, 9)) << i;
        c.highDigit |= Lanes::bits(Lanes::inRange(v, 0x00, 0x9F)) << i;
        c.lead |=
            Lanes::bits(Lanes::orV(Lanes::inRange(v, 0x81, 0x9F), Lanes::inRange(v, 0xE0, 0xFC)))
            << i;
    }
    return c;
}

// True when the `length` bytes at `record` pass the `count` chunks of the screen. Reads no byte
// beyond `length` (the last step takes its bytes from a copy).
template <class Lanes>
bool screenRecord(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                  std::size_t count) {
    for (std::size_t c = 0; c < count; ++c) {
        const std::size_t at = 64 * c;
        ScreenClasses classes;
        if (at + 64 <= length) {
            classes = screenClasses<Lanes>(record + at);
        } else {
            unsigned char word[64] = {};
            std::memcpy(word, record + at, length - at);
            classes = screenClasses<Lanes>(word);
        }
        if (!screenPasses(classes, chunks[c])) return false;
    }
    return true;
}

using RecordScreen = bool (*)(const unsigned char* record, std::size_t length,
                              const ScreenChunk* chunks, std::size_t count);
bool screenRecordSse2(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                      std::size_t count);
// Only where the processor has AVX2, or AVX-512 BW.
bool screenRecordAvx2(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                      std::size_t count);
bool screenRecordAvx512(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                        std::size_t count);
// The screen of the widest instruction set the processor has.
RecordScreen recordScreen();

}  // namespace sorvek
