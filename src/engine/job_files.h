#pragma once
// The input and output files of a conversion: the opening steps shared by every conversion,
// with their messages, and the reading, writing and progress reporting they all do alike.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/background_writer.h"
#include "engine/engine_context.h"

namespace sorvek {

// Title of every message of the opening steps and of read and write failures.
inline constexpr const char* kOpenTitle = "tranRecLen()";

// Reports positions in the input, scaled so that files beyond 2 GiB fit the 32-bit bar.
class ProgressReporter {
  public:
    ProgressReporter(Progress& progress, std::int64_t total);
    // Shows the label and reports 0 of `total`.
    void start();
    void reached(std::int64_t position);
    void finished() { reached(total_); }

  private:
    std::int32_t scaled(std::int64_t v) const { return static_cast<std::int32_t>(v >> shift_); }
    Progress& progress_;
    std::int64_t total_;
    int shift_ = 0;
};

// Output through large buffers. A full buffer is written on a background thread while the
// other one fills. The first failed write is kept ("sticky") and every later write is skipped,
// so the loops need not check each call; the caller asks `finish()` once.
class OutputBuffer {
  public:
    OutputBuffer(WritableFile& file, std::size_t capacity);
    ~OutputBuffer();

    // Room for at least `n` bytes at the returned pointer; flushes or grows as needed.
    char* reserve(std::size_t n);
    // Takes the `n` bytes written at the pointer of the last `reserve`.
    void commit(std::size_t n) { used_ += n; }
    void append(const char* data, std::size_t n);
    std::size_t buffered() const { return used_; }
    // Hands what is buffered to the writer.
    void flush();
    // Flushes, waits for every write and closes the file; the first failure, if any.
    Status finish();
    bool ok() const { return writer_.ok(); }

  private:
    WritableFile& file_;
    std::vector<char> buffers_[2];
    int active_ = 0;  // the buffer being filled; the other may be in flight
    std::size_t used_ = 0;
    BackgroundWriter writer_;
};

// Both files of a conversion, opened.
struct JobFiles {
    std::unique_ptr<ReadableFile> input;
    std::unique_ptr<WritableFile> output;
    std::int64_t inputLength = 0;
};

// The opening steps: the input must exist, must open, must not be the output file; an existing
// output is deleted and the output created. A failure carries the message to show (the text, a
// line feed, "fni = " or "fno = " and the path); the output is untouched unless the failure was
// in creating it.
Result<JobFiles> openJobFiles(const std::string& inputPath, const std::string& outputPath,
                              FileSystem& fs);

// Reads the next block of up to `n` bytes into `buffer`: the count read, 0 at the end. A file
// that ends before `remaining` bytes were read counts as a read failure.
Result<std::size_t> readBlock(ReadableFile& input, char* buffer, std::size_t n,
                              std::int64_t remaining, const std::string& inputPath);

// Finishes the output: a failure carries the write-failure message for `outputPath`.
Status finishOutput(OutputBuffer& output, const std::string& outputPath);

// Converts one block: writes at most the promised bound at `out` and returns the end of what it
// wrote. State that must run on across blocks lives in the function object.
using BlockConverter = std::function<char*(const char* begin, const char* end, char* out)>;

// The whole of a conversion whose output is made block by block: opens the files, converts
// each block (at most `perByte` × n + `extra` output bytes for n input bytes), reports progress
// after each block and at the end. Succeeds when the output was written to its end.
Status convertByBlocks(const std::string& inputPath, const std::string& outputPath,
                       EngineContext& context, std::size_t perByte, std::size_t extra,
                       const BlockConverter& convert);

// Shows a failure of the opening steps, of reading or of writing through the message port,
// titled "tranRecLen()". True when `status` is a success (nothing shown).
bool reportJobStatus(const Status& status, EngineContext& context);

}  // namespace sorvek
