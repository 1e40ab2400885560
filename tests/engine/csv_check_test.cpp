// The check of a text for the CSV-to-records job: it reads every line as the job does, stops
// nowhere, and lists the lines the job would stop at, in bounded memory.
#include "engine/csv_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/tran_csv2rec.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

// A line at fault as the tests write it: its line, what is wrong and the value's column.
struct Fault {
    std::int64_t line;
    CsvLineProblem problem;
    std::size_t column;
    bool operator==(const Fault&) const = default;
};

std::vector<Fault> faultsOf(const CsvCheckReport& report) {
    std::vector<Fault> out;
    for (const CsvFaultLine& f : report.faults) out.push_back({f.line, f.problem, f.column});
    return out;
}

// The job's message for the first line at fault, made from what the check kept of it.
std::string jobMessageOf(const CsvFaultLine& f) {
    const std::string line = std::to_string(f.line);
    if (f.problem != CsvLineProblem::Value) {
        return "CSV の行からレコードを作れません。\n行 = " + line + "\n" + f.why;
    }
    return "CSV の値をフィールドに入れられません。\n行 = " + line +
           "、列 = " + std::to_string(f.column) + "\nフィールド = " + f.field +
           "\n値 = " + f.value + "\n" + f.why;
}

class CsvCheckTest : public EngineTest {
  protected:
    Result<CsvCheckReport> check(const std::string& text, const RecordDefTable& table,
                                 const RecordOutputOptions& records = {}) {
        const std::string in = dir.write("in.csv", text);
        EngineContext ctx = context();
        return checkCsvFile(in, table, records, ctx);
    }
    // The job's outcome on `text`: its records, one a line, or its failure.
    Result<std::string> job(const std::string& text, RecordDefTable table,
                            const RecordOutputOptions& records = {RecordEnd::Lf, kMaxBlockSize}) {
        const std::string in = dir.write("in.csv", text);
        EngineContext ctx = context();
        if (Status ran = tranCsv2Rec(in, dir.file("out.dat"), table, records, ctx); !ran) {
            return ran.error();
        }
        return readFile(dir.file("out.dat"));
    }
};

TEST_F(CsvCheckTest, FindsEveryLineTheJobWouldStopAtAndAgreesWithTheJob) {
    // H (ORDERNO 9(5)) with D (QTY 9(3)): a line of 2 values is a header and its detail, a line
    // of 1 value a detail of the header before; a title line.
    const RecordDefTable table = orderExampleTable();
    struct Case {
        std::string text;
        std::vector<Fault> faults;
        std::int64_t headers, details;  // the records the good lines make
    };
    const std::vector<Case> cases = {
        {"ORDERNO,QTY\r\n00001,012\r\n345\r\n00002,6\r\n", {}, 2, 3},
        // A value too long, a quote not closed before the line ends, a count no line has, then
        // a good line: the job stops at the first, the check lists all three and reads on.
        {"ORDERNO,QTY\r\n00001,012\r\n00001,1234\r\n\"7\"x,1\r\n1,2,3\r\n00002,5\r\n",
         {{3, CsvLineProblem::Value, 2},
          {4, CsvLineProblem::Quotes, 1},
          {5, CsvLineProblem::ValueCount, 0}},
         2,
         2},
        // A quoted value holds a line end (the three bytes are the quantity's, as they were
        // copied): the lines after it are numbered as the file's lines.
        {"ORDERNO,QTY\n00001,\"1\n2\"\nx\n00002,5", {{4, CsvLineProblem::Value, 1}}, 2, 2},
        // A title line that cannot be read is still the title line; an empty line is a line of
        // one value, a detail's.
        {"\"ORDER\"NO,QTY\n\n00001,9\n\n", {{1, CsvLineProblem::Quotes, 1}}, 1, 3},
        // A UTF-8 byte order mark before the title line; the last line without its line end.
        {"\xEF\xBB\xBF"
         "ORDERNO,QTY\r\n00001,1\r\n2",
         {},
         1,
         2},
        // A quote never closed: the rest of the text is the one line at fault.
        {"ORDERNO,QTY\n00001,1\n\"2\n3\n", {{3, CsvLineProblem::Quotes, 1}}, 1, 1},
    };
    for (const Case& c : cases) {
        for (std::size_t block :
             {std::size_t{1}, std::size_t{2}, std::size_t{5}, kDefaultBlockSize}) {
            SCOPED_TRACE(c.text + " / block " + std::to_string(block));
            blockSize = block;
            Result<CsvCheckReport> report = check(c.text, table);
            ASSERT_TRUE(report.ok()) << report.error().reason;
            EXPECT_EQ(c.faults, faultsOf(*report));
            EXPECT_EQ(static_cast<std::int64_t>(c.faults.size()), report->faultCount);
            EXPECT_EQ(c.headers, report->recordsByKind[1]);
            EXPECT_EQ(c.details, report->recordsByKind[2]);
            EXPECT_EQ(c.headers + c.details, report->records);
            EXPECT_EQ(static_cast<std::int64_t>(c.text.size()), report->size);

            const Result<std::string> made = job(c.text, table);
            ASSERT_EQ(made.ok(), !report->hasProblems());
            if (!made) {
                EXPECT_EQ(FailureKind::InvalidData, made.error().kind);
                EXPECT_EQ(jobMessageOf(report->faults.front()), made.error().reason);
                continue;
            }
            const auto lines = std::count(made->begin(), made->end(), '\n');
            EXPECT_EQ(report->records, lines);
        }
    }
}

TEST_F(CsvCheckTest, KeepsTheFirstLinesAtFaultInShortAndCountsTheRest) {
    // 250 details whose quantity is 300 digits long, between good ones.
    std::string text = "ORDERNO,QTY\n00001,1\n";
    for (int i = 0; i < 250; ++i) text += std::string(300, '7') + "\n2\n";
    Result<CsvCheckReport> report = check(text, orderExampleTable());
    ASSERT_TRUE(report.ok());
    EXPECT_EQ(250, report->faultCount);
    ASSERT_EQ(kKeptCsvFaults, report->faults.size());
    const CsvFaultLine& last = report->faults.back();
    EXPECT_EQ(3 + 2 * static_cast<std::int64_t>(kKeptCsvFaults - 1), last.line);
    EXPECT_EQ("QTY", last.field);
    EXPECT_EQ(std::string(kShownValueBytes, '7') + "…", last.value);
    EXPECT_EQ("桁数が多すぎます (3 桁まで)。", last.why);
    EXPECT_EQ(251, report->recordsByKind[2]);
    EXPECT_EQ(1 + 2 * 250 + 1, report->lines);
}

TEST_F(CsvCheckTest, ADefinitionOrLayoutTheJobRefusesIsTheReportsRefusal) {
    RecordDefTable noDelimiter = orderExampleTable();
    noDelimiter[0].Delimiter = "";
    RecordDefTable blocked = orderExampleTable();
    blocked[0].recordFormat = RecordFormat::VB;
    const std::pair<RecordDefTable, RecordOutputOptions> refused[] = {
        {noDelimiter, {}},
        {blocked, {RecordEnd::CrLf, kMaxBlockSize}},
        {blocked, {RecordEnd::None, 8}},
    };
    for (const auto& [table, records] : refused) {
        Result<CsvCheckReport> report = check("ORDERNO,QTY\n00001,1\n", table, records);
        ASSERT_TRUE(report.ok());
        const Result<std::string> made = job("ORDERNO,QTY\n00001,1\n", table, records);
        ASSERT_FALSE(made.ok());
        EXPECT_EQ(made.error().reason, report->refusal);
        EXPECT_TRUE(report->hasProblems());
        EXPECT_EQ(0, report->lines);
    }
    EngineContext ctx = context();
    Result<CsvCheckReport> missing =
        checkCsvFile(dir.file("missing.csv"), orderExampleTable(), {}, ctx);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(FailureKind::NotFound, missing.error().kind);
}

// A progress port that asks the reading to stop once the first block is done.
class StopAfterFirstBlock final : public Progress {
  public:
    explicit StopAfterFirstBlock(std::atomic<bool>& stop) : stop_(stop) {}
    void showLabel() override {}
    void showProgress(std::int32_t value, std::int32_t) override {
        if (value > 0) stop_ = true;
    }

  private:
    std::atomic<bool>& stop_;
};

TEST_F(CsvCheckTest, ACancelledCheckReportsTheLinesReadUntilThen) {
    std::string text = "ORDERNO,QTY\n";
    for (int i = 0; i < 1000; ++i) text += "00001,1\n";
    const std::string in = dir.write("in.csv", text);
    std::atomic<bool> stop{false};
    StopAfterFirstBlock stopper(stop);
    EngineContext ctx{stopper, files, 64};
    ctx.cancelled = &stop;
    Result<CsvCheckReport> report = checkCsvFile(in, orderExampleTable(), {}, ctx);
    ASSERT_TRUE(report.ok());
    EXPECT_TRUE(report->cancelled);
    // The first block: the title and six lines of 8 bytes; the seventh is not whole.
    EXPECT_EQ(64, report->size);
    EXPECT_EQ(7, report->lines);
    EXPECT_EQ(1, report->recordsByKind[1]);
    EXPECT_EQ(6, report->recordsByKind[2]);
}

}  // namespace
}  // namespace sorvek::testing
