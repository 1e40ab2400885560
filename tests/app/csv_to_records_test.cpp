// Records made from delimited text: the way back of the record-to-CSV conversion.
#include "engine/tran_csv2rec.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/tran_rec2csv.h"
#include "formats/trd_file.h"
#include "support/engine_fixture.h"

namespace sorvek::testing {
namespace {

class TranCsv2RecTest : public EngineTest {
  protected:
    // Makes records of `csv` with `table`; the output, or the failure in `failures`.
    std::string toRecords(const std::string& csv, RecordDefTable table,
                          const RecordOutputOptions& records = {}) {
        const std::string in = dir.write("in.csv", csv);
        EngineContext ctx = context();
        if (!ran(tranCsv2Rec(in, dir.file("out.dat"), table, records, ctx))) return {};
        return readFile(dir.file("out.dat"));
    }
};

TEST_F(TranCsv2RecTest, TheSampleComesBackToItsRecords) {
    const std::string samples = std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/samples/";
    RecordDefTable table;
    table.reset(2);
    ASSERT_TRUE(readTrdFile(samples + "orders.trd", table).ok());
    const std::string records =
        toRecords(readFile(samples + "orders.csv"), table, {RecordEnd::CrLf, kMaxBlockSize});
    ASSERT_TRUE(failures.empty()) << failures.front().reason;
    EXPECT_BYTES_EQ(readFile(samples + "orders.dat"), records);
}

}  // namespace
}  // namespace sorvek::testing
