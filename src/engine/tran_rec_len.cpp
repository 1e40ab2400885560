#include "engine/tran_rec_len.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/job_files.h"
#include "engine/line_break_scan.h"

namespace sorvek {
namespace {

// Cuts the data bytes of one block into records. `count` is the number of data bytes since the
// last inserted break and runs on across calls. Returns the end of the output written at `out`,
// which must have room for 3 × (end - p) + 2 bytes.
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

}  // namespace

bool tranRecLen(const std::string& inputPath, const std::string& outputPath,
                std::int32_t recordLength, EngineContext& context) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return false;

    ProgressReporter progress(context.progress, files->inputLength);
    progress.start();

    const std::size_t blockSize = context.blockSize;
    std::vector<char> block(blockSize);
    OutputBuffer output(*files->output, 4 * blockSize + 2);
    std::int64_t count = 0;
    std::int64_t consumed = 0;
    while (consumed < files->inputLength && output.ok()) {
        std::int64_t got = readBlock(*files->input, block.data(), blockSize,
                                     files->inputLength - consumed, inputPath, context);
        if (got < 0) return false;
        std::size_t n = static_cast<std::size_t>(got);
        char* out = output.reserve(3 * n + 2);
        char* outEnd = cutRecords(block.data(), block.data() + n, recordLength, count, out);
        output.commit(static_cast<std::size_t>(outEnd - out));
        consumed += got;
        progress.reached(consumed);
    }
    if (!finishOutput(output, outputPath, context)) return false;
    progress.finished();
    return true;
}

}  // namespace sorvek
