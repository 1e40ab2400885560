#pragma once
// The inspection of a data file: what its bytes are (line endings, text or record data, the
// record lengths it may have) and, with a record definition, what the record-to-CSV conversion
// would make of it, record by record, without writing anything. Streaming, in bounded memory,
// through the FileSystem port; the same findings serve the console's check report, the desktop
// program's findings list and the completion message of a job.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/byte_profile.h"
#include "engine/inspection_report.h"
#include "engine/page_text_profile.h"
#include "model/record_def.h"
#include "platform/files.h"
#include "ports/progress.h"
#include "ports/status.h"

namespace sorvek {

// Bytes from the start of the file kept for the record-length suggestions and the text test.
inline constexpr std::size_t kInspectionHeadBytes = 256 * 1024;

// How far from the start of the file the inspection reads what it reads there only.
struct InspectionLimits {
    // Kept for the record-length suggestions and the text test.
    std::size_t headBytes = kInspectionHeadBytes;
    // Read as Shift-JIS, or as the text of the definition's EBCDIC page.
    std::int64_t sampleBytes = byte_classes::kSjisSampleBytes;
    // The bytes the inspection of the start of a file reads before another part may start.
    std::int64_t startBytes() const {
        return std::max(static_cast<std::int64_t>(headBytes), sampleBytes);
    }
};

// The inspection of bytes handed over in order, in blocks of any size. The bytes of a file may
// also be profiled in parts at once: one inspector for its start (which takes every record) and
// one per part after it, each joined in order to the inspector of the start.
class Inspector {
  public:
    // `table`: the definition to read the records through; nullptr for none. What the
    // inspection needs of it is copied.
    explicit Inspector(const RecordDefTable* table, const InspectionLimits& limits = {});
    // The profile of the bytes of a part of a file from byte `offset` on (it takes no records).
    // REQUIRES: `offset` is at or past `limits.startBytes()`.
    Inspector(const RecordDefTable* table, const InspectionLimits& limits, std::int64_t offset);
    ~Inspector();
    Inspector(const Inspector&) = delete;
    Inspector& operator=(const Inspector&) = delete;

    void add(const unsigned char* p, std::size_t n) {
        addBytes(p, n);
        addRecords(p, n);
    }
    void add(const char* p, std::size_t n) { add(reinterpret_cast<const unsigned char*>(p), n); }
    // The two halves of `add`, which may run on two threads side by side: each must be handed
    // every byte, in order.
    void addBytes(const unsigned char* p, std::size_t n);
    void addRecords(const unsigned char* p, std::size_t n);

    // Takes in the profile of `later`, the inspector of the part right after the bytes added
    // here; `later` is left unusable. Touches nothing of the records, so another thread may add
    // records meanwhile.
    void join(Inspector& later);

    // The report on every byte added. Call once. `cancelled`: the bytes added are not the whole
    // file (the report says so, and the end of the file is not judged).
    InspectionReport finish(bool cancelled = false);

  private:
    struct Records;

    InspectionLimits limits_;
    ByteProfiler profiler_;
    // On a definition of an EBCDIC page: the first bytes read as that page's text.
    std::unique_ptr<PageTextProfiler> pageText_;
    std::string head_;
    std::unique_ptr<Records> records_;
    DefinitionFindings findings_;
    bool withDefinition_;
    bool atStart_ = true;  // the bytes added start at the start of the file
};

// What a whole-file inspection is handed besides its arguments.
struct InspectionContext {
    Progress& progress;
    FileSystem& files = osFileSystem();
    // Set from another thread to stop the reading; the report then covers what was read.
    const std::atomic<bool>* cancel = nullptr;
    // Blocks read at a time, or mapped windows of a regular file (tests make both small).
    std::size_t blockSize = 512 * 1024;
    std::size_t mapSize = 2 * 1024 * 1024;
    // Workers that inspect parts of a regular file at once (four blocks each); with 1, or for
    // anything else (a pipe), one reading in order. The report is the same.
    unsigned jobs = 1;
    InspectionLimits limits{};
};

// Inspects the file at `path` to its end (a pipe too), through `table` when given; with
// `context.jobs` above 1, a regular file in parts at once (engine/inspection_parts.h), with the
// same report. Progress is reported as the conversions report it. Fails as a job's input fails:
// the file is missing, cannot be opened (openInputFile) or cannot be read (about InputRead, with
// the reason); "-" is standard input.
Result<InspectionReport> inspectFile(const std::string& path, const RecordDefTable* table,
                                     InspectionContext& context);
// The same, read in order whatever `context.jobs` says.
Result<InspectionReport> inspectFileInOrder(const std::string& path, const RecordDefTable* table,
                                            InspectionContext& context);

// The line the messages about a record add after their own: "レコード番号 = 3、オフセット = 80
// (0x50)". The record number is 1-based, the offset the 0-based byte position in the file.
std::string recordPlaceText(std::int64_t recordNumber, std::int64_t offset);

}  // namespace sorvek
