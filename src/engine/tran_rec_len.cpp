#include "engine/tran_rec_len.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/job_files.h"
#include "engine/text_blocks.h"

namespace sorvek {
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
