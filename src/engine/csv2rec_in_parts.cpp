// tranCsv2RecInParts (engine/parallel_jobs.h): CSV-to-records as a kind of part of the part
// pipeline (engine/part_pipeline.h).
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/buffer_pool.h"
#include "engine/csv_record_lines.h"
#include "engine/in_order_writer.h"
#include "engine/job_files.h"
#include "engine/parallel_jobs.h"
#include "engine/part_carry.h"
#include "engine/part_pipeline.h"
#include "engine/record_framer.h"
#include "platform/thread_annotations.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sorvek {
namespace {

// As many bytes as a byte order mark: how the text starts tells every part its encoding.
constexpr std::size_t kHeadBytes = 3;

// What the bytes read tell the turn that cuts them into lines.
struct ByteTally {
    std::int64_t lineFeeds = 0;
    bool quoted = false;  // a double quote among them
};

// One pass over the bytes: the matches of 16 bytes at a time are summed in byte lanes, which
// are added up before they could overflow.
ByteTally tallyBytes(const char* data, std::size_t n) {
    ByteTally tally;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i quote = _mm_set1_epi8('"');
    __m128i quotes = _mm_setzero_si128();
    while (n - i >= 16) {
        __m128i counts = _mm_setzero_si128();
        for (int round = 0; round < 255 && n - i >= 16; ++round, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, lf));
            quotes = _mm_or_si128(quotes, _mm_cmpeq_epi8(v, quote));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        tally.lineFeeds +=
            _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
    }
    tally.quoted = _mm_movemask_epi8(quotes) != 0;
#endif
    for (; i < n; ++i) {
        tally.lineFeeds += data[i] == '\n' ? 1 : 0;
        tally.quoted = tally.quoted || data[i] == '"';
    }
    return tally;
}

std::int64_t lineFeedsIn(const char* data, std::size_t n) {
    return tallyBytes(data, n).lineFeeds;
}

bool holdsQuote(const char* data, std::size_t n) {
    return n > 0 && std::memchr(data, '"', n) != nullptr;
}

// The records a part's lines make, laid out as the file's framing says; a record whose writing
// depends on the text before the part is laid out too, and left out afterwards where its
// condition does not hold.
class PartRecords final : public CsvLineSink {
  public:
    PartRecords(MemoryOutput& out, const RecordDef& file, const RecordOutputOptions& options)
        : out_(out), framer_(out, file, options) {}

    void record(const CsvLinePlace&, int, const unsigned char* bytes, std::size_t size,
                std::size_t condition) override {
        const std::size_t at = out_.size();
        framer_.put(bytes, size);
        if (condition != RecordBuilder::kAlways) {
            doubted_.push_back({condition, at, out_.size() - at});
        }
    }
    bool fault(const CsvLineFault& fault) override {
        stop_ = csvLineFailure(fault);
        return false;
    }
    // The failure of the line that stopped the part, or success.
    const Status& outcome() const { return stop_; }

    // Leaves out the records whose condition does not hold (`holds`, by condition). The bytes
    // before each record left out move over it: those records come first in a part (the first
    // line that holds a kind's values), so that little moves.
    void dropUnwritten(const std::vector<bool>& holds) {
        std::vector<Doubted> dropped;
        for (const Doubted& d : doubted_) {
            if (!holds[d.condition]) dropped.push_back(d);
        }
        char* data = out_.data();
        std::size_t shift = 0;
        for (std::size_t i = dropped.size(); i-- > 0;) {
            shift += dropped[i].size;
            const std::size_t from = i == 0 ? 0 : dropped[i - 1].offset + dropped[i - 1].size;
            std::memmove(data + from + shift, data + from, dropped[i].offset - from);
        }
        out_.dropFront(shift);
    }

  private:
    struct Doubted {
        std::size_t condition;
        std::size_t offset;  // in the part's output
        std::size_t size;
    };
    MemoryOutput& out_;
    RecordFramer<MemoryOutput> framer_;
    std::vector<Doubted> doubted_;
    Status stop_;
};

// Where the lines of the text are cut runs from part to part in their turns (the bytes of a
// line cut at the end of one part come first in the next). Each part's lines are then made
// into records on their own worker, apart from the lines before them; in a second round of
// turns each part learns what the parts before it left (the values of the last record of each
// kind with children), decides the records that depended on it, and is written in order.
class Csv2RecParts {
  public:
    struct Part {
        std::shared_ptr<std::vector<char>> buffer;
        std::size_t read = 0;        // read at offsets: bytes after the room kept for the carry
        bool atEnd = false;          // the input ends with them
        bool quoted = false;         // a double quote among the bytes read
        std::int64_t lineFeeds = 0;  // of the bytes read
        // Found in its turn: its whole lines and where they start.
        const char* data = nullptr;
        std::size_t size = 0;
        bool last = false;
        // The line after its whole lines goes on past the most bytes a line takes.
        bool lineTooLong = false;
        CsvTextStart start;
        // How the text is read, made once in the first turn and only read after it.
        const Result<CsvRecordLines>* lines = nullptr;
    };
    struct Done {
        Status stop;  // the failure of a line that stopped the job
    };

    // All outlive the kind. REQUIRES: checkCsvToRecordsRun(table, records) passed and the
    // records are not laid out in blocks.
    Csv2RecParts(const RecordDefTable& table, const RecordOutputOptions& records, JobInput& input,
                 InOrderWriter& writer, BufferPool& pool, const EngineContext& context)
        : table_(table),
          records_(records),
          input_(input),
          writer_(writer),
          pool_(pool),
          context_(context) {}

    PartChain chain;

    Status readAt(Part& part, std::uint64_t, std::int64_t at, std::size_t size) {
        part.buffer = pool_.take();
        part.buffer->resize(kCarryRoom + size);
        part.read = size;
        part.atEnd = at + static_cast<std::int64_t>(size) == input_.length();
        char* bytes = part.buffer->data() + kCarryRoom;
        Result<std::size_t> got = input_.readAt(at, bytes, size);
        if (!got) return got.error();
        const ByteTally tally = tallyBytes(bytes, size);
        part.quoted = tally.quoted;
        part.lineFeeds = tally.lineFeeds;
        return {};
    }
    bool takeTurn(Part& part) REQUIRES(chain.turns);
    Result<NextPart> readNext(Part& part) REQUIRES(chain.turns);
    Done finish(Part& part, std::uint64_t index);
    void skip(std::uint64_t index) {
        PartTurn settle(settled_, index);
        writer_.deliver(index, MemoryOutput());
    }
    PartJoin join(Done& done) {
        if (done.stop) return {};
        stop_ = std::move(done.stop);
        return {true, {}};
    }
    bool goesOn() const { return writer_.ok(); }
    void endTurns() {}

    // The failure of the line that stopped the job (PartPipelineOutcome::stopped).
    const Status& stop() const { return stop_; }

  private:
    // Cuts the `n` bytes at `data` (the carry, then the bytes read, which hold `lineFeeds` and
    // a double quote where `quoted`): the part takes the whole lines, the rest runs on into the
    // next part.
    void cut(Part& part, const char* data, std::size_t n, bool atEnd, bool quoted,
             std::int64_t lineFeeds) REQUIRES(chain.turns);
    // The bytes of the whole lines at the start of the `n` bytes at `data`, which start a line
    // (`skip` bytes of a byte order mark first).
    std::size_t wholeLines(const char* data, std::size_t n, std::size_t skip, bool quoted)
        REQUIRES(chain.turns);
    void observe(const char* data, std::size_t n) const {
        if (context_.observeInput) context_.observeInput(data, n);
    }

    const RecordDefTable& table_;
    const RecordOutputOptions& records_;
    JobInput& input_;
    InOrderWriter& writer_;
    BufferPool& pool_;
    const EngineContext& context_;
    // Where lines end where a value may be quoted: made with the delimiter of the text's
    // encoding, once its first bytes are known.
    std::optional<CsvLineSplitter> splitter_ GUARDED_BY(chain.turns);
    std::vector<std::string_view> values_ GUARDED_BY(chain.turns);
    std::vector<char> carry_ GUARDED_BY(chain.turns);  // bytes of a line cut at a part's end
    std::int64_t carryLineFeeds_ GUARDED_BY(chain.turns) = 0;
    std::int64_t offset_ GUARDED_BY(chain.turns) = 0;  // of carry_[0]
    std::int64_t line_ GUARDED_BY(chain.turns) = 1;    // of carry_[0]
    std::string head_ GUARDED_BY(chain.turns);
    // Made in the first turn, read by every part after it; made once because the tables of the
    // text's encoding are built with converters that are opened and closed as they are made.
    std::optional<Result<CsvRecordLines>> lines_;
    // The second round of turns: what the parts before a part left.
    PartTurns settled_;
    RecordBuilder::Lasts lasts_ GUARDED_BY(settled_);
    Status stop_;  // the job's thread's own
};

bool Csv2RecParts::takeTurn(Part& part) {
    std::vector<char>& bytes = *part.buffer;
    observe(bytes.data() + kCarryRoom, part.read);
    const std::size_t begin = joinCarry(carry_, bytes);
    cut(part, bytes.data() + begin, bytes.size() - begin, part.atEnd, part.quoted, part.lineFeeds);
    return part.last;
}

Result<NextPart> Csv2RecParts::readNext(Part& part) {
    part.buffer = pool_.take();
    std::vector<char>& bytes = *part.buffer;
    const std::size_t kept = carry_.size();
    Result<std::size_t> got = readAfterCarry(input_, carry_, partLength(context_), bytes);
    if (!got) return got.error();
    const char* read = bytes.data() + kept;
    observe(read, *got);
    const ByteTally tally = tallyBytes(read, *got);
    cut(part, bytes.data(), bytes.size(), input_.atEnd(), tally.quoted, tally.lineFeeds);
    // Not one whole line yet: the bytes wait for more.
    return NextPart{part.size > 0 || part.last, part.last, offset_};
}

std::size_t Csv2RecParts::wholeLines(const char* data, std::size_t n, std::size_t skip,
                                     bool quoted) {
    if (!quoted) {
        // Without quotes every LF ends a line.
        const auto after =
            std::find(std::make_reverse_iterator(data + n), std::make_reverse_iterator(data), '\n');
        return static_cast<std::size_t>(after.base() - data);
    }
    if (!splitter_) splitter_.emplace(csvDelimiterOf(table_, head_));
    std::size_t at = std::min(skip, n);
    std::size_t whole = 0;
    for (;;) {
        const CsvLineSplitter::Line line = splitter_->split(data + at, data + n, false, values_);
        if (line.length == 0) return whole;
        at += line.length;
        whole = at;
    }
}

void Csv2RecParts::cut(Part& part, const char* data, std::size_t n, bool atEnd, bool quoted,
                       std::int64_t lineFeeds) {
    if (offset_ == 0 && head_.empty()) head_.assign(data, std::min(n, kHeadBytes));
    // A byte order mark is no part of the first value.
    const std::size_t mark = offset_ == 0 ? csvByteOrderMark(head_) : 0;
    const std::size_t whole =
        atEnd ? n : wholeLines(data, n, mark, quoted || holdsQuote(carry_.data(), carry_.size()));
    part.data = data;
    part.size = whole;
    part.last = atEnd;
    part.start = {line_, offset_, offset_ == 0};
    if (!lines_) lines_ = CsvRecordLines::make(table_, head_);
    part.lines = &*lines_;
    // Nothing after such a line is read: the part that holds the lines before it refuses it.
    if (!atEnd && *lines_ && n - whole > (*lines_)->longestLine()) {
        part.last = true;
        part.lineTooLong = true;
    }
    const std::int64_t carried = lineFeedsIn(data + whole, n - whole);
    line_ += carryLineFeeds_ + lineFeeds - carried;
    carryLineFeeds_ = carried;
    offset_ += static_cast<std::int64_t>(whole);
    carry_.assign(data + whole, data + n);
}

Csv2RecParts::Done Csv2RecParts::finish(Part& part, std::uint64_t index) {
    MemoryOutput out = writer_.takeBuffer();
    PartRecords records(out, table_[0], records_);
    Result<CsvRecordLines> lines =
        *part.lines ? Result<CsvRecordLines>((*part.lines)->startingAt(part.start))
                    : part.lines->error();
    if (lines && writer_.ok()) {
        lines->startApart();
        const std::size_t mark = lines->markBytes();
        if (part.size > mark) lines->take(part.data + mark, part.data + part.size, true, records);
        if (part.lineTooLong && !lines->stopped()) lines->refuseLongLine(records);
    }
    std::vector<bool> holds;
    {
        PartTurn settle(settled_, index);
        if (lines) {
            holds = lines->resolve(lasts_);
            lasts_ = lines->lastsAfter(std::move(lasts_));
        }
    }
    Status stop = lines ? records.outcome() : Status(lines.error());
    if (lines) records.dropUnwritten(holds);
    writer_.deliver(index, std::move(out), !stop);
    return {std::move(stop)};
}

}  // namespace

Status tranCsv2RecInParts(const std::string& inputPath, const std::string& outputPath,
                          const RecordDefTable& table, const RecordOutputOptions& records,
                          EngineContext& context) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    JobInput& input = *files->input;
    ProgressReporter progress(context.progress, input.length());
    progress.start();

    InOrderWriter writer(files->output->file());
    BufferPool pool;
    Csv2RecParts kind(table, records, input, writer, pool, context);
    const PartPipelineOutcome outcome =
        runParts(kind, {context.jobs, progress, context.cancelled}, input,
                 static_cast<std::int64_t>(partLength(context)), false);
    const Status written = writer.finish(outcome.parts);
    if (!outcome.failure) return jobOutcome(outcome.failure, context);
    if (outcome.cancelled) return cancelledFailure();
    // A line that makes no record: the output keeps what it held.
    if (outcome.stopped) return jobOutcome(kind.stop(), context);
    if (Status finished = finishOutput(context, written, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
