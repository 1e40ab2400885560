#include "engine/tran_rec2csv.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/csv_line_plan.h"
#include "engine/inspection.h"
#include "engine/job_files.h"
#include "engine/parallel_jobs.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/rec2csv_text.h"
#include "engine/record_converter.h"
#include "engine/tran_rec2xlsx.h"
#include "platform/codepage.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// The input as the sequential run holds it: the unconverted rest of the last block and the next
// block. It grows only when a record (or its class code) is longer than a block: to what the
// record needs, but never beyond what the input still holds (when its length is unknown, by
// doubling as the bytes come).
class InputWindow {
  public:
    explicit InputWindow(std::size_t blockSize) : blockSize_(blockSize), buffer_(blockSize) {}

    // Moves the unconverted bytes to the front and reads the next block after them, with room
    // for `needed` unconverted bytes where the input holds them. The bytes read, or the failure
    // of the read (JobInput::read).
    Result<std::string_view> readNext(JobInput& input, std::size_t needed);
    // The unconverted bytes, and the input offset of the first of them.
    const unsigned char* begin() const { return buffer_.data() + begin_; }
    const unsigned char* end() const { return buffer_.data() + end_; }
    std::int64_t offset() const { return bufferOffset_ + static_cast<std::int64_t>(begin_); }
    void consume(std::size_t n) { begin_ += n; }

  private:
    const std::size_t blockSize_;
    std::vector<unsigned char> buffer_;
    std::size_t begin_ = 0, end_ = 0;  // unconverted bytes
    std::int64_t bufferOffset_ = 0;    // input offset of buffer_[0]
};

Result<std::string_view> InputWindow::readNext(JobInput& input, std::size_t needed) {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        bufferOffset_ += static_cast<std::int64_t>(begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::int64_t bound =
        input.length() >= 0
            ? static_cast<std::int64_t>(end_) + input.length() - input.consumed()
            : static_cast<std::int64_t>(std::max(2 * buffer_.size(), end_ + blockSize_));
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(needed), bound));
    if (buffer_.size() < want) buffer_.resize(want);
    if (buffer_.size() == end_) buffer_.resize(end_ + blockSize_);
    const std::size_t room = std::min(blockSize_, buffer_.size() - end_);
    char* const at = reinterpret_cast<char*>(buffer_.data() + end_);
    Result<std::size_t> got = input.read(at, room);
    if (!got) return got.error();
    end_ += *got;
    return std::string_view(at, *got);
}

// How the reading of the sequential run ended, when not at the end of the input or at a failed
// write: a failed read, or a record that stopped the conversion (the message to show).
struct BlocksEnd {
    Status failure;
    std::string stopMessage;
};

// The message of the record that stopped the conversion in `outcome`, or nothing. `at`: the
// input offset of that record.
std::string stopMessage(const RecordConverter<OutputBuffer>::Outcome& outcome,
                        const RecordConverter<OutputBuffer>& converter, std::int64_t at) {
    if (outcome.unknownKind) return unknownKindText(converter.recordsMet(), at);
    if (!outcome.badFraming.empty()) return outcome.badFraming;
    return outcome.invalidPacked;
}

// Reads the input block by block and converts its records, with progress after each block,
// until the input ends, a write fails, a read fails or a record stops the conversion.
BlocksEnd convertBlocks(JobInput& input, OutputBuffer& output,
                        RecordConverter<OutputBuffer>& converter, ProgressReporter& progress,
                        std::size_t blockSize, const EngineContext& context) {
    InputWindow window(blockSize);
    std::size_t needed = 0;
    while (!input.atEnd() && output.ok()) {
        Result<std::string_view> got = window.readNext(input, needed);
        if (!got) {
            converter.keepData();
            return {got.error(), {}};
        }
        if (context.observeInput) context.observeInput(got->data(), got->size());
        const bool atEnd = input.atEnd();
        RecordConverter<OutputBuffer>::Outcome outcome =
            converter.convert(window.begin(), window.end(), atEnd, window.offset());
        window.consume(outcome.consumed);
        needed = outcome.needed;
        converter.keepData();
        if (std::string stop = stopMessage(outcome, converter, window.offset()); !stop.empty()) {
            return {{}, std::move(stop)};
        }
        progress.reached(atEnd ? input.consumed() : window.offset());
    }
    return {};
}

}  // namespace

Status tranRec2Csv(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, EngineContext& context) {
    if (Status definition = checkRec2CsvDefinition(table); !definition) return definition;
    if (table.output.format == OutputFormat::Xlsx) {
        return tranRec2Xlsx(inputPath, outputPath, table, context);
    }
    if (table.output.writesFilePerKind())
        return tranRec2CsvByKind(inputPath, outputPath, table, context);
    if (context.jobs > 1) {
        return tranRec2CsvInParts(inputPath, outputPath, table, context);
    }
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    ProgressReporter progress(context.progress, files->input->length());
    progress.start();

    const Rec2CsvText text = prepareRec2CsvRun(table);
    const CsvOutputOptions& options = table.output;
    const std::size_t blockSize = std::max<std::size_t>(context.blockSize, 1);
    OutputBuffer output(files->output->file(), 4 * blockSize);
    output.append(text.preamble.data(), text.preamble.size());
    // UTF-8 lines are decoded on the writer's thread, beside the converting one, wherever the
    // plan can leave that to it.
    const CsvLinePlan plan(table, text.delimiter, options, Utf8Decoding::ByCaller);
    if (plan.callerDecodes()) output.decodeFromHere(Cp932Decoder::get());
    RecordConverter<OutputBuffer> converter(table, plan, output, text.lineEnd,
                                            options.invalidPacked == InvalidPacked::Fail);

    const BlocksEnd end =
        convertBlocks(*files->input, output, converter, progress, blockSize, context);
    if (!end.failure) return jobOutcome(end.failure, context);
    if (!end.stopMessage.empty()) {
        // The lines of the records before it reach an output that takes them as they come (a
        // pipe, a device); a file keeps what it held, as after any failure.
        const Status flushed =
            finishOutput(context, output, *files->output, outputPath, OutputEnd::KeepOldFile);
        if (!flushed) return jobOutcome(flushed, context);
        return dataStop(end.stopMessage);
    }
    if (Status finished = finishOutput(context, output, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    if (converter.wroteLines()) progress.finished();
    return {};
}

}  // namespace sorvek
