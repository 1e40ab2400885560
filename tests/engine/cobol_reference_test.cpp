// Numbers as a COBOL compiler writes and reads them: a small program writes records with
// COMP-3 and DISPLAY fields and shows each value through an edited picture, and the conversion
// of its records must give the same text; records made from text are read by another program,
// whose display of each field must be the text's value; records of varying length behind the
// descriptor words the compiler writes are read and written in its forms.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "engine/tran_csv2rec.h"
#include "engine/tran_rec2csv.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

// Record layout (40 bytes, no line breaks) and the edited pictures whose text matches the
// conversion: a sign position ("-" or blank) and every digit for packed fields, the digits and a
// point for zoned.
constexpr const char* kProgram = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. GENREC.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT OUT-FILE ASSIGN TO "records.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD OUT-FILE.
       01 OUT-REC.
          05 R-KIND   PIC X(2).
          05 R-ZONED  PIC 9(5)V99.
          05 R-COUNT  PIC 9(7).
          05 R-PACK1  PIC S9(7)V99 COMP-3.
          05 R-PACK2  PIC S9(6)V99 COMP-3.
          05 R-PACK3  PIC 9(5) COMP-3.
          05 R-PACK4  PIC S9(3) COMP-3.
          05 R-PACK5  PIC S9(15)V99 COMP-3.
       WORKING-STORAGE SECTION.
       01 I        PIC 9(4).
       01 E-ZONED  PIC 9(5).99.
       01 E-PACK1  PIC -9(7).99.
       01 E-PACK2  PIC -9(7).99.
       01 E-PACK3  PIC -9(5).
       01 E-PACK4  PIC -9(3).
       01 E-PACK5  PIC -9(15).99.
       PROCEDURE DIVISION.
           OPEN OUTPUT OUT-FILE
           PERFORM VARYING I FROM 1 BY 1 UNTIL I > 300
               MOVE "RC" TO R-KIND
               COMPUTE R-ZONED = I * 311.07
               COMPUTE R-COUNT = I * I * 97
               COMPUTE R-PACK1 = (I - 100) * 98765.43 / 7
               COMPUTE R-PACK2 = (I * I - 20000) * 3.21
               COMPUTE R-PACK3 = I * 331
               COMPUTE R-PACK4 = I - 150
               COMPUTE R-PACK5 = (I - 77) * 123456789012.34 + I / 3
               WRITE OUT-REC
               MOVE R-ZONED TO E-ZONED
               MOVE R-PACK1 TO E-PACK1
               MOVE R-PACK2 TO E-PACK2
               MOVE R-PACK3 TO E-PACK3
               MOVE R-PACK4 TO E-PACK4
               MOVE R-PACK5 TO E-PACK5
               DISPLAY R-KIND "," E-ZONED "," R-COUNT "," E-PACK1
                   "," E-PACK2 "," E-PACK3 "," E-PACK4 "," E-PACK5
           END-PERFORM
           CLOSE OUT-FILE
           STOP RUN.
)";

bool cobolCompilerPresent() {
    return std::system("command -v cobc >/dev/null 2>&1") == 0;
}

class CobolReferenceTest : public EngineTest {};

TEST_F(CobolReferenceTest, PackedAndZonedFieldsMatchTheCompilersOwnDisplay) {
    if (!cobolCompilerPresent()) GTEST_SKIP() << "cobc (GnuCOBOL) is not installed";
    dir.write("genrec.cob", kProgram);
    const std::string run =
        "cd '" + dir.path() + "' && cobc -x -o genrec genrec.cob && ./genrec > display.txt";
    ASSERT_EQ(0, std::system(run.c_str())) << run;

    RecordDefTable table =
        makeTable(fileDefinition(40, "", ",", false),
                  {recordDefinition("REC", 40, "", 0, 0,
                                    {field("KIND", "X", 1, 2), field("ZONED", "9", 3, 7, 2),
                                     field("COUNT", "9", 10, 7), field("PACK1", "P", 17, 5, 2),
                                     field("PACK2", "P", 22, 5, 2), field("PACK3", "P", 27, 3),
                                     field("PACK4", "P", 30, 2), field("PACK5", "P", 32, 9, 2)})});

    EngineContext ctx = context();
    ASSERT_TRUE(ran(tranRec2Csv(dir.file("records.dat"), dir.file("out.csv"), table, ctx)));
    std::string expected;
    std::istringstream display(readFile(dir.file("display.txt")));
    int lines = 0;
    for (std::string line; std::getline(display, line); ++lines) expected += line + "\r\n";
    EXPECT_EQ(300, lines);
    EXPECT_BYTES_EQ(expected, readFile(dir.file("out.csv")));
}

// Reads the records of a layout with signed zoned, packed, big-endian (COMP) and native
// (COMP-5) binary fields and two scaled by P positions, and displays each field: the scaled ones
// through pictures that show every digit the P positions stand for.
constexpr const char* kReader = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. SHOWREC.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "records.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       01 IN-REC.
          05 R-ZONED   PIC S9(5).
          05 R-DEC     PIC S9(3)V99.
          05 R-COUNT   PIC 9(4).
          05 R-PACKED  PIC S9(7)V99 COMP-3.
          05 R-SHORT   PIC S9(4) COMP.
          05 R-LONG    PIC S9(9) COMP-5.
          05 R-THOUS   PIC 9(3)PPP.
          05 R-TINY    PIC SVPPP9(2).
       WORKING-STORAGE SECTION.
       01 AT-END   PIC X VALUE "N".
       01 E-THOUS  PIC 9(6).
       01 E-TINY   PIC -9.9(5).
       PROCEDURE DIVISION.
           OPEN INPUT IN-FILE
           PERFORM UNTIL AT-END = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO AT-END
                   NOT AT END
                       MOVE R-THOUS TO E-THOUS
                       MOVE R-TINY TO E-TINY
                       DISPLAY R-ZONED "," R-DEC "," R-COUNT ","
                           R-PACKED "," R-SHORT "," R-LONG ","
                           E-THOUS "," E-TINY
               END-READ
           END-PERFORM
           CLOSE IN-FILE
           STOP RUN.
)";

// A decimal number as one text whatever way it is written: no blank or "+" before it, no leading
// zeros, no
// trailing zeros after the point, no point without decimals, no sign on zero.
std::string sameNumber(std::string text) {
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.erase(0, 1);
    }
    const std::size_t point = text.find('.');
    std::string whole = text.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    fraction.erase(fraction.find_last_not_of('0') + 1);
    if (whole.empty()) whole = "0";
    std::string number = fraction.empty() ? whole : whole + "." + fraction;
    return negative && number != "0" ? "-" + number : number;
}

// Each value of each line of `text` (comma-separated) as sameNumber writes it, a line each.
std::string sameNumbers(const std::string& text) {
    std::string numbers;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream values(line);
        for (std::string value; std::getline(values, value, ',');)
            numbers += sameNumber(value) + ",";
        numbers += "\n";
    }
    return numbers;
}

TEST_F(CobolReferenceTest, TheCompilerReadsTheRecordsMadeFromText) {
    if (!cobolCompilerPresent()) GTEST_SKIP() << "cobc (GnuCOBOL) is not installed";
    // Values as people type them: signs or none, leading zeros or none, fewer decimal places.
    const std::string csv =
        "-123,-1.5,42,-1234.56,-77,123456789,123000,-0.00012\r\n"
        "+99999,999.99,9999,9999999.99,9999,999999999,999000,0.00099\r\n"
        "0,0,0,0,0,0,0,0\r\n"
        "-99999,-999.99,0001,-9999999.99,-9999,-999999999,1000,-0.00001\r\n"
        "7,.05,7,0.01,1,-1,0,0.0001\r\n"
        "00042,-0.01,10,-0.5,-1234,2147483647,5000,-.0005\r\n";
    auto zoned = [](std::string name, int pos, int size, int dec, int scale) {
        FieldDef f = field(std::move(name), "9", pos, size, dec);
        f.sign = SignPosition::Trailing;
        f.scale = scale;
        return f;
    };
    auto binary = [](std::string name, int pos, int size, ByteOrder order) {
        FieldDef f = field(std::move(name), "BIN", pos, size);
        f.signedBinary = true;
        f.byteOrder = order;
        return f;
    };
    FieldDef thousands = field("THOUS", "9", 26, 3);
    thousands.scale = 3;
    RecordDefTable table = makeTable(
        fileDefinition(30, "", ",", false),
        {recordDefinition(
            "REC", 30, "", 0, 0,
            {zoned("ZONED", 1, 5, 0, 0), zoned("DEC", 6, 5, 2, 0), field("COUNT", "9", 11, 4),
             field("PACKED", "P", 15, 5, 2), binary("SHORT", 20, 2, ByteOrder::Big),
             binary("LONG", 22, 4, ByteOrder::Native), thousands, zoned("TINY", 29, 2, 2, -3)})});

    EngineContext ctx = context();
    ASSERT_TRUE(ran(tranCsv2Rec(dir.write("in.csv", csv), dir.file("records.dat"), table, {}, ctx)))
        << failures.back().reason;
    dir.write("showrec.cob", kReader);
    const std::string run =
        "cd '" + dir.path() + "' && cobc -x -o showrec showrec.cob && ./showrec > display.txt";
    ASSERT_EQ(0, std::system(run.c_str())) << run;
    EXPECT_EQ(sameNumbers(csv), sameNumbers(readFile(dir.file("display.txt"))));
}

// Writes records of varying length (3 to 40 bytes) behind descriptor words in the form the
// runtime's COB_VARSEQ_FORMAT names, and displays each; the reader displays what it reads.
constexpr const char* kVariableWriter = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRITEVAR.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT OUT-FILE ASSIGN TO "records.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD OUT-FILE RECORD VARYING IN SIZE FROM 3 TO 40 DEPENDING ON L.
       01 OUT-REC.
          05 R-KIND PIC X(2).
          05 R-TEXT PIC X(38).
       WORKING-STORAGE SECTION.
       01 L     PIC 9(4) COMP.
       01 I     PIC 9(4).
       01 ALPHA PIC X(38) VALUE
           "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789AB".
       PROCEDURE DIVISION.
           OPEN OUTPUT OUT-FILE
           PERFORM VARYING I FROM 1 BY 1 UNTIL I > 200
               COMPUTE L = FUNCTION MOD(I * 7, 38) + 3
               MOVE "RC" TO R-KIND
               MOVE SPACES TO R-TEXT
               MOVE ALPHA(1:L - 2) TO R-TEXT(1:L - 2)
               WRITE OUT-REC
               DISPLAY R-KIND "," R-TEXT(1:L - 2)
           END-PERFORM
           CLOSE OUT-FILE
           STOP RUN.
)";

constexpr const char* kVariableReader = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. READVAR.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "made.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE RECORD VARYING IN SIZE FROM 3 TO 40 DEPENDING ON L.
       01 IN-REC.
          05 R-KIND PIC X(2).
          05 R-TEXT PIC X(38).
       WORKING-STORAGE SECTION.
       01 L      PIC 9(4) COMP.
       01 AT-END PIC X VALUE "N".
       PROCEDURE DIVISION.
           OPEN INPUT IN-FILE
           PERFORM UNTIL AT-END = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO AT-END
                   NOT AT END DISPLAY R-KIND "," R-TEXT(1:L - 2)
               END-READ
           END-PERFORM
           CLOSE IN-FILE
           STOP RUN.
)";

// The lines of `text`, each ended by CR LF and without the blanks at its end.
std::string trimmedLines(const std::string& text) {
    std::string lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line.erase(line.find_last_not_of(" \r") + 1);
        lines += line + "\r\n";
    }
    return lines;
}

TEST_F(CobolReferenceTest, VariableRecordsInTheCompilersDescriptorWordsGoBothWays) {
    if (!cobolCompilerPresent()) GTEST_SKIP() << "cobc (GnuCOBOL) is not installed";
    dir.write("writevar.cob", kVariableWriter);
    dir.write("readvar.cob", kVariableReader);
    const std::string build = "cd '" + dir.path() +
                              "' && cobc -x -o writevar writevar.cob && cobc -x -o readvar "
                              "readvar.cob";
    ASSERT_EQ(0, std::system(build.c_str())) << build;
    // The runtime's forms: the length, without the word's own bytes, high byte first or low.
    const std::pair<const char*, DescriptorWords> forms[] = {
        {"0", {DescriptorByteOrder::Big, DescriptorLength::Exclusive}},
        {"2", {DescriptorByteOrder::Little, DescriptorLength::Exclusive}},
    };
    for (const auto& [varseq, words] : forms) {
        SCOPED_TRACE(std::string("COB_VARSEQ_FORMAT=") + varseq);
        const std::string write =
            "cd '" + dir.path() + "' && COB_VARSEQ_FORMAT=" + varseq + " ./writevar > written.txt";
        ASSERT_EQ(0, std::system(write.c_str())) << write;
        const std::string written = trimmedLines(readFile(dir.file("written.txt")));

        RecordDefTable table =
            makeTable(fileDefinition(0, "", ",", false),
                      {recordDefinition("REC", 40, "", 0, 0,
                                        {field("KIND", "X", 1, 2), field("TEXT", "X", 3, 38)})});
        table[0].recordFormat = RecordFormat::V;
        table.output.trimBlanks = true;
        // Read as hosts write the words, the first records do not fit; where enough of the file
        // is read to tell, the message names the form that does, and never another.
        EngineContext ctx = context();
        EXPECT_FALSE(ran(tranRec2Csv(dir.file("records.dat"), dir.file("out.csv"), table, ctx)));
        ASSERT_FALSE(failures.empty());
        const std::string& reason = failures.back().reason;
        const bool hinted = reason.find("--rdw-byte-order") != std::string::npos;
        EXPECT_TRUE(words.byteOrder == DescriptorByteOrder::Big || hinted) << reason;
        EXPECT_TRUE(!hinted ||
                    reason.find(std::string("--rdw-byte-order ") +
                                (words.byteOrder == DescriptorByteOrder::Big ? "big" : "little") +
                                " --rdw-length exclusive の形式") != std::string::npos)
            << reason;
        // Workers on parts of a few records tell the same.
        const std::string told = reason;
        failures.clear();
        EngineContext parts = context();
        parts.jobs = 3;
        parts.blockSize = 64;
        EXPECT_FALSE(ran(tranRec2Csv(dir.file("records.dat"), dir.file("out.csv"), table, parts)));
        ASSERT_FALSE(failures.empty());
        EXPECT_EQ(told, failures.back().reason);
        failures.clear();

        table[0].descriptorWords = words;
        ASSERT_TRUE(ran(tranRec2Csv(dir.file("records.dat"), dir.file("out.csv"), table, ctx)));
        EXPECT_BYTES_EQ(written, readFile(dir.file("out.csv")));

        // Made back into records of the kind's length, which the runtime reads in its form.
        ASSERT_TRUE(ran(tranCsv2Rec(dir.file("out.csv"), dir.file("made.dat"), table, {}, ctx)));
        const std::string read =
            "cd '" + dir.path() + "' && COB_VARSEQ_FORMAT=" + varseq + " ./readvar > read.txt";
        ASSERT_EQ(0, std::system(read.c_str())) << read;
        EXPECT_BYTES_EQ(written, trimmedLines(readFile(dir.file("read.txt"))));
    }
}

}  // namespace
}  // namespace sorvek::testing
