#pragma once
// Cutting a record-to-CSV job into parts that convert on their own. A part starts where a record
// starts (or where a CR or LF after a record may still follow) and carries what its conversion
// needs of the bytes before it: the last record of every kind whose records later lines
// repeat (the ancestors), the records met before it, and whether a CR or LF may still follow.
// Converting the parts independently and joining the results gives exactly the bytes of one
// sequential run, with the title line once (in the first part) and a record of unknown kind
// stopping the conversion at the same place with the same message.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/kind_outputs.h"
#include "engine/memory_output.h"
#include "engine/rec2csv_text.h"
#include "engine/record_converter.h"
#include "engine/record_framing.h"
#include "model/record_def.h"
#include "platform/files.h"
#include "ports/status.h"

namespace sorvek {

// Where a part starts, and what its conversion needs of the bytes before it.
struct RecordPartStart {
    std::int64_t offset = 0;         // file offset of the part's first byte
    std::int64_t recordsBefore = 0;  // records met before it, skipped ones included
    RecordPending pending = RecordPending::None;
    std::uint32_t blockLeft = 0;  // VB: bytes of the block it starts in not yet read
    // The last record read before the part of each kind that has children, by kind; kinds
    // without a record yet are absent. A record shorter than its kind holds only its bytes.
    std::vector<std::pair<int, std::vector<unsigned char>>> ancestors;
};

// The parts of a file: part i runs from parts[i].offset to parts[i + 1].offset, the last one to
// `length`. Parts may be empty.
struct RecordSplitPlan {
    std::vector<RecordPartStart> parts;
    std::int64_t length = 0;
    std::int64_t end(std::size_t part) const {
        return part + 1 < parts.size() ? parts[part + 1].offset : length;
    }
};

// Follows the records of a file as the conversion cuts them (class codes and lengths only, no
// field is converted), stretch by stretch from the file's start, and tells where parts can
// start.
class RecordWalker {
  public:
    // REQUIRES: `table` passed the definition check; it outlives the walker.
    explicit RecordWalker(const RecordDefTable& table);

    struct Step {
        std::size_t consumed = 0;  // bytes walked over
        std::size_t needed = 0;    // bytes from there on that the next record needs
        // At a record of unknown kind (variable length) or a fault of the descriptor words: no
        // further; `stopMessage` is the message the conversion shows there.
        bool stopped = false;
        std::string stopMessage;
    };
    // Walks the whole records of [begin, end), which follow the bytes walked before, stopping
    // before the first record (or CR or LF after one, or block descriptor word) that starts
    // `limit` bytes or more after `begin`. `atEnd`: no input follows. Records left in
    // [begin, end) are remembered by address: call `keepRecords` before the bytes change.
    Step walk(const unsigned char* begin, const unsigned char* end, bool atEnd,
              std::size_t limit = SIZE_MAX);
    // Copies the records remembered by address.
    void keepRecords();
    // What a part starting here (file offset `offset`) needs. REQUIRES: `keepRecords` since
    // the last walk.
    RecordPartStart partStart(std::int64_t offset) const;
    // Records met so far, skipped ones and one a stop is about included; the kind of the last
    // one handed over (0: unknown, skipped) and its bytes as its kind reads them (valid until
    // the bytes walked over change).
    std::int64_t recordsMet() const { return framing_.records(); }
    int lastKind() const { return lastKind_; }
    const unsigned char* lastRecord() const { return lastRecord_; }
    // The last record of each kind (index = kind; empty where none was met).
    const std::vector<std::vector<unsigned char>>& lastRecords() const { return stored_; }

  private:
    RecordFraming framing_;
    std::vector<std::size_t> sizes_;
    std::vector<bool> isAncestor_;
    std::vector<const unsigned char*> inBuffer_;
    std::vector<std::vector<unsigned char>> stored_;
    // Bytes of those records that were read: less than the kind's for a record filled up.
    std::vector<std::size_t> inLength_, storedLength_;
    std::int64_t offset_ = 0;  // of the first byte not walked over yet
    int lastKind_ = 0;
    const unsigned char* lastRecord_ = nullptr;
};

// The most parts a plan is made of: more would cost memory beyond any use.
inline constexpr int kMaxPlanParts = 100000;

// Plans `parts` parts (at least 1; more than kMaxPlanParts are refused, RefusedArgument) of the
// file at `path`: part i starts at the first place at or
// after i × length / parts where a part can start. One sequential read of the file, in bounded
// memory. Fails as
// a job's input fails (openJobInput, reading), or when it is no regular file (about InputOpen,
// "通常のファイルではありません。"); a set `cancelled` ends it with cancelledFailure(). REQUIRES:
// `table` passed the definition check.
Result<RecordSplitPlan> planRec2CsvParts(FileSystem& fs, const std::string& path,
                                         const RecordDefTable& table, int parts,
                                         std::size_t blockSize = 1 << 20,
                                         const std::atomic<bool>* cancelled = nullptr);

// What a part became.
struct PartResult {
    MemoryOutput bytes;
    // Set when the conversion stopped in the part (a record of unknown kind, an invalid packed
    // field): the message to show, titled as the application, after the lines before it.
    std::string stopMessage;
};

// Converts one part held in memory: [data, data + size) are the bytes from `start.offset` on;
// `last`: the part ends where the file ends; `first`: the output's preamble (byte order mark,
// title line) comes first. `table` is the table as `prepareRec2CsvRun` left it, `text` what it
// returned. Thread-safe for distinct calls: works on a copy of the table. `reuse`: memory for the
// output (emptied first), so that a worker need not fault in fresh pages for every part.
PartResult convertRec2CsvPart(const RecordDefTable& table, const Rec2CsvText& text,
                              const RecordPartStart& start, const unsigned char* data,
                              std::size_t size, bool last, bool first,
                              MemoryOutput reuse = MemoryOutput());

// The same for an output split by record kind: each line goes to its kind's stream of `output`.
// The stop's message, or empty.
std::string convertRec2CsvPartByKind(const RecordDefTable& table, const Rec2CsvText& text,
                                     const RecordPartStart& start, const unsigned char* data,
                                     std::size_t size, bool last, KindOutputs& output);

// Converts part `part` of `plan` of the file at `path`, read into memory (bounded by the part's
// length). `table` as for planRec2CsvParts (it is copied and prepared here). Fails with the
// message to show when the file cannot be read; a stop in the data is the result's stopMessage.
Result<PartResult> convertRec2CsvFilePart(FileSystem& fs, const std::string& path,
                                          const RecordDefTable& table, const RecordSplitPlan& plan,
                                          std::size_t part);

}  // namespace sorvek
