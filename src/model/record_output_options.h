#pragma once
// How the CSV-to-records job lays its records one after another: in a fixed-length file back to
// back or each followed by a line end, and, for records behind descriptor words (the
// definition's record format), the most bytes of a block.
#include <array>
#include <cstdint>
#include <optional>

#include "model/csv_output_options.h"

namespace sorvek {

enum class RecordEnd : std::uint8_t { None, CrLf, Lf };

inline constexpr std::array<OptionWord<RecordEnd>, 3> kRecordEndWords{{
    {"none", RecordEnd::None},
    {"crlf", RecordEnd::CrLf},
    {"lf", RecordEnd::Lf},
}};

// The largest block of records behind block descriptor words, its word included, as host
// systems write them (and the default).
inline constexpr std::uint32_t kMaxBlockSize = 32760;

struct RecordOutputOptions {
    RecordEnd end = RecordEnd::None;
    std::uint32_t blockSize = kMaxBlockSize;

    bool operator==(const RecordOutputOptions&) const = default;
};

// What a run sets; what it leaves alone stays as the defaults say.
struct RecordOutputOverrides {
    std::optional<RecordEnd> end;
    std::optional<std::uint32_t> blockSize;

    bool empty() const { return !end && !blockSize; }
    void applyTo(RecordOutputOptions& options) const {
        if (end) options.end = *end;
        if (blockSize) options.blockSize = *blockSize;
    }
};

}  // namespace sorvek
