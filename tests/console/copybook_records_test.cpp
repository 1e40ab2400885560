// Records written by a COBOL compiler from a copybook, read back through the console program
// with the same copybook as the definition: every supported picture and usage, in fixed-length
// records and in records with descriptor words. The compiled program shows each value as text
// through an edited picture; the conversion must give the same values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

constexpr const char* kCopybook = R"(      * Every picture and usage the import knows.
       01  HOST-REC.
           05  R-TEXT      PIC X(8).
           05  R-ALPHA     PIC A(4).
           05  R-ZONED     PIC 9(5)V99.
           05  R-SZONED    PIC S9(5)V99.
           05  R-LEAD      PIC S9(4) SIGN IS LEADING.
           05  R-LEADSEP   PIC S9(3)V9 SIGN LEADING SEPARATE CHARACTER.
           05  R-TRAILSEP  PIC S9(5) SIGN TRAILING SEPARATE.
           05  R-PACKED    PIC S9(7)V99 COMP-3.
           05  R-UPACKED   PIC 9(5) USAGE IS PACKED-DECIMAL.
           05  R-BIN2      PIC S9(4) COMP.
           05  R-BIN4      PIC S9(9) BINARY.
           05  R-BIN8      PIC S9(16) COMP-4.
           05  R-UBIN4     PIC 9(8) COMP.
           05  R-NATIVE    PIC S9(9) COMP-5.
           05  R-SCALED    PIC 9(3)PPP.
           05  R-SMALL     PIC PPP9(3).
           05  R-BIG       PIC S9(31)V9(6) COMP-3.
           05  R-EDITED    PIC -9(4).99.
           05  R-GROUP     OCCURS 2 TIMES.
               10  R-QTY   PIC 9(3) COMP-3.
           05  FILLER      PIC X(2).
)";

constexpr const char* kProgram = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. HOSTREC.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT OUT-FILE ASSIGN TO "records.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD OUT-FILE.
       COPY "layout.cpy".
       WORKING-STORAGE SECTION.
       01 I         PIC 9(4).
       01 E-ZONED   PIC -9(5).99.
       01 E-SZONED  PIC -9(5).99.
       01 E-LEAD    PIC -9(4).
       01 E-LEADSEP PIC -9(3).9.
       01 E-TRAIL   PIC -9(5).
       01 E-PACKED  PIC -9(7).99.
       01 E-UPACKED PIC -9(5).
       01 E-BIN2    PIC -9(4).
       01 E-BIN4    PIC -9(9).
       01 E-BIN8    PIC -9(16).
       01 E-UBIN4   PIC -9(8).
       01 E-NATIVE  PIC -9(9).
       01 E-SCALED  PIC 9(6).
       01 E-SMALL   PIC 9.9(6).
       01 E-BIG     PIC -9(31).9(6).
       01 E-QTY1    PIC 9(3).
       01 E-QTY2    PIC 9(3).
       PROCEDURE DIVISION.
           OPEN OUTPUT OUT-FILE
           PERFORM VARYING I FROM 1 BY 1 UNTIL I > 300
               MOVE ALL "Z" TO HOST-REC
               MOVE SPACES TO R-TEXT
               STRING "T" I DELIMITED BY SIZE INTO R-TEXT
               MOVE "ABCD" TO R-ALPHA
               COMPUTE R-ZONED = I * 311.07
               COMPUTE R-SZONED = (I - 150) * 311.07
               COMPUTE R-LEAD = I * 31 - 4650
               COMPUTE R-LEADSEP = (I - 150) * 6.3
               COMPUTE R-TRAILSEP = (I - 150) * 613
               COMPUTE R-PACKED = (I - 100) * 98765.43 / 7
               COMPUTE R-UPACKED = I * 331
               COMPUTE R-BIN2 = I * 33 - 5000
               COMPUTE R-BIN4 = (I - 150) * 765432
               COMPUTE R-BIN8 = (I - 150) * 12345678901234
               COMPUTE R-UBIN4 = I * 99991
               COMPUTE R-NATIVE = (I - 150) * 1234567
               COMPUTE R-SCALED = I * 1000
               COMPUTE R-SMALL = I / 1000000
               COMPUTE R-BIG =
                   (I - 150) * 1234567890123456789012345678.123456
               COMPUTE R-EDITED = (I - 150) * 12.34
               COMPUTE R-QTY(1) = I
               COMPUTE R-QTY(2) = I * 3
               WRITE HOST-REC
               MOVE R-ZONED TO E-ZONED
               MOVE R-SZONED TO E-SZONED
               MOVE R-LEAD TO E-LEAD
               MOVE R-LEADSEP TO E-LEADSEP
               MOVE R-TRAILSEP TO E-TRAIL
               MOVE R-PACKED TO E-PACKED
               MOVE R-UPACKED TO E-UPACKED
               MOVE R-BIN2 TO E-BIN2
               MOVE R-BIN4 TO E-BIN4
               MOVE R-BIN8 TO E-BIN8
               MOVE R-UBIN4 TO E-UBIN4
               MOVE R-NATIVE TO E-NATIVE
               MOVE R-SCALED TO E-SCALED
               MOVE R-SMALL TO E-SMALL
               MOVE R-BIG TO E-BIG
               MOVE R-QTY(1) TO E-QTY1
               MOVE R-QTY(2) TO E-QTY2
               DISPLAY R-TEXT "," R-ALPHA "," E-ZONED "," E-SZONED ","
                   E-LEAD "," E-LEADSEP "," E-TRAIL "," E-PACKED ","
                   E-UPACKED "," E-BIN2 "," E-BIN4 "," E-BIN8 ","
                   E-UBIN4 "," E-NATIVE "," E-SCALED "," E-SMALL ","
                   E-BIG "," R-EDITED "," E-QTY1 "," E-QTY2
           END-PERFORM
           CLOSE OUT-FILE
           STOP RUN.
)";

// The columns that hold numbers, compared by value; the others (text, the edited picture) by
// their text without trailing blanks.
constexpr bool kNumeric[] = {false, false, true, true, true, true, true, true,  true, true,
                             true,  true,  true, true, true, true, true, false, true, true};

// A decimal number's text in one form, by its digits alone (no floating point): no blanks, no
// "+", no leading zeros before the point, no trailing zeros after it, no "-" for zero.
std::string canonicalNumber(std::string text) {
    std::string t;
    for (char c : text) {
        if (c != ' ' && c != '+') t += c;
    }
    bool negative = !t.empty() && t[0] == '-';
    if (negative) t.erase(0, 1);
    std::string whole = t, fraction;
    if (const std::size_t point = t.find('.'); point != std::string::npos) {
        whole = t.substr(0, point);
        fraction = t.substr(point + 1);
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (whole.empty()) whole = "0";
    if (whole == "0" && fraction.empty()) negative = false;
    return (negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

std::vector<std::string> splitCommas(const std::string& line) {
    std::vector<std::string> items;
    std::stringstream in(line);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
    }
    return result;
}

void expectSameValues(const std::string& display, const std::string& csv) {
    const std::vector<std::string> expected = lines(display);
    const std::vector<std::string> actual = lines(csv);
    ASSERT_EQ(301u, actual.size());  // the title line and 300 records
    ASSERT_EQ(300u, expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        const std::vector<std::string> want = splitCommas(expected[r]);
        const std::vector<std::string> got = splitCommas(actual[r + 1]);
        ASSERT_EQ(std::size(kNumeric), want.size()) << expected[r];
        ASSERT_EQ(want.size(), got.size()) << actual[r + 1];
        for (std::size_t c = 0; c < want.size(); ++c) {
            if (kNumeric[c]) {
                EXPECT_EQ(canonicalNumber(want[c]), canonicalNumber(got[c]))
                    << "record " << r + 1 << " column " << c << ": " << actual[r + 1];
            } else {
                std::string w = want[c];
                while (!w.empty() && w.back() == ' ') w.pop_back();
                EXPECT_EQ(w, got[c]) << "record " << r + 1 << " column " << c;
            }
        }
    }
}

// A COBOL program compiled and run once for a suite (`Suite`): its files written to a work
// folder and `build` run there. Its tests are skipped where the compiler is not installed.
template <class Suite>
class CompiledProgramTest : public ::testing::Test {
  protected:
    static void compile(std::initializer_list<std::pair<const char*, const char*>> files,
                        const std::string& build) {
        if (std::system("command -v cobc >/dev/null 2>&1") != 0) return;
        work_ = new TempDir();
        for (const auto& [name, text] : files) work_->write(name, text);
        compiled_ = std::system(("cd '" + work_->path() + "' && " + build).c_str()) == 0;
    }
    static void TearDownTestSuite() {
        delete work_;
        work_ = nullptr;
    }
    void SetUp() override {
        if (work_ == nullptr) GTEST_SKIP() << "cobc (GnuCOBOL) is not installed";
        ASSERT_TRUE(compiled_) << "the COBOL program did not compile or run";
    }

    // Runs the console program with `arguments` in the work folder; the text of out.csv.
    static std::string run(const std::string& arguments) {
        const std::string command = "cd '" + work_->path() + "' && '" +
                                    std::getenv("SORVEK_TEST_CLI") + "' -q " + arguments;
        EXPECT_EQ(0, std::system(command.c_str())) << command;
        return readFile(work_->file("out.csv"));
    }

    static inline TempDir* work_ = nullptr;
    static inline bool compiled_ = false;
};

class CopybookRecordsTest : public CompiledProgramTest<CopybookRecordsTest> {
  protected:
    static void SetUpTestSuite() {
        // Binary fields of 2, 4 and 8 bytes, as host compilers lay them out.
        compile({{"layout.cpy", kCopybook}, {"hostrec.cob", kProgram}},
                "cobc -x -fbinary-size=2-4-8 -I . -o hostrec hostrec.cob && ./hostrec > "
                "display.txt");
    }

    // Runs the console program on `input` with the copybook as the definition.
    static std::string convert(const std::string& options, const std::string& input) {
        return run(options + " /C " + input + " out.csv layout.cpy");
    }

    static std::string display() { return readFile(work_->file("display.txt")); }
    static std::string records() { return readFile(work_->file("records.dat")); }
};

constexpr std::size_t kRecordLength =
    8 + 4 + 7 + 7 + 4 + 5 + 6 + 5 + 3 + 2 + 4 + 8 + 4 + 4 + 3 + 3 + 19 + 8 + 2 * 2 + 2;

TEST_F(CopybookRecordsTest, FixedLengthRecordsGiveTheCompilersValues) {
    ASSERT_EQ(300 * kRecordLength, records().size());
    expectSameValues(display(), convert("--zoned-sign trailing --trim", "records.dat"));
}

TEST_F(CopybookRecordsTest, RecordsWithDescriptorWordsGiveTheSameValues) {
    // The compiler's records, each behind a record descriptor word; and in blocks of up to
    // seven records behind a block descriptor word.
    const std::string fixed = records();
    std::string v, vb, block;
    auto word = [](std::size_t length) {
        return std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF), '\0',
                           '\0'};
    };
    for (std::size_t r = 0; r < 300; ++r) {
        const std::string record =
            word(kRecordLength + 4) + fixed.substr(r * kRecordLength, kRecordLength);
        v += record;
        block += record;
        if (r % 7 == 6 || r == 299) {
            vb += word(block.size() + 4) + block;
            block.clear();
        }
    }
    work_->write("records.v", v);
    work_->write("records.vb", vb);
    expectSameValues(display(),
                     convert("--zoned-sign trailing --trim --record-format v", "records.v"));
    expectSameValues(display(),
                     convert("--zoned-sign trailing --trim --record-format vb", "records.vb"));
}

// A table whose occurrences a counter gives, with a field after it that moves with the table.
constexpr const char* kVaryingCopybook = R"(       01  ODO-REC.
           05  O-ID        PIC 9(6).
           05  O-COUNT     PIC 9(2).
           05  O-ITEM      OCCURS 0 TO 6 TIMES DEPENDING ON O-COUNT.
               10  O-CODE  PIC X(4).
               10  O-QTY   PIC S9(5) COMP-3.
               10  O-AMT   PIC S9(7)V99.
           05  O-TOTAL     PIC S9(9)V99 COMP-3.
)";

// Writes 40000 records of every count from 0 to 6 (each as long as its count makes it, the
// total slid after the occurrences present), and shows each as a line of text with the
// occurrences it lacks empty.
constexpr const char* kVaryingProgram = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. ODOREC.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT OUT-FILE ASSIGN TO "odo.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD OUT-FILE RECORD VARYING IN SIZE FROM 14 TO 110 DEPENDING ON L.
       COPY "odo.cpy".
       WORKING-STORAGE SECTION.
       01 L        PIC 9(4) COMP.
       01 I        PIC 9(6).
       01 J        PIC 9(2).
       01 P        PIC 9(4).
       01 E-QTY    PIC -9(5).
       01 E-AMT    PIC -9(7).99.
       01 E-TOTAL  PIC -9(9).99.
       01 LINE-OUT PIC X(200).
       PROCEDURE DIVISION.
           OPEN OUTPUT OUT-FILE
           PERFORM VARYING I FROM 1 BY 1 UNTIL I > 40000
               MOVE I TO O-ID
               COMPUTE O-COUNT = FUNCTION MOD(I * 5, 7)
               PERFORM VARYING J FROM 1 BY 1 UNTIL J > O-COUNT
                   MOVE "C" TO O-CODE(J)
                   MOVE J TO O-CODE(J)(2:2)
                   MOVE "Z" TO O-CODE(J)(4:1)
                   COMPUTE O-QTY(J) =
                       FUNCTION MOD(I * 13 + J, 99999) - 50000
                   COMPUTE O-AMT(J) = (I - 20000) * 123.45 + J
               END-PERFORM
               COMPUTE O-TOTAL = (I - 20000) * 98765.43
               COMPUTE L = 14 + 16 * O-COUNT
               WRITE ODO-REC
               MOVE 1 TO P
               MOVE SPACES TO LINE-OUT
               STRING O-ID "," O-COUNT DELIMITED BY SIZE
                   INTO LINE-OUT WITH POINTER P
               PERFORM VARYING J FROM 1 BY 1 UNTIL J > 6
                   IF J <= O-COUNT
                       MOVE O-QTY(J) TO E-QTY
                       MOVE O-AMT(J) TO E-AMT
                       STRING "," O-CODE(J) "," E-QTY "," E-AMT
                           DELIMITED BY SIZE
                           INTO LINE-OUT WITH POINTER P
                   ELSE
                       STRING ",,," DELIMITED BY SIZE
                           INTO LINE-OUT WITH POINTER P
                   END-IF
               END-PERFORM
               MOVE O-TOTAL TO E-TOTAL
               STRING "," E-TOTAL DELIMITED BY SIZE
                   INTO LINE-OUT WITH POINTER P
               DISPLAY LINE-OUT(1:P - 1)
           END-PERFORM
           CLOSE OUT-FILE
           STOP RUN.
)";

// The columns of the varying layout that hold numbers: the id, the count, each occurrence's
// quantity and amount, the total.
bool varyingColumnIsNumber(std::size_t column) {
    return column < 2 || column == 20 || (column - 2) % 3 != 0;
}

class VaryingRecordsTest : public CompiledProgramTest<VaryingRecordsTest> {
  protected:
    static void SetUpTestSuite() {
        // Items after the table slide with it; each record behind the runtime's descriptor
        // word: its length without the word, high byte first.
        compile({{"odo.cpy", kVaryingCopybook}, {"odorec.cob", kVaryingProgram}},
                "cobc -x -fodoslide -I . -o odorec odorec.cob && COB_VARSEQ_FORMAT=0 ./odorec > "
                "display.txt");
    }
};

TEST_F(VaryingRecordsTest, RecordsOfEveryCountGiveTheCompilersValuesAndComeBack) {
    const std::string expected = readFile(work_->file("display.txt"));
    // The same records back to back, without their descriptor words.
    const std::string described = readFile(work_->file("odo.dat"));
    std::string fixed;
    for (std::size_t at = 0; at + 4 <= described.size();) {
        const std::size_t length = static_cast<unsigned char>(described[at]) << 8 |
                                   static_cast<unsigned char>(described[at + 1]);
        fixed += described.substr(at + 4, length);
        at += 4 + length;
    }
    work_->write("odo.fixed", fixed);
    const std::string options = "--zoned-sign trailing --trim ";
    const std::string v = "--record-format v --rdw-length exclusive ";
    for (const char* jobs : {"", "--jobs 3 "}) {
        SCOPED_TRACE(jobs);
        const std::string csv = run(options + jobs + "/C odo.fixed out.csv odo.cpy");
        // Line by line: the test's process stays small, as the programs it measures elsewhere
        // begin as copies of it.
        std::istringstream want(expected), got(csv);
        std::string w, g;
        ASSERT_TRUE(std::getline(got, g));  // the title line
        std::size_t r = 0;
        for (; std::getline(want, w); ++r) {
            ASSERT_TRUE(std::getline(got, g)) << "record " << r + 1;
            if (!g.empty() && g.back() == '\r') g.pop_back();
            const std::vector<std::string> wv = splitCommas(w + ",");
            const std::vector<std::string> gv = splitCommas(g + ",");
            ASSERT_EQ(21u, wv.size()) << w;
            ASSERT_EQ(21u, gv.size()) << g;
            for (std::size_t c = 0; c < wv.size(); ++c) {
                // An occurrence the record lacks is empty on both sides, and only there.
                const bool number = varyingColumnIsNumber(c) && !wv[c].empty();
                EXPECT_EQ(number ? canonicalNumber(wv[c]) : wv[c],
                          number ? canonicalNumber(gv[c]) : gv[c])
                    << "record " << r + 1 << " column " << c << ": " << g;
            }
            if (HasFailure()) return;
        }
        EXPECT_EQ(40000u, r);
        EXPECT_FALSE(std::getline(got, g));
        EXPECT_EQ(csv, run(options + v + jobs + "/C odo.dat out.csv odo.cpy"));
        // The way back makes the compiler's records again, each as long as its count.
        run(options + jobs + "--record-end none /R out.csv odo.back odo.cpy");
        EXPECT_EQ(fixed, readFile(work_->file("odo.back")));
        run(options + v + jobs + "/R out.csv odo.back odo.cpy");
        EXPECT_EQ(described, readFile(work_->file("odo.back")));
    }
}

}  // namespace
}  // namespace sorvek::testing
