#include "engine/tran_rec_len.h"

#include <vector>

#include "engine/job_files.h"
#include "engine/text_blocks.h"

namespace sorvek {

bool tranRecLen(const std::string& inputPath, const std::string& outputPath,
                std::int32_t recordLength, EngineContext& context) {
    std::int64_t count = 0;  // data bytes since the last inserted break, across blocks
    std::vector<char> scratch(context.blockSize + kOutputSlack);
    const Status status =
        convertByBlocks(inputPath, outputPath, context, 3, 2 + kOutputSlack,
                        [&](const char* begin, const char* end, char* out) {
                            return cutRecords(begin, end, recordLength, count, out, scratch.data());
                        });
    return reportJobStatus(status, context);
}

}  // namespace sorvek
