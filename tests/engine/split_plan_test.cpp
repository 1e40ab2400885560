#include "engine/split_plan.h"

#include <random>

#include "engine/tran_rec2csv.h"
#include "ports/app_title.h"
#include "support/engine_fixture.h"
#include "support/memory_file_system.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

// A random definition and data file: fixed or variable length, with or without class codes,
// header, detail and sub-detail kinds, records of unknown kind, line breaks or none after each
// record (and CR and LF bytes inside records), trailing bytes, and random output options.
struct RandomCase {
    RecordDefTable table;
    std::string input;
};

RandomCase randomCase(std::mt19937& rng) {
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* delimiters[] = {",", "", "||", "\t"};
    const char* types[] = {"X", "9", "P"};
    const bool classCodes = pick(4) != 0;
    const int fileSize = pick(2) ? 0 : 3 + pick(8);
    RandomCase c;
    c.table = makeTable(
        fileDefinition(fileSize, classCodes ? "2" : "", delimiters[pick(4)], pick(2) == 0), {});
    if (pick(2) == 0) {
        c.table.output = {static_cast<CsvEncoding>(pick(3)),
                          static_cast<CsvQuoting>(pick(3)),
                          pick(2) == 0,
                          static_cast<ZonedSign>(pick(3)),
                          static_cast<InvalidPacked>(pick(3)),
                          static_cast<CsvLineEnd>(pick(2))};
    }
    const int kindCount = classCodes ? 1 + pick(4) : 1;
    for (int k = 1; k <= kindCount; ++k) {
        const int size = 2 + pick(12);
        const int parent = k > 1 && pick(3) != 0 ? 1 + pick(k - 1) : 0;
        std::vector<FieldDef> fields = {unmarked("code", "X", 2, 1)};
        for (int n = pick(5); n > 0; --n) {
            const int pos = 1 + pick(size);
            const int fsize = 1 + pick(size - pos + 1);
            const std::string type = types[pick(3)];
            const int maxDec = type == "9" ? fsize : type == "P" ? 2 * fsize - 1 : 0;
            fields.push_back(
                field("f" + std::to_string(n), type, pos, fsize, pick(maxDec + 1), pick(4) != 0));
        }
        c.table.entries.push_back(recordDefinition("R" + std::to_string(k), size,
                                                   std::string(1, static_cast<char>('A' + k)),
                                                   parent, 0, fields));
        if (parent != 0) c.table[static_cast<std::size_t>(parent)].Child = k;
    }
    const char* breaks[] = {"", "\r\n", "\n", "\r"};
    const int records = pick(60);
    for (int n = 0; n < records; ++n) {
        // Now and then a kind no definition has: skipped, or the end of a variable-length run.
        const bool unknown = classCodes && pick(25) == 0;
        const int k = 1 + pick(kindCount);
        const int size = unknown ? (fileSize != 0 ? fileSize : 4) : c.table[k].Size;
        std::string rec;
        for (int i = 0; i < size; ++i) {
            rec += static_cast<char>(pick(3) ? '0' + pick(10) : pick(256));
        }
        if (classCodes) rec[1] = unknown ? 'Z' : static_cast<char>('A' + k);
        c.input += rec + breaks[pick(4)];
    }
    for (int n = pick(3) == 0 ? pick(6) : 0; n > 0; --n) c.input += static_cast<char>(pick(256));
    return c;
}

class SplitPlanTest : public EngineTest {
  protected:
    // The sequential (or, with `jobs` above 1, the parallel) run into a device, which keeps
    // what reaches it also when the run stops; the message shown, if any.
    std::pair<std::string, std::string> run(const RandomCase& c, unsigned jobs) {
        memory.files["/in"] = c.input;
        memory.devices["/out"].clear();
        RecordingMessages shown;
        EngineContext ctx{progress, shown, memory, blockSize};
        ctx.jobs = jobs;
        RecordDefTable table = c.table;
        const bool ok = tranRec2Csv("/in", "/out", table, ctx);
        EXPECT_EQ(ok, shown.shown.empty());
        if (!shown.shown.empty()) {
            EXPECT_EQ(kAppTitle, shown.shown.front().title);
        }
        return {memory.devices["/out"], shown.shown.empty() ? "" : shown.shown.front().text};
    }

    MemoryFileSystem memory;
};

TEST_F(SplitPlanTest, JoinedPartsEqualTheSequentialRunForEveryPartCount) {
    std::mt19937 rng(15);
    for (int round = 0; round < 150; ++round) {
        const RandomCase c = randomCase(rng);
        blockSize = 1 + rng() % 40;
        const auto [expected, message] = run(c, 1);
        for (int parts = 1; parts <= 9; ++parts) {
            Result<RecordSplitPlan> plan =
                planRec2CsvParts(memory, "/in", c.table, parts, 1 + rng() % 16);
            ASSERT_TRUE(plan) << plan.error().message;
            ASSERT_EQ(static_cast<std::size_t>(parts), plan->parts.size());
            std::string joined, stop;
            for (std::size_t p = 0; p < plan->parts.size() && stop.empty(); ++p) {
                EXPECT_LE(plan->parts[p].offset, plan->end(p));
                Result<PartResult> part = convertRec2CsvFilePart(memory, "/in", c.table, *plan, p);
                ASSERT_TRUE(part) << part.error().message;
                joined += part->bytes.view();
                stop = part->stopMessage;
            }
            EXPECT_BYTES_EQ(expected, joined) << "round " << round << ", parts " << parts;
            EXPECT_EQ(message, stop) << "round " << round << ", parts " << parts;
        }
    }
}

TEST_F(SplitPlanTest, WorkersWriteTheBytesOfTheSequentialRun) {
    std::mt19937 rng(16);
    for (int round = 0; round < 150; ++round) {
        const RandomCase c = randomCase(rng);
        blockSize = 1 + rng() % 40;
        const auto sequential = run(c, 1);
        const auto parallel = run(c, 2 + rng() % 3);
        EXPECT_BYTES_EQ(sequential.first, parallel.first) << "round " << round;
        EXPECT_EQ(sequential.second, parallel.second) << "round " << round;
    }
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

TEST_F(SplitPlanTest, APlanNeedsARegularFile) {
    memory.devices["/dev"] = "";
    Result<RecordSplitPlan> plan = planRec2CsvParts(memory, "/dev", orderExampleTable(), 2);
    ASSERT_FALSE(plan);
    EXPECT_NE(std::string::npos, plan.error().message.find(kNotRegularFileText));
}

}  // namespace
}  // namespace sorvek::testing
