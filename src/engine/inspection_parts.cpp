#include "engine/inspection_parts.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/job_files.h"
#include "engine/part_turns.h"
#include "engine/part_workers.h"
#include "engine/record_walk.h"

namespace sorvek {
namespace {

// Follows the lineage over the records of the walk in the parts' turns (not needed where no
// kind has a parent or a child).
struct LineageFollower {
    RecordLineage* lineage;
    void record(const FramedRecord& r) {
        if (lineage != nullptr && r.kind != 0) (void)lineage->record(r.kind, r.offset, r.number);
    }
    void stopped(std::int64_t, std::int64_t) {}
    void fault(FramingFault, const std::string&, std::int64_t, std::int64_t) {}
};

// The record walk as it runs from one part into the next, followed in the parts' turns: a
// record cut at the end of a part waits in the stream for the bytes of the next.
struct WalkAcrossParts {
    explicit WalkAcrossParts(const RecordDefTable& table) : stream(table), lineage(table) {
        for (std::size_t k = 1; k < table.entries.size(); ++k) {
            followsLineage = followsLineage || table[k].Parent != 0 || table[k].Child != 0;
        }
    }
    RecordStream stream;
    RecordLineage lineage;
    bool followsLineage = false;
    bool ended = false;  // the records ended (the end, a stop, a failure, a cancellation)
};

// What the worker of one part leaves for the job's thread.
struct PartInspection {
    std::unique_ptr<Inspector> inspector;  // null: the part was not inspected
    std::int64_t end = 0;                  // file offset after its bytes
};

// The bytes of a part: mapped where the file system maps the file, read otherwise.
struct PartBytes {
    std::unique_ptr<MappedBytes> mapped;
    std::shared_ptr<std::vector<char>> buffer;
    const unsigned char* data = nullptr;
};

Failure readFailure(const std::string& path) {
    return failure("ファイルの読み込みに失敗しました。\nfni = " + path);
}

}  // namespace

Result<InspectionReport> inspectFileInParts(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context) {
    FileSystem& fs = context.files;
    Result<FileInfo> info = fs.inspect(path);
    if (!info || info->kind != FileKind::Regular) return inspectFileInOrder(path, table, context);
    auto opened = fs.openRead(path);
    if (!opened) return failure("ファイルのオープンに失敗しました。\nfni = " + path);
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

    const bool withRecords = table != nullptr && checkRecordStructure(*table);
    std::optional<WalkAcrossParts> across;
    if (withRecords) across.emplace(*table);
    std::atomic<bool> failed{false};
    BufferPool pool;
    PartTurns turns;

    // Maps the part where the file system can (no copy), or reads it.
    auto bytesOf = [&](std::int64_t at, std::size_t size) -> Result<PartBytes> {
        PartBytes part;
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

    auto inspectPart = [&](std::uint64_t index, std::int64_t at, std::size_t size,
                           PartInspection& out) {
        Result<PartBytes> bytes = failure("");
        const bool skipped = cancelRequested() || failed.load(std::memory_order_acquire);
        if (!skipped) {
            bytes = bytesOf(at, size);
            if (!bytes) failed.store(true, std::memory_order_release);
        }
        if (skipped || !bytes) {
            // The parts after it are not joined: the records end here.
            PartTurn turn(turns, index);
            if (across) across->ended = true;
            return;
        }
        const unsigned char* data = bytes->data;
        std::unique_ptr<Inspector> inspector = index == 0
                                                   ? std::make_unique<Inspector>(table, limits)
                                                   : std::make_unique<Inspector>(table, limits, at);
        inspector->addBytes(data, size);

        // In the parts' turns: where the records of this part start (with the bytes of a
        // record begun before it), and how far its whole records reach.
        RecordsResume resume;
        std::optional<RecordLineage> lineageAtStart;
        std::string begun;
        std::size_t reach = 0;
        bool last = false;
        bool records = false;
        {
            PartTurn turn(turns, index);
            if (across && !across->ended) {
                RecordStream& walk = across->stream;
                resume = {walk.trailingOffset(), walk.records(), walk.framingState(), nullptr};
                begun = walk.uncut();
                if (index > 0) lineageAtStart = across->lineage;
                LineageFollower follower{across->followsLineage ? &across->lineage : nullptr};
                walk.add(data, size, follower);
                const bool atEnd = at + static_cast<std::int64_t>(size) == total;
                if (atEnd) walk.finish(follower);
                last = atEnd || walk.stopped();
                reach = last ? size : size - std::min(size, walk.uncut().size());
                across->ended = last;
                records = true;
            }
        }
        if (records) {
            if (lineageAtStart) resume.lineage = &*lineageAtStart;
            inspector->resumeRecords(resume);
            inspector->addRecords(reinterpret_cast<const unsigned char*>(begun.data()),
                                  begun.size());
            inspector->addRecords(data, reach);
            if (last) inspector->endRecords();
        }
        out.inspector = std::move(inspector);
    };

    std::unique_ptr<Inspector> joined;
    bool cancelled = false;
    std::deque<std::shared_ptr<PartInspection>> parts;
    // The workers come last, so that the parts still queued end before what they use.
    PartWorkers workers(std::max(context.jobs, 1u));

    auto joinOldest = [&] {
        (void)workers.takeOldest();
        const std::shared_ptr<PartInspection> part = std::move(parts.front());
        parts.pop_front();
        if (cancelled || failed.load(std::memory_order_acquire)) return;
        if (!part->inspector) {
            cancelled = true;
            return;
        }
        if (joined) {
            joined->join(*part->inspector);
        } else {
            joined = std::move(part->inspector);
        }
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

    if (failed.load(std::memory_order_acquire)) return readFailure(path);
    if (cancelled || !joined) {
        if (!joined) joined = std::make_unique<Inspector>(table, limits);
        return joined->finish(true);
    }
    progress.finished();
    return joined->finish();
}

}  // namespace sorvek
