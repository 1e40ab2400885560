#include "engine/inspection_parts.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/job_files.h"
#include "engine/part_pipeline.h"
#include "platform/thread_annotations.h"

namespace sorvek {
namespace {

// The inspection as a kind of part: each worker profiles its part's bytes at once with the
// others, then hands them to the one record stream of the file in the parts' turns; the job's
// thread joins the profiles in order.
class InspectionParts {
  public:
    struct Part {
        // Mapped where the file system maps the file, read otherwise.
        std::unique_ptr<MappedBytes> mapped;
        std::shared_ptr<std::vector<char>> buffer;
        const unsigned char* data = nullptr;
        std::size_t size = 0;
        std::unique_ptr<Inspector> profile;  // of its bytes (none for the first part)
    };
    struct Done {
        std::unique_ptr<Inspector> profile;
    };

    // Every argument outlives the kind.
    InspectionParts(FileSystem& fs, const std::string& path, const JobInput& input,
                    const RecordDefTable* table, const InspectionLimits& limits, BufferPool& pool)
        : fs_(fs),
          path_(path),
          input_(input),
          table_(table),
          limits_(limits),
          pool_(pool),
          whole_(table, limits) {}

    PartChain chain;

    Status readAt(Part& part, std::uint64_t index, std::int64_t at, std::size_t size) {
        if (Status read = bytesOf(part, at, size); !read) return read;
        if (index == 0) {
            whole_.addBytes(part.data, size);
        } else {
            part.profile = std::make_unique<Inspector>(table_, limits_, at);
            part.profile->addBytes(part.data, size);
        }
        return {};
    }
    bool takeTurn(Part& part) REQUIRES(chain.turns) {
        whole_.addRecords(part.data, part.size);
        return false;
    }
    Done finish(Part& part, std::uint64_t) { return {std::move(part.profile)}; }
    void skip(std::uint64_t) {}
    // Join touches nothing of the records, which the workers add meanwhile.
    PartJoin join(Done& done) {
        if (done.profile) whole_.join(*done.profile);
        return {};
    }
    bool goesOn() const { return true; }
    void endTurns() {}

    // The report on the parts joined. REQUIRES: the pipeline has ended.
    InspectionReport report(bool cancelled) { return whole_.finish(cancelled); }

  private:
    // Maps the part where the file system can (no copy), or reads it.
    Status bytesOf(Part& part, std::int64_t at, std::size_t size);

    FileSystem& fs_;
    const std::string& path_;
    const JobInput& input_;
    const RecordDefTable* table_;
    const InspectionLimits& limits_;
    BufferPool& pool_;
    // The start of the file and every record, in order; the profiles of the other parts are
    // joined to it. Its records are added in the parts' turns, the first part's bytes by its
    // worker and the other profiles joined by the job's thread, which Inspector allows at once.
    Inspector whole_;
};

Status InspectionParts::bytesOf(Part& part, std::int64_t at, std::size_t size) {
    part.size = size;
    if (size == 0) {  // an empty file
        static const unsigned char kNone[1] = {};
        part.data = kNone;
        return {};
    }
    if (auto file = fs_.openRead(path_); file && (*file)->skip(at)) {
        if (auto mapped = (*file)->mapNext(size); mapped && *mapped && (*mapped)->size() == size) {
            part.mapped = std::move(*mapped);
            part.data = part.mapped->data();
            return {};
        }
    }
    part.buffer = pool_.take();
    part.buffer->resize(size);
    Result<std::size_t> got = input_.readAt(at, part.buffer->data(), size);
    if (!got) return got.error();
    part.data = reinterpret_cast<const unsigned char*>(part.buffer->data());
    return {};
}

}  // namespace

Result<InspectionReport> inspectFileInParts(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context) {
    FileSystem& fs = context.files;
    Result<FileInfo> info = fs.inspect(path);
    if (!info || info->kind != FileKind::Regular) return inspectFileInOrder(path, table, context);
    auto opened = fs.openRead(path);
    if (!opened) return fileFailure(FailureSubject::InputOpen, path, opened.error());
    JobInput input(std::move(*opened), path, info->size, nullptr);
    if (!input.readsAtOffsets()) return inspectFileInOrder(path, table, context);

    const std::int64_t total = input.length();
    const auto length = static_cast<std::int64_t>(std::max<std::size_t>(context.blockSize, 1) * 4);
    ProgressReporter progress(context.progress, total);
    progress.start();

    BufferPool pool;
    InspectionParts kind(fs, path, input, table, context.limits, pool);
    PartPipeline<InspectionParts> pipeline(kind, {context.jobs, progress, context.cancel});
    // The first part reaches past what is read at the start of the file only.
    const PartPipelineOutcome outcome =
        pipeline.runAtOffsets({total, std::max(length, context.limits.startBytes()), length, true});
    if (!outcome.failure) return outcome.failure.error();
    if (outcome.cancelled) return kind.report(true);
    progress.finished();
    return kind.report(false);
}

}  // namespace sorvek
