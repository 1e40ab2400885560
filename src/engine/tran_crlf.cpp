#include "engine/tran_crlf.h"

#include <cstring>
#include <vector>

#include "engine/job_files.h"
#include "engine/line_break_scan.h"
#include "engine/parallel_jobs.h"
#include "engine/text_blocks.h"
#include "platform/codepage.h"

namespace sorvek {

const char* lineEndingBytes(std::string_view lineEnding) {
    const std::string upper = asciiUpper(lineEnding);
    if (upper == "CR+LF" || upper == "CRLF") return "\r\n";
    if (upper == "CR") return "\r";
    if (upper == "LF") return "\n";
    return nullptr;
}

Failure lineEndingRefusal(std::string_view lineEnding) {
    return Failure(FailureKind::RefusedArgument, "", FailureSubject::LineEnding,
                   asciiUpper(lineEnding));
}

Status tranCrlf(const std::string& inputPath, const std::string& outputPath,
                std::string& lineEnding, EngineContext& context) {
    lineEnding = asciiUpper(lineEnding);
    const char* ending = lineEndingBytes(lineEnding);
    if (ending == nullptr) return lineEndingRefusal(lineEnding);
    const std::size_t endingLength = std::strlen(ending);

    bool afterCr = false;  // the last byte of the previous block was a CR
    if (context.jobs > 1) {
        // A part starts after a CR when the part before it ends in one.
        const Status status = convertTextInParts(
            inputPath, outputPath, context, endingLength, kOutputSlack,
            [&](const char* data, std::size_t size, std::int64_t) -> TextPartTask {
                const bool startsAfterCr = afterCr;
                afterCr = data[size - 1] == '\r';
                return [=](const char* begin, const char* end, char* out) {
                    bool state = startsAfterCr;
                    return convertBreaks(begin, end, ending, endingLength, state, out);
                };
            });
        return jobOutcome(status, context);
    }
    const Status status =
        convertByBlocks(inputPath, outputPath, context, endingLength, kOutputSlack,
                        [&](const char* begin, const char* end, char* out) {
                            return convertBreaks(begin, end, ending, endingLength, afterCr, out);
                        });
    return jobOutcome(status, context);
}

std::int16_t detectLineEnding(const std::string& path, FileSystem& files) {
    constexpr std::size_t kSample = 20480;
    if (!files.fileExists(path)) return kNoFile;
    auto input = files.openRead(path);
    if (!input) return kUndetermined;
    std::vector<char> sample(kSample);
    Result<std::size_t> got = (*input)->read(sample.data(), kSample);
    if (!got) return kUndetermined;
    std::int16_t result = *got >= kSample ? kUndetermined : kNoLineBreak;
    const char* end = sample.data() + *got;
    const char* p = findLineBreak(sample.data(), end);
    if (p == end) return result;
    if (*p == '\n') return kLf;
    return (p + 1 < end && p[1] == '\n') ? kCrLf : kCr;
}

}  // namespace sorvek
