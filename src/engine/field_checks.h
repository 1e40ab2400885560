#pragma once
// Whether a field's bytes hold a value of its type, and whether a text field cuts a double-byte
// character, decided from the bytes alone. The inspection runs these on every record of a file,
// the preview on the records it shows.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "engine/record_screen.h"
#include "model/record_def.h"

namespace sorvek {

// How the conversion treats a field: "P" packed decimal, "9" zoned decimal, anything else
// text (the types are compared exactly, as the conversion does).
enum class FieldClass : std::uint8_t { Text, Zoned, Packed };

inline FieldClass fieldClass(const FieldDef& field) {
    if (field.Type == "P") return FieldClass::Packed;
    if (field.Type == "9") return FieldClass::Zoned;
    return FieldClass::Text;
}

// True when the field has bytes and all of them lie within a record of `recordSize` bytes.
inline bool fieldWithinRecord(const FieldDef& field, std::int32_t recordSize) {
    return field.Pos >= 1 && field.Size >= 1 &&
           static_cast<std::int64_t>(field.Pos) + field.Size - 1 <= recordSize;
}

namespace swar {

// Bytes loaded as one number, so that one operation tests several of them.
inline std::uint64_t load8(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}
inline std::uint64_t load4(const unsigned char* p) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

// Both nibbles of every byte are digits: a nibble of 10 or more reaches bit 4 of its byte when
// 6 is added. Zero bytes pass, so a four-byte load can be tested as it is.
inline bool digitNibbles(std::uint64_t w) {
    constexpr std::uint64_t k0F = 0x0F0F0F0F0F0F0F0Full, k06 = 0x0606060606060606ull,
                            k10 = 0x1010101010101010ull;
    return (((((w >> 4) & k0F) + k06) | ((w & k0F) + k06)) & k10) == 0;
}

// Every byte is one of "0" to "9": XORed with 0x30 it is 0 to 9, so that adding 0x76 leaves its
// top bit clear. (A byte of 0x8A or more may carry into the next one, but is caught itself.)
inline bool digits(std::uint64_t w) {
    constexpr std::uint64_t k30 = 0x3030303030303030ull, k76 = 0x7676767676767676ull,
                            k80 = 0x8080808080808080ull;
    const std::uint64_t t = w ^ k30;
    return (((t + k76) | t) & k80) == 0;
}
// The same for a four-byte load: the four bytes above it count as digits.
inline bool digits4(std::uint64_t w) {
    return digits(w | 0x3030303000000000ull);
}

}  // namespace swar

// Packed decimal: every nibble a digit 0 to 9 but the last, the sign, which is A to F.
// REQUIRES: n >= 1.
inline bool packedValid(const unsigned char* f, std::size_t n) {
    const unsigned char last = f[n - 1];
    if ((last >> 4) > 9 || (last & 0x0F) < 0x0A) return false;
    // The bytes before the last, in loads that may overlap.
    const std::size_t m = n - 1;
    if (m >= 8) {
        std::size_t i = 0;
        for (; i + 8 <= m; i += 8) {
            if (!swar::digitNibbles(swar::load8(f + i))) return false;
        }
        return i == m || swar::digitNibbles(swar::load8(f + m - 8));
    }
    if (m >= 4) {
        return swar::digitNibbles(swar::load4(f)) && swar::digitNibbles(swar::load4(f + m - 4));
    }
    for (std::size_t i = 0; i < m; ++i) {
        if ((f[i] >> 4) > 9 || (f[i] & 0x0F) > 9) return false;
    }
    return true;
}

// Zoned decimal as the conversion writes it: every byte one of the digits "0" to "9".
inline bool zonedValid(const unsigned char* f, std::size_t n) {
    if (n >= 8) {
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            if (!swar::digits(swar::load8(f + i))) return false;
        }
        return i == n || swar::digits(swar::load8(f + n - 8));
    }
    if (n >= 4) return swar::digits4(swar::load4(f)) && swar::digits4(swar::load4(f + n - 4));
    for (std::size_t i = 0; i < n; ++i) {
        if (f[i] < '0' || f[i] > '9') return false;
    }
    return true;
}

// Shift-JIS lead bytes: 0x81 to 0x9F and 0xE0 to 0xFC.
inline bool isSjisLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// True when the text of the `n` bytes at `f`, read from `f` on, ends with a lead byte whose
// second byte lies beyond it. The run of lead-range bytes at the end reads as lead, second
// byte, lead, ... from its start, so the last byte is a lead when the run's length is odd.
inline bool endSplitsCharacter(const unsigned char* f, std::size_t n) {
    std::size_t run = 0;
    while (run < n && isSjisLead(f[n - 1 - run])) ++run;
    return run % 2 == 1;
}

// The checks of one field of a kind: fields written to the output that lie within the record.
struct FieldCheck {
    std::uint32_t offset;  // 0-based in the record
    std::uint32_t size;
    FieldClass cls;
    int field;  // index in the record's fields
    // For a text field: the text field (written or not) that ends right before it. When that
    // one's text ends inside a character, this field starts inside it. Size 0: none.
    std::uint32_t beforeOffset;
    std::uint32_t beforeSize;
};

// The checks of every kind and the fields that lie outside their records, worked out once per
// definition.
class FieldCheckPlan {
  public:
    explicit FieldCheckPlan(const RecordDefTable& table);

    std::span<const FieldCheck> checks(int kind) const {
        const auto& r = ranges_[static_cast<std::size_t>(kind)];
        return {checks_.data() + r.first, r.second - r.first};
    }
    // Index of the first check of `kind` among the checks of all kinds, and their number: for
    // tallies kept in one array.
    std::size_t firstIndex(int kind) const { return ranges_[static_cast<std::size_t>(kind)].first; }
    std::size_t checkCount() const { return checks_.size(); }
    const FieldCheck& check(std::size_t index) const { return checks_[index]; }
    // The kind of the check at `index`.
    int kindOf(std::size_t index) const;
    // True when every check of `kind` passes for the record at `bytes`, as the screen finds it;
    // false when some check may fail (then run them one by one).
    bool screenPasses(int kind, const unsigned char* bytes) const {
        return screenPasses(kind, bytes, screen_);
    }
    // The same with the screen of a given instruction set (tests hold each to the checks).
    bool screenPasses(int kind, const unsigned char* bytes, RecordScreen screen) const {
        const Screen& s = screens_[static_cast<std::size_t>(kind)];
        return s.usable && screen(bytes, s.length, chunks_.data() + s.first, s.count);
    }
    // (kind, field) of every field without bytes or reaching past its record's end.
    const std::vector<std::pair<int, int>>& outside() const { return outside_; }

  private:
    struct Screen {
        std::size_t first = 0;   // in chunks_
        std::size_t count = 0;   // chunks of 64 bytes
        std::size_t length = 0;  // bytes from the record's start that the checks look at
        // False for a kind whose checks look too far into the record for a screen of bounded
        // size: its records are always checked field by field.
        bool usable = false;
    };
    void buildScreen(int kind);

    std::vector<FieldCheck> checks_;
    std::vector<std::pair<std::size_t, std::size_t>> ranges_;  // by kind: [begin, end)
    std::vector<ScreenChunk> chunks_;
    std::vector<Screen> screens_;  // by kind
    RecordScreen screen_;
    std::vector<std::pair<int, int>> outside_;
};

}  // namespace sorvek
