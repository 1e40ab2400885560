#pragma once
// A record kind's table whose occurrences a counter field gives, as the record walk, the line
// plan, the findings and the preview read it. A record holds `count` occurrences; the kind's
// fields describe it at its largest, so the walk lays each record out that way (the occurrences
// it lacks filled with blanks, the bytes after the table moved to where the fields expect them)
// and every reader finds each field where its definition says.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// Whether the table of `record`, if it has one, can be read: a counter field that is a number
// (zoned, packed or binary) lying wholly before the table, at least one byte an occurrence,
// 0 <= min <= max, the table inside the record, and every written field wholly before the
// table, inside one occurrence, or after the table. A refusal names the record (by its name and
// number) and what is wrong. REQUIRES: `index` names a record of `table`.
Status checkVaryingTable(const RecordDefTable& table, int index);

class VaryingLayout {
  public:
    // Occurrences of a record with no table, or of one whose counter it does not reach.
    static constexpr std::uint32_t kAll = UINT32_MAX;

    VaryingLayout() = default;
    // REQUIRES: checkVaryingTable(record) passed. `ebcdic`: the file is on an EBCDIC page.
    VaryingLayout(const RecordDef& record, bool ebcdic);

    bool used() const { return used_; }
    std::int64_t min() const { return min_; }
    std::uint32_t max() const { return max_; }
    // Bytes a record reaches before its counter can be read.
    std::size_t counterEnd() const { return counterEnd_; }

    // The counter's value in the record at `record` (at least counterEnd() bytes), or nothing
    // when its bytes are no number.
    std::optional<std::int64_t> counter(const unsigned char* record) const;
    bool inRange(std::int64_t count) const { return count >= min_ && count <= max_; }

    // Bytes of a record that holds `count` occurrences. REQUIRES: inRange(count).
    std::size_t length(std::uint32_t count) const {
        return size_ - static_cast<std::size_t>(max_ - count) * occurrenceSize_;
    }

    // Lays out the `read` bytes of a record holding `count` occurrences at `out` (the kind's
    // length), as its fields read it: the occurrences it lacks, and bytes beyond what was
    // read, filled with `blank`. Returns how many of `out`'s bytes are the record's own reach
    // (the kind's length when nothing was cut).
    std::size_t expand(const unsigned char* record, std::size_t read, std::uint32_t count,
                       unsigned char blank, unsigned char* out) const;

    // The reverse of `expand`: moves the bytes after the table of the record at `record` (laid
    // out at the kind's length) to right after its first `count` occurrences, and returns the
    // record's length then. REQUIRES: inRange(count).
    std::size_t compact(unsigned char* record, std::uint32_t count) const;

    // The occurrences of a record laid out by `expand` with `reach` bytes of its own: 0 when
    // it does not reach its counter.
    std::uint32_t presentIn(const unsigned char* expanded, std::size_t reach) const;

    // The occurrence (counted from 0) that a field at 0-based `offset` lies in, or kAll outside
    // the table.
    std::uint32_t occurrenceAt(std::size_t offset) const {
        if (!used_ || offset < begin_ || offset >= end_) return kAll;
        return static_cast<std::uint32_t>((offset - begin_) / occurrenceSize_);
    }
    // Whether a field at `offset` is absent from a record holding `count` occurrences.
    bool absent(std::size_t offset, std::uint32_t count) const {
        const std::uint32_t at = occurrenceAt(offset);
        return at != kAll && at >= count;
    }
    // How far before its place in the kind a field at `offset` lies in the file, in a record
    // holding `count` occurrences.
    std::size_t shift(std::size_t offset, std::uint32_t count) const {
        return used_ && offset >= end_ ? static_cast<std::size_t>(max_ - count) * occurrenceSize_
                                       : 0;
    }

    // The message of a counter that no record can hold, for the record numbered `number` at
    // file offset `offset` of kind `record`; `value` as read (its bytes shown when no number).
    std::string counterFaultText(std::int64_t number, std::int64_t offset,
                                 const std::string& record, const unsigned char* bytes) const;

  private:
    bool used_ = false;
    bool ebcdic_ = false;
    FieldDef counterField_;
    std::size_t counterOffset_ = 0, counterEnd_ = 0;
    std::size_t begin_ = 0, end_ = 0, size_ = 0;
    std::size_t occurrenceSize_ = 0;
    std::int64_t min_ = 0;
    std::uint32_t max_ = 0;
};

}  // namespace sorvek
