#include "engine/tran_csv2rec.h"

#include <algorithm>
#include <cstring>

#include "engine/control_totals.h"
#include "engine/csv_record_lines.h"
#include "engine/job_files.h"
#include "engine/parallel_jobs.h"
#include "engine/record_framer.h"

namespace sorvek {
namespace {

// The job's end of the reading: every record laid out in the output; the first line that makes
// none stops the job with its message.
class FramedRecords final : public CsvLineSink {
  public:
    explicit FramedRecords(RecordFramer<OutputBuffer>& framer) : framer_(framer) {}

    void record(const CsvLinePlace&, int, const unsigned char* bytes, std::size_t size,
                std::size_t) override {
        framer_.put(bytes, size);
    }
    bool fault(const CsvLineFault& fault) override {
        stop_ = csvLineFailure(fault);
        return false;
    }
    // The failure of the line that stopped the job, or success.
    const Status& outcome() const { return stop_; }

  private:
    RecordFramer<OutputBuffer>& framer_;
    Status stop_;
};

}  // namespace

Status tranCsv2Rec(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, const RecordOutputOptions& records,
                   EngineContext& context) {
    if (Status refused = checkCsvToRecordsRun(table, records); !refused) return refused;
    // Blocks are filled in the order of the records, which parts made at once would not know;
    // nor would they know the control totals of the lines before them.
    if (context.jobs > 1 && table[0].recordFormat != RecordFormat::VB && !hasControlTotals(table)) {
        return tranCsv2RecInParts(inputPath, outputPath, table, records, context);
    }
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    ProgressReporter progress(context.progress, files->input->length());
    progress.start();
    const std::size_t blockSize = std::max<std::size_t>(context.blockSize, 1);
    OutputBuffer output(files->output->file(), 4 * blockSize);
    RecordFramer<OutputBuffer> framer(output, table[0], records);
    FramedRecords sink(framer);
    CsvTextTally tally;
    if (Status read = readCsvRecords(*files->input, table, sink, progress, context, tally); !read) {
        return jobOutcome(read, context);
    }
    if (!sink.outcome()) return jobOutcome(sink.outcome(), context);
    framer.finish();
    if (Status finished = finishOutput(context, output, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
