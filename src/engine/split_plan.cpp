#include "engine/split_plan.h"

#include <algorithm>
#include <cstring>

#include "engine/job_files.h"
#include "platform/system_error.h"

namespace sorvek {

RecordWalker::RecordWalker(const RecordDefTable& table)
    : framing_(table),
      sizes_(static_cast<std::size_t>(table.maxIndex()) + 1),
      isAncestor_(sizes_.size(), false),
      inBuffer_(sizes_.size(), nullptr),
      stored_(sizes_.size()),
      inLength_(sizes_.size(), 0),
      storedLength_(sizes_.size(), 0) {
    for (std::size_t k = 1; k < sizes_.size(); ++k) {
        sizes_[k] = static_cast<std::size_t>(table[k].Size);
        if (table[k].Parent != 0) isAncestor_[static_cast<std::size_t>(table[k].Parent)] = true;
    }
}

RecordWalker::Step RecordWalker::walk(const unsigned char* begin, const unsigned char* end,
                                      bool atEnd, std::size_t limit) {
    const RecordFraming::Outcome walked = framing_.walk(
        begin, end, atEnd, offset_,
        [this](const FramedRecord& r) {
            lastKind_ = r.kind;
            lastRecord_ = r.bytes;
            if (r.kind != 0) {
                const auto k = static_cast<std::size_t>(r.kind);
                inBuffer_[k] = r.bytes;
                inLength_[k] = r.reach == SIZE_MAX ? sizes_[k] : r.reach;
            }
            return true;
        },
        limit);
    Step step;
    step.consumed = walked.consumed;
    step.needed = walked.needed;
    step.stopped = walked.stop != FramingStop::None;
    offset_ += static_cast<std::int64_t>(walked.consumed);
    if (walked.stop == FramingStop::UnknownKind) {
        step.stopMessage = unknownKindText(framing_.records(), offset_);
    } else if (walked.stop == FramingStop::Fault) {
        step.stopMessage = walked.message;
    }
    return step;
}

void RecordWalker::keepRecords() {
    for (std::size_t k = 1; k < sizes_.size(); ++k) {
        if (inBuffer_[k] == nullptr) continue;
        stored_[k].assign(inBuffer_[k], inBuffer_[k] + sizes_[k]);
        storedLength_[k] = inLength_[k];
        inBuffer_[k] = nullptr;
    }
}

RecordPartStart RecordWalker::partStart(std::int64_t offset) const {
    RecordPartStart start;
    start.offset = offset;
    start.recordsBefore = framing_.records();
    start.pending = framing_.state().pending;
    start.blockLeft = framing_.state().blockLeft;
    for (std::size_t k = 1; k < sizes_.size(); ++k) {
        if (isAncestor_[k] && !stored_[k].empty()) {
            const auto read = static_cast<std::ptrdiff_t>(std::min(storedLength_[k], sizes_[k]));
            start.ancestors.emplace_back(
                static_cast<int>(k),
                std::vector<unsigned char>(stored_[k].begin(), stored_[k].begin() + read));
        }
    }
    return start;
}

Result<RecordSplitPlan> planRec2CsvParts(FileSystem& fs, const std::string& path,
                                         const RecordDefTable& table, int parts,
                                         std::size_t blockSize,
                                         const std::atomic<bool>* cancelled) {
    if (parts > kMaxPlanParts) {
        return failure(
            "部分の数は " + std::to_string(kMaxPlanParts) + " までです: " + std::to_string(parts),
            FailureKind::RefusedArgument);
    }
    // Parts are ranges of bytes of a file that stays as it is: a pipe or a device is refused
    // before it is opened (and its bytes taken).
    const Failure notRegular = fileFailure(
        FailureSubject::InputOpen, path, failure(kNotRegularFileText, FailureKind::DeviceOrSocket));
    if (Result<FileInfo> info = fs.inspect(path); info && info->kind == FileKind::Other) {
        return notRegular;
    }
    Result<std::unique_ptr<JobInput>> opened = openJobInput(path, fs, cancelled);
    if (!opened) return opened.error();
    JobInput& input = **opened;
    if (input.length() < 0) return notRegular;

    RecordSplitPlan plan;
    plan.length = input.length();
    const std::int64_t count = std::max(parts, 1);
    plan.parts.push_back(RecordPartStart{});
    // The start the walk looks for next: the first place at or after this offset.
    auto target = [&] {
        return static_cast<std::int64_t>(plan.parts.size()) * plan.length / count;
    };

    RecordWalker walker(table);
    std::vector<unsigned char> buffer;
    std::int64_t bufferOffset = 0;  // of buffer[0]
    blockSize = std::max<std::size_t>(blockSize, 1);
    std::size_t needed = 0;
    bool done = false;
    while (!done && static_cast<std::int64_t>(plan.parts.size()) < count) {
        const std::size_t kept = buffer.size();
        buffer.resize(kept + std::max(blockSize, needed));
        Result<std::size_t> got =
            input.read(reinterpret_cast<char*>(buffer.data() + kept), buffer.size() - kept);
        if (!got) return got.error();
        buffer.resize(kept + *got);
        const bool atEnd = input.atEnd();
        std::size_t begin = 0;
        for (;;) {
            const std::int64_t want = target();
            const std::int64_t ahead = want - bufferOffset - static_cast<std::int64_t>(begin);
            const RecordWalker::Step step =
                walker.walk(buffer.data() + begin, buffer.data() + buffer.size(), atEnd,
                            ahead <= 0 ? 0 : static_cast<std::size_t>(ahead));
            begin += step.consumed;
            needed = step.needed;
            const std::int64_t at = bufferOffset + static_cast<std::int64_t>(begin);
            if (at >= want && !step.stopped) {
                walker.keepRecords();
                plan.parts.push_back(walker.partStart(at));
                if (static_cast<std::int64_t>(plan.parts.size()) >= count) break;
                continue;
            }
            // No start further on: the walk stopped at a record of unknown kind, or the
            // records end with the file.
            if (step.stopped || atEnd) done = true;
            break;
        }
        walker.keepRecords();
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(begin));
        bufferOffset += static_cast<std::int64_t>(begin);
        if (atEnd) done = true;
    }
    // Starts the walk found no place for: empty parts at the end.
    while (static_cast<std::int64_t>(plan.parts.size()) < count) {
        plan.parts.push_back(walker.partStart(plan.length));
    }
    return plan;
}

namespace {

// Converts one part into `output` (MemoryOutput, or KindOutputs): the stop's message, or empty.
template <class Output>
std::string convertPartInto(const RecordDefTable& table, const Rec2CsvText& text,
                            const RecordPartStart& start, const unsigned char* data,
                            std::size_t size, bool last, Output& output) {
    RecordDefTable own = table;  // the converter keeps the ancestors' records in `Data`
    // A plan of its own: the line plan keeps the ancestors' part of a line by the serials of
    // this converter.
    const CsvOutputOptions& options = own.output;
    const CsvLinePlan plan(own, text.delimiter, options);
    RecordConverter<Output> converter(own, plan, output, text.lineEnd,
                                      options.invalidPacked == InvalidPacked::Fail);
    converter.startAfter(start.recordsBefore, FramingState{start.pending, start.blockLeft});
    for (const auto& [kind, record] : start.ancestors) converter.seedRecord(kind, record);
    const auto outcome = converter.convert(data, data + size, last, start.offset);
    if (outcome.unknownKind) {
        return unknownKindText(converter.recordsMet(),
                               start.offset + static_cast<std::int64_t>(outcome.consumed));
    }
    if (!outcome.invalidPacked.empty()) return outcome.invalidPacked;
    return outcome.badFraming;
}

}  // namespace

PartResult convertRec2CsvPart(const RecordDefTable& table, const Rec2CsvText& text,
                              const RecordPartStart& start, const unsigned char* data,
                              std::size_t size, bool last, bool first, MemoryOutput reuse) {
    PartResult result;
    result.bytes = std::move(reuse);
    result.bytes.clear();
    (void)result.bytes.reserve(size * 2 + 4096 + (first ? text.preamble.size() : 0));
    if (first) result.bytes.append(text.preamble.data(), text.preamble.size());
    result.stopMessage = convertPartInto(table, text, start, data, size, last, result.bytes);
    return result;
}

std::string convertRec2CsvPartByKind(const RecordDefTable& table, const Rec2CsvText& text,
                                     const RecordPartStart& start, const unsigned char* data,
                                     std::size_t size, bool last, KindOutputs& output) {
    return convertPartInto(table, text, start, data, size, last, output);
}

Result<PartResult> convertRec2CsvFilePart(FileSystem& fs, const std::string& path,
                                          const RecordDefTable& table, const RecordSplitPlan& plan,
                                          std::size_t part) {
    if (part >= plan.parts.size()) {
        return failure("部分の番号が計画にありません。", FailureKind::RefusedArgument);
    }
    const RecordPartStart& start = plan.parts[part];
    const std::int64_t length = plan.end(part) - start.offset;
    auto opened = fs.openRead(path);
    if (!opened) return fileFailure(FailureSubject::InputOpen, path, opened.error());
    if (Status skipped = (*opened)->skip(start.offset); !skipped) {
        return fileFailure(FailureSubject::InputRead, path, skipped.error());
    }
    JobInput input(std::move(*opened), path, length, nullptr);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(length));
    Result<std::size_t> got = input.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    if (!got) return got.error();
    RecordDefTable prepared = table;
    const Rec2CsvText text = prepareRec2CsvRun(prepared);
    return convertRec2CsvPart(prepared, text, start, bytes.data(), bytes.size(),
                              part + 1 == plan.parts.size(), part == 0);
}

}  // namespace sorvek
