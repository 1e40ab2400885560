#pragma once
// The output line of every record kind, worked out once per run: which fields of which
// generations, where in the record, how converted. Writing a line is then a walk over a flat
// list of steps, with no allocation and no look at the field definitions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

class CsvLinePlan {
  public:
    // REQUIRES: `table` passed checkRec2CsvDefinition. `delimiter` is the CP932 bytes written
    // between two fields.
    CsvLinePlan(const RecordDefTable& table, std::string_view delimiter);

    // Bytes `write` may touch for a line of `kind` (the line and one delimiter more).
    std::size_t maxLineLength(int kind) const {
        return kinds_[static_cast<std::size_t>(kind)].maxLength;
    }

    // Writes the line of record kind `kind` at `out`, without a line break, and returns its
    // end. `data[r]` holds the bytes of the last record of kind r (its whole `Size`), or is
    // nullptr while none was read. The marked fields of the generations from the top down are
    // written, joined by the delimiter; an ancestor without a record yet leaves it and the
    // generations above it out. REQUIRES: room for maxLineLength(kind) bytes at `out`;
    // data[kind] is not nullptr.
    char* write(int kind, const unsigned char* const* data, char* out) const;

  private:
    enum class Conversion : std::uint8_t { Copy, ZonedWithPoint, Packed };
    struct Step {
        std::uint32_t offset;  // 0-based position in the record
        std::uint32_t size;    // bytes in the record
        std::int32_t dec;
        Conversion conversion;
    };
    // One record kind: its own marked fields, and the nearest ancestor that has some. A line
    // walks up this chain, so the plan stays linear in the size of the record tree however
    // deep it is.
    struct KindPlan {
        std::size_t stepBegin = 0, stepEnd = 0;  // own marked fields
        std::uint32_t markedAncestor = 0;        // nearest ancestor with marked fields, or 0
        std::size_t maxLength = 0;               // of the line: own and ancestors' fields
    };

    bool hasSteps(std::size_t r) const { return kinds_[r].stepBegin != kinds_[r].stepEnd; }

    std::string delimiter_;
    std::vector<Step> steps_;
    std::vector<KindPlan> kinds_;  // by record index; entry 0 unused
    // The generations of the line being written, bottom up: room for the deepest chain. Makes
    // `write` unfit for two threads at once, as the converter that calls it is.
    mutable std::vector<std::uint32_t> chain_;
};

}  // namespace sorvek
