#include "engine/parallel_jobs.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/in_order_writer.h"
#include "engine/job_files.h"
#include "engine/part_turns.h"
#include "engine/part_workers.h"
#include "engine/split_plan.h"

namespace sorvek {
namespace {

// Room kept before a part's bytes for the record cut at the end of the part before it, so that
// joining them costs no copy of the part.
constexpr std::size_t kCarryRoom = 64 * 1024;

// Hands the parts to the workers, at most a few in flight, and takes them back in order on the
// job's thread: progress at the end of each part, and the message of a part that stopped the
// conversion.
class PartQueue {
  public:
    PartQueue(PartWorkers& workers, ProgressReporter& progress)
        : workers_(workers), progress_(progress) {}

    // Queues `work`, which is handed the part's number (0, 1, ...); `end`: the input offset
    // reached when the part is done.
    void submit(std::function<PartResult(std::uint64_t)> work, std::int64_t end) {
        workers_.submit([work = std::move(work), index = submitted_] { return work(index); });
        ++submitted_;
        ends_.push_back(end);
    }
    // Waits for the oldest part. False when it stopped the conversion: `stopMessage` says why.
    bool takeOldest() {
        PartResult result = workers_.takeOldest();
        progress_.reached(ends_.front());
        ends_.pop_front();
        if (result.stopMessage.empty()) return true;
        stopMessage = std::move(result.stopMessage);
        return false;
    }
    // Waits for every part still in flight, dropping what they tell.
    void drain() {
        while (inFlight() > 0) {
            (void)workers_.takeOldest();
            ends_.pop_front();
        }
    }
    std::size_t inFlight() const { return workers_.inFlight(); }
    std::uint64_t submitted() const { return submitted_; }

    std::string stopMessage;

  private:
    PartWorkers& workers_;
    ProgressReporter& progress_;
    std::deque<std::int64_t> ends_;
    std::uint64_t submitted_ = 0;
};

// The first failure of reading the input (or the cancellation), kept by the part whose turn
// found it, so that the job shows exactly what the sequential run would.
class ReadFailure {
  public:
    void set(Failure failure) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_) return;
        failure_ = std::move(failure);
        failed_ = true;
    }
    bool failed() const { return failed_.load(std::memory_order_acquire); }
    Status status() const {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!failed_) return {};
        return failure_;
    }

  private:
    mutable std::mutex mutex_;
    Failure failure_;
    std::atomic<bool> failed_{false};
};

// The record walk as it runs from one part into the next, followed in the parts' turns.
struct WalkAcrossParts {
    std::vector<char> carry;         // bytes of a record cut at the end of the last part
    std::int64_t offset = 0;         // of carry[0]
    std::atomic<bool> ended{false};  // a part was the last one (the end, a stop, a failure)
};

}  // namespace

std::size_t partLength(const EngineContext& context) {
    return std::max<std::size_t>(context.blockSize, 1) * 4;
}

Status tranRec2CsvInParts(const std::string& inputPath, const std::string& outputPath,
                          RecordDefTable& table, EngineContext& context) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    const Rec2CsvText text = prepareRec2CsvRun(table);
    const std::size_t length = partLength(context);
    InOrderWriter writer(files->output->file());
    writer.writeFirst(text.preamble.data(), text.preamble.size());

    BufferPool pool;
    ReadFailure readFailure;
    PartTurns turns;
    WalkAcrossParts across;
    const RecordDefTable& prepared = table;
    RecordWalker walker(prepared);

    // Converts the walked bytes of a part and hands the lines to the writer.
    auto convert = [&](std::uint64_t index, const RecordPartStart& start, const char* data,
                       std::size_t size, bool last) {
        PartResult result;
        if (writer.ok()) {
            result = convertRec2CsvPart(prepared, text, start,
                                        reinterpret_cast<const unsigned char*>(data), size, last,
                                        false, writer.takeBuffer());
        }
        writer.deliver(index, std::move(result.bytes), !result.stopMessage.empty());
        result.bytes = MemoryOutput();
        return result;
    };

    // A regular file: each worker reads its own stretch of the input, walks it in its turn
    // (the records that run on from the stretch before it come first) and converts it.
    const std::int64_t total = input.length();
    auto part = [&](std::uint64_t index, std::int64_t at, std::size_t size) {
        std::shared_ptr<std::vector<char>> buffer = pool.take();
        std::vector<char>& bytes = *buffer;
        bytes.resize(kCarryRoom + size);
        Result<std::size_t> got = std::size_t{0};
        if (!across.ended.load(std::memory_order_acquire)) {
            got = input.readAt(at, bytes.data() + kCarryRoom, size);
        }
        PartTurn turn(turns, index);
        if (across.ended.load(std::memory_order_relaxed) || !got) {
            // A failure counts only where the sequential run would have read on.
            if (!got && !across.ended.load(std::memory_order_relaxed)) {
                readFailure.set(got.error());
            }
            across.ended.store(true, std::memory_order_release);
            turn.end();
            writer.deliver(index, MemoryOutput());
            return PartResult();
        }
        if (context.observeInput) context.observeInput(bytes.data() + kCarryRoom, size);
        std::size_t begin = kCarryRoom - std::min(across.carry.size(), kCarryRoom);
        if (across.carry.size() <= kCarryRoom) {
            std::copy(across.carry.begin(), across.carry.end(), bytes.begin() + begin);
        } else {
            // A record longer than the room: joined by a copy.
            std::vector<char> joined(across.carry);
            joined.insert(joined.end(), bytes.begin() + kCarryRoom, bytes.end());
            bytes.swap(joined);
            begin = 0;
        }
        const char* data = bytes.data() + begin;
        const std::size_t n = bytes.size() - begin;
        const auto* walked = reinterpret_cast<const unsigned char*>(data);
        const bool atEnd = at + static_cast<std::int64_t>(size) == total;
        RecordPartStart start = walker.partStart(across.offset);
        const RecordWalker::Step step = walker.walk(walked, walked + n, atEnd);
        walker.keepRecords();
        const bool last = atEnd || step.stopped;
        // Not one whole record yet: everything runs on into the next part.
        const std::size_t partSize = last ? n : step.consumed;
        across.carry.assign(data + partSize, data + n);
        across.offset += static_cast<std::int64_t>(partSize);
        if (last) across.ended.store(true, std::memory_order_release);
        turn.end();
        if (partSize == 0 && !last) {
            writer.deliver(index, MemoryOutput());
            return PartResult();
        }
        return convert(index, start, data, partSize, last);
    };
    // The workers come last, so that the parts still queued end before what they use.
    PartWorkers workers(context.jobs);
    PartQueue queue(workers, progress);
    bool stopped = false;  // a part ends the conversion
    if (input.readsAtOffsets()) {
        std::int64_t at = 0;
        do {
            const auto size = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(length), total - at));
            queue.submit([&part, at, size](std::uint64_t index) { return part(index, at, size); },
                         at + static_cast<std::int64_t>(size));
            at += static_cast<std::int64_t>(size);
            while (queue.inFlight() > context.jobs + 1 && !stopped) stopped = !queue.takeOldest();
        } while (at < total && !stopped && !readFailure.failed() && writer.ok());
    } else {
        // A pipe or a device: read here, in order, and walked here.
        std::vector<char> carry;  // bytes after the last part, not yet part of one
        std::int64_t offset = 0;  // of carry[0]
        std::size_t needed = 0;
        bool reading = true;
        while (reading && writer.ok()) {
            std::shared_ptr<std::vector<char>> buffer = pool.take();
            std::vector<char>& bytes = *buffer;
            bytes.resize(std::max(carry.size() + length, needed));
            std::copy(carry.begin(), carry.end(), bytes.begin());
            const std::size_t kept = carry.size();
            Result<std::size_t> got = input.read(bytes.data() + kept, bytes.size() - kept);
            if (!got) {
                readFailure.set(got.error());
                break;
            }
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
            offset += static_cast<std::int64_t>(partSize);
            queue.submit(
                [&convert, start = std::move(start), buffer, partSize, last](std::uint64_t index) {
                    return convert(index, start, buffer->data(), partSize, last);
                },
                offset);
            reading = !last;
            while (queue.inFlight() > context.jobs + 1 && !stopped) stopped = !queue.takeOldest();
            if (stopped) break;
        }
    }
    while (queue.inFlight() > 0 && !stopped && writer.ok()) stopped = !queue.takeOldest();
    // The workers read the table: the parts still in flight (after a stop or a failure) finish
    // before it changes.
    queue.drain();
    const Status written = writer.finish(queue.submitted());
    for (std::size_t k = 1; k < walker.lastRecords().size(); ++k) {
        table[k].Data = walker.lastRecords()[k];
    }
    if (readFailure.failed()) return jobOutcome(readFailure.status(), context);
    if (stopped) {
        // As in the sequential run: the lines before it reach a pipe or a device; a file keeps
        // what it held.
        const Status flushed =
            finishOutput(written, *files->output, outputPath, OutputEnd::KeepOldFile);
        if (!flushed) return jobOutcome(flushed, context);
        return dataStop(std::move(queue.stopMessage));
    }
    if (Status finished = finishOutput(written, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

Status convertTextInParts(const std::string& inputPath, const std::string& outputPath,
                          EngineContext& context, std::size_t perByte, std::size_t extra,
                          const TextPartCutter& cut, const TextPartMeasure& measure) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return files.error();
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    const std::size_t length = partLength(context);
    InOrderWriter writer(files->output->file());
    BufferPool pool;
    ReadFailure readFailure;
    PartTurns turns;

    auto convert = [&](std::uint64_t index, const std::vector<char>& bytes,
                       const TextPartTask& task) {
        MemoryOutput out = writer.takeBuffer();
        if (writer.ok()) {
            char* to = out.reserve(perByte * bytes.size() + extra);
            char* end = task(bytes.data(), bytes.data() + bytes.size(), to);
            out.commit(static_cast<std::size_t>(end - to));
        }
        writer.deliver(index, std::move(out));
        return PartResult();
    };

    // A regular file: each worker reads its own part; the state the part starts in is
    // found in the parts' turns, in the order of the input.
    std::atomic<bool> failed{false};
    auto part = [&](std::uint64_t index, std::int64_t at, std::size_t size) {
        std::shared_ptr<std::vector<char>> buffer = pool.take();
        buffer->resize(size);
        Result<std::size_t> got = std::size_t{0};
        if (!failed.load(std::memory_order_acquire)) {
            got = input.readAt(at, buffer->data(), size);
        }
        const std::int64_t measured = got && measure ? measure(buffer->data(), size) : 0;
        PartTurn turn(turns, index);
        TextPartTask task;
        const bool go = got && !failed.load(std::memory_order_relaxed);
        if (go) {
            if (context.observeInput) context.observeInput(buffer->data(), size);
            task = cut(buffer->data(), size, measured);
        } else {
            if (!got && !failed.load(std::memory_order_relaxed)) readFailure.set(got.error());
            failed.store(true, std::memory_order_release);
        }
        turn.end();
        if (!go) {
            writer.deliver(index, MemoryOutput());
            return PartResult();
        }
        return convert(index, *buffer, task);
    };
    // The workers come last, so that the parts still queued end before what they use.
    PartWorkers workers(context.jobs);
    PartQueue queue(workers, progress);
    if (input.readsAtOffsets()) {
        const std::int64_t total = input.length();
        for (std::int64_t at = 0; at < total && !readFailure.failed() && writer.ok();) {
            const auto size = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(length), total - at));
            queue.submit([&part, at, size](std::uint64_t index) { return part(index, at, size); },
                         at + static_cast<std::int64_t>(size));
            at += static_cast<std::int64_t>(size);
            while (queue.inFlight() > context.jobs + 1) (void)queue.takeOldest();
        }
    } else {
        while (!input.atEnd() && writer.ok()) {
            std::shared_ptr<std::vector<char>> buffer = pool.take();
            buffer->resize(length);
            Result<std::size_t> got = input.read(buffer->data(), length);
            if (!got) {
                readFailure.set(got.error());
                break;
            }
            if (*got == 0) break;
            buffer->resize(*got);
            if (context.observeInput) context.observeInput(buffer->data(), *got);
            const std::int64_t measured = measure ? measure(buffer->data(), buffer->size()) : 0;
            TextPartTask task = cut(buffer->data(), buffer->size(), measured);
            queue.submit([&convert, task = std::move(task),
                          buffer](std::uint64_t index) { return convert(index, *buffer, task); },
                         input.consumed());
            while (queue.inFlight() > context.jobs + 1) (void)queue.takeOldest();
        }
    }
    while (queue.inFlight() > 0 && writer.ok()) (void)queue.takeOldest();
    queue.drain();
    const Status written = writer.finish(queue.submitted());
    if (readFailure.failed()) return readFailure.status();
    if (context.cancelled != nullptr && context.cancelled->load(std::memory_order_acquire)) {
        return cancelledFailure();
    }
    if (Status finished = finishOutput(written, *files->output, outputPath); !finished) {
        return finished;
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
