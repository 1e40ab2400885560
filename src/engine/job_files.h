#pragma once
// The input and output files of a conversion: the opening steps shared by every conversion and
// the check, with their failures, and the reading, writing and progress reporting they all do
// alike.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/background_writer.h"
#include "engine/engine_context.h"
#include "platform/safe_output.h"

namespace sorvek {

// The failure of a job that was cancelled (a signal, the cancel button).
inline Failure cancelledFailure() {
    return Failure(FailureKind::Cancelled);
}

// Reports positions in the input, scaled so that files beyond 2 GiB fit the 32-bit bar. For an
// input whose length is not known in advance it reports bytes done instead, and at the end
// the display full.
class ProgressReporter {
  public:
    // `total`: bytes of the input, or -1 when not known in advance.
    ProgressReporter(Progress& progress, std::int64_t total);
    // Shows the label and reports 0 of `total` (or 0 bytes done).
    void start();
    void reached(std::int64_t position);
    // The display at its end: the total, or the last position reached when there was none.
    void finished();

  private:
    static int shiftFor(std::int64_t total);
    std::int32_t scaled(std::int64_t v) const { return static_cast<std::int32_t>(v >> shift_); }
    Progress& progress_;
    std::int64_t total_;
    std::int64_t last_ = 0;
    int shift_ = 0;
};

// Output through large buffers. Full buffers are written in turn on a background thread while
// the next one fills, so that an uneven pace of writing (the page cache, a slow disk) seldom
// holds the conversion up. The first failed write is kept ("sticky") and every later write is
// skipped, so the loops need not check each call; the caller asks `finish()` once.
class OutputBuffer {
  public:
    OutputBuffer(WritableFile& file, std::size_t capacity);
    ~OutputBuffer();

    // Room for at least `n` bytes at the returned pointer; flushes or grows as needed.
    char* reserve(std::size_t n) {
        std::vector<char>& buffer = buffers_[active_];
        if (buffer.size() - used_ >= n) return buffer.data() + used_;
        return reserveAfterFlush(n);
    }
    // Takes the `n` bytes written at the pointer of the last `reserve`.
    void commit(std::size_t n) { used_ += n; }
    void append(const char* data, std::size_t n);
    std::size_t buffered() const { return used_; }
    // From here on the bytes taken are CP932 that reaches the file as UTF-8, decoded by
    // `decoder` on the writer's thread, or on the caller's while the writer is behind. Flushes
    // first: what was taken before is written as it is. REQUIRES: what is taken from here on is cut
    // into buffers only between characters that `decode` reads alike whole and in pieces (the
    // caller commits whole lines that end in a byte that stands alone). `decoder` outlives the
    // buffer.
    void decodeFromHere(const Cp932Decoder& decoder);
    // Hands what is buffered to the writer.
    void flush();
    // Flushes and waits for every write; the first failure, if any. The file stays open: its
    // owner closes it (SafeOutput::commit).
    Status finish();
    bool ok() const { return writer_.ok(); }

  private:
    char* reserveAfterFlush(std::size_t n);

    // Filled in turn; while one is filled, the others may wait to be written.
    static constexpr std::size_t kBuffers = 4;
    static_assert(kBuffers >= 2 && kBuffers - 1 <= BackgroundWriter::kMaxQueued);
    std::vector<std::vector<char>> buffers_;
    std::vector<MemoryOutput> decoded_;  // by buffer: its UTF-8 when decoded here
    std::size_t active_ = 0;             // the buffer being filled
    std::size_t used_ = 0;
    const Cp932Decoder* decoder_ = nullptr;  // for what is handed to the writer
    BackgroundWriter writer_;
};

// The input of a conversion, read to its end whatever it is: a regular file as long as it was
// when opened, anything else (a pipe, standard input, a device, a file of /proc) until it ends.
class JobInput {
  public:
    // `length`: the bytes a regular file holds, or -1 when not known in advance. `probed`: bytes
    // already read from `file`, served first.
    // `gate` (may be null) is waited at before each read but the first.
    JobInput(std::unique_ptr<ReadableFile> file, std::string path, std::int64_t length,
             const std::atomic<bool>* cancelled, std::string probed = {}, JobGate* gate = nullptr);

    // The bytes the input holds, or -1 while not known.
    std::int64_t length() const { return length_; }
    std::int64_t consumed() const { return consumed_; }
    // True once every byte has been read.
    bool atEnd() const { return length_ >= 0 ? consumed_ == length_ : ended_; }

    // Reads the next `n` bytes, fewer only at the end of the input, 0 once it has ended.
    // Fails (about InputRead, with the path) when a read failed or a regular file ends before
    // its length (cut short while it was read: a ReadError), and with cancelledFailure() when
    // the job was cancelled before or during the read.
    Result<std::size_t> read(char* buffer, std::size_t n);

    // True when parts of the input may be read by several threads at once with `readAt`: a
    // regular file of known length, nothing read from it yet.
    bool readsAtOffsets() const {
        return length_ >= 0 && probed_.empty() && consumed_ == 0 && file_->readsAtOffsets();
    }
    // Reads the `n` bytes from `offset` on, fewer only where the input ends; thread-safe, and
    // leaves `consumed` as it is. Fails as `read` does (a read that failed, a file cut short, a
    // cancelled job). REQUIRES: readsAtOffsets().
    Result<std::size_t> readAt(std::int64_t offset, char* buffer, std::size_t n) const;

  private:
    // Before a read: waits at the gate between two blocks (not before the first, so that an
    // input of one block is held only before its output replaces the old one), then whether
    // the job was cancelled.
    bool cancelled(std::int64_t offset) const {
        if (gate_ != nullptr && offset > 0) gate_->pause();
        return cancelled_ != nullptr && cancelled_->load(std::memory_order_acquire);
    }
    Failure readFailure(Failure cause) const;

    std::unique_ptr<ReadableFile> file_;
    std::string path_;
    std::int64_t length_;
    const std::atomic<bool>* cancelled_;
    JobGate* gate_;
    std::string probed_;
    std::size_t probedUsed_ = 0;
    std::int64_t consumed_ = 0;
    bool ended_ = false;
};

// Both files of a conversion, opened.
struct JobFiles {
    std::unique_ptr<JobInput> input;
    std::unique_ptr<SafeOutput> output;
};

// An input that was opened: its file and its length (that of a regular file, -1 otherwise).
struct OpenedInput {
    std::unique_ptr<ReadableFile> file;
    std::int64_t length = -1;
};

// The checks and the opening of an input, shared by the jobs and the check: it must exist (about
// InputMissing, kind NotFound), must be no folder (InputOpen, IsDirectory) and must open
// (InputOpen, with the reason).
Result<OpenedInput> openInputFile(const std::string& inputPath, FileSystem& files);

// The opening step of a job's input: it must exist (about
// InputMissing, kind NotFound), must be no folder (InputOpen, IsDirectory) and must open
// (InputOpen, with the reason). A regular file that says it is empty (a file of /proc) is read
// ahead to see whether it has contents all the same. `cancelled` and `gate` may be null.
Result<std::unique_ptr<JobInput>> openJobInput(const std::string& inputPath, FileSystem& files,
                                               const std::atomic<bool>* cancelled,
                                               JobGate* gate = nullptr);

// The opening steps. The input opens as openJobInput opens it; the output must not name the
// input or one of `context.keptFiles` (about OutputOpen, kind RefusedArgument, with the reason
// why), and is opened through SafeOutput (OutputOpen, with the reason), so that an existing
// output keeps what it holds until the job succeeds. Nothing at the output path is touched by a
// failure.
Result<JobFiles> openJobFiles(const std::string& inputPath, const std::string& outputPath,
                              EngineContext& context);
// The output's steps of openJobFiles alone: the refusals, then SafeOutput::open.
Result<std::unique_ptr<SafeOutput>> openJobOutput(const std::string& inputPath,
                                                  const std::string& outputPath,
                                                  const EngineContext& context);

// How an output ends: replaced by what was written (the job succeeded), or, after a failure
// found in the data, given what was written only where it goes out as it comes (a pipe, a
// device) while a file keeps what it held.
enum class OutputEnd { Replace, KeepOldFile };

// Finishes the output: flushes the buffers and commits the file as `end` says (the old output
// is replaced only now). A failure is about OutputWrite on `outputPath`, with the reason; the
// old output is then as it was. Before a replacing commit the job waits at `context.gate`
// while it is held (JobGate::enterReplace), and fails with cancelledFailure() when it was
// cancelled meanwhile, the old output as it was.
Status finishOutput(const EngineContext& context, OutputBuffer& output, SafeOutput& file,
                    const std::string& outputPath, OutputEnd end = OutputEnd::Replace);
// The same for an output written by other means: `written` is the outcome of the writes.
Status finishOutput(const EngineContext& context, Status written, SafeOutput& file,
                    const std::string& outputPath, OutputEnd end = OutputEnd::Replace);

// Converts one block: writes at most the promised bound at `out` and returns the end of what it
// wrote. State that must run on across blocks lives in the function object.
using BlockConverter = std::function<char*(const char* begin, const char* end, char* out)>;

// The whole of a conversion whose output is made block by block: opens the files, converts
// each block (at most `perByte` × n + `extra` output bytes for n input bytes), reports progress
// after each block and at the end. Succeeds when the output was written to its end.
Status convertByBlocks(const std::string& inputPath, const std::string& outputPath,
                       EngineContext& context, std::size_t perByte, std::size_t extra,
                       const BlockConverter& convert);

// What a job ends with: `status`, but after a cancellation the cancellation (a failure that a
// stop request brought about, such as an interrupted write, is the stop).
Status jobOutcome(Status status, const EngineContext& context);

}  // namespace sorvek
