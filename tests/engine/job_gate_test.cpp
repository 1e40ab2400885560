#include "engine/job_gate.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <iterator>
#include <thread>

#include "engine/tran_rec_len.h"
#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

using namespace std::chrono_literals;

class JobGateTest : public EngineTest {
  protected:
    // Runs the record-length job on a thread of its own, under `gate`, as the desktop does.
    void start(JobGate& gate, unsigned jobs) {
        input = dir.write("in.txt", std::string(1000, 'x'));
        output = dir.write("out.txt", "the old output");
        job = std::thread([this, &gate, jobs] {
            EngineContext ctx = context();
            ctx.cancelled = &cancel;
            ctx.gate = &gate;
            ctx.jobs = jobs;
            ctx.observeInput = [this](const char*, std::size_t) { ++blocks; };
            outcome = tranRecLen(input, output, 10, ctx);
        });
    }
    static bool waitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 1000 && !done(); ++i) std::this_thread::sleep_for(10ms);
        return done();
    }

    std::string input, output;
    std::atomic<bool> cancel{false};
    std::atomic<int> blocks{0};
    std::thread job;
    Status outcome;
};

TEST_F(JobGateTest, AHeldJobThatHasWrittenAllWaitsAndACancelThenKeepsTheOldOutput) {
    for (unsigned jobs : {1u, 4u}) {
        for (bool cancelled : {true, false}) {
            JobGate gate;
            cancel = false;
            ASSERT_TRUE(gate.hold());
            start(gate, jobs);  // one block: nothing to pause between, so it runs to the end
            ASSERT_TRUE(waitFor([&] { return gate.waitingToReplace(); }));
            EXPECT_EQ("the old output", readFile(output));
            cancel = cancelled;
            gate.release();
            job.join();
            if (cancelled) {
                EXPECT_EQ(FailureKind::Cancelled, failureOf(outcome).kind);
                EXPECT_EQ("the old output", readFile(output));
                // Nor is a temporary file left beside it.
                EXPECT_EQ(2, std::distance(std::filesystem::directory_iterator(dir.path()),
                                           std::filesystem::directory_iterator()));
            } else {
                EXPECT_TRUE(outcome.ok());
                EXPECT_EQ(1000u / 10 * 12, readFile(output).size());
                // Replaced: a hold comes too late now.
                EXPECT_FALSE(gate.hold());
            }
        }
    }
}

TEST_F(JobGateTest, AHeldJobStopsBetweenBlocksUntilReleased) {
    blockSize = 16;
    for (unsigned jobs : {1u, 4u}) {
        JobGate gate;
        blocks = 0;
        ASSERT_TRUE(gate.hold());
        start(gate, jobs);
        std::this_thread::sleep_for(100ms);
        // The job waits before its second block (workers, before their second part).
        EXPECT_LE(blocks.load(), 1) << jobs;
        EXPECT_FALSE(gate.waitingToReplace());
        EXPECT_EQ("the old output", readFile(output));
        gate.release();
        job.join();
        EXPECT_TRUE(outcome.ok());
        EXPECT_EQ(1000u / 10 * 12, readFile(output).size());
    }
}

}  // namespace
}  // namespace sorvek::testing
