#include "engine/parallel_jobs.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "engine/job_files.h"
#include "engine/part_workers.h"
#include "engine/split_plan.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

// Output memory of parts already written, handed to the next parts.
class OutputPool {
  public:
    MemoryOutput take() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (free_.empty()) return MemoryOutput();
        MemoryOutput output = std::move(free_.back());
        free_.pop_back();
        return output;
    }
    void give(MemoryOutput output) {
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(std::move(output));
    }

  private:
    std::mutex mutex_;
    std::vector<MemoryOutput> free_;
};

// Writes the results of the parts in order, reporting progress at the end of each part.
class OrderedWriter {
  public:
    OrderedWriter(PartWorkers& workers, OutputBuffer& output, ProgressReporter& progress,
                  OutputPool& pool)
        : workers_(workers), output_(output), progress_(progress), pool_(pool) {}

    void submit(std::function<PartResult()> work, std::int64_t end) {
        workers_.submit(std::move(work));
        ends_.push_back(end);
    }
    // Writes the oldest result. False when it stopped the conversion: `stopMessage` says why.
    bool writeOldest() {
        PartResult result = workers_.takeOldest();
        output_.append(result.bytes.data(), result.bytes.size());
        pool_.give(std::move(result.bytes));
        progress_.reached(ends_.front());
        ends_.pop_front();
        if (result.stopMessage.empty()) return true;
        stopMessage = std::move(result.stopMessage);
        return false;
    }
    std::size_t inFlight() const { return workers_.inFlight(); }

    std::string stopMessage;

  private:
    PartWorkers& workers_;
    OutputBuffer& output_;
    ProgressReporter& progress_;
    OutputPool& pool_;
    std::deque<std::int64_t> ends_;
};

// Buffers handed to the workers come back here, so that each part does not cost the pages of a
// fresh allocation.
class BufferPool {
  public:
    std::shared_ptr<std::vector<char>> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<char>* buffer = nullptr;
        if (free_.empty()) {
            buffer = new std::vector<char>();
        } else {
            buffer = free_.back().release();
            free_.pop_back();
        }
        return std::shared_ptr<std::vector<char>>(buffer, [this](std::vector<char>* b) {
            std::lock_guard<std::mutex> back(mutex_);
            free_.emplace_back(b);
        });
    }

  private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<std::vector<char>>> free_;
};

}  // namespace

std::size_t partLength(const EngineContext& context) {
    return std::max<std::size_t>(context.blockSize, 1) * 4;
}

bool tranRec2CsvInParts(const std::string& inputPath, const std::string& outputPath,
                        RecordDefTable& table, EngineContext& context) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return reportJobStatus(files.error(), context);
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    const Rec2CsvText text = prepareRec2CsvRun(table);
    const std::size_t length = partLength(context);
    OutputBuffer output(files->output->file(), 4 * length);
    output.append(text.preamble.data(), text.preamble.size());

    // Declared before the workers, so that it outlives the parts still queued when a failure
    // returns early.
    BufferPool pool;
    OutputPool outputs;
    const RecordDefTable& prepared = table;
    PartWorkers workers(context.jobs);
    OrderedWriter writer(workers, output, progress, outputs);
    RecordWalker walker(prepared);

    std::vector<char> carry;  // bytes after the last part, not yet part of one
    std::int64_t offset = 0;  // of carry[0]
    std::size_t needed = 0;
    bool stopped = false;  // a part ends the conversion
    bool reading = true;
    while (reading && output.ok()) {
        std::shared_ptr<std::vector<char>> buffer = pool.take();
        std::vector<char>& bytes = *buffer;
        bytes.resize(std::max(carry.size() + length, needed));
        std::copy(carry.begin(), carry.end(), bytes.begin());
        const std::size_t kept = carry.size();
        Result<std::size_t> got = input.read(bytes.data() + kept, bytes.size() - kept);
        if (!got) return reportJobStatus(got.error(), context);
        if (context.observeInput) context.observeInput(bytes.data() + kept, *got);
        bytes.resize(kept + *got);
        const bool atEnd = input.atEnd();

        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        RecordPartStart start = walker.partStart(offset);
        const RecordWalker::Step step = walker.walk(data, data + bytes.size(), atEnd);
        walker.keepRecords();
        needed = step.needed;
        const bool last = atEnd || step.stopped;
        if (step.consumed == 0 && !last) {
            carry.assign(bytes.begin(), bytes.end());  // not one whole record yet
            continue;
        }
        const std::size_t partSize = last ? bytes.size() : step.consumed;
        carry.assign(bytes.begin() + static_cast<std::ptrdiff_t>(partSize), bytes.end());
        bytes.resize(partSize);
        offset += static_cast<std::int64_t>(partSize);
        writer.submit(
            [&prepared, &text, &outputs, start = std::move(start), buffer, last] {
                return convertRec2CsvPart(prepared, text, start,
                                          reinterpret_cast<const unsigned char*>(buffer->data()),
                                          buffer->size(), last, false, outputs.take());
            },
            offset);
        reading = !last;
        while (writer.inFlight() > context.jobs + 1 && !stopped) stopped = !writer.writeOldest();
        if (stopped) break;
    }
    while (writer.inFlight() > 0 && !stopped && output.ok()) stopped = !writer.writeOldest();
    // The workers read the table: the parts still in flight (after a stop or a failed write)
    // finish before it changes.
    while (writer.inFlight() > 0) (void)workers.takeOldest();
    for (std::size_t k = 1; k < walker.lastRecords().size(); ++k) {
        table[k].Data = walker.lastRecords()[k];
    }
    if (stopped) {
        // As in the sequential run: the lines before it reach a pipe or a device; a file keeps
        // what it held.
        const Status flushed =
            finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
        if (!reportJobStatus(flushed, context)) return false;
        context.messages.show(writer.stopMessage, kAppTitle, MessageIcon::Exclamation);
        return false;
    }
    if (!reportJobStatus(finishOutput(output, *files->output, outputPath), context)) return false;
    progress.finished();
    return true;
}

Status convertTextInParts(const std::string& inputPath, const std::string& outputPath,
                          EngineContext& context, std::size_t perByte, std::size_t extra,
                          const TextPartCutter& cut) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return files.error();
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    const std::size_t length = partLength(context);
    OutputBuffer output(files->output->file(), std::max<std::size_t>(4 * length, 2 << 20) + extra);
    BufferPool pool;
    OutputPool outputs;
    PartWorkers workers(context.jobs);
    OrderedWriter writer(workers, output, progress, outputs);
    while (!input.atEnd() && output.ok()) {
        std::shared_ptr<std::vector<char>> buffer = pool.take();
        buffer->resize(length);
        Result<std::size_t> got = input.read(buffer->data(), length);
        if (!got) return got.error();
        if (*got == 0) break;
        buffer->resize(*got);
        if (context.observeInput) context.observeInput(buffer->data(), *got);
        TextPartTask task = cut(buffer->data(), buffer->size());
        writer.submit(
            [task = std::move(task), buffer, perByte, extra, &outputs] {
                PartResult result;
                result.bytes = outputs.take();
                result.bytes.clear();
                char* out = result.bytes.reserve(perByte * buffer->size() + extra);
                char* end = task(buffer->data(), buffer->data() + buffer->size(), out);
                result.bytes.commit(static_cast<std::size_t>(end - out));
                return result;
            },
            input.consumed());
        while (writer.inFlight() > context.jobs + 1) (void)writer.writeOldest();
    }
    while (writer.inFlight() > 0 && output.ok()) (void)writer.writeOldest();
    if (context.cancelled != nullptr && context.cancelled->load(std::memory_order_acquire)) {
        return failure(kCancelledText);
    }
    if (Status finished = finishOutput(output, *files->output, outputPath); !finished) {
        return finished;
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
