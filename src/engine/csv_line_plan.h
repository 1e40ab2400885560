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
    // The marked fields of one generation (a record with at least one).
    struct Level {
        std::uint32_t record;
        std::size_t stepBegin, stepEnd;
    };
    // The generations of a kind's line, top-level ancestor first.
    struct KindPlan {
        std::size_t levelBegin = 0, levelEnd = 0;
        std::size_t maxLength = 0;
    };

    std::string delimiter_;
    std::vector<Step> steps_;
    std::vector<Level> levels_;
    std::vector<KindPlan> kinds_;  // by record index; entry 0 unused
};

}  // namespace sorvek
