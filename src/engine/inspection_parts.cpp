#include "engine/inspection_parts.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/job_files.h"
#include "engine/part_turns.h"
#include "engine/part_workers.h"

namespace sorvek {
namespace {

// What the worker of one part leaves for the job's thread.
struct PartInspection {
    bool done = false;                 // read and inspected (not cancelled, no failure)
    std::unique_ptr<Inspector> bytes;  // the profile of its bytes (none for the first part)
    std::int64_t end = 0;              // file offset after its bytes
};

// The bytes of a part: mapped where the file system maps the file, read otherwise.
struct PartBytes {
    std::unique_ptr<MappedBytes> mapped;
    std::shared_ptr<std::vector<char>> buffer;
    const unsigned char* data = nullptr;
};

}  // namespace

Result<InspectionReport> inspectFileInParts(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context) {
    FileSystem& fs = context.files;
    Result<FileInfo> info = fs.inspect(path);
    if (!info || info->kind != FileKind::Regular) return inspectFileInOrder(path, table, context);
    auto opened = fs.openRead(path);
    if (!opened) return fileFailure(FailureSubject::InputOpen, path, opened.error());
    JobInput input(std::move(*opened), path, info->size, nullptr);
    if (!input.readsAtOffsets()) return inspectFileInOrder(path, table, context);

    const std::int64_t total = input.length();
    const InspectionLimits& limits = context.limits;
    const auto length = static_cast<std::int64_t>(std::max<std::size_t>(context.blockSize, 1) * 4);
    const std::int64_t firstLength = std::max(length, limits.startBytes());
    auto cancelRequested = [&] {
        return context.cancel != nullptr && context.cancel->load(std::memory_order_relaxed);
    };
    ProgressReporter progress(context.progress, total);
    progress.start();

    // The start of the file and every record, in order; the profiles of the other parts are
    // joined to it.
    Inspector whole(table, limits);
    bool recordsCut = false;  // a part was not inspected: the records after it are not added
    std::atomic<bool> failed{false};
    std::mutex failureMutex;
    Failure firstFailure;  // of the read that failed first, under failureMutex
    BufferPool pool;
    PartTurns turns;

    // Maps the part where the file system can (no copy), or reads it.
    auto bytesOf = [&](std::int64_t at, std::size_t size) -> Result<PartBytes> {
        PartBytes part;
        if (size == 0) {  // an empty file
            static const unsigned char kNone[1] = {};
            part.data = kNone;
            return part;
        }
        if (auto file = fs.openRead(path); file && (*file)->skip(at)) {
            if (auto mapped = (*file)->mapNext(size);
                mapped && *mapped && (*mapped)->size() == size) {
                part.mapped = std::move(*mapped);
                part.data = part.mapped->data();
                return part;
            }
        }
        part.buffer = pool.take();
        part.buffer->resize(size);
        Result<std::size_t> got = input.readAt(at, part.buffer->data(), size);
        if (!got) return got.error();
        part.data = reinterpret_cast<const unsigned char*>(part.buffer->data());
        return part;
    };

    // Profiles the bytes of a part at once with the others, then hands them to the records in
    // the parts' turns, in the order of the file.
    auto inspectPart = [&](std::uint64_t index, std::int64_t at, std::size_t size,
                           PartInspection& out) {
        Result<PartBytes> bytes = failure("");
        const bool skipped = cancelRequested() || failed.load(std::memory_order_acquire);
        if (!skipped) {
            bytes = bytesOf(at, size);
            if (!bytes) {
                std::lock_guard<std::mutex> lock(failureMutex);
                if (!failed.load(std::memory_order_relaxed)) firstFailure = bytes.error();
                failed.store(true, std::memory_order_release);
            }
        }
        if (skipped || !bytes) {
            PartTurn turn(turns, index);
            recordsCut = true;
            return;
        }
        const unsigned char* data = bytes->data;
        if (index == 0) {
            whole.addBytes(data, size);
        } else {
            out.bytes = std::make_unique<Inspector>(table, limits, at);
            out.bytes->addBytes(data, size);
        }
        PartTurn turn(turns, index);
        if (!recordsCut) whole.addRecords(data, size);
        out.done = !recordsCut;
    };

    bool cancelled = false;
    std::deque<std::shared_ptr<PartInspection>> parts;
    // The workers come last, so that the parts still queued end before what they use.
    PartWorkers workers(std::max(context.jobs, 1u));

    auto joinOldest = [&] {
        (void)workers.takeOldest();
        const std::shared_ptr<PartInspection> part = std::move(parts.front());
        parts.pop_front();
        if (cancelled || failed.load(std::memory_order_acquire)) return;
        if (!part->done) {
            cancelled = true;
            return;
        }
        if (part->bytes) whole.join(*part->bytes);
        progress.reached(part->end);
    };
    const unsigned jobs = std::max(context.jobs, 1u);
    std::uint64_t submitted = 0;
    std::int64_t at = 0;
    do {
        if (cancelRequested()) {
            cancelled = true;
            break;
        }
        const auto size =
            static_cast<std::size_t>(std::min(at == 0 ? firstLength : length, total - at));
        auto part = std::make_shared<PartInspection>();
        part->end = at + static_cast<std::int64_t>(size);
        parts.push_back(part);
        const std::uint64_t index = submitted++;
        workers.submit([&inspectPart, index, at, size, part] {
            inspectPart(index, at, size, *part);
            return PartResult();
        });
        at += static_cast<std::int64_t>(size);
        while (parts.size() > jobs + 1) joinOldest();
    } while (at < total && !cancelled && !failed.load(std::memory_order_acquire));
    while (!parts.empty()) joinOldest();

    if (failed.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> lock(failureMutex);
        return firstFailure;
    }
    if (cancelled) return whole.finish(true);
    progress.finished();
    return whole.finish();
}

}  // namespace sorvek
