#include "engine/job_files.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sorvek {
namespace {

constexpr const char* kOpenFailed = "ファイルのオープンに失敗しました。";

Failure fileFailure(const char* text, const char* label, const std::string& path) {
    return failure(std::string(text) + "\n" + label + path);
}

}  // namespace

ProgressReporter::ProgressReporter(Progress& progress, std::int64_t total)
    : progress_(progress), total_(total) {
    while ((total_ >> shift_) > std::numeric_limits<std::int32_t>::max()) ++shift_;
}

void ProgressReporter::start() {
    progress_.showLabel();
    progress_.showProgress(0, scaled(total_));
}

void ProgressReporter::reached(std::int64_t position) {
    progress_.showProgress(scaled(position < total_ ? position : total_), -1);
}

OutputBuffer::OutputBuffer(WritableFile& file, std::size_t capacity)
    : file_(file),
      buffers_{std::vector<char>(capacity), std::vector<char>(capacity)},
      writer_(file) {}

OutputBuffer::~OutputBuffer() {
    writer_.wait();
}

char* OutputBuffer::reserve(std::size_t n) {
    std::vector<char>* buffer = &buffers_[active_];
    if (buffer->size() - used_ < n) {
        flush();
        buffer = &buffers_[active_];
        if (buffer->size() < n) buffer->resize(n);
    }
    return buffer->data() + used_;
}

void OutputBuffer::append(const char* data, std::size_t n) {
    std::vector<char>& buffer = buffers_[active_];
    if (n <= buffer.size() - used_) {
        std::memcpy(buffer.data() + used_, data, n);
        used_ += n;
        return;
    }
    if (n < buffer.size()) {
        std::memcpy(reserve(n), data, n);
        used_ += n;
        return;
    }
    // Larger than a buffer: write it straight from the caller's memory.
    flush();
    writer_.wait();
    writer_.submit(data, n);
    writer_.wait();
}

void OutputBuffer::flush() {
    if (used_ == 0) return;
    writer_.wait();
    writer_.submit(buffers_[active_].data(), used_);
    active_ ^= 1;
    used_ = 0;
}

Status OutputBuffer::finish() {
    flush();
    writer_.wait();
    Status closed = file_.close();
    if (!writer_.ok()) return writer_.failure();
    return closed;
}

Result<JobFiles> openJobFiles(const std::string& inputPath, const std::string& outputPath,
                              FileSystem& fs) {
    if (!fs.fileExists(inputPath)) {
        return fileFailure("入力ファイルが存在しません。", "fni = ", inputPath);
    }
    JobFiles files;
    auto input = fs.openRead(inputPath);
    if (!input) return fileFailure(kOpenFailed, "fni = ", inputPath);
    files.input = std::move(*input);
    // Deleting the output before creating it would destroy the input when both name one file.
    if (fs.isSameFile(inputPath, outputPath)) return fileFailure(kOpenFailed, "fno = ", outputPath);
    files.inputLength = fs.fileSize(inputPath);
    if (files.inputLength < 0) return fileFailure(kOpenFailed, "fni = ", inputPath);
    if (fs.fileExists(outputPath)) {
        // A file that cannot be deleted shows as a failure to create the output just below.
        (void)fs.deleteFile(outputPath);
    }
    auto output = fs.openWrite(outputPath);
    if (!output) return fileFailure(kOpenFailed, "fno = ", outputPath);
    files.output = std::move(*output);
    return files;
}

Result<std::size_t> readBlock(ReadableFile& input, char* buffer, std::size_t n,
                              std::int64_t remaining, const std::string& inputPath) {
    if (remaining <= 0) return std::size_t{0};
    const std::size_t want =
        remaining < static_cast<std::int64_t>(n) ? static_cast<std::size_t>(remaining) : n;
    Result<std::size_t> got = input.read(buffer, want);
    if (!got || *got != want) {
        return fileFailure("ファイルの読み込みに失敗しました。", "fni = ", inputPath);
    }
    return got;
}

Status convertByBlocks(const std::string& inputPath, const std::string& outputPath,
                       EngineContext& context, std::size_t perByte, std::size_t extra,
                       const BlockConverter& convert) {
    auto files = openJobFiles(inputPath, outputPath, context.files);
    if (!files) return files.error();

    ProgressReporter progress(context.progress, files->inputLength);
    progress.start();

    const std::size_t blockSize = context.blockSize;
    std::vector<char> block(blockSize);
    OutputBuffer output(*files->output, std::max<std::size_t>(4 * blockSize, 2 << 20) + extra);
    std::int64_t consumed = 0;
    // A failed write ends the loop early: reading on would only delay the message.
    while (consumed < files->inputLength && output.ok()) {
        Result<std::size_t> got = readBlock(*files->input, block.data(), blockSize,
                                            files->inputLength - consumed, inputPath);
        if (!got) return got.error();
        const std::size_t n = *got;
        if (context.observeInput) context.observeInput(block.data(), n);
        char* out = output.reserve(perByte * n + extra);
        char* outEnd = convert(block.data(), block.data() + n, out);
        output.commit(static_cast<std::size_t>(outEnd - out));
        consumed += static_cast<std::int64_t>(n);
        progress.reached(consumed);
    }
    if (Status finished = finishOutput(output, outputPath); !finished) return finished;
    progress.finished();
    return {};
}

Status finishOutput(OutputBuffer& output, const std::string& outputPath) {
    if (output.finish()) return {};
    return fileFailure("ファイルの書き込みに失敗しました。", "fno = ", outputPath);
}

bool reportJobStatus(const Status& status, EngineContext& context) {
    if (status) return true;
    context.messages.show(status.error().message, kOpenTitle, status.error().icon);
    return false;
}

}  // namespace sorvek
