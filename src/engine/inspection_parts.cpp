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

// Room kept before a part's bytes for the record cut at the end of the part before it.
constexpr std::size_t kCarryRoom = 64 * 1024;

// Follows the lineage over the records of the walk in the parts' turns.
struct LineageFollower {
    RecordLineage& lineage;
    void record(const FramedRecord& r) {
        if (r.kind != 0) (void)lineage.record(r.kind, r.offset, r.number);
    }
    void stopped(std::int64_t, std::int64_t) {}
    void fault(FramingFault, const std::string&, std::int64_t, std::int64_t) {}
};

// The record walk as it runs from one part into the next, followed in the parts' turns.
struct WalkAcrossParts {
    explicit WalkAcrossParts(const RecordDefTable& table) : cutter(table), lineage(table) {}
    RecordCutter cutter;
    RecordLineage lineage;
    std::vector<char> carry;  // bytes of a record cut at the end of the last part
    bool ended = false;       // the records ended (the end, a stop, a failure, a cancellation)
};

// What the worker of one part leaves for the job's thread.
struct PartInspection {
    std::unique_ptr<Inspector> inspector;  // null: the part was not inspected
    std::int64_t end = 0;                  // file offset after its bytes
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

    auto inspectPart = [&](std::uint64_t index, std::int64_t at, std::size_t size,
                           PartInspection& out) {
        std::shared_ptr<std::vector<char>> buffer;
        Result<std::size_t> got = std::size_t{0};
        const bool skipped = cancelRequested() || failed.load(std::memory_order_acquire);
        if (!skipped) {
            buffer = pool.take();
            buffer->resize(kCarryRoom + size);
            got = input.readAt(at, buffer->data() + kCarryRoom, size);
            if (!got) failed.store(true, std::memory_order_release);
        }
        if (skipped || !got) {
            // The parts after it are not joined: the records end here.
            PartTurn turn(turns, index);
            if (across) across->ended = true;
            return;
        }
        std::unique_ptr<Inspector> inspector = index == 0
                                                   ? std::make_unique<Inspector>(table, limits)
                                                   : std::make_unique<Inspector>(table, limits, at);
        std::vector<char>& bytes = *buffer;
        inspector->addBytes(reinterpret_cast<const unsigned char*>(bytes.data() + kCarryRoom),
                            size);

        RecordsResume resume;
        std::optional<RecordLineage> lineageAtStart;
        const char* data = nullptr;
        std::size_t partSize = 0;
        bool last = false;
        bool records = false;
        {
            PartTurn turn(turns, index);
            if (across && !across->ended) {
                std::vector<char>& carry = across->carry;
                std::size_t begin = kCarryRoom - std::min(carry.size(), kCarryRoom);
                if (carry.size() <= kCarryRoom) {
                    std::copy(carry.begin(), carry.end(), bytes.begin() + begin);
                } else {
                    // A record longer than the room: joined by a copy.
                    std::vector<char> joined(carry);
                    joined.insert(joined.end(), bytes.begin() + kCarryRoom, bytes.end());
                    bytes.swap(joined);
                    begin = 0;
                }
                data = bytes.data() + begin;
                const std::size_t n = bytes.size() - begin;
                const auto* walked = reinterpret_cast<const unsigned char*>(data);
                RecordCutter& cutter = across->cutter;
                resume = {cutter.offset(), cutter.records(), cutter.framing().state(), nullptr};
                if (index > 0) lineageAtStart = across->lineage;
                const bool atEnd = at + static_cast<std::int64_t>(size) == total;
                LineageFollower follower{across->lineage};
                const RecordCutter::Outcome walk = cutter.cut(walked, walked + n, atEnd, follower);
                last = atEnd || walk.stopped;
                partSize = last ? n : walk.consumed;
                carry.assign(data + partSize, data + n);
                across->ended = last;
                records = true;
            }
        }
        if (records) {
            if (lineageAtStart) resume.lineage = &*lineageAtStart;
            inspector->resumeRecords(resume);
            inspector->addRecords(reinterpret_cast<const unsigned char*>(data), partSize);
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
