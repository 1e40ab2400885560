#include "engine/job_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/system_error.h"

namespace sorvek {
namespace {

constexpr const char* kSameAsInput = "入力ファイルと同じファイルです。";
constexpr const char* kCutShort = "読み込み中にファイルが短くなりました。";
// Bytes read ahead from a regular file that says it is empty: a file of /proc has contents
// all the same.
constexpr std::size_t kProbeBytes = 64 * 1024;

}  // namespace

namespace {

bool isCancelled(const EngineContext& context) {
    return context.cancelled != nullptr && context.cancelled->load(std::memory_order_acquire);
}

}  // namespace

int ProgressReporter::shiftFor(std::int64_t total) {
    int shift = 0;
    while ((total >> shift) > std::numeric_limits<std::int32_t>::max()) ++shift;
    return shift;
}

ProgressReporter::ProgressReporter(Progress& progress, std::int64_t total)
    : progress_(progress), total_(total), shift_(shiftFor(total)) {}

void ProgressReporter::start() {
    progress_.showLabel();
    if (total_ < 0) {
        progress_.showBytesDone(0);
        return;
    }
    progress_.showProgress(0, scaled(total_));
}

void ProgressReporter::reached(std::int64_t position) {
    last_ = position;
    if (total_ < 0) {
        progress_.showBytesDone(position);
        return;
    }
    progress_.showProgress(scaled(position < total_ ? position : total_), -1);
}

void ProgressReporter::finished() {
    if (total_ >= 0) {
        reached(total_);
        return;
    }
    // Now the length is known: the bar, scaled as for a file of this length, at its end.
    shift_ = shiftFor(last_);
    progress_.showProgress(scaled(last_), scaled(last_));
}

OutputBuffer::OutputBuffer(WritableFile& file, std::size_t capacity)
    : buffers_(kBuffers), decoded_(kBuffers), writer_(file) {
    for (std::vector<char>& buffer : buffers_) buffer.resize(capacity);
}

OutputBuffer::~OutputBuffer() {
    writer_.wait();
}

char* OutputBuffer::reserveAfterFlush(std::size_t n) {
    flush();
    std::vector<char>& buffer = buffers_[active_];
    if (buffer.size() < n) buffer.resize(n);
    return buffer.data() + used_;
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
    writer_.submit(data, n, decoder_);
    writer_.wait();
}

void OutputBuffer::decodeFromHere(const Cp932Decoder& decoder) {
    flush();
    decoder_ = &decoder;
}

void OutputBuffer::flush() {
    if (used_ == 0) return;
    const char* data = buffers_[active_].data();
    std::size_t size = used_;
    const Cp932Decoder* decoder = decoder_;
    // The next buffer to fill must be written first: of the buffers before this one, at most
    // all but that one may still wait. When the writer is that far behind, this thread decodes
    // the buffer itself rather than wait idle, and the writer only writes it.
    if (decoder != nullptr && writer_.queued() > kBuffers - 2) {
        const std::string_view decoded =
            BackgroundWriter::decodeInto(*decoder, data, size, decoded_[active_]);
        data = decoded.data();
        size = decoded.size();
        decoder = nullptr;
    }
    writer_.waitUntilQueued(kBuffers - 2);
    writer_.submit(data, size, decoder);
    active_ = (active_ + 1) % kBuffers;
    used_ = 0;
}

Status OutputBuffer::finish() {
    flush();
    writer_.wait();
    if (!writer_.ok()) return writer_.failure();
    return {};
}

JobInput::JobInput(std::unique_ptr<ReadableFile> file, std::string path, std::int64_t length,
                   const std::atomic<bool>* cancelled, std::string probed, JobGate* gate)
    : file_(std::move(file)),
      path_(std::move(path)),
      length_(length),
      cancelled_(cancelled),
      gate_(gate),
      probed_(std::move(probed)) {}

Failure JobInput::readFailure(Failure cause) const {
    return fileFailure(FailureSubject::InputRead, path_, std::move(cause));
}

Result<std::size_t> JobInput::read(char* buffer, std::size_t n) {
    if (cancelled(consumed_)) return cancelledFailure();
    if (atEnd()) return std::size_t{0};
    std::size_t want = n;
    if (length_ >= 0 && length_ - consumed_ < static_cast<std::int64_t>(n)) {
        want = static_cast<std::size_t>(length_ - consumed_);
    }
    std::size_t got = std::min(want, probed_.size() - probedUsed_);
    std::memcpy(buffer, probed_.data() + probedUsed_, got);
    probedUsed_ += got;
    // A pipe hands over what it has; the block is filled unless the input ends.
    while (got < want) {
        if (cancelled(consumed_ + static_cast<std::int64_t>(got))) return cancelledFailure();
        Result<std::size_t> more = file_->read(buffer + got, want - got);
        if (!more) {
            if (cancelled(0)) return cancelledFailure();
            return readFailure(more.error());
        }
        if (*more == 0) break;
        got += *more;
    }
    consumed_ += static_cast<std::int64_t>(got);
    if (got < want) {
        // A regular file that ends before the length it had when it was opened was cut short
        // by someone else: what was converted would look whole and be not.
        if (length_ >= 0) return readFailure(failure(kCutShort, FailureKind::ReadError));
        ended_ = true;
    }
    return got;
}

Result<std::size_t> JobInput::readAt(std::int64_t offset, char* buffer, std::size_t n) const {
    if (cancelled(offset)) return cancelledFailure();
    const std::size_t want = static_cast<std::size_t>(
        std::clamp<std::int64_t>(length_ - offset, 0, static_cast<std::int64_t>(n)));
    Result<std::size_t> got = file_->readAt(offset, buffer, want);
    if (!got) {
        if (cancelled(0)) return cancelledFailure();
        return readFailure(got.error());
    }
    // As in `read`: a regular file shorter than when it was opened was cut short by someone.
    if (*got < want) return readFailure(failure(kCutShort, FailureKind::ReadError));
    return got;
}

Result<OpenedInput> openInputFile(const std::string& inputPath, FileSystem& fs) {
    Result<FileInfo> input = fs.inspect(inputPath);
    if (!input) return fileFailure(FailureSubject::InputOpen, inputPath, input.error());
    if (input->kind == FileKind::Missing) {
        return Failure(FailureKind::NotFound, "", FailureSubject::InputMissing, inputPath);
    }
    if (input->kind == FileKind::Folder) {
        return fileFailure(FailureSubject::InputOpen, inputPath, systemFailure(EISDIR));
    }
    auto opened = fs.openRead(inputPath);
    if (!opened) return fileFailure(FailureSubject::InputOpen, inputPath, opened.error());
    return OpenedInput{std::move(*opened), input->kind == FileKind::Regular ? input->size : -1};
}

Result<std::unique_ptr<JobInput>> openJobInput(const std::string& inputPath, FileSystem& fs,
                                               const std::atomic<bool>* cancelled, JobGate* gate) {
    Result<OpenedInput> opened = openInputFile(inputPath, fs);
    if (!opened) return opened.error();
    std::int64_t length = opened->length;
    std::string probed;
    if (length == 0) {
        probed.resize(kProbeBytes);
        Result<std::size_t> got = opened->file->read(probed.data(), probed.size());
        if (!got) return fileFailure(FailureSubject::InputRead, inputPath, got.error());
        probed.resize(*got);
        if (!probed.empty()) length = -1;
    }
    return std::make_unique<JobInput>(std::move(opened->file), inputPath, length, cancelled,
                                      std::move(probed), gate);
}

Result<std::unique_ptr<SafeOutput>> openJobOutput(const std::string& inputPath,
                                                  const std::string& outputPath,
                                                  const EngineContext& context) {
    FileSystem& fs = context.files;
    // Refused before the output is touched: the input, the definition or the settings would be
    // lost under the output (an output written as it is, a device, cannot be any of them).
    auto refused = [&](const std::string& why) {
        return Failure(FailureKind::RefusedArgument, why, FailureSubject::OutputOpen, outputPath);
    };
    if (outputPath != kStandardStream) {
        if (inputPath != kStandardStream && fs.isSameFile(inputPath, outputPath)) {
            return refused(kSameAsInput);
        }
        for (const KeptFile& kept : context.keptFiles) {
            if (!kept.path.empty() && fs.isSameFile(kept.path, outputPath)) {
                return refused(kept.reason);
            }
        }
    }
    auto output = SafeOutput::open(fs, outputPath, SafeOutput::Flush::WhenReplacing);
    if (!output) return fileFailure(FailureSubject::OutputOpen, outputPath, output.error());
    return std::move(*output);
}

Result<JobFiles> openJobFiles(const std::string& inputPath, const std::string& outputPath,
                              EngineContext& context) {
    Result<std::unique_ptr<JobInput>> input =
        openJobInput(inputPath, context.files, context.cancelled, context.gate);
    if (!input) return input.error();
    auto output = openJobOutput(inputPath, outputPath, context);
    if (!output) return output.error();
    JobFiles files;
    files.input = std::move(*input);
    files.output = std::move(*output);
    return files;
}

Status finishOutput(const EngineContext& context, OutputBuffer& output, SafeOutput& file,
                    const std::string& outputPath, OutputEnd end) {
    return finishOutput(context, output.finish(), file, outputPath, end);
}

Status finishOutput(const EngineContext& context, Status written, SafeOutput& file,
                    const std::string& outputPath, OutputEnd end) {
    if (written && end == OutputEnd::Replace && context.gate != nullptr &&
        !context.gate->enterReplace(context.cancelled)) {
        return cancelledFailure();
    }
    if (written && (end == OutputEnd::Replace || file.writesThrough())) written = file.commit();
    if (written) return {};
    return fileFailure(FailureSubject::OutputWrite, outputPath, written.error());
}

Status convertByBlocks(const std::string& inputPath, const std::string& outputPath,
                       EngineContext& context, std::size_t perByte, std::size_t extra,
                       const BlockConverter& convert) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return files.error();
    JobInput& input = *files->input;

    ProgressReporter progress(context.progress, input.length());
    progress.start();

    const std::size_t blockSize = context.blockSize;
    std::vector<char> block(blockSize);
    OutputBuffer output(files->output->file(),
                        std::max<std::size_t>(4 * blockSize, 2 << 20) + extra);
    // A failed write ends the loop early: reading on would only delay the message.
    while (!input.atEnd() && output.ok()) {
        Result<std::size_t> got = input.read(block.data(), blockSize);
        if (!got) return got.error();
        const std::size_t n = *got;
        if (n == 0) break;
        if (context.observeInput) context.observeInput(block.data(), n);
        char* out = output.reserve(perByte * n + extra);
        char* outEnd = convert(block.data(), block.data() + n, out);
        output.commit(static_cast<std::size_t>(outEnd - out));
        progress.reached(input.consumed());
    }
    if (isCancelled(context)) return cancelledFailure();
    if (Status finished = finishOutput(context, output, *files->output, outputPath); !finished) {
        return finished;
    }
    progress.finished();
    return {};
}

Status jobOutcome(Status status, const EngineContext& context) {
    if (status || !isCancelled(context)) return status;
    return cancelledFailure();
}

}  // namespace sorvek
