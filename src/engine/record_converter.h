#pragma once
// The record-to-CSV conversion of whole records, shared by the sequential run and the
// conversion of parts (each worker has one of its own).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/csv_line_plan.h"
#include "engine/inspection.h"
#include "engine/rec2csv_text.h"
#include "engine/record_framing.h"
#include "model/record_def.h"

namespace sorvek {

// Converts the whole records of each stretch of input it is given, cut by the record walk.
// Keeps what must survive from one stretch to the next: where the walk stands, and the last
// record of each kind.
template <class Output>
class RecordConverter {
  public:
    // `lineEnd` is written after each line; `failOnInvalidPacked` stops at the first record
    // with an invalid digit in a marked packed field of its own. REQUIRES: `lineEnd` is CR LF
    // or LF.
    RecordConverter(RecordDefTable& table, const CsvLinePlan& plan, Output& output,
                    const std::string& lineEnd, bool failOnInvalidPacked)
        : table_(table),
          plan_(plan),
          output_(output),
          lineEnd_(lineEnd),
          failOnInvalidPacked_(failOnInvalidPacked),
          formatted_(plan.formatted() || lineEnd != "\r\n" || failOnInvalidPacked),
          lineEndBytes_{lineEnd.empty() ? '\n' : lineEnd[0],
                        lineEnd.size() < 2 ? '\n' : lineEnd[1]},
          framing_(table),
          kinds_(static_cast<std::size_t>(table.maxIndex()) + 1),
          data_(kinds_.size(), nullptr),
          marks_(kinds_.size()) {
        for (std::size_t k = 1; k < kinds_.size(); ++k) {
            const RecordDef& record = table[k];
            kinds_[k].size = static_cast<std::size_t>(record.Size);
            kinds_[k].writesLine = record.Child == 0;
            if (record.Parent != 0) {
                kinds_[static_cast<std::size_t>(record.Parent)].isAncestor = true;
            }
        }
    }

    struct Outcome {
        std::size_t consumed = 0;   // bytes converted or skipped
        std::size_t needed = 0;     // bytes from there on that the next record needs
        bool unknownKind = false;   // stopped at a record of unknown kind (variable length)
        std::string invalidPacked;  // stopped at an invalid packed field: what to show
        std::string badFraming;     // stopped at a descriptor word that cannot be: what to show
    };

    // Converts the records in [begin, end); `offset` is the file offset of `begin`. `atEnd`:
    // no input follows, so a record that is not whole is incomplete.
    Outcome convert(const unsigned char* begin, const unsigned char* end, bool atEnd,
                    std::int64_t offset) {
        return formatted_ ? convertRecords<true>(begin, end, atEnd, offset)
                          : convertRecords<false>(begin, end, atEnd, offset);
    }

    // Starts a part in the middle of a file: `recordsBefore` records were met before it, the
    // walk stands as `state` says, and `record` (of `Size` bytes) is the last record of
    // the ancestor kind `kind` read before it. Call before the first `convert`.
    void startAfter(std::int64_t recordsBefore, FramingState state) {
        framing_.resume(recordsBefore, state);
    }
    // `record`: the bytes that were read of it, filled up here when shorter than the kind.
    void seedRecord(int kind, const std::vector<unsigned char>& record) {
        const std::size_t k = static_cast<std::size_t>(kind);
        std::vector<unsigned char>& stored = table_[k].Data;
        stored.assign(kinds_[k].size, framing_.padByte());
        std::memcpy(stored.data(), record.data(), std::min(record.size(), stored.size()));
        data_[k] = stored.data();
        // Serials only on the formatted path: elsewhere they stay 0, so a line written there
        // for a record cut short copies no ancestor's part.
        if (formatted_) marks_[k].serial = ++serial_;
        if (plan_.quoting()) noteQuotes(k, plan_.recordMayNeedQuotes(kind, stored.data()));
        const std::size_t reach = std::min(record.size(), stored.size());
        noteLength(k, reach, framing_.presentIn(kind, stored.data(), reach));
    }

    // Copies the records still read from the input buffer into the table's `Data`, before the
    // buffer is refilled and at the end.
    void keepData() {
        for (std::size_t k = 1; k < kinds_.size(); ++k) {
            if (!kinds_[k].inBuffer) continue;
            std::vector<unsigned char>& stored = table_[k].Data;
            stored.assign(data_[k], data_[k] + kinds_[k].size);
            data_[k] = stored.data();
            kinds_[k].inBuffer = false;
        }
    }

    bool wroteLines() const { return wroteLines_; }
    // Records met so far, the one of unknown kind that stopped the conversion included.
    std::int64_t recordsMet() const { return framing_.records(); }

  private:
    struct Kind {
        std::size_t size = 0;
        bool writesLine = false;
        bool isAncestor = false;   // its record is needed for the lines of later records
        bool inBuffer = false;     // data_ points into the input buffer
        bool cutsNumbers = false;  // its record in data_ leaves numbers short
    };

    // kFormatted: the options change the fields or the line end; without, the lines are
    // written exactly as they always were, on a path of their own.
    template <bool kFormatted>
    Outcome convertRecords(const unsigned char* begin, const unsigned char* end, bool atEnd,
                           std::int64_t offset) {
        Outcome outcome;
        if constexpr (kFormatted) {
            // Without the record check, the block is marked for its records to look up.
            if (plan_.quoting() && !plan_.checksRecordsAlone()) markBlock(begin, end);
        }
        // The visit is inlined into the walk, as the line writing is into the visit: a call
        // per record costs more than most of what it does.
        const RecordFraming::Outcome walked = framing_.walk(
            begin, end, atEnd, offset, [&](const FramedRecord& r) __attribute__((always_inline)) {
                if (r.kind == 0) return true;
                if constexpr (kFormatted) {
                    if (failOnInvalidPacked_) {
                        outcome.invalidPacked = checkPacked(r.kind, r.bytes, r.dataOffset);
                        if (!outcome.invalidPacked.empty()) return false;
                    }
                }
                take<kFormatted>(r.kind, r.bytes, r.bytes == r.data, r.reach, r.present);
                return true;
            });
        outcome.consumed = walked.consumed;
        outcome.needed = walked.needed;
        outcome.unknownKind = walked.stop == FramingStop::UnknownKind;
        if (walked.stop == FramingStop::Fault) outcome.badFraming = walked.message;
        return outcome;
    }

    // The message for the first marked packed field of the record at `record` (at file offset
    // `offset`) that holds an invalid digit or sign; empty when there is none.
    std::string checkPacked(int kind, const unsigned char* record, std::int64_t offset) const {
        for (const PackedFieldCheck& f : plan_.packedFields(kind)) {
            if (packedFieldValid(record + f.offset, f.size)) continue;
            return invalidPackedText(framing_.records(),
                                     offset + static_cast<std::int64_t>(f.offset),
                                     table_[static_cast<std::size_t>(kind)].Name, f.name);
        }
        return {};
    }

    // Marks the bytes of the block that quoting looks for, once for all its records.
    void markBlock(const unsigned char* begin, const unsigned char* end) {
        const std::size_t n = static_cast<std::size_t>(end - begin);
        // A word more than the bytes need: a record's windows read one word past their bits.
        quoteMarks_.resize(n / 64 + 2);
        quoteMarks_[n / 64] = 0;
        quoteMarks_[n / 64 + 1] = 0;
        plan_.markQuoteBytes(begin, n, quoteMarks_.data());
        blockBegin_ = reinterpret_cast<std::uintptr_t>(begin);
        blockEnd_ = reinterpret_cast<std::uintptr_t>(end);
    }

    // Whether the record of `size` bytes at `record` may need quotes: from the block's marks
    // when it lies in the block, else from its bytes (a record filled up in a copy).
    bool mayNeedQuotes(int kind, const unsigned char* record, std::size_t size) const {
        if (plan_.checksRecordsAlone()) return plan_.recordMayNeedQuotes(kind, record);
        const auto at = reinterpret_cast<std::uintptr_t>(record);
        if (at >= blockBegin_ && at <= blockEnd_ && size <= blockEnd_ - at) [[likely]] {
            return plan_.recordMayNeedQuotes(kind, quoteMarks_.data(), at - blockBegin_);
        }
        return plan_.recordMayNeedQuotes(kind, record);
    }

    void noteQuotes(std::size_t k, bool mayNeedQuotes) {
        CsvLinePlan::RecordMark& mark = marks_[k];
        if (mayNeedQuotes != mark.mayNeedQuotes) {
            quotedRecordsHeld_ += mayNeedQuotes ? 1 : -1;
            mark.mayNeedQuotes = mayNeedQuotes;
        }
    }

    // A record that leaves numbers short of their bytes, or lacks occurrences of its table, is
    // written on the formatted path, which writes those fields empty, as long as it is held.
    void noteLength(std::size_t k, std::size_t length, std::uint32_t present) {
        const bool cutNumbers = plan_.cutsNumbers(static_cast<int>(k), length);
        const bool lacks = present < plan_.occurrences(static_cast<int>(k));
        const bool cut = cutNumbers || lacks;
        if (cut != kinds_[k].cutsNumbers) {
            cutRecordsHeld_ += cut ? 1 : -1;
            kinds_[k].cutsNumbers = cut;
        }
        marks_[k].length = cutNumbers ? static_cast<std::uint32_t>(length) : UINT32_MAX;
        marks_[k].present = lacks ? present : VaryingLayout::kAll;
    }

    // `inBlock`: the record lies in the block being converted. `reach`: bytes of the record
    // that were read, less than its kind's when it was filled up (else SIZE_MAX); `present`:
    // the occurrences of its varying table it holds.
    template <bool kFormatted>
    [[gnu::always_inline]] void take(int kind, const unsigned char* record, bool inBlock,
                                     std::size_t reach, std::uint32_t present) {
        const std::size_t k = static_cast<std::size_t>(kind);
        Kind& info = kinds_[k];
        if constexpr (kFormatted) {
            // Serials tell the records of ancestors apart, whose parts of lines are kept.
            if (info.isAncestor) marks_[k].serial = ++serial_;
            if (plan_.quoting()) {
                // A record handed over whole lies in the block.
                noteQuotes(k, inBlock && !plan_.checksRecordsAlone()
                                  ? plan_.recordMayNeedQuotes(
                                        kind, quoteMarks_.data(),
                                        reinterpret_cast<std::uintptr_t>(record) - blockBegin_)
                                  : mayNeedQuotes(kind, record, info.size));
            }
        }
        // Only records filled up or lacking occurrences, and the first whole one of a kind after
        // one, are looked at.
        if (reach != SIZE_MAX || present != VaryingLayout::kAll || info.cutsNumbers) [[unlikely]]
            noteLength(k, reach, present);
        if (info.isAncestor) {
            std::vector<unsigned char>& stored = table_[k].Data;
            stored.assign(record, record + info.size);
            data_[k] = stored.data();
        } else {
            // Only its own line needs it now; copied once per buffer by keepData.
            data_[k] = record;
            info.inBuffer = true;
        }
        if (!info.writesLine) return;
        // An output of one stream per kind (KindOutputs) is told whose line comes.
        if constexpr (requires { output_.selectKind(kind); }) output_.selectKind(kind);
        if constexpr (kFormatted) {
            char* out = output_.reserve(plan_.maxLineLength(kind) + 2);
            char* end;
            if (cutRecordsHeld_ == 0 && quotedRecordsHeld_ == 0 && plan_.trimsOnly(kind)) {
                // Most lines: nothing in them needs quotes.
                end = plan_.writeTrimmed(kind, data_.data(), marks_.data(), out);
            } else if (plan_.formatted() || cutRecordsHeld_ != 0) {
                end = plan_.writeFormatted(kind, data_.data(), marks_.data(), out);
            } else {
                end = plan_.write(kind, data_.data(), out);
            }
            // The line end is CR LF or LF: two bytes are stored in any case, and the room
            // reserved for them taken back for LF.
            std::memcpy(end, lineEndBytes_, 2);
            output_.commit(static_cast<std::size_t>(end + lineEnd_.size() - out));
        } else {
            char* out = output_.reserve(plan_.maxLineLength(kind) + 2);
            char* lineEnd = cutRecordsHeld_ == 0
                                ? plan_.write(kind, data_.data(), out)
                                : plan_.writeFormatted(kind, data_.data(), marks_.data(), out);
            lineEnd[0] = '\r';
            lineEnd[1] = '\n';
            output_.commit(static_cast<std::size_t>(lineEnd + 2 - out));
        }
        wroteLines_ = true;
    }

    RecordDefTable& table_;
    const CsvLinePlan& plan_;
    Output& output_;
    const std::string lineEnd_;
    const bool failOnInvalidPacked_;
    const bool formatted_;
    // The line end in two bytes: CR LF, or LF and a second LF past the line, in the room
    // reserved for it.
    const char lineEndBytes_[2];
    RecordFraming framing_;
    std::vector<Kind> kinds_;
    std::vector<const unsigned char*> data_;
    std::vector<CsvLinePlan::RecordMark> marks_;  // by kind: of the record in data_
    // The block being converted and its quote marks (markBlock), when quoting.
    std::vector<std::uint64_t> quoteMarks_;
    std::uintptr_t blockBegin_ = 0, blockEnd_ = 0;
    std::uint64_t serial_ = 0;   // records taken on the formatted path
    int cutRecordsHeld_ = 0;     // kinds whose record in data_ leaves numbers short
    int quotedRecordsHeld_ = 0;  // kinds whose record in data_ may need quotes
    bool wroteLines_ = false;
};
}  // namespace sorvek
