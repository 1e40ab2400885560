#include "engine/tran_rec2csv.h"

#include "engine/tran_csv2rec.h"

#include <functional>
#include <random>

#include "support/engine_fixture.h"
#include "support/memory_file_system.h"
#include "support/random_records.h"
#include "support/rec2csv_reference.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

// Block sizes that put every byte, in turn, at the end of a block.
const std::vector<std::size_t> kBlockSizes = {1, 2, 3, 5, 7, 16, kDefaultBlockSize};

class TranRec2CsvTest : public EngineTest {
  protected:
    // Converts `in` by `table`; returns the output bytes and sets `ok`.
    std::string convert(const std::string& in, RecordDefTable& table, bool expectOk = true) {
        std::string input = dir.write("in.dat", in);
        EngineContext ctx = context();
        ok = ran(tranRec2Csv(input, dir.file("out.csv"), table, ctx));
        EXPECT_EQ(expectOk, ok);
        return readFile(dir.file("out.csv"));
    }
    std::string convert(const std::string& in, const RecordDefTable& table) {
        RecordDefTable copy = table;
        return convert(in, copy);
    }

    bool ok = false;
};

TEST_F(TranRec2CsvTest, OrderExampleGivesHeaderFieldsBeforeEachDetail) {
    RecordDefTable table = orderExampleTable();
    const std::string in = "H00001\r\nD012\r\nD345\r\nH00002\r\nD678\r\n";
    EXPECT_BYTES_EQ(std::string("ORDERNO,QTY\r\n00001,012\r\n00001,345\r\n00002,678\r\n"),
                    convert(in, table));
    // The last record of each kind stays in the table.
    EXPECT_EQ("H00002", bytesText(table[1].Data));
    EXPECT_EQ("D678", bytesText(table[2].Data));
    EXPECT_TRUE(failures.empty());
    const std::int32_t n = static_cast<std::int32_t>(in.size());
    EXPECT_EQ(1, progress.labelShown);
    EXPECT_EQ((std::vector<ProgressCall>{{0, n}, {n, -1}, {n, -1}}), progress.calls);
}

TEST_F(TranRec2CsvTest, LineBreaksAfterRecordsDoNotMatterAtAnyBlockBoundary) {
    const RecordDefTable table = orderExampleTable();
    const std::string expected = "ORDERNO,QTY\r\n00001,012\r\n00001,345\r\n00002,678\r\n";
    for (const char* brk : {"\r\n", "\n", "\r", ""}) {
        std::string in;
        for (const char* r : {"H00001", "D012", "D345", "H00002", "D678"})
            in += r + std::string(brk);
        for (std::size_t block : kBlockSizes) {
            blockSize = block;
            EXPECT_BYTES_EQ(expected, convert(in, table)) << "block " << block;
        }
    }
}

TEST_F(TranRec2CsvTest, IncompleteLastRecordAndEndOfFileByteAreIgnored) {
    const RecordDefTable variable = orderExampleTable();
    RecordDefTable fixedNoClass =
        makeTable(fileDefinition(4, "", ",", false),
                  {recordDefinition("R", 4, "", 0, 0, {field("A", "X", 1, 4)})});
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        for (const char* tail : {"\x1A", "D6", "H0000", "\r\n\x1A", "\x1A\x1A\x1A"}) {
            EXPECT_BYTES_EQ(std::string("ORDERNO,QTY\r\n00001,012\r\n"),
                            convert(std::string("H00001\r\nD012\r\n") + tail, variable))
                << "block " << block << " tail " << tail;
            if (std::string(tail).size() < 4) {
                EXPECT_BYTES_EQ(std::string("abcd\r\nefgh\r\n"),
                                convert(std::string("abcdefgh") + tail, fixedNoClass));
            }
        }
        EXPECT_TRUE(failures.empty());
    }
}

TEST_F(TranRec2CsvTest, ThreeGenerationsWriteGrandparentParentAndOwnFields) {
    // G (one marked field) > P (none marked) > C; a second P and a second G change the
    // leading fields of the following lines.
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", "|", true),
        {recordDefinition("G", 3, "G", 0, 2, {unmarked("K", "X", 1, 1), field("g", "X", 2, 2)}),
         recordDefinition("P", 3, "P", 1, 3, {unmarked("K", "X", 1, 1), unmarked("p", "X", 2, 2)}),
         recordDefinition(
             "C", 4, "C", 2, 0,
             {unmarked("K", "X", 1, 1), field("c1", "X", 2, 1), field("c2", "9", 3, 2, 1)})});
    const std::string in = "Gg1Pp1C123C456Pp2C789Gg2C000";
    EXPECT_BYTES_EQ(std::string("g|c1|c2\r\ng1|1|2.3\r\ng1|4|5.6\r\ng1|7|8.9\r\ng2|0|0.0\r\n"),
                    convert(in, table));
}

TEST_F(TranRec2CsvTest, RecordWithoutMarkedFieldsWritesItsAncestorsFields) {
    RecordDefTable table = orderExampleTable();
    table[2].Fields[1].Check = 0;
    EXPECT_BYTES_EQ(std::string("ORDERNO\r\n00001\r\n00001\r\n"), convert("H00001D012D345", table));
    for (FieldDef& f : table[1].Fields) f.Check = 0;
    EXPECT_BYTES_EQ(std::string("\r\n\r\n\r\n"), convert("H00001D012D345", table));
}

TEST_F(TranRec2CsvTest, ChildBeforeAnyParentWritesItsOwnFieldsOnlyAndDataIsClearedPerRun) {
    RecordDefTable table = orderExampleTable();
    table[0].TitleLine = false;
    EXPECT_BYTES_EQ(std::string("012\r\n00001,345\r\n"), convert("D012H00001D345", table));
    EXPECT_EQ("H00001", bytesText(table[1].Data));
    // A second run does not take the header of the first.
    EXPECT_BYTES_EQ(std::string("678\r\n"), convert("D678", table));
    EXPECT_TRUE(table[1].Data.empty());
    EXPECT_EQ("D678", bytesText(table[2].Data));
}

TEST_F(TranRec2CsvTest, UnknownKindIsSkippedInFixedLengthFiles) {
    RecordDefTable table = makeTable(
        fileDefinition(4, "2", ",", false),
        {recordDefinition("A", 4, "a", 0, 0, {field("v", "X", 3, 2)}),
         recordDefinition("B", 4, "bb", 0, 0, {field("w", "X", 1, 1), field("v", "X", 4, 1)})});
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        EXPECT_BYTES_EQ(std::string("12\r\nx,3\r\n"),
                        convert("-a12\r\n?z99\r\nxbb3\r\n-A00", table));
    }
    EXPECT_TRUE(failures.empty());
}

TEST_F(TranRec2CsvTest, UnknownKindInVariableLengthFileStopsAndLeavesAFileAsItWas) {
    RecordDefTable table = orderExampleTable();
    const std::string input = "H00001D012D345X99999D678";
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        failures.clear();
        dir.write("out.csv", "old output");
        const std::string output = convert(input, table, false);
        EXPECT_EQ("old output", output) << block;
        const Failure m = onlyFailure();
        // The text, then the line that finds the record: the fourth, 14 bytes in.
        EXPECT_EQ(
            "識別区分の不明なレコードがあります。可変長の場合は全ての識別区分を指定して下さい。"
            "\nレコード番号 = 4、オフセット = 14 (0xE)",
            m.reason);
        EXPECT_EQ(FailureKind::InvalidData, m.kind);
        EXPECT_EQ("D345", bytesText(table[2].Data));
        EXPECT_EQ((std::vector<std::string>{"in.dat", "out.csv"}), dir.names());

        // An output that takes the lines as they come (a pipe, a device) has the lines of the
        // records before it.
        MemoryFileSystem memory;
        memory.files["/in.dat"] = input;
        memory.devices["/out"] = "";
        EngineContext ctx{progress, memory, block};
        EXPECT_FALSE(ran(tranRec2Csv("/in.dat", "/out", table, ctx)));
        EXPECT_BYTES_EQ(std::string("ORDERNO,QTY\r\n00001,012\r\n00001,345\r\n"),
                        memory.devices["/out"]);
    }
}

TEST_F(TranRec2CsvTest, WithoutClassCodeEveryRecordIsRecordOneWithItsSize) {
    // Entry 0 says variable length, record 1 is 3 bytes long: every 3 bytes make a record,
    // also across block boundaries; the short rest is ignored.
    RecordDefTable table = makeTable(
        fileDefinition(0, "", ",", false),
        {recordDefinition("R", 3, "", 0, 0, {field("a", "X", 1, 1), field("b", "X", 3, 1)}),
         recordDefinition("S", 1, "", 0, 0, {field("s", "X", 1, 1)})});
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        EXPECT_BYTES_EQ(std::string("a,c\r\nd,f\r\ng,i\r\n"), convert("abcdefghij", table));
    }
}

TEST_F(TranRec2CsvTest, TitleLineNamesTheFirstLeafKindAndItsAncestorsOnly) {
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", true),
        {recordDefinition("H", 2, "H", 0, 3, {unmarked("K", "X", 1, 1), field("h", "X", 2, 1)}),
         recordDefinition("X", 2, "X", 0, 0, {field("x1", "X", 1, 1), field("x2", "X", 2, 1)}),
         recordDefinition("D", 2, "D", 1, 0, {unmarked("K", "X", 1, 1), field("d", "X", 2, 1)})});
    EXPECT_BYTES_EQ(std::string("x1,x2\r\nX,1\r\n1,2\r\n"), convert("X1H1D2", table));
    table[0].TitleLine = false;
    EXPECT_BYTES_EQ(std::string("X,1\r\n"), convert("X1", table));
    table[0].TitleLine = true;
    for (FieldDef& f : table[2].Fields) f.Check = 0;
    EXPECT_BYTES_EQ(std::string("\r\n"), convert("", table));
}

TEST_F(TranRec2CsvTest, ShiftJisTextPassesThroughAndDoubleByteDelimiterIsWrittenWhole) {
    // "受注" = 8E F3 92 8D, "数量" = 90 94 97 CA, "、" = 81 41, "ｱ" = B1.
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", "、", true),
        {recordDefinition("H", 5, "H", 0, 2, {unmarked("K", "X", 1, 1), field("受注", "X", 2, 4)}),
         recordDefinition(
             "D", 4, "D", 1, 0,
             {unmarked("K", "X", 1, 1), field("数量", "X", 2, 2), field("ｱ", "9", 4, 1)})});
    const std::string in =
        "H\x8E\xF3\x92\x8D"
        "D\x82\xA0"
        "5";
    EXPECT_BYTES_EQ(std::string("\x8E\xF3\x92\x8D\x81\x41\x90\x94\x97\xCA\x81\x41\xB1\r\n"
                                "\x8E\xF3\x92\x8D\x81\x41\x82\xA0\x81\x41"
                                "5\r\n"),
                    convert(in, table));
}

TEST_F(TranRec2CsvTest, BackslashTDelimiterBecomesTabInOutputAndTable) {
    RecordDefTable table = orderExampleTable();
    table[0].Delimiter = "\\t";
    EXPECT_BYTES_EQ(std::string("ORDERNO\tQTY\r\n00001\t012\r\n"), convert("H00001D012", table));
    EXPECT_EQ("\t", table[0].Delimiter);
}

TEST_F(TranRec2CsvTest, RecordsAndLinesLongerThanTheBuffersAreConverted) {
    const int size = 70000;
    RecordDefTable table =
        makeTable(fileDefinition(0, "", ",", false),
                  {recordDefinition("R", size, "", 0, 0,
                                    {field("a", "X", 1, size), field("b", "X", 1, size)})});
    std::string in;
    std::mt19937 rng(3);
    for (int i = 0; i < 3 * size; ++i) in += static_cast<char>('a' + rng() % 26);
    std::string expected;
    for (int r = 0; r < 3; ++r) {
        const std::string rec = in.substr(static_cast<std::size_t>(r) * size, size);
        expected += rec + "," + rec + "\r\n";
    }
    for (std::size_t block : {std::size_t{1000}, std::size_t{4096}, kDefaultBlockSize}) {
        blockSize = block;
        EXPECT_TRUE(convert(in + "\r\n" + in.substr(0, 10), table) == expected) << block;
    }
}

TEST_F(TranRec2CsvTest, ReportsTheFirstUnconvertedByteAfterEachBlock) {
    blockSize = 4;
    RecordDefTable table = orderExampleTable();
    table[0].TitleLine = false;
    convert("H00001D012X", table);  // 11 bytes, the last one an incomplete record
    EXPECT_EQ((std::vector<ProgressCall>{{0, 11}, {0, -1}, {6, -1}, {10, -1}, {11, -1}, {11, -1}}),
              progress.calls);
    progress.calls.clear();
    convert("", table);
    EXPECT_EQ((std::vector<ProgressCall>{{0, 0}}), progress.calls);
}

TEST_F(TranRec2CsvTest, ReadAndWriteFailuresAreReportedAndTheOldOutputKept) {
    RecordDefTable table = orderExampleTable();
    std::string in;
    for (int i = 0; i < 200; ++i) in += "H00001\r\nD012\r\n";
    blockSize = 64;
    files.readLimit = 500;
    dir.write("out.csv", "old output");
    EXPECT_EQ("old output", convert(in, table, false));
    EXPECT_EQ(Failure(FailureKind::ReadError, "injected fault", FailureSubject::InputRead,
                      dir.file("in.dat")),
              onlyFailure());

    files.readLimit = INT64_MAX;
    files.writeLimit = 100;
    failures.clear();
    EXPECT_EQ("old output", convert(in, table, false));
    EXPECT_EQ(Failure(FailureKind::WriteError, "injected fault", FailureSubject::OutputWrite,
                      dir.file("out.csv")),
              onlyFailure());
}

// A count, a table of up to three occurrences of a name and a quantity, and a tail.
RecordDefTable varyingTable() {
    std::vector<FieldDef> fields = {field("count", "9", 1, 2)};
    for (int o = 0; o < 3; ++o) {
        fields.push_back(field("name" + std::to_string(o + 1), "X", 3 + 5 * o, 3));
        fields.push_back(field("qty" + std::to_string(o + 1), "9", 6 + 5 * o, 2));
    }
    fields.push_back(field("tail", "X", 18, 2));
    RecordDefTable table =
        makeTable(fileDefinition(0, "", ",", false), {recordDefinition("R", 19, "", 0, 0, fields)});
    table[1].varying = {1, 3, 5, 0, 3};
    return table;
}

TEST_F(TranRec2CsvTest, RecordsHoldTheOccurrencesTheirCountersSay) {
    RecordDefTable table = varyingTable();
    const std::string expected =
        "02,AAA,11,BBB,22,,,ZZ\r\n00,,,,,,,YY\r\n03,CCC,33,DDD,44,EEE,55,XX\r\n";
    const std::vector<std::string> records = {"02AAA11BBB22ZZ", "00YY", "03CCC33DDD44EEE55XX"};
    std::string fixed, v;
    for (const std::string& r : records) {
        fixed += r + "\r\n";
        v += descriptorWordOf(r.size() + 4, {}) + r;
    }
    for (std::size_t block : kBlockSizes) {
        blockSize = block;
        EXPECT_BYTES_EQ(expected, convert(fixed, table)) << "block " << block;
    }
    table[0].recordFormat = RecordFormat::V;
    EXPECT_BYTES_EQ(expected, convert(v, table));
    // The way back makes the records again, each as long as its counter says, in parts too.
    for (const RecordFormat format : {RecordFormat::Fixed, RecordFormat::V}) {
        table[0].recordFormat = format;
        RecordOutputOptions framing;
        framing.end = format == RecordFormat::Fixed ? RecordEnd::CrLf : RecordEnd::None;
        for (const unsigned jobs : {1u, 3u}) {
            EngineContext ctx = context();
            ctx.jobs = jobs;
            ASSERT_TRUE(ran(tranCsv2Rec(dir.write("back.csv", expected), dir.file("back.dat"),
                                        table, framing, ctx)));
            EXPECT_BYTES_EQ(format == RecordFormat::Fixed ? fixed : v,
                            readFile(dir.file("back.dat")));
        }
    }
    EngineContext ctx = context();
    EXPECT_FALSE(ran(tranCsv2Rec(dir.write("bad.csv", "04,A,1,B,2,C,3,ZZ\r\n"), dir.file("bad.dat"),
                                 table, {}, ctx)));
    EXPECT_NE(std::string::npos,
              failures.back().reason.find("表の回数の範囲 (0 ～ 3) にありません。"))
        << failures.back().reason;
    failures.clear();

    // A counter the table cannot hold, or no number, stops the conversion at its record.
    table[0].recordFormat = RecordFormat::Fixed;
    const std::string stop =
        "\nレコード番号 = 2、オフセット = 16 (0x10)\nレコード = R\n"
        "フィールド = count\n";
    auto stopOf = [&](const std::string& in) {
        failures.clear();
        convert(in, table, false);
        return onlyFailure().reason;
    };
    EXPECT_EQ("表の回数が範囲外です。" + stop + "値 = 4\n範囲 = 0 ～ 3",
              stopOf("02AAA11BBB22ZZ\r\n04AAA11BBB22CCC33DDD44\r\n"));
    EXPECT_EQ("表の回数が数値ではありません。" + stop + "値 = 0x4131\n範囲 = 0 ～ 3",
              stopOf("02AAA11BBB22ZZ\r\nA1YY\r\n"));
    // A table that cannot be read is refused with its record.
    table[1].varying.Pos = 4;
    EXPECT_EQ(
        "フィールドが表の繰り返しの区切りをまたいでいます。\nレコード = R (1)\nフィールド = name1",
        stopOf(fixed));
}

TEST_F(TranRec2CsvTest, UnsoundDefinitionIsRefusedBeforeAnyFileIsTouched) {
    struct Case {
        std::function<void(RecordDefTable&)> change;
        std::string message;
    };
    const std::vector<Case> cases = {
        {[](RecordDefTable& t) { t.entries.resize(1); }, "レコード定義がありません。"},
        {[](RecordDefTable& t) { t.entries.clear(); }, "レコード定義がありません。"},
        {[](RecordDefTable& t) { t[0].Size = -1; },
         "ファイル定義のレコード長に誤りがあります。\nレコード長 = -1"},
        {[](RecordDefTable& t) { t[0].Class = "A"; },
         "識別区分の開始位置に誤りがあります。\n識別区分の開始位置 = A"},
        {[](RecordDefTable& t) { t[0].Class = "0"; },
         "識別区分の開始位置に誤りがあります。\n識別区分の開始位置 = 0"},
        {[](RecordDefTable& t) { t[2].Size = 0; },
         "レコード長に誤りがあります。\nレコード = D (2)\nレコード長 = 0"},
        {[](RecordDefTable& t) { t[2].Parent = 3; },
         "親レコードの指定に誤りがあります。\nレコード = D (2)\n親レコード = 3"},
        {[](RecordDefTable& t) { t[1].Parent = 2; },
         "親レコードの指定に誤りがあります。\nレコード = H (1)\n親レコード = 2"},
        {[](RecordDefTable& t) { t[2].Fields[1].Pos = 0; },
         "フィールドの位置に誤りがあります。\nレコード = D (2)\nフィールド = QTY\n位置 = 0"},
        {[](RecordDefTable& t) { t[2].Fields[1].Size = 0; },
         "フィールド長に誤りがあります。\nレコード = D (2)\nフィールド = QTY\nフィールド長 = 0"},
        {[](RecordDefTable& t) { t[2].Fields[1].Size = 4; },
         "フィールドがレコード長を超えています。\nレコード = D (2)\nフィールド = QTY\n位置 = 2\n"
         "フィールド長 = 4\nレコード長 = 4"},
        {[](RecordDefTable& t) { t[2].Fields[1].Dec = -1; },
         "小数点以下桁数に誤りがあります。\nレコード = D (2)\nフィールド = QTY\n小数点以下桁数 = "
         "-1"},
        {[](RecordDefTable& t) { t[2].Fields[1].Dec = 4; },
         "小数点以下桁数に誤りがあります。\nレコード = D (2)\nフィールド = QTY\n小数点以下桁数 = "
         "4"},
        {[](RecordDefTable& t) {
             t[2].Fields[1].Type = "P";
             t[2].Fields[1].Dec = 6;
         },
         "小数点以下桁数に誤りがあります。\nレコード = D (2)\nフィールド = QTY\n小数点以下桁数 = "
         "6"},
        // Only a record without a child writes lines; a stale child is no child.
        {[](RecordDefTable& t) { t[2].Child = 1; },
         "子レコードの無いレコードがありません。出力する行がありません。"},
        {[](RecordDefTable& t) { t[1].Child = 3; },
         "子レコードの指定に誤りがあります。\nレコード = H (1)\n子レコード = 3"},
        {[](RecordDefTable& t) { t[1].Child = 1; },
         "子レコードの指定に誤りがあります。\nレコード = H (1)\n子レコード = 1"},
        {[](RecordDefTable& t) {
             t.entries.push_back(t[2]);
             t[3].Name = "E";
             t[3].Parent = 0;
             t[3].Child = 2;  // the detail's parent is H
             t[2].Child = 0;
         },
         "子レコードの指定に誤りがあります。\nレコード = E (3)\n子レコード = 2"},
        // A record without a name, or with another's, is told by its number.
        {[](RecordDefTable& t) {
             t[2].Name = "";
             t[2].Parent = 2;
         },
         "親レコードの指定に誤りがあります。\nレコード = (2)\n親レコード = 2"},
        {[](RecordDefTable& t) {
             t.entries.push_back(t[2]);
             t[3].Child = 3;
         },
         "子レコードの指定に誤りがあります。\nレコード = D (3)\n子レコード = 3"},
    };
    const std::string input = dir.write("in.dat", "H00001D012");
    for (const Case& c : cases) {
        RecordDefTable table = orderExampleTable();
        table[0].Delimiter = "\\t";
        c.change(table);
        const RecordDefTable before = table;
        const std::string output = dir.write("out.csv", "keep");
        failures.clear();
        progress.calls.clear();
        EngineContext ctx = context();
        EXPECT_FALSE(ran(tranRec2Csv(input, output, table, ctx)));
        const Failure m = onlyFailure();
        EXPECT_EQ(c.message, m.reason);
        EXPECT_EQ(FailureKind::InvalidDefinition, m.kind);
        EXPECT_EQ("keep", readFile(output));
        EXPECT_TRUE(progress.calls.empty());
        if (!before.entries.empty()) {
            EXPECT_EQ(before[0].Delimiter, table[0].Delimiter);
        }
    }
    // Unmarked fields, and a decimal count on text, are not checked: they are never converted.
    RecordDefTable table = orderExampleTable();
    table[2].Fields[0] = unmarked("KIND", "X", 9, 0);
    table[2].Fields.push_back(field("T", "X", 1, 1, 9));
    table[0].TitleLine = false;
    EXPECT_BYTES_EQ(std::string("00001,012,D\r\n"), convert("H00001D012", table));
}

TEST_F(TranRec2CsvTest, ADeepChainOfManyKindsIsConverted) {
    // 20000 generations, each told by a five-digit code and adding one field to the line of
    // the last: a cost that grew with depth times kinds would not end in reasonable time.
    constexpr int kDepth = 20000;
    RecordDefTable table = makeTable(fileDefinition(0, "1", ",", false), {});
    std::string in, expected;
    for (int k = 1; k <= kDepth; ++k) {
        char code[8];
        std::snprintf(code, sizeof code, "%05d", k);
        table.entries.push_back(
            recordDefinition("R", 6, code, k - 1, k < kDepth ? k + 1 : 0,
                             {unmarked("code", "X", 1, 5), field("v", "X", 6, 1)}));
        const char value = static_cast<char>('a' + k % 26);
        in += std::string(code) + value + "\n";
        expected += std::string(k > 1 ? "," : "") + value;
    }
    expected += "\r\n";
    EXPECT_BYTES_EQ(expected, convert(in, table));
    EXPECT_TRUE(failures.empty());
}

TEST_F(TranRec2CsvTest, MatchesRecordWiseReferenceOnRandomDefinitions) {
    std::mt19937 rng(11);
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* delimiters[] = {",", "", "、", "||", "\t"};
    for (int round = 0; round < 60; ++round) {
        const int kindCount = 1 + pick(4);
        RecordDefTable table = makeTable(fileDefinition(0, "2", delimiters[pick(5)], false), {});
        for (int k = 1; k <= kindCount; ++k) {
            const int size = 2 + pick(12);
            const int parent = k > 1 && pick(2) ? 1 + pick(k - 1) : 0;
            const std::vector<FieldDef> fields = randomFields(pick, size, {"X", "9", "P", "p"});
            table.entries.push_back(recordDefinition("R" + std::to_string(k), size,
                                                     std::string(1, static_cast<char>('A' + k)),
                                                     parent, 0, fields));
            if (parent != 0) table[static_cast<std::size_t>(parent)].Child = k;
        }
        std::string in;
        std::vector<int> kinds;
        const char* breaks[] = {"", "\r\n", "\n", "\r"};
        for (int n = 0; n < 40; ++n) {
            const int k = 1 + pick(kindCount);
            kinds.push_back(k);
            std::string rec;
            for (int i = 0; i < table[static_cast<std::size_t>(k)].Size; ++i) {
                rec += static_cast<char>(pick(3) ? '0' + pick(10) : pick(256));
            }
            rec[0] = '#';  // not a line break, which would be skipped
            rec[1] = static_cast<char>('A' + k);
            in += rec + breaks[pick(4)];
        }
        const std::string expected = referenceConversion(in, table, kinds);
        blockSize = 1 + static_cast<std::size_t>(pick(40));
        EXPECT_BYTES_EQ(expected, convert(in, table)) << "round " << round;
    }
}

}  // namespace
}  // namespace sorvek::testing
