// Control totals over groups of records: files of transfers drawn at random, with their trailers
// written out by hand, are what the way back makes of their data lines (trailer lines given
// empty, given right, or missing), and the check finds each total that is put wrong.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/inspection.h"
#include "engine/tran_csv2rec.h"
#include "engine/tran_rec2csv.h"
#include "support/engine_fixture.h"
#include "support/memory_file_system.h"

namespace sorvek::testing {
namespace {

// Header "1" + name (8); data "2" + name (4) + code (1) + amount (7); trailer "8" + count (3)
// + amount (9); end "9" + 12 blanks. 13 bytes each.
RecordDefTable transferTable() {
    RecordDefTable t;
    t.reset(5);
    t[0] = RecordDef{"振込", 13, "1", 0, 0, {}, ",", false, {}};
    t[1] = RecordDef{"ヘッダー", 13, "1", 0, 2, {}, "", false, {}};
    t[1].Fields = {{"区分", "9", 1, 1, 0, 0, ""}, {"依頼人名", "X", 2, 12, 0, -1, ""}};
    t[2] = RecordDef{"データ", 13, "2", 1, 0, {}, "", false, {}};
    t[2].Fields = {{"区分", "9", 1, 1, 0, 0, ""},
                   {"受取人名", "X", 2, 4, 0, -1, ""},
                   {"新規コード", "9", 6, 1, 0, -1, ""},
                   {"金額", "9", 7, 7, 0, -1, ""}};
    t[3] = RecordDef{"トレーラー", 13, "8", 0, 0, {}, "", false, {}};
    t[3].Fields = {{"区分", "9", 1, 1, 0, 0, ""},
                   {"件数", "9", 2, 3, 0, -1, ""},
                   {"合計", "9", 5, 9, 0, -1, ""}};
    t[3].Fields[1].total = {TotalKind::Count, 2, 0, 1};
    t[3].Fields[2].total = {TotalKind::Sum, 2, 4, 1};
    t[4] = RecordDef{"エンド", 13, "9", 0, 0, {}, "", false, {}};
    t[4].Fields = {{"区分", "9", 1, 1, 0, 0, ""}, {"ダミー", "X", 2, 12, 0, 0, ""}};
    return t;
}

std::string digits(long long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld", width, value);
    return text;
}

struct Transfers {
    std::string records;           // the file, trailers and end record included
    std::string text;              // the data lines, and trailer lines as drawn
    std::string withWrongTrailer;  // the text with a trailer line whose count is one too many
    std::vector<std::size_t> trailerOffsets;
    std::vector<long long> counts, sums;
};

Transfers draw(std::mt19937& rng) {
    Transfers t;
    const int groups = 1 + static_cast<int>(rng() % 4);
    bool wrongPut = false;
    for (int g = 0; g < groups; ++g) {
        const std::string name = "CO" + digits(g, 6);
        t.records += "1" + name + "    ";
        // A header without data records makes no line: every group has one at least.
        const int count = 1 + static_cast<int>(rng() % 5);
        long long sum = 0;
        for (int i = 0; i < count; ++i) {
            const long long amount = static_cast<long long>(rng() % 10'000'000);
            const std::string payee = "P" + digits(i, 3);
            const char code = static_cast<char>('0' + rng() % 3);
            t.records += "2" + payee + code + digits(amount, 7);
            t.text += name + "," + payee + "," + code + "," + std::to_string(amount) + "\r\n";
            sum += amount;
        }
        t.trailerOffsets.push_back(t.records.size());
        t.counts.push_back(count);
        t.sums.push_back(sum);
        t.records += "8" + digits(count, 3) + digits(sum, 9);
        // A trailer line given empty, given right or left out.
        const std::string right = std::to_string(count) + "," + std::to_string(sum) + "\r\n";
        switch (rng() % 3) {
            case 0:
                t.text += ",\r\n";
                break;
            case 1:
                t.text += right;
                break;
            default:
                break;
        }
        if (!wrongPut) {
            t.withWrongTrailer =
                t.text + std::to_string(count + 1) + "," + std::to_string(sum) + "\r\n";
            wrongPut = true;
        }
    }
    t.records += "9" + std::string(12, ' ');
    return t;
}

class ControlTotalsTest : public EngineTest {};

TEST_F(ControlTotalsTest, TrailersAreFilledWrittenAndCheckedOverEachGroup) {
    std::mt19937 rng(20261210);
    for (int round = 0; round < 200 && !HasFailure(); ++round) {
        const Transfers t = draw(rng);
        MemoryFileSystem memory;
        memory.files["/in.csv"] = t.text;
        EngineContext ctx{progress, memory, 1 + rng() % 64};
        ctx.jobs = 1 + rng() % 3;
        RecordDefTable table = transferTable();
        ASSERT_TRUE(ran(tranCsv2Rec("/in.csv", "/out.dat", table, {}, ctx)))
            << "round " << round << "\n"
            << t.text << failures.back().reason;
        EXPECT_BYTES_EQ(t.records, memory.files["/out.dat"]) << "round " << round << "\n" << t.text;

        // The text the record-to-CSV job writes of the file (its trailers with their totals, the
        // end record as an empty line) makes the same file.
        memory.files["/file.dat"] = t.records;
        ASSERT_TRUE(ran(tranRec2Csv("/file.dat", "/file.csv", table, ctx)));
        ASSERT_TRUE(ran(tranCsv2Rec("/file.csv", "/again.dat", table, {}, ctx)));
        EXPECT_BYTES_EQ(t.records, memory.files["/again.dat"]) << "round " << round;

        // A trailer line that disagrees stops the job at its count.
        memory.files["/wrong.csv"] = t.withWrongTrailer;
        const Failure wrong = failureOf(tranCsv2Rec("/wrong.csv", "/wrong.dat", table, {}, ctx));
        EXPECT_NE(std::string::npos, wrong.reason.find("列 = 1\nフィールド = 件数"))
            << wrong.reason;
        EXPECT_NE(
            std::string::npos,
            wrong.reason.find("集計が合いません (集計値 = " + std::to_string(t.counts[0]) + ")"))
            << wrong.reason;
        EXPECT_EQ(0u, memory.files.count("/wrong.dat"));

        // The check finds nothing in the file, then the one count or sum put wrong.
        const std::size_t g = rng() % t.trailerOffsets.size();
        const bool countWrong = rng() % 2 == 0;
        std::string bad = t.records;
        const long long put = (countWrong ? t.counts[g] : t.sums[g]) + 1 + rng() % 5;
        bad.replace(t.trailerOffsets[g] + (countWrong ? 1 : 4), countWrong ? 3 : 9,
                    digits(put, countWrong ? 3 : 9));
        for (const bool corrupted : {false, true}) {
            memory.files["/check.dat"] = corrupted ? bad : t.records;
            InspectionContext look{progress, memory, nullptr, 7, 7};
            look.jobs = 1 + rng() % 3;
            Result<InspectionReport> r = inspectFile("/check.dat", &table, look);
            ASSERT_TRUE(r.ok());
            const DefinitionFindings& d = r->definition;
            if (!corrupted) {
                EXPECT_EQ(0, d.wrongTotalCount) << "round " << round;
                EXPECT_FALSE(r->hasProblems());
                continue;
            }
            ASSERT_EQ(1, d.wrongTotalCount) << "round " << round;
            const TotalFinding& f = d.wrongTotals[0];
            EXPECT_EQ(3, f.kind);
            EXPECT_EQ(countWrong ? 1 : 2, f.field);
            EXPECT_EQ(static_cast<std::int64_t>(t.trailerOffsets[g]) + (countWrong ? 1 : 4),
                      f.offset);
            EXPECT_EQ(static_cast<std::int64_t>(t.trailerOffsets[g] / 13 + 1), f.record);
            EXPECT_EQ(std::to_string(countWrong ? t.counts[g] : t.sums[g]), f.expected);
            EXPECT_EQ(std::to_string(put), f.found);
            EXPECT_TRUE(r->hasProblems());
        }
    }
}

}  // namespace
}  // namespace sorvek::testing
