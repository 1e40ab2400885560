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
#include "platform/codepage.h"
#include "platform/number_text.h"

namespace sorvek {

Status tranRec2Csv(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, EngineContext& context) {
    if (Status definition = checkRec2CsvDefinition(table); !definition) return definition;
    if (context.jobs > 1) {
        return tranRec2CsvInParts(inputPath, outputPath, table, context);
    }
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    JobInput& input = *files->input;

    ProgressReporter progress(context.progress, input.length());
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

    // The input buffer holds the unconverted rest of the last block and the next block; it
    // grows only when a record (or its class code) is longer than a block: to what the record
    // needs, but never beyond what the input still holds (when its length is unknown, by
    // doubling as the bytes come).
    std::vector<unsigned char> buffer(blockSize);
    std::size_t begin = 0, end = 0;  // unconverted bytes
    std::int64_t bufferOffset = 0;   // input offset of buffer[0]
    std::size_t needed = 0;
    while (!input.atEnd() && output.ok()) {
        if (begin > 0) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            bufferOffset += static_cast<std::int64_t>(begin);
            end -= begin;
            begin = 0;
        }
        const std::int64_t bound =
            input.length() >= 0
                ? static_cast<std::int64_t>(end) + input.length() - input.consumed()
                : static_cast<std::int64_t>(std::max(2 * buffer.size(), end + blockSize));
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(needed), bound));
        if (buffer.size() < want) buffer.resize(want);
        if (buffer.size() == end) buffer.resize(end + blockSize);
        const std::size_t room = std::min(blockSize, buffer.size() - end);
        Result<std::size_t> got = input.read(reinterpret_cast<char*>(buffer.data() + end), room);
        if (!got) {
            converter.keepData();
            return jobOutcome(got.error(), context);
        }
        if (context.observeInput) {
            context.observeInput(reinterpret_cast<const char*>(buffer.data() + end), *got);
        }
        end += *got;
        const bool atEnd = input.atEnd();

        RecordConverter<OutputBuffer>::Outcome outcome =
            converter.convert(buffer.data() + begin, buffer.data() + end, atEnd,
                              bufferOffset + static_cast<std::int64_t>(begin));
        begin += outcome.consumed;
        needed = outcome.needed;
        converter.keepData();
        if (outcome.unknownKind) {
            // The lines of the records before it reach an output that takes them as they come (a
            // pipe, a device); a file keeps what it held, as after any failure.
            const Status flushed =
                finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
            if (!flushed) return jobOutcome(flushed, context);
            const std::int64_t at = bufferOffset + static_cast<std::int64_t>(begin);
            return dataStop(unknownKindText(converter.recordsMet(), at));
        }
        if (!outcome.badFraming.empty()) {
            const Status flushed =
                finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
            if (!flushed) return jobOutcome(flushed, context);
            return dataStop(outcome.badFraming);
        }
        if (!outcome.invalidPacked.empty()) {
            // As for an unknown kind: the lines before it reach a pipe or a device; a file
            // keeps what it held.
            const Status flushed =
                finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
            if (!flushed) return jobOutcome(flushed, context);
            return dataStop(outcome.invalidPacked);
        }
        progress.reached(atEnd ? input.consumed()
                               : bufferOffset + static_cast<std::int64_t>(begin));
    }
    if (Status finished = finishOutput(output, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    if (converter.wroteLines()) progress.finished();
    return {};
}

}  // namespace sorvek
