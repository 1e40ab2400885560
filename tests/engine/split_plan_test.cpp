#include "engine/split_plan.h"

#include <random>

#include "engine/tran_rec2csv.h"
#include "support/engine_fixture.h"
#include "support/memory_file_system.h"
#include "support/random_records.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

using namespace std::string_literals;

class SplitPlanTest : public EngineTest {
  protected:
    // The sequential (or, with `jobs` above 1, the parallel) run into a device, which keeps
    // what reaches it also when the run stops; the text of the stop in the data, if any.
    std::pair<std::string, std::string> run(const RandomCase& c, unsigned jobs) {
        memory.files["/in"] = c.input;
        memory.devices["/out"].clear();
        EngineContext ctx{progress, memory, blockSize};
        ctx.jobs = jobs;
        RecordDefTable table = c.table;
        const Status converted = tranRec2Csv("/in", "/out", table, ctx);
        if (!converted) {
            EXPECT_EQ(FailureKind::InvalidData, converted.error().kind);
        }
        return {memory.devices["/out"], converted ? "" : converted.error().reason};
    }

    using MakeCase = RandomCase (*)(std::mt19937&);

    void expectJoinedPartsEqualTheSequentialRun(MakeCase make, unsigned seed) {
        std::mt19937 rng(seed);
        for (int round = 0; round < 150; ++round) {
            const RandomCase c = make(rng);
            blockSize = 1 + rng() % 40;
            const auto [expected, message] = run(c, 1);
            for (int parts = 1; parts <= 9; ++parts) {
                Result<RecordSplitPlan> plan =
                    planRec2CsvParts(memory, "/in", c.table, parts, 1 + rng() % 16);
                ASSERT_TRUE(plan) << plan.error().reason;
                ASSERT_EQ(static_cast<std::size_t>(parts), plan->parts.size());
                std::string joined, stop;
                for (std::size_t p = 0; p < plan->parts.size() && stop.empty(); ++p) {
                    EXPECT_LE(plan->parts[p].offset, plan->end(p));
                    Result<PartResult> part =
                        convertRec2CsvFilePart(memory, "/in", c.table, *plan, p);
                    ASSERT_TRUE(part) << part.error().reason;
                    joined += part->bytes.view();
                    stop = part->stopMessage;
                }
                EXPECT_BYTES_EQ(expected, joined) << "round " << round << ", parts " << parts;
                EXPECT_EQ(message, stop) << "round " << round << ", parts " << parts;
            }
        }
    }

    void expectWorkersWriteTheBytesOfTheSequentialRun(MakeCase make, unsigned seed) {
        std::mt19937 rng(seed);
        for (int round = 0; round < 150; ++round) {
            const RandomCase c = make(rng);
            blockSize = 1 + rng() % 40;
            const auto sequential = run(c, 1);
            const unsigned jobs = 2 + rng() % 3;
            // Read in order by the job's thread (a pipe), and at offsets by the workers (a file).
            for (const bool atOffsets : {false, true}) {
                memory.readsAtOffsets = atOffsets;
                const auto parallel = run(c, jobs);
                EXPECT_BYTES_EQ(sequential.first, parallel.first)
                    << "round " << round << ", at offsets " << atOffsets;
                EXPECT_EQ(sequential.second, parallel.second)
                    << "round " << round << ", at offsets " << atOffsets;
            }
            memory.readsAtOffsets = false;
        }
    }

    MemoryFileSystem memory;
};

TEST_F(SplitPlanTest, JoinedPartsEqualTheSequentialRunForEveryPartCount) {
    expectJoinedPartsEqualTheSequentialRun(&randomCase, 15);
}

TEST_F(SplitPlanTest, JoinedPartsOfHostDataEqualTheSequentialRun) {
    // EBCDIC records without line breaks, records behind descriptor words, in blocks or not.
    expectJoinedPartsEqualTheSequentialRun(&randomHostCase, 25);
}

TEST_F(SplitPlanTest, PartsAndWorkersOfVaryingTablesWriteTheBytesOfTheSequentialRun) {
    // Records as long as their counters make them, laid out again in every part.
    expectJoinedPartsEqualTheSequentialRun(&randomVaryingCase, 27);
    expectWorkersWriteTheBytesOfTheSequentialRun(&randomVaryingCase, 28);
}

TEST_F(SplitPlanTest, WorkersWriteTheBytesOfTheSequentialRun) {
    expectWorkersWriteTheBytesOfTheSequentialRun(&randomCase, 16);
}

TEST_F(SplitPlanTest, WorkersWriteTheBytesOfTheSequentialRunOnHostData) {
    expectWorkersWriteTheBytesOfTheSequentialRun(&randomHostCase, 26);
}

TEST_F(SplitPlanTest, PartsCarryTheirAncestorsRecordsAndStartAtRecords) {
    // Header H (6 bytes), detail D (4 bytes) under it, each followed by CR LF.
    RecordDefTable table = orderExampleTable();
    const std::string in = "H00001\r\nD012\r\nD345\r\nH00002\r\nD678\r\n";
    memory.files["/in"] = in;
    Result<RecordSplitPlan> plan = planRec2CsvParts(memory, "/in", table, 3, 4);
    ASSERT_TRUE(plan);
    // Cuts where the first record ends at or after 11 and 22 bytes: after the second record (12)
    // and the fourth (26); the line breaks after them open the next part.
    ASSERT_EQ(3u, plan->parts.size());
    EXPECT_EQ(12, plan->parts[1].offset);
    EXPECT_EQ(RecordPending::Cr, plan->parts[1].pending);
    EXPECT_EQ(2, plan->parts[1].recordsBefore);
    ASSERT_EQ(1u, plan->parts[1].ancestors.size());
    EXPECT_EQ(1, plan->parts[1].ancestors[0].first);
    EXPECT_EQ("H00001", bytesText(plan->parts[1].ancestors[0].second));
    EXPECT_EQ(26, plan->parts[2].offset);
    EXPECT_EQ("H00002", bytesText(plan->parts[2].ancestors[0].second));
    Result<PartResult> last = convertRec2CsvFilePart(memory, "/in", table, *plan, 2);
    ASSERT_TRUE(last);
    EXPECT_EQ("00002,678\r\n", std::string(last->bytes.view()));
}

TEST_F(SplitPlanTest, PartsOfBlockedRecordsStartAtRecordsAndKnowTheRestOfTheirBlock) {
    // One block of three records behind their words: H00001 (10 bytes), D012 and D345 (8 each).
    RecordDefTable table = orderExampleTable();
    table[0].recordFormat = RecordFormat::VB;
    memory.files["/in"] = "\0\x1E\0\0\0\x0A\0\0H00001\0\x08\0\0D012\0\x08\0\0D345"s;
    Result<RecordSplitPlan> plan = planRec2CsvParts(memory, "/in", table, 3, 4);
    ASSERT_TRUE(plan);
    ASSERT_EQ(3u, plan->parts.size());
    EXPECT_EQ(14, plan->parts[1].offset);
    EXPECT_EQ(16u, plan->parts[1].blockLeft);
    EXPECT_EQ(1, plan->parts[1].recordsBefore);
    EXPECT_EQ(22, plan->parts[2].offset);
    EXPECT_EQ(8u, plan->parts[2].blockLeft);
    EXPECT_EQ("H00001", bytesText(plan->parts[2].ancestors[0].second));
    Result<PartResult> last = convertRec2CsvFilePart(memory, "/in", table, *plan, 2);
    ASSERT_TRUE(last);
    EXPECT_EQ("00001,345\r\n", std::string(last->bytes.view()));
}

TEST_F(SplitPlanTest, APlanNeedsARegularFile) {
    memory.devices["/dev"] = "";
    Result<RecordSplitPlan> plan = planRec2CsvParts(memory, "/dev", orderExampleTable(), 2);
    ASSERT_FALSE(plan);
    EXPECT_NE(std::string::npos, plan.error().reason.find(kNotRegularFileText));
}

}  // namespace
}  // namespace sorvek::testing
