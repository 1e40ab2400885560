// Records made from the text the record-to-CSV job wrote of them are the records it read, for
// random definitions, data and output options.
#include <gtest/gtest.h>

#include "engine/tran_csv2rec.h"
#include "engine/tran_rec2csv.h"
#include "support/engine_fixture.h"
#include "support/memory_file_system.h"
#include "support/random_round_trip.h"

namespace sorvek::testing {
namespace {

class Csv2RecRoundTripTest : public EngineTest {};

TEST_F(Csv2RecRoundTripTest, RecordsComeBackFromTheirTextWithEveryOutputOption) {
    std::mt19937 rng(20261209);
    RoundTripDraw draw(rng);
    for (int round = 0; round < 500; ++round) {
        const RoundTripCase c = draw.next();
        MemoryFileSystem memory;
        memory.files["/in.dat"] = c.records;
        EngineContext ctx{progress, memory, c.blockSize};
        RecordDefTable toText = c.table;
        ASSERT_TRUE(ran(tranRec2Csv("/in.dat", "/out.csv", toText, ctx)))
            << "round " << round << "\n"
            << c.summary << failures.back().reason;
        const std::string& text = memory.files["/out.csv"];
        RecordDefTable toRecords = c.table;
        const bool made = ran(tranCsv2Rec("/out.csv", "/back.dat", toRecords, c.framing, ctx));
        EXPECT_TRUE(made) << "round " << round << "\n"
                          << c.summary << failures.back().reason << "\ntext:\n"
                          << hexDump(text);
        if (made) {
            EXPECT_BYTES_EQ(c.records, memory.files["/back.dat"]) << "round " << round << "\n"
                                                                  << c.summary << "text:\n"
                                                                  << text;
        }
        // Workers that make the records of parts of the text at once, each apart from the
        // lines before it, read at offsets or in order.
        memory.readsAtOffsets = rng() % 2 == 0;
        ctx.jobs = 2 + rng() % 3;
        toRecords = c.table;
        if (ran(tranCsv2Rec("/out.csv", "/parts.dat", toRecords, c.framing, ctx))) {
            EXPECT_BYTES_EQ(c.records, memory.files["/parts.dat"])
                << "round " << round << ", " << ctx.jobs << " jobs\n"
                << c.summary << "text:\n"
                << text;
        } else {
            ADD_FAILURE() << "round " << round << ", " << ctx.jobs << " jobs\n"
                          << c.summary << failures.back().reason;
        }
        // One case is enough to go on; the rest would bury it.
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace sorvek::testing
