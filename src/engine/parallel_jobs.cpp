#include "engine/parallel_jobs.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/in_order_writer.h"
#include "engine/job_files.h"
#include "engine/part_pipeline.h"
#include "platform/thread_annotations.h"

namespace sorvek {
namespace {

// The text jobs: what the bytes before a part leave (the position in a record, a CR at the end)
// is handed on in the parts' turns by the job's `cut`; each part is then converted on its own
// and written in order.
class TextParts {
  public:
    struct Part {
        std::shared_ptr<std::vector<char>> buffer;
        std::int64_t measured = 0;  // what `measure` found in it
        TextPartTask task;          // its conversion, made in its turn
    };
    struct Done {};

    // Every argument outlives the kind.
    TextParts(JobInput& input, InOrderWriter& writer, BufferPool& pool,
              const EngineContext& context, std::size_t perByte, std::size_t extra,
              const TextPartCutter& cut, const TextPartMeasure& measure)
        : input_(input),
          writer_(writer),
          pool_(pool),
          context_(context),
          perByte_(perByte),
          extra_(extra),
          cut_(cut),
          measure_(measure) {}

    PartChain chain;

    Status readAt(Part& part, std::uint64_t, std::int64_t at, std::size_t size) {
        part.buffer = pool_.take();
        part.buffer->resize(size);
        Result<std::size_t> got = input_.readAt(at, part.buffer->data(), size);
        if (!got) return got.error();
        if (measure_) part.measured = measure_(part.buffer->data(), size);
        return {};
    }
    bool takeTurn(Part& part) REQUIRES(chain.turns) {
        const std::vector<char>& bytes = *part.buffer;
        if (context_.observeInput) context_.observeInput(bytes.data(), bytes.size());
        part.task = cut_(bytes.data(), bytes.size(), part.measured);
        return false;
    }
    Result<NextPart> readNext(Part& part) REQUIRES(chain.turns);
    Done finish(Part& part, std::uint64_t index) {
        const std::vector<char>& bytes = *part.buffer;
        MemoryOutput out = writer_.takeBuffer();
        if (writer_.ok()) {
            char* to = out.reserve(perByte_ * bytes.size() + extra_);
            char* end = part.task(bytes.data(), bytes.data() + bytes.size(), to);
            out.commit(static_cast<std::size_t>(end - to));
        }
        writer_.deliver(index, std::move(out));
        return {};
    }
    void skip(std::uint64_t index) { writer_.deliver(index, MemoryOutput()); }
    PartJoin join(Done&) { return {}; }
    bool goesOn() const { return writer_.ok(); }
    void endTurns() {}

  private:
    JobInput& input_;
    InOrderWriter& writer_;
    BufferPool& pool_;
    const EngineContext& context_;
    const std::size_t perByte_, extra_;
    const TextPartCutter& cut_;  // called in the parts' turns only
    const TextPartMeasure& measure_;
};

Result<NextPart> TextParts::readNext(Part& part) {
    if (input_.atEnd()) return NextPart{false, true, 0};
    const std::size_t length = partLength(context_);
    part.buffer = pool_.take();
    part.buffer->resize(length);
    Result<std::size_t> got = input_.read(part.buffer->data(), length);
    if (!got) return got.error();
    if (*got == 0) return NextPart{false, true, 0};
    part.buffer->resize(*got);
    if (measure_) part.measured = measure_(part.buffer->data(), *got);
    (void)takeTurn(part);  // nothing ends the text but its end
    return NextPart{true, input_.atEnd(), input_.consumed()};
}

}  // namespace

std::size_t partLength(const EngineContext& context) {
    return std::max<std::size_t>(context.blockSize, 1) * 4;
}

Status convertTextInParts(const std::string& inputPath, const std::string& outputPath,
                          EngineContext& context, std::size_t perByte, std::size_t extra,
                          const TextPartCutter& cut, const TextPartMeasure& measure) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return files.error();
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    InOrderWriter writer(files->output->file());
    BufferPool pool;
    TextParts kind(input, writer, pool, context, perByte, extra, cut, measure);
    const PartPipelineOutcome outcome =
        runParts(kind, {context.jobs, progress, context.cancelled}, input,
                 static_cast<std::int64_t>(partLength(context)), false);
    const Status written = writer.finish(outcome.parts);
    if (!outcome.failure) return outcome.failure;
    if (outcome.cancelled ||
        (context.cancelled != nullptr && context.cancelled->load(std::memory_order_acquire))) {
        return cancelledFailure();
    }
    if (Status finished = finishOutput(context, written, *files->output, outputPath); !finished) {
        return finished;
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
