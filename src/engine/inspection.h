#pragma once
// The inspection of a data file: what its bytes are (line endings, text or record data, the
// record lengths it may have) and, with a record definition, what the record-to-CSV conversion
// would make of it, record by record, without writing anything. Streaming, in bounded memory,
// through the FileSystem port; the same findings serve the console's check report, the desktop
// program's findings list and the completion message of a job.
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

// The inspection of bytes handed over in order, in blocks of any size.
class Inspector {
  public:
    // `table`: the definition to read the records through; nullptr for none. What the
    // inspection needs of it is copied.
    explicit Inspector(const RecordDefTable* table);
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
    // The report on every byte added. Call once. `cancelled`: the bytes added are not the whole
    // file (the report says so, and the end of the file is not judged).
    InspectionReport finish(bool cancelled = false);

  private:
    struct Records;
    ByteProfiler profiler_;
    // On a definition of an EBCDIC page: the first bytes read as that page's text.
    std::unique_ptr<PageTextProfiler> pageText_;
    std::string head_;
    std::unique_ptr<Records> records_;
    DefinitionFindings findings_;
    bool withDefinition_;
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
};

// Inspects the file at `path` to its end (a pipe too), through `table` when given. Progress is
// reported as the conversions report it. A failure carries the message to show: the file is
// missing ("入力ファイルが存在しません。"), cannot be opened or cannot be read, each with a line
// feed, "fni = " and the path.
Result<InspectionReport> inspectFile(const std::string& path, const RecordDefTable* table,
                                     InspectionContext& context);

// The line the messages about a record add after their own: "レコード番号 = 3、オフセット = 80
// (0x50)". The record number is 1-based, the offset the 0-based byte position in the file.
std::string recordPlaceText(std::int64_t recordNumber, std::int64_t offset);

}  // namespace sorvek
