#pragma once
// The loops of the text jobs' block work, written once for any vector width. Each translation
// unit that includes this header instantiates them with its own `Lanes` (SSE2 in one, AVX2 in
// another compiled for that instruction set), inside a namespace of its own.
//
// `Lanes` provides:
//   static constexpr int kWidth;                            bytes per step
//   static unsigned copyUpToBreak(const char* p, char* out) stores kWidth bytes of p at out and
//                                                            returns the index of the first CR or
//                                                            LF among them, or kWidth
//   static void copy(const char* p, char* out)              stores kWidth bytes of p at out
//   static std::uint64_t breakMask64(const char* p)         bit i set when p[i] is CR or LF,
//                                                            for i in 0..63
// A step stores a whole vector and then advances by the bytes that count; what lies beyond is
// overwritten by the next step, which is why the output needs kOutputSlack bytes of room.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/line_break_scan.h"

namespace sorvek::text_loops {

// The byte-wise form of the record cutting, for the last bytes of a block.
inline char* cutRecordsTail(const char* p, const char* end, std::int32_t length,
                            std::int64_t& count, char* out) {
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

// The byte-wise form of the line-ending conversion, for the last bytes of a block.
inline char* convertBreaksTail(const char* p, const char* end, const char* ending,
                               std::size_t endingLength, bool& afterCr, char* out) {
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

// Stores the 64 bytes at `p` at `out`.
template <class Lanes>
inline void copy64(const char* p, char* out) {
    for (int i = 0; i < 64; i += Lanes::kWidth) Lanes::copy(p + i, out + i);
}

// The fast part of both conversions: takes 64 bytes a step at a fixed pace, finds their breaks
// as one bit mask, and copies the runs between them, so the next load never waits for where the
// previous step ended. At each break, `onBreak(brk, out)` may append to `out`; the break byte
// itself is not copied. Reads up to 127 bytes ahead, so it stops when fewer than 128 bytes are
// left and returns where it stopped; the caller finishes with smaller steps.
template <class Lanes, class OnBreak>
const char* copyRunsBy64(const char* p, const char* end, char*& out, OnBreak onBreak) {
    while (end - p >= 128) {
        std::uint64_t mask = Lanes::breakMask64(p);
        const char* from = p;
        while (mask != 0) {
            const char* brk = p + __builtin_ctzll(mask);
            copy64<Lanes>(from, out);
            out += brk - from;
            onBreak(brk, out);
            from = brk + 1;
            mask &= mask - 1;
        }
        copy64<Lanes>(from, out);
        out += p + 64 - from;
        p += 64;
    }
    return p;
}

// Copies [p, end) without its CR and LF bytes.
template <class Lanes>
char* removeBreaks(const char* p, const char* end, char* out) {
    p = copyRunsBy64<Lanes>(p, end, out, [](const char*, char*&) {});
    while (end - p >= Lanes::kWidth) {
        const unsigned brk = Lanes::copyUpToBreak(p, out);
        out += brk;
        p += brk + (brk < Lanes::kWidth ? 1 : 0);
    }
    std::int64_t count = 0;
    return cutRecordsTail(p, end, 0, count, out);
}

// Copies data without breaks into records of `length` (> 0) bytes, each followed by CR LF. Reads
// up to kWidth - 1 bytes beyond `end`. The number of steps per record is the same for every
// record, which keeps the loop well predicted.
template <class Lanes>
char* splitRecords(const char* q, const char* end, std::int32_t length, std::int64_t& count,
                   char* out) {
    while (q < end) {
        const std::int64_t take = std::min<std::int64_t>(length - count, end - q);
        for (std::int64_t i = 0; i < take; i += Lanes::kWidth) Lanes::copy(q + i, out + i);
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

template <class Lanes>
char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch) {
    if (length <= 0) return removeBreaks<Lanes>(p, end, out);
    // Two passes, each with a loop that branches rarely: drop the breaks into the scratch area
    // (small and reused, so it stays in the cache), then cut what is left into records.
    char* scratchEnd = removeBreaks<Lanes>(p, end, scratch);
    return splitRecords<Lanes>(scratch, scratchEnd, length, count, out);
}

template <class Lanes>
char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out) {
    const char e0 = ending[0];
    const char e1 = endingLength > 1 ? ending[1] : '\0';
    // Every CR becomes the ending, and so does every LF that does not follow a CR.
    const char* const blockStart = p;
    p = copyRunsBy64<Lanes>(p, end, out, [&](const char* brk, char*& o) {
        const bool afterCrHere = brk > blockStart ? brk[-1] == '\r' : afterCr;
        const bool pairedLf = *brk == '\n' && afterCrHere;
        o[0] = e0;
        o[1] = e1;  // overwritten by what follows when the ending is one byte
        o += pairedLf ? 0 : endingLength;
    });
    if (p > blockStart) afterCr = p[-1] == '\r';
    while (end - p >= Lanes::kWidth) {
        const unsigned brk = Lanes::copyUpToBreak(p, out);
        out += brk;
        p += brk;
        if (brk == Lanes::kWidth) {
            afterCr = false;
            continue;
        }
        if (brk > 0) afterCr = false;
        // An LF right after a CR completes a pair whose ending is already written.
        if (*p == '\r' || !afterCr) {
            out[0] = e0;
            out[1] = e1;
            out += endingLength;
        }
        afterCr = *p == '\r';
        ++p;
    }
    return convertBreaksTail(p, end, ending, endingLength, afterCr, out);
}

}  // namespace sorvek::text_loops
