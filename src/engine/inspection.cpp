#include "engine/inspection.h"

#include <cstdio>

#include "engine/block_reader.h"
#include "engine/byte_classes.h"
#include "engine/field_checks.h"
#include "engine/inspection_parts.h"
#include "engine/job_files.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/record_findings.h"
#include "engine/record_length_hints.h"
#include "engine/record_walk.h"

namespace sorvek {
namespace {

// Bytes that text does not hold, per thousand bytes, from which a file looks like record data.
constexpr std::int64_t kNonTextPerThousand = 1;

// True when `bytes` are valid UTF-8 holding at least one character beyond ASCII; a sequence cut
// off at the end does not count against it.
bool looksLikeUtf8(const std::string& bytes) {
    bool beyondAscii = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t n = 1;
        if (b < 0x80) {
            n = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            n = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 4;
        } else {
            return false;
        }
        if (i + n > bytes.size()) return beyondAscii;
        for (std::size_t j = 1; j < n; ++j) {
            if ((static_cast<unsigned char>(bytes[i + j]) & 0xC0) != 0x80) return false;
        }
        beyondAscii |= n > 1;
        i += n;
    }
    return beyondAscii;
}

}  // namespace

// The record part of an inspection with a definition.
struct Inspector::Records {
    explicit Records(const RecordDefTable& definition, DefinitionFindings& findings)
        : table(definition), plan(table), stream(table), collector(table, plan, findings) {}
    RecordDefTable table;
    FieldCheckPlan plan;
    RecordStream stream;
    RecordFindingsCollector collector;
};

Inspector::Inspector(const RecordDefTable* table, const InspectionLimits& limits)
    : limits_(limits),
      profiler_(ByteProfiler::widest(), limits.sampleBytes),
      withDefinition_(table != nullptr) {
    head_.reserve(limits_.headBytes);
    if (table == nullptr) return;
    if (isEbcdic((*table)[0].codePage)) {
        pageText_ = std::make_unique<PageTextProfiler>((*table)[0].codePage, limits_.sampleBytes);
    }
    for (std::size_t k = 0; k < table->entries.size(); ++k) {
        const RecordDef& record = (*table)[k];
        findings_.kindNames.push_back(record.Name);
        findings_.fieldNames.emplace_back();
        findings_.fieldTypes.emplace_back();
        findings_.fieldPositions.emplace_back();
        for (const FieldDef& f : record.Fields) {
            findings_.fieldNames.back().push_back(f.Name);
            findings_.fieldTypes.back().push_back(f.Type);
            findings_.fieldPositions.back().push_back(f.Pos);
        }
    }
    if ((*table)[0].recordFormat != RecordFormat::Fixed) findings_.descriptorBytes = 4;
    findings_.kindsUntold = table->kindsUntold();
    if (Status check = checkRec2CsvDefinition(*table); !check) {
        findings_.definitionError = check.error().reason;
    }
    // A definition whose fields are wrong still cuts records; one whose records are wrong
    // does not.
    if (checkRecordStructure(*table)) records_ = std::make_unique<Records>(*table, findings_);
}

Inspector::Inspector(const RecordDefTable* table, const InspectionLimits& limits,
                     std::int64_t offset)
    : limits_(limits),
      profiler_(ByteProfiler::part(offset)),
      withDefinition_(table != nullptr),
      atStart_(false) {}

Inspector::~Inspector() = default;

void Inspector::addBytes(const unsigned char* p, std::size_t n) {
    if (atStart_ && head_.size() < limits_.headBytes) {
        head_.append(reinterpret_cast<const char*>(p),
                     std::min(n, limits_.headBytes - head_.size()));
    }
    profiler_.add(p, n);
    if (pageText_) pageText_->add(p, n);
}

void Inspector::addRecords(const unsigned char* p, std::size_t n) {
    if (records_) records_->stream.add(p, n, records_->collector);
}

void Inspector::join(Inspector& later) {
    profiler_.join(later.profiler_);
}

InspectionReport Inspector::finish(bool cancelled) {
    InspectionReport report;
    report.cancelled = cancelled;
    report.bytes = profiler_.finish();
    const ByteProfile& b = report.bytes;
    if (pageText_) report.pageText = pageText_->finish();
    // EBCDIC bytes are no UTF-8 text, whatever they happen to look like.
    report.looksUtf8 = !pageText_ && looksLikeUtf8(head_);
    // Control codes, or bytes that are no Shift-JIS in a file that is no UTF-8 text either.
    report.looksBinary =
        b.nonText.count * 1000 >= b.size * kNonTextPerThousand && b.nonText.count > 0;
    if (!report.looksUtf8 && b.invalidSjis.count * 1000 >= b.size * kNonTextPerThousand &&
        b.invalidSjis.count > 0) {
        report.looksBinary = true;
    }
    const auto* head = reinterpret_cast<const unsigned char*>(head_.data());
    report.suggestions = suggestRecordLengths({head, head_.size()}, b.size, b, !cancelled);
    report.ebcdic = guessEbcdic({head, head_.size()});

    report.withDefinition = withDefinition_;
    if (records_) {
        if (!cancelled) records_->stream.finish(records_->collector);
        records_->collector.finish(cancelled ? 0 : records_->stream.trailingBytes(),
                                   records_->stream.trailingOffset(),
                                   records_->stream.records() + 1);
    }
    report.definition = std::move(findings_);
    return report;
}

Result<InspectionReport> inspectFile(const std::string& path, const RecordDefTable* table,
                                     InspectionContext& context) {
    if (context.jobs > 1) return inspectFileInParts(path, table, context);
    return inspectFileInOrder(path, table, context);
}

Result<InspectionReport> inspectFileInOrder(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context) {
    Result<OpenedInput> opened = openInputFile(path, context.files);
    if (!opened) return opened.error();
    ReadableFile& file = *opened->file;

    Inspector inspector(table, context.limits);
    ProgressReporter progress(context.progress, std::max<std::int64_t>(opened->length, 0));
    progress.start();
    std::int64_t read = 0;
    bool cancelled = false;
    {
        // The bytes are profiled on the reading thread while the records of the block before
        // are checked here.
        BlockReader reader(
            file, context.blockSize, context.mapSize, 3,
            [&](const unsigned char* data, std::size_t size) { inspector.addBytes(data, size); });
        for (;;) {
            if (context.cancel != nullptr && context.cancel->load(std::memory_order_relaxed)) {
                cancelled = true;
                break;
            }
            Result<BlockReader::Block> block = reader.next();
            if (!block) return fileFailure(FailureSubject::InputRead, path, block.error());
            if (block->size == 0) break;
            inspector.addRecords(block->data, block->size);
            read += static_cast<std::int64_t>(block->size);
            progress.reached(read);
        }
    }
    if (!cancelled) progress.finished();
    return inspector.finish(cancelled);
}

std::string recordPlaceText(std::int64_t recordNumber, std::int64_t offset) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(offset));
    return "レコード番号 = " + std::to_string(recordNumber) +
           "、オフセット = " + std::to_string(offset) + " (0x" + hex + ")";
}

}  // namespace sorvek
