#pragma once
// Records cut from a data file exactly as the record-to-CSV conversion cuts them, by the same
// record walk (engine/record_framing.h): an incomplete last record of fixed length is left
// over. Each record is handed to a visitor with its place in the file, so that the inspection
// and the preview see the records the conversion would convert.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/record_framing.h"
#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

// Whether `table` can be cut into records: records exist, their lengths and the class-code
// position are valid and every parent chain ends. Field definitions are not looked at. A
// refusal carries the message of the definition check.
Status checkRecordStructure(const RecordDefTable& table);

// Cuts stretches of input into records by the record walk. Keeps across stretches where the
// walk stands, the record count and the file offset reached.
class RecordCutter {
  public:
    // REQUIRES: checkRecordStructure(table) passed.
    explicit RecordCutter(const RecordDefTable& table) : framing_(table) {}

    struct Outcome {
        std::size_t consumed = 0;  // bytes cut into records or skipped
        std::size_t needed = 0;    // bytes from there on that the next record needs
        bool stopped = false;      // no record can follow: see the visitor's calls
    };

    // Cuts the records of [begin, end), which starts at the offset reached so far. For each
    // record, `visit.record(const FramedRecord&)` (kind 0: unknown, skipped); at a record of
    // unknown kind in a variable-length file, `visit.stopped(offset, number)`, at a descriptor
    // word that cannot be (or, at the end, a record cut off behind one) `visit.fault(fault,
    // message, offset, number)` with the message the conversion shows, and nothing more.
    // `atEnd`: no input follows, so a record that is not whole is incomplete (and, for fixed
    // length, left over).
    template <class Visitor>
    Outcome cut(const unsigned char* begin, const unsigned char* end, bool atEnd, Visitor& visit) {
        const RecordFraming::Outcome o =
            framing_.walk(begin, end, atEnd, offset_, [&visit](const FramedRecord& r) {
                visit.record(r);
                return true;
            });
        Outcome outcome{o.consumed, o.needed, o.stop != FramingStop::None};
        const std::int64_t at = offset_ + static_cast<std::int64_t>(o.consumed);
        if (o.stop == FramingStop::UnknownKind) visit.stopped(at, framing_.records());
        if (o.stop == FramingStop::Fault)
            visit.fault(o.fault, o.message, at, framing_.records() + 1);
        offset_ = at;
        return outcome;
    }

    // Goes on inside a file, the walk standing as `state` says. Call before the first `cut`.
    void resume(FramingState state) { framing_.resume(0, state); }
    const RecordFraming& framing() const { return framing_; }
    // File offset of the first byte not yet consumed.
    std::int64_t offset() const { return offset_; }
    // Records met so far (the one of unknown kind that stopped the cutting included).
    std::int64_t records() const { return framing_.records(); }

  private:
    RecordFraming framing_;
    std::int64_t offset_ = 0;
};

// Records cut from blocks of any size, in order: a record that crosses blocks is put together
// in a buffer of its own (never more than one record long), every other one is visited where it
// lies.
class RecordStream {
  public:
    explicit RecordStream(const RecordDefTable& table) : cutter_(table) {}

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
    // incomplete last record of fixed length (0 when there is none).
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
