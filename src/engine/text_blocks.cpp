#include "engine/text_blocks.h"

#include <algorithm>
#include <cstring>

#include "engine/line_break_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvek {
namespace {

#if defined(__SSE2__)
// The 16 bytes at `p`, stored whole at `out`, and the position of the first CR or LF among them
// (16 when there is none). The callers then advance `out` by as many bytes as are valid: the
// rest of the store is overwritten by what follows, which is why the output needs
// kOutputSlack bytes of room.
inline unsigned copy16UpToBreak(const char* p, char* out) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(breaks));
    return mask == 0 ? 16u : static_cast<unsigned>(__builtin_ctz(mask));
}
#endif

// The byte-wise tail of cutRecords, for the last bytes of a block (and where there is no SSE2).
char* cutRecordsTail(const char* p, const char* end, std::int32_t length, std::int64_t& count, char* out) {
    while (p < end) {
        const char* lineEnd = findLineBreak(p, end);
        if (length <= 0) {
            std::memcpy(out, p, static_cast<std::size_t>(lineEnd - p));
            out += lineEnd - p;
        } else {
            while (p < lineEnd) {
                std::int64_t take = std::min<std::int64_t>(lineEnd - p, length - count);
                std::memcpy(out, p, static_cast<std::size_t>(take));
                out += take;
                p += take;
                count += take;
                if (count == length) {
                    *out++ = '\r';
                    *out++ = '\n';
                    count = 0;
                }
            }
        }
        p = lineEnd < end ? lineEnd + 1 : end;  // the CR or LF itself is dropped
    }
    return out;
}

}  // namespace

#if defined(__SSE2__)
namespace {

// Copies [p, end) without its CR and LF bytes; sixteen bytes a step, a step ending early at a
// break.
char* removeBreaks(const char* p, const char* end, char* out) {
    while (end - p >= 16) {
        const unsigned brk = copy16UpToBreak(p, out);
        out += brk;
        p += brk + (brk < 16 ? 1 : 0);
    }
    std::int64_t count = 0;
    return cutRecordsTail(p, end, 0, count, out);
}

// Copies data without breaks into records of `length` bytes, each followed by CR LF. The copy
// moves sixteen bytes at a time, so it reads up to 15 bytes beyond `end` and writes up to 15
// beyond what it keeps; the loop count per record is the same for every record, which keeps it
// well predicted.
char* splitRecords(const char* q, const char* end, std::int32_t length, std::int64_t& count, char* out) {
    while (q < end) {
        const std::int64_t take = std::min<std::int64_t>(length - count, end - q);
        for (std::int64_t i = 0; i < take; i += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + i)));
        }
        out += take;
        q += take;
        count += take;
        if (count == length) {
            *out++ = '\r';
            *out++ = '\n';
            count = 0;
        }
    }
    return out;
}

}  // namespace
#endif

char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count, char* out) {
#if defined(__SSE2__)
    if (length <= 0) return removeBreaks(p, end, out);
    // Two passes: drop the breaks, then cut. The data without breaks is put far enough behind
    // the output that the cutting, which writes at most 3 bytes per byte it reads, never
    // reaches what it has yet to read.
    const std::size_t n = static_cast<std::size_t>(end - p);
    char* compact = out + 2 * n + 32;
    char* compactEnd = removeBreaks(p, end, compact);
    return splitRecords(compact, compactEnd, length, count, out);
#else
    return cutRecordsTail(p, end, length, count, out);
#endif
}

char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out) {
#if defined(__SSE2__)
    const char e0 = ending[0];
    const char e1 = endingLength > 1 ? ending[1] : '\0';
    while (end - p >= 16) {
        const unsigned brk = copy16UpToBreak(p, out);
        out += brk;
        p += brk;
        if (brk == 16) {
            afterCr = false;
            continue;
        }
        if (brk > 0) afterCr = false;
        // An LF right after a CR completes a pair whose ending is already written.
        if (*p == '\r' || !afterCr) {
            out[0] = e0;
            out[1] = e1;  // overwritten by what follows when the ending is one byte
            out += endingLength;
        }
        afterCr = *p == '\r';
        ++p;
    }
#endif
    while (p < end) {
        const char* lineEnd = findLineBreak(p, end);
        if (lineEnd != p) {
            std::memcpy(out, p, static_cast<std::size_t>(lineEnd - p));
            out += lineEnd - p;
            afterCr = false;
        }
        if (lineEnd == end) break;
        if (*lineEnd == '\r' || !afterCr) {
            std::memcpy(out, ending, endingLength);
            out += endingLength;
        }
        afterCr = *lineEnd == '\r';
        p = lineEnd + 1;
    }
    return out;
}

}  // namespace sorvek
