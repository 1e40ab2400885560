#include "engine/job_files.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sorvek {
namespace {

void showOpenFailure(EngineContext& context, const std::string& text, const std::string& label,
                     const std::string& path) {
    context.messages.show(text + "\n" + label + path, kOpenTitle, MessageIcon::Exclamation);
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

bool OutputBuffer::finish() {
    flush();
    writer_.wait();
    bool closed = file_.close();
    return writer_.ok() && closed;
}

std::optional<JobFiles> openJobFiles(const std::string& inputPath, const std::string& outputPath,
                                     EngineContext& context) {
    FileSystem& fs = context.files;
    if (!fs.fileExists(inputPath)) {
        showOpenFailure(context, "入力ファイルが存在しません。", "fni = ", inputPath);
        return std::nullopt;
    }
    JobFiles files;
    files.input = fs.openRead(inputPath);
    if (!files.input) {
        showOpenFailure(context, "ファイルのオープンに失敗しました。", "fni = ", inputPath);
        return std::nullopt;
    }
    // Deleting the output before creating it would destroy the input when both name one file.
    if (fs.isSameFile(inputPath, outputPath)) {
        showOpenFailure(context, "ファイルのオープンに失敗しました。", "fno = ", outputPath);
        return std::nullopt;
    }
    files.inputLength = fs.fileSize(inputPath);
    if (files.inputLength < 0) {
        showOpenFailure(context, "ファイルのオープンに失敗しました。", "fni = ", inputPath);
        return std::nullopt;
    }
    if (fs.fileExists(outputPath)) fs.deleteFile(outputPath);
    files.output = fs.openWrite(outputPath);
    if (!files.output) {
        showOpenFailure(context, "ファイルのオープンに失敗しました。", "fno = ", outputPath);
        return std::nullopt;
    }
    return files;
}

std::int64_t readBlock(ReadableFile& input, char* buffer, std::size_t n, std::int64_t remaining,
                       const std::string& inputPath, EngineContext& context) {
    if (remaining <= 0) return 0;
    std::size_t want =
        remaining < static_cast<std::int64_t>(n) ? static_cast<std::size_t>(remaining) : n;
    std::int64_t got = input.read(buffer, want);
    if (got != static_cast<std::int64_t>(want)) {
        context.messages.show("ファイルの読み込みに失敗しました。\nfni = " + inputPath, kOpenTitle,
                              MessageIcon::Exclamation);
        return -1;
    }
    return got;
}

bool convertByBlocks(const std::string& inputPath, const std::string& outputPath,
                     EngineContext& context, std::size_t perByte, std::size_t extra,
                     const BlockConverter& convert) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return false;

    ProgressReporter progress(context.progress, files->inputLength);
    progress.start();

    const std::size_t blockSize = context.blockSize;
    std::vector<char> block(blockSize);
    OutputBuffer output(*files->output, std::max<std::size_t>(4 * blockSize, 2 << 20) + extra);
    std::int64_t consumed = 0;
    // A failed write ends the loop early: reading on would only delay the message.
    while (consumed < files->inputLength && output.ok()) {
        std::int64_t got = readBlock(*files->input, block.data(), blockSize,
                                     files->inputLength - consumed, inputPath, context);
        if (got < 0) return false;
        std::size_t n = static_cast<std::size_t>(got);
        char* out = output.reserve(perByte * n + extra);
        char* outEnd = convert(block.data(), block.data() + n, out);
        output.commit(static_cast<std::size_t>(outEnd - out));
        consumed += got;
        progress.reached(consumed);
    }
    if (!finishOutput(output, outputPath, context)) return false;
    progress.finished();
    return true;
}

bool finishOutput(OutputBuffer& output, const std::string& outputPath, EngineContext& context) {
    if (output.finish()) return true;
    context.messages.show("ファイルの書き込みに失敗しました。\nfno = " + outputPath, kOpenTitle,
                          MessageIcon::Exclamation);
    return false;
}

}  // namespace sorvek
