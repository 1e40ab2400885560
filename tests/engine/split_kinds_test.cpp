// An output split by record kind: each kind's file holds exactly the lines of that kind that the
// one output holds, in order, for random definitions and every output option, with one worker
// and with three; the files are one result, replaced together or not at all; and their names.
#include <gtest/gtest.h>

#include <map>

#include "engine/kind_files.h"
#include "engine/rec2csv_text.h"
#include "engine/tran_rec2csv.h"
#include "support/engine_fixture.h"
#include "support/faulty_file_system.h"
#include "support/memory_file_system.h"
#include "support/random_round_trip.h"
#include "support/record_tables.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

class SplitKindsTest : public EngineTest {};

// The lines of `text`, each with its line end: cut at `lineEnd` outside double quotes (values
// with a line end in them are quoted; without quoting no value holds one).
std::vector<std::string> linesOf(const std::string& text, const std::string& lineEnd, bool quoted) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    bool inQuotes = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quoted && text[i] == '"') inQuotes = !inQuotes;
        if (!inQuotes && text.compare(i, lineEnd.size(), lineEnd) == 0) {
            lines.push_back(text.substr(start, i + lineEnd.size() - start));
            i += lineEnd.size() - 1;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

TEST_F(SplitKindsTest, EachKindsFileHoldsItsLinesOfTheOneOutputWithOneWorkerOrThree) {
    std::mt19937 rng(20261215);
    RoundTripDraw draw(rng);
    for (int round = 0; round < 300; ++round) {
        const RoundTripCase c = draw.next();
        MemoryFileSystem memory;
        memory.files["/in.dat"] = c.records;
        EngineContext ctx{progress, memory, c.blockSize};
        RecordDefTable one = c.table;
        one[0].TitleLine = false;
        ASSERT_TRUE(ran(tranRec2Csv("/in.dat", "/out.csv", one, ctx)))
            << "round " << round << "\n"
            << c.summary << failures.back().reason;
        std::string text = memory.files["/out.csv"];
        if (c.table.output.encoding == CsvEncoding::Utf8Bom) text.erase(0, 3);
        const std::string lineEnd = c.table.output.lineEnd == CsvLineEnd::Lf ? "\n" : "\r\n";
        const std::vector<std::string> lines =
            linesOf(text, lineEnd, c.table.output.quoting != CsvQuoting::None);
        ASSERT_EQ(lines.size(), c.lineKinds.size()) << "round " << round << "\n" << c.summary;
        std::map<int, std::string> expected;
        for (std::size_t i = 0; i < lines.size(); ++i) expected[c.lineKinds[i]] += lines[i];

        for (const unsigned jobs : {1u, 3u}) {
            MemoryFileSystem split;
            split.files["/in.dat"] = c.records;
            split.readsAtOffsets = rng() % 2 == 0;
            EngineContext splitCtx{progress, split, c.blockSize};
            splitCtx.jobs = jobs;
            RecordDefTable table = c.table;
            table.output.splitKinds = true;
            ASSERT_TRUE(ran(tranRec2Csv("/in.dat", "/out.csv", table, splitCtx)))
                << "round " << round << ", " << jobs << " jobs\n"
                << c.summary << failures.back().reason;
            EXPECT_FALSE(split.files.contains("/out.csv"));
            RecordDefTable prepared = c.table;
            const Rec2CsvText texts = prepareRec2CsvRun(prepared);
            const std::vector<KindFile> kinds = kindFiles("/out.csv", c.table);
            EXPECT_EQ(split.files.size(), kinds.size() + 1);
            for (const KindFile& file : kinds) {
                const std::string preamble = kindPreamble(prepared, texts, file.kind);
                EXPECT_BYTES_EQ(preamble + expected[file.kind], split.files[file.path])
                    << "round " << round << ", " << jobs << " jobs, " << file.path << "\n"
                    << c.summary;
            }
        }
        if (HasFailure()) break;
    }
}

// A header with two kinds of detail, the title line on, and the files already there.
RecordDefTable headerDetailTable() {
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", true),
        {recordDefinition("受注", 4, "H", 0, 2, {unmarked("K", "X", 1, 1), field("NO", "9", 2, 3)}),
         recordDefinition("明細", 3, "D", 1, 0,
                          {unmarked("K", "X", 1, 1), field("QTY", "9", 2, 2)}),
         recordDefinition("明細", 3, "E", 1, 0,
                          {unmarked("K", "X", 1, 1), field("AMT", "9", 2, 2)}),
         recordDefinition("", 2, "Z", 0, 0, {field("Z", "X", 1, 2)})});
    table.output.splitKinds = true;
    return table;
}

TEST_F(SplitKindsTest, FilesAreWrittenTogetherAndAFailureAnywhereLeavesEveryOldFile) {
    TempDir folder;
    const std::string input = folder.write("in.dat", "H001D12E34H002D56");
    const std::string output = folder.file("orders.csv");
    const std::vector<KindFile> kinds = kindFiles(output, headerDetailTable());
    ASSERT_EQ(kinds.size(), 3u);
    EXPECT_EQ(kinds[0].path, folder.file("orders.明細.csv"));
    EXPECT_EQ(kinds[1].path, folder.file("orders.明細-2.csv"));
    EXPECT_EQ(kinds[2].path, folder.file("orders.4.csv"));

    // The whole run: each file its title line (the header's fields, then its own), its lines.
    {
        RecordDefTable table = headerDetailTable();
        EngineContext ctx = context();
        ASSERT_TRUE(ran(tranRec2Csv(input, output, table, ctx)));
        EXPECT_BYTES_EQ(std::string("NO,QTY\r\n001,12\r\n002,56\r\n"), readFile(kinds[0].path));
        EXPECT_BYTES_EQ(std::string("NO,AMT\r\n001,34\r\n"), readFile(kinds[1].path));
        // No records: the title line alone.
        EXPECT_BYTES_EQ(std::string("Z\r\n"), readFile(kinds[2].path));
    }
    for (const KindFile& file : kinds)
        folder.write(file.path.substr(folder.path().size() + 1), "old");
    const std::vector<std::string> before = folder.names();

    // Each of the five writes (three title lines, two of lines), the flush of any of the three
    // files to the disk (a full disk is found there), or the first rename fails: nothing is
    // replaced, nothing is left.
    for (int call = 1; call <= 5; ++call) {
        for (const int fault : {0, 1, 2}) {
            FaultyFileSystem faulty;
            if (fault == 1) {
                faulty.failReplace = true;
            } else if (fault == 2) {
                if (call > 3) continue;
                faulty.failSyncCall = call;
            } else {
                faulty.failWriteCall = call;
            }
            const bool replaceFails = fault == 1;
            RecordDefTable table = headerDetailTable();
            EngineContext ctx{progress, faulty};
            ctx.jobs = 1 + static_cast<unsigned>(call % 3);
            EXPECT_FALSE(tranRec2Csv(input, output, table, ctx).ok()) << "write " << call;
            EXPECT_EQ(folder.names(), before) << "write " << call << ", replace " << replaceFails;
            for (const KindFile& file : kinds) {
                EXPECT_EQ(readFile(file.path), "old") << file.path << ", write " << call;
            }
        }
    }
}

TEST_F(SplitKindsTest, KindNamesAreMadeSafeAndNumberedWhenTheyClash) {
    EXPECT_EQ(safeKindName("a/b\\c:d*e?f\"g<h>i|j", 1), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(safeKindName(std::string("tab\there\x01\x7F"), 1), "tab_here__");
    EXPECT_EQ(safeKindName("", 7), "7");
    EXPECT_EQ(safeKindName("受注明細", 2), "受注明細");

    RecordDefTable table =
        makeTable(fileDefinition(0, "1", ",", false),
                  {recordDefinition("明細", 2, "A", 0, 0, {field("A", "X", 1, 2)}),
                   recordDefinition("明細", 2, "B", 0, 0, {field("B", "X", 1, 2)}),
                   recordDefinition("明細-2", 2, "C", 0, 0, {field("C", "X", 1, 2)}),
                   recordDefinition("a/b", 2, "D", 0, 0, {field("D", "X", 1, 2)})});
    std::vector<std::string> paths;
    for (const KindFile& f : kindFiles("/d.x/orders.csv", table)) paths.push_back(f.path);
    EXPECT_EQ(paths, (std::vector<std::string>{"/d.x/orders.明細.csv", "/d.x/orders.明細-2.csv",
                                               "/d.x/orders.明細-2-2.csv", "/d.x/orders.a_b.csv"}));
    // No extension (a dot in the folder or at the name's start is none): the name at the end.
    EXPECT_EQ(kindFiles("/d.x/out", table)[0].path, "/d.x/out.明細");
    EXPECT_EQ(kindFiles("/d/.out", table)[0].path, "/d/.out.明細");
}

}  // namespace
}  // namespace sorvek::testing
