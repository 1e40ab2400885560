// tranRec2CsvInParts and tranRec2CsvByKind (engine/parallel_jobs.h): record-to-CSV as a kind of
// part of the part pipeline (engine/part_pipeline.h).
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/in_order_writer.h"
#include "engine/job_files.h"
#include "engine/kind_files.h"
#include "engine/kind_outputs.h"
#include "engine/parallel_jobs.h"
#include "engine/part_carry.h"
#include "engine/part_pipeline.h"
#include "engine/rec2csv_by_kind.h"
#include "engine/split_plan.h"
#include "platform/thread_annotations.h"

namespace sorvek {
namespace {

// The record walk runs from part to part in their turns (the bytes of a record cut at the end
// of one part come first in the next); each part is then converted on its own, by its own
// RecordConverter seeded with the state its turn found, and written in order.
class Rec2CsvParts {
  public:
    struct Part {
        std::shared_ptr<std::vector<char>> buffer;
        std::size_t read = 0;  // read at offsets: bytes after the room kept for the carry
        bool atEnd = false;    // the input ends with them
        // Found in its turn: the whole records it converts and the state they start in.
        const char* data = nullptr;
        std::size_t size = 0;
        bool last = false;  // the end of the input, or a stop in the data
        RecordPartStart start;
        // The stop the walk from the file's start found in the part: the one the converter of
        // the part meets, told as a reading of the whole file tells it.
        std::string walkStop;
    };
    struct Done {
        std::string stopMessage;
    };

    // `table` as prepareRec2CsvRun left it, `text` what it returned; all outlive the kind.
    // `streamOfKind`: for an output split by kind, the writer's stream of each kind's lines
    // (KindOutputs); null for the one output.
    Rec2CsvParts(RecordDefTable& table, const Rec2CsvText& text, JobInput& input,
                 InOrderWriter& writer, BufferPool& pool, const EngineContext& context,
                 const std::vector<std::size_t>* streamOfKind = nullptr)
        : streamOfKind_(streamOfKind),
          table_(table),
          text_(text),
          input_(input),
          writer_(writer),
          pool_(pool),
          context_(context),
          walker_(table) {}

    PartChain chain;

    Status readAt(Part& part, std::uint64_t, std::int64_t at, std::size_t size) {
        part.buffer = pool_.take();
        part.buffer->resize(kCarryRoom + size);
        part.read = size;
        part.atEnd = at + static_cast<std::int64_t>(size) == input_.length();
        Result<std::size_t> got = input_.readAt(at, part.buffer->data() + kCarryRoom, size);
        if (!got) return got.error();
        return {};
    }
    bool takeTurn(Part& part) REQUIRES(chain.turns);
    Result<NextPart> readNext(Part& part) REQUIRES(chain.turns);
    Done finish(Part& part, std::uint64_t index);
    void skip(std::uint64_t index) { writer_.deliver(index, MemoryOutput()); }
    PartJoin join(Done& done) {
        const bool stopped = !done.stopMessage.empty();
        return {stopped, std::move(done.stopMessage)};
    }
    bool goesOn() const { return writer_.ok(); }
    // The last record of each kind, for the table as the sequential run leaves it; the workers,
    // which read the table, have ended.
    void endTurns() REQUIRES(chain.turns) {
        for (std::size_t k = 1; k < walker_.lastRecords().size(); ++k) {
            table_[k].Data = walker_.lastRecords()[k];
        }
    }

  private:
    // Walks the records of [data, data + n), which follow the bytes walked before: the part
    // takes the whole ones, the rest runs on into the next part.
    void walk(Part& part, const char* data, std::size_t n, bool atEnd) REQUIRES(chain.turns);
    void observe(const char* data, std::size_t n) const {
        if (context_.observeInput) context_.observeInput(data, n);
    }

    // Converts the part into its kinds' streams and hands them to the writer: the stop's message.
    std::string convertByKind(const Part& part, std::uint64_t index);

    const std::vector<std::size_t>* streamOfKind_;
    RecordDefTable& table_;
    const Rec2CsvText& text_;
    JobInput& input_;
    InOrderWriter& writer_;
    BufferPool& pool_;
    const EngineContext& context_;
    RecordWalker walker_ GUARDED_BY(chain.turns);
    std::vector<char> carry_ GUARDED_BY(chain.turns);  // bytes of a record cut at a part's end
    std::int64_t offset_ GUARDED_BY(chain.turns) = 0;  // of carry_[0]
    std::size_t needed_ GUARDED_BY(chain.turns) = 0;   // bytes the next record needs
};

bool Rec2CsvParts::takeTurn(Part& part) {
    std::vector<char>& bytes = *part.buffer;
    observe(bytes.data() + kCarryRoom, part.read);
    const std::size_t begin = joinCarry(carry_, bytes);
    walk(part, bytes.data() + begin, bytes.size() - begin, part.atEnd);
    return part.last;
}

Result<NextPart> Rec2CsvParts::readNext(Part& part) {
    part.buffer = pool_.take();
    std::vector<char>& bytes = *part.buffer;
    const std::size_t kept = carry_.size();
    Result<std::size_t> got = readAfterCarry(
        input_, carry_, std::max(partLength(context_), needed_ > kept ? needed_ - kept : 0), bytes);
    if (!got) return got.error();
    observe(bytes.data() + kept, *got);
    walk(part, bytes.data(), bytes.size(), input_.atEnd());
    // Not one whole record yet: the bytes wait for more.
    return NextPart{part.size > 0 || part.last, part.last, offset_};
}

void Rec2CsvParts::walk(Part& part, const char* data, std::size_t n, bool atEnd) {
    const auto* walked = reinterpret_cast<const unsigned char*>(data);
    part.start = walker_.partStart(offset_);
    const RecordWalker::Step step = walker_.walk(walked, walked + n, atEnd);
    walker_.keepRecords();
    needed_ = step.needed;
    part.last = atEnd || step.stopped;
    part.walkStop = step.stopMessage;
    // Not one whole record yet: everything runs on into the next part.
    part.data = data;
    part.size = part.last ? n : step.consumed;
    carry_.assign(data + part.size, data + n);
    offset_ += static_cast<std::int64_t>(part.size);
}

Rec2CsvParts::Done Rec2CsvParts::finish(Part& part, std::uint64_t index) {
    if (part.size == 0 && !part.last) {
        writer_.deliver(index, MemoryOutput());
        return {};
    }
    if (streamOfKind_ != nullptr) return {convertByKind(part, index)};
    PartResult result;
    if (writer_.ok()) {
        result = convertRec2CsvPart(table_, text_, part.start,
                                    reinterpret_cast<const unsigned char*>(part.data), part.size,
                                    part.last, false, writer_.takeBuffer());
    }
    // The same stop, with what only a walk from the start can add (a hint on descriptor words).
    if (!result.stopMessage.empty() && part.walkStop.starts_with(result.stopMessage)) {
        result.stopMessage = part.walkStop;
    }
    writer_.deliver(index, std::move(result.bytes), !result.stopMessage.empty());
    return {std::move(result.stopMessage)};
}

std::string Rec2CsvParts::convertByKind(const Part& part, std::uint64_t index) {
    KindOutputs output(writer_.takeBuffers(), *streamOfKind_);
    std::string stop;
    if (writer_.ok()) {
        stop = convertRec2CsvPartByKind(table_, text_, part.start,
                                        reinterpret_cast<const unsigned char*>(part.data),
                                        part.size, part.last, output);
    }
    if (!stop.empty() && part.walkStop.starts_with(stop)) stop = part.walkStop;
    writer_.deliverStreams(index, output.takeStreams(), !stop.empty());
    return stop;
}

// The files of an output split by kind, opened, and the stream of each kind's lines.
struct KindFilesOpened {
    std::vector<KindFile> names;
    std::vector<std::unique_ptr<SafeOutput>> outputs;
    std::vector<std::size_t> streamOfKind;  // by table index
};

Result<KindFilesOpened> openKindFiles(const std::string& inputPath, const std::string& outputPath,
                                      const RecordDefTable& table, const EngineContext& context) {
    // The files are named after the output: standard output names none.
    if (outputPath == kStandardStream) {
        return failure(
            "種類ごとのファイルに分けるときは、標準出力 (-) "
            "ではなく出力ファイルを指定してください。",
            FailureKind::RefusedArgument);
    }
    KindFilesOpened files;
    files.names = kindFiles(outputPath, table);
    files.streamOfKind.assign(static_cast<std::size_t>(table.maxIndex()) + 1, 0);
    for (const KindFile& name : files.names) {
        auto output = openJobOutput(inputPath, name.path, context);
        if (!output) return output.error();
        files.streamOfKind[static_cast<std::size_t>(name.kind)] = files.outputs.size();
        files.outputs.push_back(std::move(*output));
    }
    return files;
}

// Ends every file as `end` says, in order; the first failure.
Status finishKindFiles(const EngineContext& context, const Status& written, KindFilesOpened& files,
                       OutputEnd end) {
    // Every file reaches the disk before any is renamed: a full disk found on the last one
    // leaves every old file as it was.
    for (std::size_t i = 0; written && i < files.outputs.size(); ++i) {
        if (end != OutputEnd::Replace && !files.outputs[i]->writesThrough()) continue;
        if (Status sealed = files.outputs[i]->seal(); !sealed) {
            return fileFailure(FailureSubject::OutputWrite, files.names[i].path, sealed.error());
        }
    }
    for (std::size_t i = 0; i < files.outputs.size(); ++i) {
        const Status finished =
            finishOutput(context, written, *files.outputs[i], files.names[i].path, end);
        if (!finished) return finished;
    }
    return {};
}

}  // namespace

Rec2CsvByKindRun runRec2CsvByKind(JobInput& input, RecordDefTable& table, const Rec2CsvText& text,
                                  std::vector<WritableFile*> streams,
                                  const std::vector<std::size_t>& streamOfKind,
                                  const std::vector<std::string>& preambles, EngineContext& context,
                                  ProgressReporter& progress) {
    InOrderWriter writer(std::move(streams));
    for (std::size_t i = 0; i < preambles.size(); ++i) {
        writer.writeFirst(preambles[i].data(), preambles[i].size(), i);
    }
    BufferPool pool;
    Rec2CsvParts kind(table, text, input, writer, pool, context, &streamOfKind);
    Rec2CsvByKindRun run;
    run.outcome = runParts(kind, {std::max(context.jobs, 1u), progress, context.cancelled}, input,
                           static_cast<std::int64_t>(partLength(context)), true);
    run.written = writer.finish(run.outcome.parts);
    return run;
}

Status tranRec2CsvByKind(const std::string& inputPath, const std::string& outputPath,
                         RecordDefTable& table, EngineContext& context) {
    auto input = openJobInput(inputPath, context.files, context.cancelled, context.gate);
    if (!input) return jobOutcome(input.error(), context);
    auto files = openKindFiles(inputPath, outputPath, table, context);
    if (!files) return jobOutcome(files.error(), context);
    ProgressReporter progress(context.progress, (*input)->length());
    progress.start();

    const Rec2CsvText text = prepareRec2CsvRun(table);
    std::vector<WritableFile*> streams;
    for (const auto& output : files->outputs) streams.push_back(&output->file());
    // A kind without lines still gets its file with its title line: whoever reads the set of
    // files finds every kind's columns.
    std::vector<std::string> preambles;
    for (const KindFile& name : files->names)
        preambles.push_back(kindPreamble(table, text, name.kind));
    const Rec2CsvByKindRun run =
        runRec2CsvByKind(**input, table, text, std::move(streams), files->streamOfKind, preambles,
                         context, progress);
    const PartPipelineOutcome& outcome = run.outcome;
    const Status& written = run.written;
    if (!outcome.failure) return jobOutcome(outcome.failure, context);
    if (outcome.cancelled) return cancelledFailure();
    if (outcome.stopped) {
        const Status flushed = finishKindFiles(context, written, *files, OutputEnd::KeepOldFile);
        if (!flushed) return jobOutcome(flushed, context);
        return dataStop(outcome.stopMessage);
    }
    if (Status finished = finishKindFiles(context, written, *files, OutputEnd::Replace);
        !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

Status tranRec2CsvInParts(const std::string& inputPath, const std::string& outputPath,
                          RecordDefTable& table, EngineContext& context) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    const Rec2CsvText text = prepareRec2CsvRun(table);
    InOrderWriter writer(files->output->file());
    writer.writeFirst(text.preamble.data(), text.preamble.size());
    BufferPool pool;
    Rec2CsvParts kind(table, text, input, writer, pool, context);
    // An empty file is one empty part, whose end the walk tells.
    const PartPipelineOutcome outcome =
        runParts(kind, {context.jobs, progress, context.cancelled}, input,
                 static_cast<std::int64_t>(partLength(context)), true);
    const Status written = writer.finish(outcome.parts);
    if (!outcome.failure) return jobOutcome(outcome.failure, context);
    if (outcome.cancelled) return cancelledFailure();
    if (outcome.stopped) {
        // As in the sequential run: the lines before it reach a pipe or a device; a file keeps
        // what it held.
        const Status flushed =
            finishOutput(context, written, *files->output, outputPath, OutputEnd::KeepOldFile);
        if (!flushed) return jobOutcome(flushed, context);
        return dataStop(outcome.stopMessage);
    }
    if (Status finished = finishOutput(context, written, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
