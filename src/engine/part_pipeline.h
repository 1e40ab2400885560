#pragma once
// The one way a job's parts run on several workers, whatever a part does:
//
// - a bounded queue: at most jobs + 1 parts in flight, so memory stays bounded however long
//   the input is;
// - the input read by the workers themselves, each its own part at its offset (a regular file),
//   or read in order on the job's thread (a pipe, a device, "-");
// - the state that runs from one part into the next handed on in the parts' turns (PartTurns:
//   the worker of part k waits for part k - 1 only for that step);
// - what each part made taken back in order on the job's thread: progress at the end of each
//   part, a part that stopped the work;
// - the first failure in the order of the input kept (a read that failed, a cancelled one), the
//   one the sequential run would meet, and the cancel flag obeyed between parts.
//
// What a part does is a part kind (PartKind below): the record-to-CSV conversion, the text
// jobs, the inspection. The pipeline owns the threads and the queue; the kind owns the state,
// including the turns (`chain`) that guard what it hands from part to part.
#include <algorithm>
#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "engine/job_files.h"
#include "engine/part_turns.h"
#include "engine/part_workers.h"
#include "platform/thread_annotations.h"
#include "ports/status.h"

namespace sorvek {

// What became of a part's read, on its worker.
enum class PartRead {
    Done,       // read, and the work that needs nothing of the parts before it done
    Failed,     // the read failed
    Cancelled,  // the cancel flag was set before the read
    Skipped,    // not read: the chain of parts had ended before it
};

// The turns of a kind's parts and how their chain ended. Every part kind holds one, `chain`, and
// guards the state it hands from part to part with GUARDED_BY(chain.turns).
class PartChain {
  public:
    PartTurns turns;

    // True once a part ended the chain (the last part, or the first one that could not be
    // read): the parts after it need not be read. Any thread.
    bool ended() const { return ended_.load(std::memory_order_acquire); }
    // In the turn of part `index`: true when the part goes on, that is, nothing ended the chain
    // before it and it was read. Otherwise a part not read ends the chain, with `failure`
    // (PartRead::Failed) or as cancelled; a part after the end counts for nothing, as in a
    // reading in order.
    bool admit(std::uint64_t index, PartRead read, Status failure = {}) REQUIRES(turns);
    // In a part's turn: nothing follows this part (the end of the input, a stop in the walk).
    void end() REQUIRES(turns);

    // How the chain ended: the failure of the first part not read (success when none), whether
    // that part was cancelled, and its index.
    const Status& failure() const REQUIRES(turns) { return failure_; }
    bool cancelled() const REQUIRES(turns) { return cancelled_; }
    std::uint64_t unreadPart() const REQUIRES(turns) { return unreadPart_; }

  private:
    Status failure_ GUARDED_BY(turns);
    bool cancelled_ GUARDED_BY(turns) = false;
    std::uint64_t unreadPart_ GUARDED_BY(turns) = 0;
    std::atomic<bool> ended_{false};  // written in turns only
};

// What the job's thread makes of a part it takes back, in order.
struct PartJoin {
    // The part stopped the work (a record of unknown kind, an invalid packed field): the parts
    // after it count for nothing, and `stopMessage` is shown after what came before.
    bool stopped = false;
    std::string stopMessage;
};

// What a kind that reads in order made of the bytes it read.
struct NextPart {
    bool ready = false;    // a part to hand to a worker (else its bytes wait for more)
    bool last = false;     // nothing follows
    std::int64_t end = 0;  // the input offset after the part, for progress
};

// How a run of parts ended. The public functions turn it into their own report.
struct PartPipelineOutcome {
    // The failure of the first part, in the order of the input, that could not be read (a read
    // that failed, or was cancelled, in the words of JobInput); success when none.
    Status failure;
    // The cancel flag ended the run between parts.
    bool cancelled = false;
    // The first part taken back in order that stopped the work, and why.
    bool stopped = false;
    std::string stopMessage;
    // Parts handed to the workers, each one ended (InOrderWriter::finish counts them).
    std::uint64_t parts = 0;
};

// What a run is handed besides its kind.
struct PartRunSetup {
    unsigned jobs = 1;                          // workers (at least one)
    ProgressReporter& progress;                 // reached at the end of each part taken back
    const std::atomic<bool>* cancel = nullptr;  // looked at between parts; may be null
};

// Where a regular input is cut into parts.
struct PartCuts {
    std::int64_t total = 0;   // bytes of the input
    std::int64_t first = 0;   // bytes of the first part
    std::int64_t length = 0;  // bytes of every later part (the last one: what is left)
    // An empty input still makes one empty part (the kind's own end of the input).
    bool emptyInputIsAPart = false;
};

// What a part does. A kind K has:
//   K::Part  what one part holds from its read to its end (its bytes, the state it starts in);
//   K::Done  what the job's thread takes back of a part, in order;
//   chain    its PartChain, whose turns guard the state the kind hands from part to part;
//   readAt(part, index, at, size) -> Status   on the part's worker, at once with the others:
//            reads (or maps) the part's bytes and does what needs nothing of the parts before it;
//   takeTurn(part) -> bool   in the part's turn, REQUIRES(chain.turns): takes the state the
//            parts before it left, leaves the state for the next; true when nothing follows;
//   finish(part, index) -> Done   on the worker after its turn: the rest of its work;
//   skip(index)   on the worker, for a part that is not worked on (after the end, a failure);
//   join(done) -> PartJoin   on the job's thread, in order;
//   goesOn() -> bool   false once nothing more need be done (a write failed);
//   endTurns()   on the job's thread once every part has passed its turn, REQUIRES(chain.turns).
// A kind that may read its input in order also has readNext(part) -> Result<NextPart>: on the
// job's thread, holding the turn, it reads the next bytes and does what takeTurn does.
template <class K>
concept PartKind = requires(K& kind, typename K::Part& part, typename K::Done& done,
                            std::uint64_t index, std::int64_t at, std::size_t size) {
    requires std::same_as<decltype(kind.chain), PartChain>;
    { kind.readAt(part, index, at, size) } -> std::same_as<Status>;
    { kind.takeTurn(part) } -> std::same_as<bool>;
    { kind.finish(part, index) } -> std::same_as<typename K::Done>;
    kind.skip(index);
    { kind.join(done) } -> std::same_as<PartJoin>;
    { kind.goesOn() } -> std::same_as<bool>;
    kind.endTurns();
};
template <class K>
concept InOrderPartKind = PartKind<K> && requires(K& kind, typename K::Part& part) {
    { kind.readNext(part) } -> std::same_as<Result<NextPart>>;
};

// Runs the parts of one job through `Kind`, on `setup.jobs` workers of its own: the workers call
// the kind's readAt, takeTurn, finish and skip; the job's thread, which calls one of the runs,
// its readNext, join and endTurns.
template <PartKind Kind>
class PartPipeline {
  public:
    // `kind` and `setup.progress` outlive the pipeline.
    PartPipeline(Kind& kind, const PartRunSetup& setup)
        : kind_(kind),
          progress_(setup.progress),
          cancel_(setup.cancel),
          jobs_(std::max(setup.jobs, 1u)),
          workers_(jobs_) {}
    PartPipeline(const PartPipeline&) = delete;
    PartPipeline& operator=(const PartPipeline&) = delete;

    // Runs the parts of a regular input cut as `cuts` says, each read by its worker. Returns
    // once every part has ended. Call once.
    PartPipelineOutcome runAtOffsets(const PartCuts& cuts) {
        std::int64_t at = 0;
        if (cuts.total > 0 || cuts.emptyInputIsAPart) {
            do {
                if (cancelRequested()) {
                    stopJoining(true);
                    break;
                }
                const auto size = static_cast<std::size_t>(
                    std::min(at == 0 ? cuts.first : cuts.length, cuts.total - at));
                Slot& slot = slots_.emplace_back();
                slot.end = at + static_cast<std::int64_t>(size);
                workers_.submit(
                    [this, &slot, index = submitted_, at, size] { workAt(slot, index, at, size); });
                ++submitted_;
                at += static_cast<std::int64_t>(size);
                takeWhileFull();
            } while (at < cuts.total && submitting());
        }
        drain();
        PartTurn afterTheLast(kind_.chain.turns, submitted_);
        return outcome();
    }

    // Runs the parts of an input read in order, by kind.readNext on this thread. Returns once
    // every part has ended. Call once.
    PartPipelineOutcome runInOrder() requires InOrderPartKind<Kind> {
        // No worker takes a turn: this thread reads every part, in order.
        PartTurn turn(kind_.chain.turns, 0);
        while (submitting()) {
            if (cancelRequested()) {
                (void)kind_.chain.admit(submitted_, PartRead::Cancelled);
                break;
            }
            Slot& slot = slots_.emplace_back();
            Result<NextPart> next = kind_.readNext(slot.part);
            if (!next) {
                slots_.pop_back();
                (void)kind_.chain.admit(submitted_, PartRead::Failed, next.error());
                break;
            }
            if (!next->ready) {
                slots_.pop_back();
                if (next->last) break;
                continue;
            }
            slot.end = next->end;
            workers_.submit([this, &slot, index = submitted_] { workInOrder(slot, index); });
            ++submitted_;
            if (next->last) kind_.chain.end();
            takeWhileFull();
        }
        drain();
        return outcome();
    }

  private:
    struct Slot {
        typename Kind::Part part;  // read in order: made by the job's thread for the worker
        typename Kind::Done done;  // the worker's, until the job's thread takes the part back
        std::int64_t end = 0;      // the input offset after the part
        bool skipped = false;      // not worked on (after the end, a failure, a cancellation)
    };

    bool cancelRequested() const {
        return cancel_ != nullptr && cancel_->load(std::memory_order_acquire);
    }
    // On the job's thread: whether another part is worth handing out.
    bool submitting() const { return joining_ && !kind_.chain.ended() && kind_.goesOn(); }
    void stopJoining(bool cancelled) {
        joining_ = false;
        cancelled_ = cancelled_ || cancelled;
    }

    // The work of part `index` of a regular input, on its worker.
    void workAt(Slot& slot, std::uint64_t index, std::int64_t at, std::size_t size) {
        typename Kind::Part part;
        PartRead read = PartRead::Skipped;
        Status failure;
        if (!kind_.chain.ended()) {
            if (cancelRequested()) {
                read = PartRead::Cancelled;
            } else {
                failure = kind_.readAt(part, index, at, size);
                read = failure ? PartRead::Done : PartRead::Failed;
            }
        }
        PartTurn turn(kind_.chain.turns, index);
        const bool goesOn = kind_.chain.admit(index, read, std::move(failure));
        if (goesOn && kind_.takeTurn(part)) kind_.chain.end();
        turn.end();
        if (goesOn) {
            slot.done = kind_.finish(part, index);
        } else {
            kind_.skip(index);
            slot.skipped = true;
        }
    }
    // The work of part `index` read in order, on its worker.
    void workInOrder(Slot& slot, std::uint64_t index) {
        // Its own: what it holds goes when it ends, not when the job's thread takes it back.
        typename Kind::Part part = std::move(slot.part);
        slot.done = kind_.finish(part, index);
    }

    // On the job's thread: waits for the oldest part and takes it back, until one part was
    // not worked on, stopped the work, or a write failed.
    void takeOldest() {
        workers_.takeOldest();
        take(slots_.front());
        slots_.pop_front();
        ++taken_;
    }
    void take(Slot& slot) {
        if (!joining_ || !kind_.goesOn()) return;
        if (slot.skipped) {
            stopJoining(false);
            return;
        }
        PartJoin joined = kind_.join(slot.done);
        progress_.reached(slot.end);
        if (joined.stopped) {
            stop_ = std::move(joined);
            stopPart_ = taken_;
            stopJoining(false);
        }
    }
    void takeWhileFull() {
        while (slots_.size() > jobs_ + 1) takeOldest();
    }
    void drain() {
        while (!slots_.empty()) takeOldest();
    }
    PartPipelineOutcome outcome() REQUIRES(kind_.chain.turns) {
        kind_.endTurns();
        PartPipelineOutcome outcome;
        // A part not read after a part that stopped the work: a reading in order never got
        // there (the stop is found after the turns, so the parts after it may have gone on).
        if (!stop_.stopped || kind_.chain.unreadPart() < stopPart_) {
            outcome.failure = kind_.chain.failure();
            outcome.cancelled = kind_.chain.cancelled();
        }
        outcome.cancelled = outcome.cancelled || cancelled_;
        outcome.stopped = stop_.stopped;
        outcome.stopMessage = std::move(stop_.stopMessage);
        outcome.parts = submitted_;
        return outcome;
    }

    Kind& kind_;
    ProgressReporter& progress_;
    const std::atomic<bool>* const cancel_;
    const unsigned jobs_;
    // The job's thread's own: the parts in flight, oldest first (a worker fills its own slot,
    // which stays where it is until the job's thread has waited for the part).
    std::deque<Slot> slots_;
    std::uint64_t submitted_ = 0;
    std::uint64_t taken_ = 0;
    std::uint64_t stopPart_ = 0;  // the part that stopped the work, if one did
    bool joining_ = true;         // parts taken back still count
    bool cancelled_ = false;      // the cancel flag ended the run between parts
    PartJoin stop_;
    // Last, so that its threads end before what the parts use.
    PartWorkers workers_;
};

// Runs `kind` over `input`: at offsets by the workers where the input allows it (a regular
// file), in parts of `length` bytes, and in order on this thread otherwise.
template <InOrderPartKind Kind>
PartPipelineOutcome runParts(Kind& kind, const PartRunSetup& setup, const JobInput& input,
                             std::int64_t length, bool emptyInputIsAPart) {
    PartPipeline<Kind> pipeline(kind, setup);
    if (!input.readsAtOffsets()) return pipeline.runInOrder();
    return pipeline.runAtOffsets({input.length(), length, length, emptyInputIsAPart});
}

}  // namespace sorvek
