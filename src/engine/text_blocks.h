#pragma once
// The in-memory work of the text jobs on one input block. Both carry their state across blocks,
// so the output does not depend on where the input was cut into blocks.
#include <cstddef>
#include <cstdint>

namespace sorvek {

// Room the block functions need at `out` beyond their output: they copy sixteen bytes at a time
// and only then decide how many of them count.
inline constexpr std::size_t kOutputSlack = 64;  // at least two 32-byte steps

// Cuts the data bytes of [p, end) into records of `length` bytes, dropping every CR and LF and
// appending CR LF after each complete record; with a length of 0 or below nothing is appended.
// `count` is the number of data bytes since the last appended break and runs on across calls.
// REQUIRES: room for 3 × (end - p) + 2 + kOutputSlack bytes at `out`, and for (end - p) +
// kOutputSlack bytes at `scratch`, a work area of the caller's. Returns the end of what was
// written.
char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch);

// Replaces every line break of [p, end) (CR LF, a lone CR, a lone LF) by `ending`. `afterCr`
// tells that the byte before `p` was a CR, so that an LF completing a CR LF pair split between
// blocks is not converted twice; it is updated for the next block.
// REQUIRES: room for `endingLength` × (end - p) + kOutputSlack bytes at `out`, `endingLength`
// 1 or 2.
// Returns the end of what was written.
char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out);

// The variants behind the two functions above: 16-byte steps (SSE2, or byte-wise where there is
// none) and 32-byte steps (AVX2, when `avx2Available()`). The functions above pick the widest the
// processor has; the variants are named for tests, which hold each to the same results.
namespace sse2 {
char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch);
char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out);
}  // namespace sse2
bool avx2Available();

}  // namespace sorvek
