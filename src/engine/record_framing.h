#pragma once
// The step from one record to the next, taken alike by the record-to-CSV conversion, the split
// plans, the inspection and the preview, so that all of them see the same records:
// - fixed length: the kind by the class code, its length by the kind, then a CR, then an LF
//   skipped after each record (not in a file of an EBCDIC page, where those bytes are data); a
//   record of unknown kind is skipped by the common record length, or ends the reading of a
//   variable-length file;
// - V: each record begins with a record descriptor word (its length, 4 bytes included,
//   big-endian in the first two bytes, then two zero bytes, or as the definition's
//   DescriptorWords say);
// - VB: such records inside blocks that each begin with a block descriptor word (the block's
//   length, 4 bytes included: 15 bits, or 31 bits when the first bit is set).
// A record behind a descriptor word that is shorter than its kind is filled up with blanks of
// the page, so that the fields it does not reach come out empty; bytes beyond its kind's length
// are not looked at. A record of a kind with a table of varying occurrences is as long as its
// counter makes it (fixed length), and is handed over laid out as its kind's fields read it
// (engine/varying_table.h).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/descriptor_word.h"
#include "engine/inspection.h"
#include "engine/rec2csv_text.h"
#include "engine/record_kind_finder.h"
#include "engine/varying_table.h"
#include "model/host_data.h"
#include "model/record_def.h"
#include "platform/ebcdic_decoder.h"
#include "platform/input_code_page.h"

namespace sorvek {

// Where a CR or LF may still follow the record before: at the start of a file none; at a cut
// between two parts, what the cut found.
enum class RecordPending { None, Cr, Lf };

// What the walk carries from one stretch of input to the next, and what a walk that starts in
// the middle of a file needs to go on.
struct FramingState {
    RecordPending pending = RecordPending::None;  // fixed length
    std::uint32_t blockLeft = 0;                  // VB: bytes of the current block not yet read
};

// One record as the walk hands it over. The pointers are valid until the bytes walked over
// change, and `bytes` of a filled-up record until the next filled-up record of its kind.
struct FramedRecord {
    int kind = 0;  // 0: of unknown kind, skipped
    // The record as its kind reads it: the kind's length of bytes (for kind 0, `data`).
    const unsigned char* bytes = nullptr;
    const unsigned char* data = nullptr;  // where the record's bytes lie in the input
    std::size_t length = 0;               // of the record's bytes in the input, from `data`
    std::int64_t offset = 0;              // file offset of the record, its descriptor word included
    std::int64_t dataOffset = 0;          // file offset of `data`
    std::int64_t number = 0;              // counted from 1, skipped records included
    // VB: the bytes of its block from `offset` on (the record included), which a walk that
    // starts at this record resumes with; 0 otherwise.
    std::uint32_t blockLeft = 0;
    // Bytes of `bytes` that are the record's own, where a record shorter than its kind was
    // filled up; SIZE_MAX when it reaches the kind's length.
    std::size_t reach = SIZE_MAX;
    // The occurrences of its kind's varying table it holds (VaryingLayout::kAll without one).
    std::uint32_t present = VaryingLayout::kAll;
};

// Why a walk ended before the bytes it was given.
enum class FramingStop {
    None,         // the bytes ended, or the limit was reached
    UnknownKind,  // a record of unknown kind in a variable-length file
    Fault,        // a descriptor word that cannot be, or a record cut off by the end of the file
    ByVisitor,    // the visitor asked to stop at the record it was handed
};

// BadCounter: the counter of a varying table holds no number, or one its table cannot hold.
enum class FramingFault { None, BadBlockWord, BadRecordWord, CutRecord, BadCounter };

class RecordFraming {
  public:
    // REQUIRES: checkRecordStructure(table) passed (the definition check implies it).
    explicit RecordFraming(const RecordDefTable& table)
        : finder_(table),
          format_(table[0].recordFormat),
          words_(table[0].descriptorWords),
          variableLength_(table[0].Size == 0),
          lineBreaksFollow_(table[0].recordFormat == RecordFormat::Fixed &&
                            !isEbcdic(table[0].codePage)),
          padByte_(isEbcdic(table[0].codePage) ? EbcdicDecoder::kBlank : ' '),
          sizes_(table.entries.size(), 0),
          padded_(table.entries.size()),
          layouts_(table.entries.size()) {
        sizes_[0] = static_cast<std::size_t>(variableLength_ ? table[1].Size : table[0].Size);
        longest_ = sizes_[0];
        for (std::size_t k = 1; k < sizes_.size(); ++k) {
            sizes_[k] = static_cast<std::size_t>(table[k].Size);
            longest_ = std::max(longest_, sizes_[k]);
            if (table[k].varying.present()) {
                layouts_[k] = VaryingLayout(table[k], isEbcdic(table[0].codePage));
                if (tableNames_.empty()) tableNames_.resize(sizes_.size());
                tableNames_[k] = table[k].Name;
                anyTable_ = true;
            }
        }
    }

    struct Outcome {
        std::size_t consumed = 0;  // bytes walked over: up to the record a stop is about
        std::size_t needed = 0;    // bytes from there on that the next record needs
        FramingStop stop = FramingStop::None;
        FramingFault fault = FramingFault::None;
        std::string message;  // a fault: the message to show, as the conversion shows it
    };

    // Walks the records of [begin, end), `offset` being the file offset of `begin`, and hands
    // each to `visit(const FramedRecord&)`, which returns false to stop before that record
    // (it is counted, not consumed). Stops before the first record (or CR or LF after one, or
    // block descriptor word) that starts `limit` bytes or more after `begin`. `atEnd`: no input
    // follows, so a record that is not whole is incomplete: left over for fixed length, a
    // fault behind descriptor words.
    template <class Visit>
    Outcome walk(const unsigned char* begin, const unsigned char* end, bool atEnd,
                 std::int64_t offset, Visit&& visit, std::size_t limit = SIZE_MAX) {
        if (format_ != RecordFormat::Fixed) {
            return walkDescribed(begin, end, atEnd, offset, visit, limit);
        }
        const unsigned char* p = begin;
        Outcome outcome;
        for (;;) {
            if (static_cast<std::size_t>(p - begin) >= limit) break;
            if (state_.pending == RecordPending::Cr && !lineBreaksFollow_) {
                state_.pending = RecordPending::None;
            }
            if (state_.pending == RecordPending::Cr) {
                if (p == end) break;
                if (*p == '\r') ++p;
                state_.pending = RecordPending::Lf;
            }
            if (state_.pending == RecordPending::Lf) {
                if (p == end) break;
                if (*p == '\n') ++p;
                state_.pending = RecordPending::None;
            }
            if (p == end) break;
            const std::size_t available = static_cast<std::size_t>(end - p);
            int kind = 1;
            if (finder_.usesClassCode()) {
                if (available < finder_.bytesNeeded() && !atEnd) {
                    outcome.needed = finder_.bytesNeeded();
                    break;
                }
                kind = finder_.find(p, available);
            }
            std::size_t length = sizes_[static_cast<std::size_t>(kind)];
            FramedRecord record{kind, p, p, length, 0, 0, 0, 0};
            if (anyTable_ && layouts_[static_cast<std::size_t>(kind)].used()) [[unlikely]] {
                // Its length follows from its counter.
                const VaryingLayout& layout = layouts_[static_cast<std::size_t>(kind)];
                if (available < layout.counterEnd()) {
                    outcome.needed = layout.counterEnd();
                    break;
                }
                const std::optional<std::int64_t> count = layout.counter(p);
                if (!count || !layout.inRange(*count)) {
                    counterFault(outcome, kind, p, offset + (p - begin));
                    break;
                }
                record.present = static_cast<std::uint32_t>(*count);
                length = record.length = layout.length(record.present);
                if (available >= length) lay(record, layout, p, length);
            }
            if (available < length) {
                outcome.needed = length;
                break;
            }
            ++records_;
            if (kind == 0 && variableLength_) {
                outcome.stop = FramingStop::UnknownKind;
                break;
            }
            const std::int64_t at = offset + (p - begin);
            record.offset = record.dataOffset = at;
            record.number = records_;
            if (!visit(record)) {
                outcome.stop = FramingStop::ByVisitor;
                break;
            }
            p += length;
            state_.pending = RecordPending::Cr;
        }
        outcome.consumed = static_cast<std::size_t>(p - begin);
        return outcome;
    }

    // Goes on in the middle of a file: `recordsBefore` records were met before, and the walk
    // stands as `state` says.
    void resume(std::int64_t recordsBefore, FramingState state) {
        records_ = recordsBefore;
        state_ = state;
    }
    FramingState state() const { return state_; }
    // Records met so far, the one a stop is about included (not one cut off by a fault).
    std::int64_t records() const { return records_; }

    RecordFormat format() const { return format_; }
    const KindFinder& finder() const { return finder_; }
    bool variableLength() const { return variableLength_; }
    // Whether a CR and an LF may follow a record.
    bool lineBreaksFollow() const { return lineBreaksFollow_; }
    // Length of a record of kind `kind`, or, for 0, the length by which one of unknown kind is
    // skipped.
    std::size_t length(int kind) const { return sizes_[static_cast<std::size_t>(kind)]; }
    int kindCount() const { return static_cast<int>(sizes_.size()) - 1; }
    std::size_t longestRecord() const { return longest_; }
    // The occurrences of its varying table that a record of kind `kind`, laid out as the walk
    // hands it over with `reach` bytes of its own, holds (VaryingLayout::kAll without a table).
    std::uint32_t presentIn(int kind, const unsigned char* bytes, std::size_t reach) const {
        const VaryingLayout& layout = layouts_[static_cast<std::size_t>(kind)];
        return layout.used() ? layout.presentIn(bytes, reach) : VaryingLayout::kAll;
    }
    // The byte a record shorter than its kind is filled up with: a blank of the page.
    unsigned char padByte() const { return padByte_; }

  private:
    template <class Visit>
    Outcome walkDescribed(const unsigned char* begin, const unsigned char* end, bool atEnd,
                          std::int64_t offset, Visit& visit, std::size_t limit) {
        const unsigned char* p = begin;
        Outcome outcome;
        auto at = [&] { return offset + (p - begin); };
        auto fault = [&](FramingFault what, std::size_t value) {
            outcome.stop = FramingStop::Fault;
            outcome.fault = what;
            outcome.message = faultMessage(what, value, at());
        };
        keepHead(begin, end, offset);
        for (;;) {
            if (static_cast<std::size_t>(p - begin) >= limit) break;
            const std::size_t available = static_cast<std::size_t>(end - p);
            if (available == 0) {
                // The file ends inside a block that its descriptor word says goes on.
                if (atEnd && format_ == RecordFormat::VB && state_.blockLeft > 0) {
                    fault(FramingFault::BadBlockWord, state_.blockLeft);
                }
                break;
            }
            if (available < 4) {
                if (atEnd) fault(FramingFault::CutRecord, available);
                outcome.needed = 4;
                break;
            }
            if (format_ == RecordFormat::VB && state_.blockLeft == 0) {
                const std::uint32_t stated = statedBlockLength(p, words_);
                const std::uint64_t block = withWord(stated, words_);
                if (block < 8 || block > 0x7FFFFFFF) {
                    fault(FramingFault::BadBlockWord, stated);
                    break;
                }
                state_.blockLeft = static_cast<std::uint32_t>(block - 4);
                p += 4;
                continue;
            }
            const std::uint32_t stated = statedRecordLength(p, words_);
            const auto length = static_cast<std::size_t>(withWord(stated, words_));
            if (length < 4 || !recordWordPadded(p) ||
                (format_ == RecordFormat::VB && length > state_.blockLeft)) {
                fault(FramingFault::BadRecordWord, stated);
                break;
            }
            if (available < length) {
                if (atEnd) fault(FramingFault::CutRecord, length);
                outcome.needed = length;
                break;
            }
            ++records_;
            const unsigned char* data = p + 4;
            const std::size_t dataLength = length - 4;
            const int kind = finder_.usesClassCode() ? finder_.find(data, dataLength) : 1;
            if (kind == 0 && variableLength_) {
                outcome.stop = FramingStop::UnknownKind;
                break;
            }
            FramedRecord record{kind, data,     data,     dataLength,
                                at(), at() + 4, records_, state_.blockLeft};
            if (kind != 0 && !layDescribed(record, outcome)) break;
            if (!visit(record)) {
                outcome.stop = FramingStop::ByVisitor;
                break;
            }
            p += length;
            if (format_ == RecordFormat::VB) state_.blockLeft -= static_cast<std::uint32_t>(length);
        }
        outcome.consumed = static_cast<std::size_t>(p - begin);
        return outcome;
    }

    // Lays out a record read behind a descriptor word as its kind reads it: filled up when
    // shorter than its kind, laid out by its kind's varying table. False, the outcome saying
    // why, at a counter that no record can hold.
    bool layDescribed(FramedRecord& record, Outcome& outcome) {
        const std::size_t k = static_cast<std::size_t>(record.kind);
        const unsigned char* data = record.data;
        const std::size_t read = record.length;
        if (anyTable_ && layouts_[k].used()) [[unlikely]] {
            const VaryingLayout& layout = layouts_[k];
            record.present = 0;  // cut before its counter: nothing after it is there
            if (read >= layout.counterEnd()) {
                const std::optional<std::int64_t> count = layout.counter(data);
                if (!count || !layout.inRange(*count)) {
                    --records_;  // not handed over: the stop is about the next one
                    counterFault(outcome, record.kind, data, record.offset);
                    return false;
                }
                record.present = static_cast<std::uint32_t>(*count);
            }
            lay(record, layout, data, read);
        } else if (read < sizes_[k]) {
            std::vector<unsigned char>& padded = padded_[k];
            padded.assign(sizes_[k], padByte_);
            if (read > 0) std::memcpy(padded.data(), data, read);
            record.bytes = padded.data();
            record.reach = read;
        }
        return true;
    }

    // Hands `record` over laid out as its kind's fields read it, from its `read` bytes at
    // `data`; one that holds every occurrence and all its bytes is handed over where it lies.
    void lay(FramedRecord& record, const VaryingLayout& layout, const unsigned char* data,
             std::size_t read) {
        const std::size_t k = static_cast<std::size_t>(record.kind);
        if (record.present == layout.max() && read >= sizes_[k]) return;
        std::vector<unsigned char>& padded = padded_[k];
        padded.resize(sizes_[k]);
        const std::size_t reach =
            layout.expand(data, read, record.present, padByte_, padded.data());
        record.bytes = padded.data();
        if (reach < sizes_[k]) record.reach = reach;
    }

    // Stops at the record at `data` (file offset `at`) of kind `kind`, whose counter holds no
    // number its table can hold.
    void counterFault(Outcome& outcome, int kind, const unsigned char* data, std::int64_t at) {
        const std::size_t k = static_cast<std::size_t>(kind);
        outcome.stop = FramingStop::Fault;
        outcome.fault = FramingFault::BadCounter;
        outcome.message = layouts_[k].counterFaultText(records_ + 1, at, tableNames_[k], data);
    }

    // The message of a descriptor word at fault at file offset `at` (`value`: the length it
    // states, or of the record cut).
    std::string faultMessage(FramingFault what, std::size_t value, std::int64_t at) const {
        const char* text = what == FramingFault::BadBlockWord    ? kBadBlockWordText
                           : what == FramingFault::BadRecordWord ? kBadRecordWordText
                                                                 : kCutRecordText;
        std::string message = std::string(text) + "\n" + recordPlaceText(records_ + 1, at) +
                              "\n長さ = " + std::to_string(value);
        // Among the file's first records, the forms other tools write may be what was meant
        // (a wrong form may frame a first record of some length by chance). Told from the bytes
        // every reading of the file has walked over when it stops here: up to the word at
        // fault, or, for a record the file's end cuts, the whole start kept.
        const std::size_t seen =
            what == FramingFault::CutRecord ? head_.size() : static_cast<std::size_t>(at) + 4;
        if (records_ < kDescriptorRecordsTried && seen <= head_.size()) {
            message += descriptorFormHint(format_, words_, head_.data(), head_.data() + seen);
        }
        return message;
    }

    // Keeps the bytes of the file's start as the walks from there pass over them, up to
    // kHeadBytes: what a hint about the form of the descriptor words is told from.
    void keepHead(const unsigned char* begin, const unsigned char* end, std::int64_t offset) {
        constexpr std::size_t kHeadBytes = 64 * 1024;
        const auto kept = static_cast<std::int64_t>(head_.size());
        if (kept >= static_cast<std::int64_t>(kHeadBytes) || offset > kept ||
            offset + (end - begin) <= kept) {
            return;
        }
        const unsigned char* from = begin + (kept - offset);
        const auto room = static_cast<std::ptrdiff_t>(kHeadBytes - head_.size());
        head_.insert(head_.end(), from, from + std::min(end - from, room));
    }

    KindFinder finder_;
    RecordFormat format_;
    DescriptorWords words_;
    std::vector<unsigned char> head_;  // the file's first bytes, as far as walked over
    bool variableLength_;
    bool lineBreaksFollow_;
    unsigned char padByte_;
    std::vector<std::size_t> sizes_;  // [0]: the length of an unknown record
    std::size_t longest_ = 0;
    // By kind: its last record that was shorter than the kind, filled up, or laid out by its
    // varying table.
    std::vector<std::vector<unsigned char>> padded_;
    std::vector<VaryingLayout> layouts_;   // by kind
    std::vector<std::string> tableNames_;  // by kind, for the kinds with a varying table
    bool anyTable_ = false;
    FramingState state_;
    std::int64_t records_ = 0;
};

}  // namespace sorvek
