#include "engine/tran_csv2rec.h"

#include <algorithm>
#include <cstring>

#include "engine/csv_record_lines.h"
#include "engine/job_files.h"

namespace sorvek {
namespace {

// Lays the records out as the file's framing says: back to back (each followed by a line end
// where asked), behind record descriptor words (V), in blocks behind block descriptor words (VB).
class RecordFramer {
  public:
    RecordFramer(OutputBuffer& output, RecordFormat format, const RecordOutputOptions& options)
        : output_(output), format_(format), blockSize_(options.blockSize) {
        if (options.end == RecordEnd::CrLf) end_ = "\r\n";
        if (options.end == RecordEnd::Lf) end_ = "\n";
    }

    void put(const unsigned char* record, std::size_t size) {
        const auto* bytes = reinterpret_cast<const char*>(record);
        if (format_ == RecordFormat::Fixed) {
            char* out = output_.reserve(size + end_.size());
            std::memcpy(out, bytes, size);
            std::memcpy(out + size, end_.data(), end_.size());
            output_.commit(size + end_.size());
            return;
        }
        char word[4];
        descriptorWord(size + 4, word);
        if (format_ == RecordFormat::V) {
            output_.append(word, 4);
            output_.append(bytes, size);
            return;
        }
        if (!block_.empty() && 4 + block_.size() + 4 + size > blockSize_) flushBlock();
        block_.append(word, 4);
        block_.append(bytes, size);
    }
    // Writes the last block.
    void finish() {
        if (!block_.empty()) flushBlock();
    }

  private:
    static void descriptorWord(std::size_t length, char* word) {
        word[0] = static_cast<char>(length >> 8 & 0xFF);
        word[1] = static_cast<char>(length & 0xFF);
        word[2] = word[3] = 0;
    }
    void flushBlock() {
        char word[4];
        descriptorWord(block_.size() + 4, word);
        output_.append(word, 4);
        output_.append(block_.data(), block_.size());
        block_.clear();
    }

    OutputBuffer& output_;
    RecordFormat format_;
    std::uint32_t blockSize_;
    std::string end_;
    std::string block_;
};

// The job's end of the reading: every record laid out in the output; the first line that makes
// none stops the job with its message.
class FramedRecords final : public CsvLineSink {
  public:
    explicit FramedRecords(RecordFramer& framer) : framer_(framer) {}

    void record(const CsvLinePlace&, int, const unsigned char* bytes, std::size_t size) override {
        framer_.put(bytes, size);
    }
    bool fault(const CsvLineFault& fault) override {
        stop_ = lineFailure(fault);
        return false;
    }
    // The failure of the line that stopped the job, or success.
    const Status& outcome() const { return stop_; }

  private:
    static Failure lineFailure(const CsvLineFault& f) {
        const std::string line = std::to_string(f.place.line);
        if (f.problem != CsvLineProblem::Value) {
            return failure(
                "CSV の行からレコードを作れません。\n行 = " + line + "\n" + std::string(f.why),
                FailureKind::InvalidData);
        }
        return failure("CSV の値をフィールドに入れられません。\n行 = " + line + "、列 = " +
                           std::to_string(f.column) + "\nフィールド = " + std::string(f.field) +
                           "\n値 = " + csvValueText(f.value, f.utf8) + "\n" + std::string(f.why),
                       FailureKind::InvalidData);
    }

    RecordFramer& framer_;
    Status stop_;
};

}  // namespace

Status tranCsv2Rec(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, const RecordOutputOptions& records,
                   EngineContext& context) {
    if (Status refused = checkCsvToRecordsRun(table, records); !refused) return refused;
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    ProgressReporter progress(context.progress, files->input->length());
    progress.start();
    const std::size_t blockSize = std::max<std::size_t>(context.blockSize, 1);
    OutputBuffer output(files->output->file(), 4 * blockSize);
    RecordFramer framer(output, table[0].recordFormat, records);
    FramedRecords sink(framer);
    CsvTextTally tally;
    if (Status read = readCsvRecords(*files->input, table, sink, progress, context, tally); !read) {
        return jobOutcome(read, context);
    }
    if (!sink.outcome()) return jobOutcome(sink.outcome(), context);
    framer.finish();
    if (Status finished = finishOutput(output, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
