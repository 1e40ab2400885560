#include "engine/job_files.h"

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
    : file_(file), buffer_(capacity) {}

char* OutputBuffer::reserve(std::size_t n) {
    if (buffer_.size() - used_ < n) {
        flush();
        if (buffer_.size() < n) buffer_.resize(n);
    }
    return buffer_.data() + used_;
}

void OutputBuffer::append(const char* data, std::size_t n) {
    if (n <= buffer_.size() - used_) {
        std::memcpy(buffer_.data() + used_, data, n);
        used_ += n;
        return;
    }
    flush();
    if (n >= buffer_.size()) {
        if (ok_) ok_ = file_.write(data, n);
        return;
    }
    std::memcpy(buffer_.data(), data, n);
    used_ = n;
}

void OutputBuffer::flush() {
    if (used_ > 0 && ok_) ok_ = file_.write(buffer_.data(), used_);
    used_ = 0;
}

bool OutputBuffer::finish() {
    flush();
    bool closed = file_.close();
    return ok_ && closed;
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
    std::size_t want = remaining < static_cast<std::int64_t>(n) ? static_cast<std::size_t>(remaining) : n;
    std::int64_t got = input.read(buffer, want);
    if (got != static_cast<std::int64_t>(want)) {
        context.messages.show("ファイルの読み込みに失敗しました。\nfni = " + inputPath, kOpenTitle,
                              MessageIcon::Exclamation);
        return -1;
    }
    return got;
}

bool finishOutput(OutputBuffer& output, const std::string& outputPath, EngineContext& context) {
    if (output.finish()) return true;
    context.messages.show("ファイルの書き込みに失敗しました。\nfno = " + outputPath, kOpenTitle,
                          MessageIcon::Exclamation);
    return false;
}

}  // namespace sorvek
