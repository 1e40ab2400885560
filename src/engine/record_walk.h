#pragma once
// Records cut from a data file exactly as the record-to-CSV conversion cuts them: the kind by
// the class code, its length by the kind, a CR, then an LF skipped after each record, a record
// of unknown kind skipped by the common record length (fixed length) or ending the file's
// reading (variable length), an incomplete last record left over. Each record is handed to a
// visitor with its place in the file, so that the inspection and the preview see the records
// the conversion would convert.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/record_kind_finder.h"
#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// Whether `table` can be cut into records: records exist, their lengths and the class-code
// position are valid and every parent chain ends. Field definitions are not looked at. A
// refusal carries the message of the definition check.
Status checkRecordStructure(const RecordDefTable& table);

// What cutting needs of a definition. REQUIRES: checkRecordStructure(table) passed.
class RecordLayout {
  public:
    explicit RecordLayout(const RecordDefTable& table);

    const KindFinder& finder() const { return finder_; }
    bool variableLength() const { return variableLength_; }
    // Length of a record of kind `kind`, or, for 0, the length by which one of unknown kind is
    // skipped.
    std::size_t length(int kind) const { return sizes_[static_cast<std::size_t>(kind)]; }
    int kindCount() const { return static_cast<int>(sizes_.size()) - 1; }
    std::size_t longestRecord() const { return longest_; }
    // Whether a CR and an LF may follow a record: not in a file of an EBCDIC page, where those
    // bytes are data.
    bool lineBreaksFollow() const { return lineBreaksFollow_; }

  private:
    KindFinder finder_;
    bool variableLength_;
    std::vector<std::size_t> sizes_;  // [0]: the length of an unknown record
    std::size_t longest_ = 0;
    bool lineBreaksFollow_ = true;
};

// Cuts stretches of input into records. Keeps across stretches the skipping of a CR and an LF
// after a record, the record count and the file offset reached.
class RecordCutter {
  public:
    explicit RecordCutter(const RecordLayout& layout) : layout_(layout) {}

    struct Outcome {
        std::size_t consumed = 0;  // bytes cut into records or skipped
        std::size_t needed = 0;    // bytes from there on that the next record needs
        bool stopped = false;      // a record of unknown kind in a variable-length file
    };

    // Cuts the records of [begin, end), which starts at the offset reached so far. For each
    // record, `visit.record(kind, bytes, length, offset, number)` (kind 0: unknown, skipped);
    // at a record of unknown kind in a variable-length file, `visit.stopped(offset, number)`
    // and nothing more. `atEnd`: no input follows, so a record that is not whole is
    // incomplete (and left over).
    template <class Visitor>
    Outcome cut(const unsigned char* begin, const unsigned char* end, bool atEnd, Visitor& visit) {
        const KindFinder& finder = layout_.finder();
        const unsigned char* p = begin;
        Outcome outcome;
        for (;;) {
            if (pending_ == Pending::Cr && !layout_.lineBreaksFollow()) pending_ = Pending::None;
            if (pending_ == Pending::Cr) {
                if (p == end) break;
                if (*p == '\r') ++p;
                pending_ = Pending::Lf;
            }
            if (pending_ == Pending::Lf) {
                if (p == end) break;
                if (*p == '\n') ++p;
                pending_ = Pending::None;
            }
            if (p == end) break;
            const std::size_t available = static_cast<std::size_t>(end - p);
            int kind = 1;
            if (finder.usesClassCode()) {
                if (available < finder.bytesNeeded() && !atEnd) {
                    outcome.needed = finder.bytesNeeded();
                    break;
                }
                kind = finder.find(p, available);
            }
            const std::size_t length = layout_.length(kind);
            if (available < length) {
                outcome.needed = length;
                break;
            }
            const std::int64_t offset = offset_ + (p - begin);
            ++records_;
            if (kind == 0 && layout_.variableLength()) {
                visit.stopped(offset, records_);
                outcome.stopped = true;
                break;
            }
            visit.record(kind, p, length, offset, records_);
            p += length;
            pending_ = Pending::Cr;
        }
        outcome.consumed = static_cast<std::size_t>(p - begin);
        offset_ += static_cast<std::int64_t>(outcome.consumed);
        return outcome;
    }

    // File offset of the first byte not yet consumed.
    std::int64_t offset() const { return offset_; }
    // Records met so far (the one that stopped the cutting included).
    std::int64_t records() const { return records_; }

  private:
    enum class Pending { None, Cr, Lf };
    const RecordLayout& layout_;
    Pending pending_ = Pending::None;
    std::int64_t offset_ = 0;
    std::int64_t records_ = 0;
};

// Records cut from blocks of any size, in order: a record that crosses blocks is put together
// in a buffer of its own (never more than one record long), every other one is visited where it
// lies.
class RecordStream {
  public:
    explicit RecordStream(const RecordLayout& layout) : cutter_(layout) {}

    template <class Visitor>
    void add(const unsigned char* p, std::size_t n, Visitor& visit) {
        std::size_t used = 0;
        // First the record begun in the last block: add bytes until it is cut.
        while (!tail_.empty() && used < n && !stopped_) {
            const std::size_t before = tail_.size();
            const std::size_t want = needed_ > before ? needed_ - before : 1;
            const std::size_t take = std::min(n - used, std::max<std::size_t>(want, 64));
            tail_.append(reinterpret_cast<const char*>(p + used), take);
            RecordCutter::Outcome o = cutTail(false, visit);
            if (o.consumed >= before) {
                // Cut into the new bytes: go on in the block itself, after what was consumed.
                used += o.consumed - before;
                tail_.clear();
            } else {
                used += take;
                tail_.erase(0, o.consumed);
            }
        }
        if (stopped_ || used == n) return;
        const RecordCutter::Outcome o = cutter_.cut(p + used, p + n, false, visit);
        stopped_ = o.stopped;
        needed_ = o.needed;
        if (!stopped_)
            tail_.assign(reinterpret_cast<const char*>(p + used + o.consumed),
                         n - used - o.consumed);
    }

    // Cuts what is left as the end of the file. Afterwards trailingBytes() are the bytes of an
    // incomplete last record (0 when there is none).
    template <class Visitor>
    void finish(Visitor& visit) {
        if (!stopped_ && !tail_.empty()) {
            const RecordCutter::Outcome o = cutTail(true, visit);
            tail_.erase(0, o.consumed);
        }
        if (stopped_) tail_.clear();
    }

    std::int64_t trailingBytes() const { return static_cast<std::int64_t>(tail_.size()); }
    std::int64_t trailingOffset() const { return cutter_.offset(); }
    bool stopped() const { return stopped_; }
    std::int64_t records() const { return cutter_.records(); }

  private:
    template <class Visitor>
    RecordCutter::Outcome cutTail(bool atEnd, Visitor& visit) {
        const auto* data = reinterpret_cast<const unsigned char*>(tail_.data());
        const RecordCutter::Outcome o = cutter_.cut(data, data + tail_.size(), atEnd, visit);
        stopped_ = o.stopped;
        needed_ = o.needed;
        return o;
    }

    RecordCutter cutter_;
    std::string tail_;  // bytes not yet cut, from the end of the last block
    std::size_t needed_ = 0;
    bool stopped_ = false;
};

}  // namespace sorvek
