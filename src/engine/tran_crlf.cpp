#include "engine/tran_crlf.h"

#include <cstring>
#include <vector>

#include "engine/job_files.h"
#include "engine/line_break_scan.h"
#include "platform/codepage.h"

namespace sorvek {
namespace {

// Replaces the line breaks of one block. `afterCr` tells that the byte before `p` was a CR, so
// that an LF completing a CR LF pair split between blocks is not converted twice. Returns the
// end of the output at `out`, which must have room for 2 × (end - p) bytes.
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

}  // namespace

bool tranCrlf(const std::string& inputPath, const std::string& outputPath,
              std::string& lineEnding, EngineContext& context) {
    lineEnding = asciiUpper(lineEnding);
    const char* ending = nullptr;
    if (lineEnding == "CR+LF" || lineEnding == "CRLF") {
        ending = "\r\n";
    } else if (lineEnding == "CR") {
        ending = "\r";
    } else if (lineEnding == "LF") {
        ending = "\n";
    } else {
        context.messages.show("改行コードの指定に誤りがあります。\n改行コード = " + lineEnding,
                              "tranCrlf()", MessageIcon::Exclamation);
        return false;
    }
    const std::size_t endingLength = std::strlen(ending);

    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return false;

    ProgressReporter progress(context.progress, files->inputLength);
    progress.start();

    const std::size_t blockSize = context.blockSize;
    std::vector<char> block(blockSize);
    OutputBuffer output(*files->output, 4 * blockSize);
    bool afterCr = false;
    std::int64_t consumed = 0;
    while (consumed < files->inputLength && output.ok()) {
        std::int64_t got = readBlock(*files->input, block.data(), blockSize,
                                     files->inputLength - consumed, inputPath, context);
        if (got < 0) return false;
        std::size_t n = static_cast<std::size_t>(got);
        char* out = output.reserve(2 * n);
        char* outEnd = convertBreaks(block.data(), block.data() + n, ending, endingLength, afterCr, out);
        output.commit(static_cast<std::size_t>(outEnd - out));
        consumed += got;
        progress.reached(consumed);
    }
    if (!finishOutput(output, outputPath, context)) return false;
    progress.finished();
    return true;
}

std::int16_t detectLineEnding(const std::string& path, FileSystem& files) {
    constexpr std::size_t kSample = 20480;
    if (!files.fileExists(path)) return kNoFile;
    auto input = files.openRead(path);
    if (!input) return kUndetermined;
    std::vector<char> sample(kSample);
    std::int64_t got = input->read(sample.data(), kSample);
    if (got < 0) return kUndetermined;
    std::int16_t result = got >= static_cast<std::int64_t>(kSample) ? kUndetermined : kNoLineBreak;
    const char* end = sample.data() + got;
    const char* p = findLineBreak(sample.data(), end);
    if (p == end) return result;
    if (*p == '\n') return kLf;
    return (p + 1 < end && p[1] == '\n') ? kCrLf : kCr;
}

}  // namespace sorvek
