#pragma once
// The reading of delimited text into records that the CSV-to-records job, its check and the
// preview of the definition page share, so that none of them reads a line otherwise than the
// others: how the text starts (a UTF-8 byte order mark, the encoding, the delimiter), the title
// line, the lines cut by CsvLineSplitter, each made into its records by RecordBuilder, and the
// lines that make none (the job stops at the first; the check reads on).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/csv_check_report.h"
#include "engine/csv_line_splitter.h"
#include "engine/engine_context.h"
#include "engine/job_files.h"
#include "engine/record_builder.h"
#include "model/record_def.h"
#include "model/record_output_options.h"
#include "ports/status.h"

namespace sorvek {

// Where a line lies in the text.
struct CsvLinePlace {
    std::int64_t line = 1;    // 1-based number of the line its values start on
    std::int64_t offset = 0;  // its first byte, 0-based from the start of the file
    std::size_t length = 0;   // its bytes, its line end included
};

// A line that makes no record. The views are valid during the call that hands it over.
struct CsvLineFault {
    CsvLineProblem problem = CsvLineProblem::Value;
    CsvLinePlace place;
    std::size_t values = 0;  // the values of the line (Quotes: up to the one not closed)
    std::size_t column = 0;  // 1-based number of the value at fault; 0 for the line as a whole
    std::string_view field;  // Value: the field's name (UTF-8)
    std::string_view value;  // Value: the value as the text holds it
    std::string_view why;    // in the user's words
    bool utf8 = false;       // the text is UTF-8 (else CP932): how `value` reads
};

// Takes what the lines make.
class CsvLineSink {
  public:
    virtual ~CsvLineSink() = default;
    // A record made, in the order of the output: its kind and its bytes (the kind's `Size`,
    // valid during the call), the line it was made of, and the condition on which it is
    // written: RecordBuilder::kAlways, but in a stretch read apart (CsvRecordLines::startApart).
    virtual void record(const CsvLinePlace& line, int kind, const unsigned char* bytes,
                        std::size_t size, std::size_t condition) = 0;
    // A line that makes no record (nothing of it was handed to `record`). True to read on past
    // it, false to stop.
    virtual bool fault(const CsvLineFault& fault) = 0;
};

// The bytes of a UTF-8 byte order mark that a file starting with `fileHead` starts with (0 or 3),
// and the bytes of the definition's delimiter in that file (UTF-8 after a mark, otherwise in the
// encoding the definition names): as CsvRecordLines::make reads the text.
std::size_t csvByteOrderMark(std::string_view fileHead);
std::string csvDelimiterOf(const RecordDefTable& table, std::string_view fileHead);

// The failure of a job stopped by the line `fault` (InvalidData): the line, and for a value its
// column, field and value, with why.
Failure csvLineFailure(const CsvLineFault& fault);

// Where a stretch of the text starts in its file.
struct CsvTextStart {
    std::int64_t line = 1;
    std::int64_t offset = 0;
    // The stretch starts at the start of the file: its byte order mark and title line are there.
    bool fileStart = true;
};

// What the job refuses before it touches a file: a definition the record-to-CSV conversion
// cannot use, one without a delimiter, or one whose kinds' lines cannot be told apart
// (InvalidDefinition), or a layout `records` cannot give its records (a line end after records
// that are no fixed Shift-JIS ones, a record longer than its descriptor words allow:
// RefusedArgument).
Status checkCsvToRecordsRun(const RecordDefTable& table, const RecordOutputOptions& records);

// The lines of a text made into records, stretch by stretch.
class CsvRecordLines {
  public:
    // How `table` reads a text whose file starts with the bytes `fileHead` (a UTF-8 byte order
    // mark makes it UTF-8, whatever the definition's encoding says) from `start` on. Fails
    // (InvalidDefinition) for a definition without a delimiter or whose lines cannot be told
    // apart (RecordBuilder::make). REQUIRES: checkCsvToRecordsRun passed.
    static Result<CsvRecordLines> make(const RecordDefTable& table, std::string_view fileHead,
                                       const CsvTextStart& start = {});
    // The same reading, with nothing taken, of a stretch of the same text from `start` on: the
    // definition's tables are made once however many stretches the text is read in.
    // REQUIRES: nothing taken by this one.
    CsvRecordLines startingAt(const CsvTextStart& start) const;

    // The bytes of the byte order mark the stretch starts with, which the caller passes over
    // before the first `take` (0 without one, or away from the file's start).
    std::size_t markBytes() const { return markBytes_; }
    // Cp932, or UTF-8 (Utf8Bom where the definition says so and no mark is there).
    CsvEncoding encoding() const { return encoding_; }
    bool utf8() const { return encoding_ != CsvEncoding::Cp932; }

    // Makes the records of the whole lines of [begin, end) (with `atEnd`, nothing follows `end`:
    // the last line is whole too), handing records and faults to `sink`, until a fault that the
    // sink does not read past (stopped()). Returns the bytes taken: up to the first line not yet
    // whole, or past the line that stopped the reading.
    std::size_t take(const char* begin, const char* end, bool atEnd, CsvLineSink& sink);

    // The stretch is read at once with the text before it, which is not known yet: records whose
    // writing depends on it come with a condition (RecordBuilder::startApart). REQUIRES: nothing
    // taken yet.
    void startApart() { builder_.startApart(); }
    // Once the text before the stretch is known: whether each condition holds, and what the
    // text up to the end of the stretch leaves for the next (RecordBuilder::resolve, lastsAfter).
    std::vector<bool> resolve(const RecordBuilder::Lasts& before) const {
        return builder_.resolve(before);
    }
    RecordBuilder::Lasts lastsAfter(RecordBuilder::Lasts before) const {
        return builder_.lastsAfter(std::move(before));
    }

    // The most bytes a line of the definition's text may take: every written field's value at
    // its longest, quoted, with room to spare for what people type (blanks after a text). A
    // line not ended within them is refused, so that a quote not closed does not hold the rest
    // of the file in memory.
    std::size_t longestLine() const { return longestLine_; }
    // Refuses the line after the lines taken, for not ending within longestLine() bytes; the
    // reading stops there whatever the sink says.
    void refuseLongLine(CsvLineSink& sink);

    bool stopped() const { return stopped_; }
    // Lines read so far (the title line, empty lines and lines at fault too).
    std::int64_t lines() const { return lines_; }
    bool titleSkipped() const { return titleSkipped_; }
    std::int64_t emptyLines() const { return emptyLines_; }

  private:
    CsvRecordLines(RecordBuilder builder, std::string delimiter)
        : builder_(std::move(builder)), splitter_(std::move(delimiter)) {}
    // The line just cut (its values in `values_`); false when it stopped the reading.
    bool takeLine(const CsvLineSplitter::Line& line, const RecordBuilder::Emit& emit,
                  CsvLineSink& sink);
    // The fault of the line just cut, for the line as a whole (`why` valid during the call that
    // hands it over).
    CsvLineFault faultOfLine(CsvLineProblem problem, std::string_view why) const;

    RecordBuilder builder_;
    CsvLineSplitter splitter_;
    std::vector<std::string_view> values_;
    CsvEncoding encoding_ = CsvEncoding::Cp932;
    bool marked_ = false;     // the text starts with a byte order mark
    bool titleLine_ = false;  // and then with a title line
    std::size_t markBytes_ = 0;
    std::size_t longestLine_ = 0;
    bool skipTitle_ = false;
    CsvLinePlace place_;  // of the line being made
    std::int64_t nextLine_ = 1;
    std::int64_t nextOffset_ = 0;
    std::int64_t lines_ = 0;
    std::int64_t emptyLines_ = 0;
    bool titleSkipped_ = false;
    bool stopped_ = false;
    bool finished_ = false;  // the records that follow the last line were made
};

// What a reading of a whole text found besides its records and faults.
struct CsvTextTally {
    CsvEncoding encoding = CsvEncoding::Cp932;
    bool byteOrderMark = false;
    std::int64_t lines = 0;
    bool titleSkipped = false;
    std::int64_t emptyLines = 0;
    std::int64_t bytes = 0;  // bytes read of the input
    bool stopped = false;    // a fault stopped the reading
};

// Reads `input` to its end (or to a fault the sink does not read past) as delimited text through
// `table`: blocks of `context.blockSize` (a longer line is read whole), each handed to
// `context.observeInput` as it is read, progress after each. Fails with the input's read failure
// (after a cancel: cancelledFailure) and with the refusal of CsvRecordLines::make; `tally` says
// what was read also then. REQUIRES: checkCsvToRecordsRun passed.
Status readCsvRecords(JobInput& input, const RecordDefTable& table, CsvLineSink& sink,
                      ProgressReporter& progress, const EngineContext& context,
                      CsvTextTally& tally);

// A value of the text as UTF-8 for the user, its control characters as they are; with `most`,
// at most that many bytes, cut between two characters and ended with "…".
std::string csvValueText(std::string_view value, bool utf8, std::size_t most = std::string::npos);

}  // namespace sorvek
