// Packed and zoned values as a COBOL compiler writes them: a small program writes records
// with COMP-3 and DISPLAY fields and shows each value through an edited picture; the
// conversion of its records must give the same text.
#include <cstdlib>
#include <fstream>
#include <sstream>

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

}  // namespace
}  // namespace sorvek::testing
