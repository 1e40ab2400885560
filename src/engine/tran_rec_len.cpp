#include "engine/tran_rec_len.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/job_files.h"
#include "engine/parallel_jobs.h"
#include "engine/text_blocks.h"

namespace sorvek {
namespace {

// 0x80 in each byte of `word` that equals the byte repeated in `pattern`, 0 elsewhere.
std::uint64_t bytesEqual(std::uint64_t word, std::uint64_t pattern) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t x = word ^ pattern;
    return ~(((x & kLow7) + kLow7) | x | kLow7);
}

// Bytes of [data, data + size) that are no CR and no LF: the bytes a record is made of. Eight
// bytes at a time: it is a pass over every part besides the conversion.
std::int64_t dataBytes(const char* data, std::size_t size) {
    std::size_t breaks = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        // One bit per CR or LF, at the bottom of its byte; summed by a multiplication (no
        // population count on the baseline processor).
        const std::uint64_t found =
            (bytesEqual(word, 0x0D0D0D0D0D0D0D0DULL) | bytesEqual(word, 0x0A0A0A0A0A0A0A0AULL)) >>
            7;
        breaks += static_cast<std::size_t>((found * 0x0101010101010101ULL) >> 56);
    }
    for (; i < size; ++i) breaks += (data[i] == '\r') + (data[i] == '\n');
    return static_cast<std::int64_t>(size - breaks);
}

}  // namespace

Status tranRecLen(const std::string& inputPath, const std::string& outputPath,
                  std::int32_t recordLength, EngineContext& context) {
    std::int64_t count = 0;  // data bytes since the last inserted break, across blocks
    if (context.jobs > 1) {
        // The position in the current record where a part starts: the data bytes of the parts
        // before it, each counted by its own worker.
        const Status status = convertTextInParts(
            inputPath, outputPath, context, 3, 2 + kOutputSlack,
            [&](const char*, std::size_t, std::int64_t measured) -> TextPartTask {
                const std::int64_t startCount = count;
                count += measured;
                if (recordLength > 0) count %= recordLength;
                return [=](const char* begin, const char* end, char* out) {
                    thread_local std::vector<char> scratch;
                    scratch.resize(static_cast<std::size_t>(end - begin) + kOutputSlack);
                    std::int64_t state = startCount;
                    return cutRecords(begin, end, recordLength, state, out, scratch.data());
                };
            },
            dataBytes);
        return jobOutcome(status, context);
    }
    std::vector<char> scratch(context.blockSize + kOutputSlack);
    const Status status =
        convertByBlocks(inputPath, outputPath, context, 3, 2 + kOutputSlack,
                        [&](const char* begin, const char* end, char* out) {
                            return cutRecords(begin, end, recordLength, count, out, scratch.data());
                        });
    return jobOutcome(status, context);
}

}  // namespace sorvek
