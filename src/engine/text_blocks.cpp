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

char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count, char* out) {
#if defined(__SSE2__)
    // Sixteen bytes a step; a step ends early at a line break (dropped) or where a record is
    // complete (CR LF appended).
    while (end - p >= 16) {
        const unsigned brk = copy16UpToBreak(p, out);
        if (length > 0 && length - count <= brk) {
            const std::int64_t room = length - count;
            out += room;
            p += room;
            count = 0;
            *out++ = '\r';
            *out++ = '\n';
        } else if (brk == 16) {
            out += 16;
            p += 16;
            count += 16;
        } else {
            out += brk;
            p += brk + 1;
            count += brk;
        }
    }
#endif
    return cutRecordsTail(p, end, length, count, out);
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
