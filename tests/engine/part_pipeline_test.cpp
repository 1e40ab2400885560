#include "engine/part_pipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/recorders.h"

namespace sorvek::testing {
namespace {

constexpr std::int64_t kLength = 10;  // bytes of every part but the first

// A kind whose parts cannot be read, end the input (as a stop in the record walk does) or stop
// the work (as a stop in a part's conversion does) where the test says, and which records what
// the pipeline had it do.
class ScriptedParts {
  public:
    struct Part {
        std::uint64_t index = 0;
    };
    struct Done {
        std::uint64_t index = 0;
    };

    PartChain chain;

    Status readAt(Part& part, std::uint64_t index, std::int64_t, std::size_t) {
        part.index = index;
        if (index % 3 == 0) std::this_thread::yield();  // parts end out of order
        if (index == unreadable) return failure("part " + std::to_string(index));
        return {};
    }
    bool takeTurn(Part& part) REQUIRES(chain.turns) {
        turns_.push_back(part.index);
        return part.index == endsInput;
    }
    Result<NextPart> readNext(Part& part) REQUIRES(chain.turns) {
        const std::uint64_t index = read_++;
        if (Status read = readAt(part, index, 0, 0); !read) return read.error();
        const bool last = takeTurn(part) || index + 1 == parts;
        return NextPart{true, last, end(index)};
    }
    Done finish(Part& part, std::uint64_t index) {
        EXPECT_EQ(part.index, index);
        ++finished;
        return {index};
    }
    void skip(std::uint64_t) { ++skipped; }
    PartJoin join(Done& done) {
        joined.push_back(done.index);
        if (done.index != stops) return {};
        return {true, "stop " + std::to_string(done.index)};
    }
    bool goesOn() const { return true; }
    void endTurns() REQUIRES(chain.turns) { turns = turns_; }

    std::int64_t end(std::uint64_t index) const {
        return first + static_cast<std::int64_t>(index) * kLength;
    }

    std::uint64_t parts = 1;
    std::int64_t first = kLength;  // bytes of the first part
    std::uint64_t unreadable = UINT64_MAX;
    std::uint64_t endsInput = UINT64_MAX;
    std::uint64_t stops = UINT64_MAX;

    std::atomic<std::uint64_t> finished{0}, skipped{0};
    std::vector<std::uint64_t> joined;  // on the job's thread
    std::vector<std::uint64_t> turns;   // in the order they were taken

  private:
    std::vector<std::uint64_t> turns_ GUARDED_BY(chain.turns);
    std::uint64_t read_ GUARDED_BY(chain.turns) = 0;
};

// Sets the cancel flag at the `after`-th part reached.
class CancellingProgress final : public Progress {
  public:
    CancellingProgress(std::atomic<bool>& cancel, int after) : cancel_(cancel), after_(after) {}
    void showLabel() override {}
    void showProgress(std::int32_t value, std::int32_t maximum) override {
        calls.push_back({value, maximum});
        if (maximum == -1 && --after_ == 0) cancel_ = true;
    }
    std::vector<ProgressCall> calls;

  private:
    std::atomic<bool>& cancel_;
    int after_;
};

PartPipelineOutcome run(ScriptedParts& kind, unsigned jobs, bool atOffsets, Progress& progress,
                        const std::atomic<bool>* cancel) {
    const std::int64_t total = kind.end(kind.parts - 1);
    ProgressReporter reporter(progress, total);
    reporter.start();
    PartPipeline<ScriptedParts> pipeline(kind, {jobs, reporter, cancel});
    if (!atOffsets) return pipeline.runInOrder();
    return pipeline.runAtOffsets({total, kind.first, kLength, false});
}

// For random places of a read that fails, a part that ends the input and a part that stops the
// work, both ways of reading and every count of workers from 1 to 9: the outcome, the parts
// taken back and the progress are those of a reading in order, which ends at the first of them.
TEST(PartPipelineTest, EndsAsAReadingInOrderDoesForEveryWorkerCount) {
    std::mt19937 rng(41);
    for (int round = 0; round < 100; ++round) {
        ScriptedParts script;
        script.parts = 1 + rng() % 25;
        script.first = 1 + static_cast<std::int64_t>(rng() % 40);
        auto somewhere = [&] { return rng() % 3 == 0 ? rng() % (script.parts + 2) : UINT64_MAX; };
        script.unreadable = somewhere();
        script.endsInput = somewhere();
        script.stops = somewhere();

        // The reading in order: part by part until the first part that fails, stops or ends.
        std::vector<std::uint64_t> joined;
        std::optional<std::uint64_t> failed, stopped;
        for (std::uint64_t i = 0; i < script.parts; ++i) {
            if (i == script.unreadable) {
                failed = i;
                break;
            }
            joined.push_back(i);
            if (i == script.stops) stopped = i;
            if (i == script.stops || i == script.endsInput) break;
        }
        for (unsigned jobs = 1; jobs <= 9; ++jobs) {
            for (const bool atOffsets : {true, false}) {
                ScriptedParts kind;
                kind.parts = script.parts;
                kind.first = script.first;
                kind.unreadable = script.unreadable;
                kind.endsInput = script.endsInput;
                kind.stops = script.stops;
                RecordingProgress progress;
                const PartPipelineOutcome outcome = run(kind, jobs, atOffsets, progress, nullptr);
                const std::string where = "round " + std::to_string(round) + ", jobs " +
                                          std::to_string(jobs) + ", at offsets " +
                                          std::to_string(atOffsets);

                EXPECT_EQ(joined, kind.joined) << where;
                EXPECT_EQ(!failed, outcome.failure.ok()) << where;
                if (failed) {
                    EXPECT_EQ("part " + std::to_string(*failed), outcome.failure.error().reason)
                        << where;
                }
                EXPECT_EQ(stopped.has_value(), outcome.stopped) << where;
                EXPECT_EQ(stopped ? "stop " + std::to_string(*stopped) : "", outcome.stopMessage)
                    << where;
                EXPECT_FALSE(outcome.cancelled) << where;
                // Every part handed out ends once; the turns are taken in order, from the first,
                // at least as far as the reading in order went.
                EXPECT_EQ(outcome.parts, kind.finished + kind.skipped) << where;
                for (std::size_t t = 0; t < kind.turns.size(); ++t) {
                    EXPECT_EQ(t, kind.turns[t]) << where;
                }
                EXPECT_GE(kind.turns.size(), joined.size()) << where;
                // Progress: the start, then the end of each part taken back.
                ASSERT_EQ(joined.size() + 1, progress.calls.size()) << where;
                for (std::size_t p = 0; p < joined.size(); ++p) {
                    EXPECT_EQ(kind.end(joined[p]), progress.calls[p + 1].value) << where;
                }
            }
        }
    }
}

// Cancelled under way: the parts taken back before the flag was set count, the run ends
// cancelled without a failure, and every part handed out still ends.
TEST(PartPipelineTest, TheCancelFlagEndsTheRunBetweenParts) {
    std::mt19937 rng(43);
    for (int round = 0; round < 40; ++round) {
        const std::uint64_t parts = 2 + rng() % 25;
        const int after = 1 + static_cast<int>(rng() % (parts - 1));
        for (unsigned jobs = 1; jobs <= 9; ++jobs) {
            for (const bool atOffsets : {true, false}) {
                ScriptedParts kind;
                kind.parts = parts;
                std::atomic<bool> cancel{false};
                CancellingProgress progress(cancel, after);
                const PartPipelineOutcome outcome = run(kind, jobs, atOffsets, progress, &cancel);
                const std::string where = "round " + std::to_string(round) + ", jobs " +
                                          std::to_string(jobs) + ", at offsets " +
                                          std::to_string(atOffsets);
                ASSERT_GE(kind.joined.size(), static_cast<std::size_t>(after)) << where;
                for (std::size_t p = 0; p < kind.joined.size(); ++p) {
                    EXPECT_EQ(p, kind.joined[p]) << where;
                }
                EXPECT_EQ(kind.joined.size() < parts, outcome.cancelled) << where;
                EXPECT_TRUE(outcome.failure.ok()) << where;
                EXPECT_FALSE(outcome.stopped) << where;
                EXPECT_EQ(outcome.parts, kind.finished + kind.skipped) << where;
            }
        }
    }
}

}  // namespace
}  // namespace sorvek::testing
