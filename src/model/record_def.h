#pragma once
// The record definition: entry 0 describes the whole file, entries 1..N the kinds of record.
#include <cstdint>
#include <string>
#include <vector>

#include "model/csv_output_options.h"
#include "model/host_data.h"
#include "platform/input_code_page.h"

namespace sorvek {

// What a control total holds, over its group: the number of records of a kind, or the sum of a
// numeric field of a kind.
enum class TotalKind : std::uint8_t { None, Count, Sum };

// A field that holds a control total (the count and amount of a trailer record). The group is
// the records since the last record of kind `group`, or the whole file for 0: a record of that
// kind starts the count again.
struct ControlTotal {
    TotalKind kind = TotalKind::None;
    std::int32_t record = 0;  // the kind counted or summed (its record index)
    std::int32_t field = 0;   // Sum: 1-based index of the summed field among that kind's
    std::int32_t group = 0;   // the kind whose records start a group; 0: the whole file

    bool present() const { return kind != TotalKind::None; }
    bool operator==(const ControlTotal&) const = default;
};

// Which characters a text field may hold.
enum class CharacterWidth : std::uint8_t {
    Any,
    Single,       // one byte each: full-width characters become half-width on the way in
    SingleUpper,  // and lower-case letters become capitals
};

struct FieldDef {
    std::string Name;
    // "X" text, "9" zoned decimal, "P" packed decimal, "BIN" binary, "DBCS" double-byte text
    // (model/host_data.h); others copy as text.
    std::string Type;
    std::int32_t Pos = 0;    // 1-based byte position in the record
    std::int32_t Size = 0;   // bytes in the record
    std::int32_t Dec = 0;    // decimal places
    std::int32_t Check = 0;  // -1: written to the output; 0: left out
    std::string Memo;
    // Zoned ("9") only: the sign is carried by the first digit's zone rather than the last,
    // when zoned signs are decoded (CsvOutputOptions::zonedSign Trailing).
    bool leadingSign = false;
    // Zoned ("9") only: the sign position its layout declares, which holds whatever the
    // output option for zoned signs says.
    SignPosition sign = SignPosition::Undeclared;
    // Binary ("BIN") only: whether the value has a sign (two's complement), and its byte order.
    bool signedBinary = false;
    ByteOrder byteOrder = ByteOrder::Big;
    // Zoned, packed and binary: the value is multiplied by 10 to this power after its decimal
    // places are taken (COBOL P positions: 9(5)PPP is 3, PPP9(5) with 5 decimal places -3).
    std::int32_t scale = 0;
    // The control total the field holds, if it holds one.
    ControlTotal total{};
    // Text ("X") only: whether the field holds single-byte characters only.
    CharacterWidth width = CharacterWidth::Any;

    // True when one of the attributes above differs from its default.
    bool hasHostAttributes() const {
        return sign != SignPosition::Undeclared || signedBinary || byteOrder != ByteOrder::Big ||
               scale != 0;
    }

    bool operator==(const FieldDef&) const = default;
};

// A table whose number of occurrences a counter field of the record gives (a COBOL
// `OCCURS min TO max TIMES DEPENDING ON counter`). The record's fields describe it at its
// largest: `max` occurrences of `occurrenceSize` bytes from byte `Pos` on, the fields of each
// occurrence one after another, `Size` the record's length then. A record holds only the
// occurrences its counter says; the bytes that follow the table come right after them, so a
// record is (max - count) × occurrenceSize bytes shorter than `Size`. Occurrences a record does
// not hold are written empty.
struct VaryingTable {
    std::int32_t counter = 0;         // 1-based index of the counter field; 0: no table
    std::int32_t Pos = 0;             // 1-based byte position of the table's first occurrence
    std::int32_t occurrenceSize = 0;  // bytes of one occurrence
    std::int32_t min = 0;             // the fewest occurrences a record may hold
    std::int32_t max = 0;             // the most, as the fields describe them

    bool present() const { return counter != 0; }
    // One past the table's last byte at its largest, 1-based.
    std::int64_t end() const {
        return static_cast<std::int64_t>(Pos) +
               static_cast<std::int64_t>(max) * static_cast<std::int64_t>(occurrenceSize);
    }
    bool operator==(const VaryingTable&) const = default;
};

struct RecordDef {
    std::string Name;
    // Entry 0: common record length, 0 = variable. Records: the length of this kind.
    std::int32_t Size = 0;
    // Entry 0: class-code position as decimal text, empty = no class code. Records: class code.
    std::string Class;
    std::int32_t Parent = 0;
    std::int32_t Child = 0;
    // Empty while the record has no field (an unallocated array).
    std::vector<FieldDef> Fields;
    std::string Delimiter;   // entry 0 only
    bool TitleLine = false;  // entry 0 only
    // Working memory of the record-to-CSV conversion: the last record of this kind read.
    // Never stored in a file.
    std::vector<unsigned char> Data;
    // Entry 0 only: the code page of the records' text, how records follow one another, and
    // how their descriptor words are written.
    InputCodePage codePage = InputCodePage::Cp932;
    RecordFormat recordFormat = RecordFormat::Fixed;
    DescriptorWords descriptorWords{};
    // Records only: the table whose occurrences a counter gives, if the record has one.
    VaryingTable varying{};
};

// The one record-definition table of the process. States: no definition (no entries), file
// definition only (entry 0), full definition (entries 0..N).
struct RecordDefTable {
    std::vector<RecordDef> entries;
    // How the record-to-CSV conversion writes its text; stored with the definition.
    CsvOutputOptions output;

    bool hasDefinition() const { return !entries.empty(); }
    // N, the highest record index; -1 without any definition.
    int maxIndex() const { return static_cast<int>(entries.size()) - 1; }
    // True when `index` names a record definition (1..N).
    bool isRecordIndex(std::int32_t index) const { return index >= 1 && index <= maxIndex(); }
    // True when the table has several record kinds but no class-code position: nothing tells
    // the kinds apart, so every record is read as kind 1 and the other kinds are never used.
    bool kindsUntold() const { return maxIndex() > 1 && entries[0].Class.empty(); }
    RecordDef& operator[](std::size_t i) { return entries[i]; }
    const RecordDef& operator[](std::size_t i) const { return entries[i]; }
    // Replaces the contents by `count` cleared entries (indices 0..count-1).
    // The output options return to their defaults.
    void reset(std::size_t count) {
        entries.assign(count, RecordDef{});
        output = CsvOutputOptions{};
    }
    // Erases the whole definition.
    void clear() {
        entries.clear();
        output = CsvOutputOptions{};
    }
};

}  // namespace sorvek
