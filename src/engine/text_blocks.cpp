#include "engine/text_blocks.h"

#include <algorithm>
#include <cstring>

#include "engine/line_break_scan.h"

namespace sorvek {

char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count, char* out) {
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

char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out) {
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
