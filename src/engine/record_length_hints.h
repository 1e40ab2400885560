#pragma once
// Record lengths a file may have, for the user who does not know it: from the lengths of its
// lines when it has line breaks, and otherwise from how well the bytes line up when the file
// is cut at each length (a record length puts equal columns, such as class codes and blank
// fillers, under each other). Lengths that divide the file size come first.
#include <cstdint>
#include <span>
#include <vector>

#include "engine/inspection_report.h"

namespace sorvek {

// At most this many suggestions are made.
inline constexpr std::size_t kMaxSuggestions = 5;

// Suggestions for a file of `fileSize` bytes that begins with `head` (up to
// kInspectionHeadBytes; the whole file when it is smaller). `lines` holds the line breaks and
// lengths, of the whole file when `linesOfWholeFile`, else of `head` alone. Best first; empty
// when nothing fits.
std::vector<RecordLengthSuggestion> suggestRecordLengths(std::span<const unsigned char> head,
                                                         std::int64_t fileSize,
                                                         const ByteProfile& lines,
                                                         bool linesOfWholeFile);

// Suggestions from the first bytes of a file alone (the line statistics of `head` are worked
// out here): for the record-length page, which reads no more than the start of the file.
std::vector<RecordLengthSuggestion> suggestRecordLengthsFromHead(
    std::span<const unsigned char> head, std::int64_t fileSize);

}  // namespace sorvek
