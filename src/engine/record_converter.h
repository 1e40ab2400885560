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
#include "engine/record_kind_finder.h"
#include "model/record_def.h"
#include "platform/ebcdic_decoder.h"
#include "platform/input_code_page.h"

namespace sorvek {

// Converts the whole records of each stretch of input it is given. Keeps what must survive
// from one stretch to the next: whether a CR or LF may still follow the last record, and the
// last record of each kind.
// Where a CR or LF may still follow the record before: at the start of a run none; at a cut
// between two parts, what the cut found.
enum class RecordPending { None, Cr, Lf };

template <class Output>
class RecordConverter {
  public:
    // `lineEnd` is written after each line; `failOnInvalidPacked` stops at the first record
    // with an invalid digit in a marked packed field of its own.
    RecordConverter(RecordDefTable& table, const CsvLinePlan& plan, Output& output,
                    const std::string& lineEnd, bool failOnInvalidPacked)
        : table_(table),
          plan_(plan),
          output_(output),
          lineEnd_(lineEnd),
          failOnInvalidPacked_(failOnInvalidPacked),
          formatted_(plan.formatted() || lineEnd != "\r\n" || failOnInvalidPacked),
          finder_(table),
          kinds_(static_cast<std::size_t>(table.maxIndex()) + 1),
          data_(kinds_.size(), nullptr),
          marks_(kinds_.size()) {
        const RecordDef& file = table[0];
        variableLength_ = file.Size == 0;
        format_ = file.recordFormat;
        // Host files have no line breaks between records; a CR or LF there is data.
        lineBreaksFollow_ = format_ == RecordFormat::Fixed && !isEbcdic(file.codePage);
        padByte_ = isEbcdic(file.codePage) ? EbcdicDecoder::kBlank : ' ';
        padded_.resize(kinds_.size());
        unknownLength_ = static_cast<std::size_t>(variableLength_ ? table[1].Size : file.Size);
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
        if (format_ != RecordFormat::Fixed) {
            return formatted_ ? convertDescribed<true>(begin, end, atEnd, offset)
                              : convertDescribed<false>(begin, end, atEnd, offset);
        }
        return formatted_ ? convertRecords<true>(begin, end, atEnd, offset)
                          : convertRecords<false>(begin, end, atEnd, offset);
    }

    using Pending = RecordPending;

    // Starts a part in the middle of a file: `recordsBefore` records were met before it, a CR
    // or LF may follow as `pending` says, and `record` (of `Size` bytes) is the last record of
    // the ancestor kind `kind` read before it. Call before the first `convert`.
    void startAfter(std::int64_t recordsBefore, Pending pending) {
        recordsMet_ = recordsBefore;
        pending_ = pending;
    }
    void seedRecord(int kind, const unsigned char* record) {
        const std::size_t k = static_cast<std::size_t>(kind);
        marks_[k].serial = ++serial_;
        if (plan_.quoting()) marks_[k].mayNeedQuotes = plan_.recordMayNeedQuotes(kind, record);
        std::vector<unsigned char>& stored = table_[k].Data;
        stored.assign(record, record + kinds_[k].size);
        data_[k] = stored.data();
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
    std::int64_t recordsMet() const { return recordsMet_; }

  private:
    struct Kind {
        std::size_t size = 0;
        bool writesLine = false;
        bool isAncestor = false;  // its record is needed for the lines of later records
        bool inBuffer = false;    // data_ points into the input buffer
    };

    // kFormatted: the options change the fields or the line end; without, the lines are
    // written exactly as they always were, on a path of their own.
    template <bool kFormatted>
    Outcome convertRecords(const unsigned char* begin, const unsigned char* end, bool atEnd,
                           std::int64_t offset) {
        const unsigned char* p = begin;
        Outcome outcome;
        for (;;) {
            // A record may be followed by a CR, then by an LF, even across stretches.
            if (pending_ == Pending::Cr && !lineBreaksFollow_) pending_ = Pending::None;
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
            if (finder_.usesClassCode()) {
                if (available < finder_.bytesNeeded() && !atEnd) {
                    outcome.needed = finder_.bytesNeeded();
                    break;
                }
                kind = finder_.find(p, available);
            }
            const std::size_t length =
                kind != 0 ? kinds_[static_cast<std::size_t>(kind)].size : unknownLength_;
            if (available < length) {
                outcome.needed = length;
                break;
            }
            ++recordsMet_;
            if (kind == 0 && variableLength_) {
                outcome.unknownKind = true;
                break;
            }
            if (kind != 0) {
                if constexpr (kFormatted) {
                    if (failOnInvalidPacked_) {
                        outcome.invalidPacked = checkPacked(kind, p, offset + (p - begin));
                        if (!outcome.invalidPacked.empty()) break;
                    }
                }
                take<kFormatted>(kind, p);
            }
            p += length;
            pending_ = Pending::Cr;
        }
        outcome.consumed = static_cast<std::size_t>(p - begin);
        return outcome;
    }

    // Records that each begin with a record descriptor word (and, for VB, in blocks that each
    // begin with a block descriptor word). A record shorter than its kind is filled up with
    // blanks of the page, so that the fields it does not reach come out empty; bytes beyond its
    // kind's length are not looked at.
    template <bool kFormatted>
    Outcome convertDescribed(const unsigned char* begin, const unsigned char* end, bool atEnd,
                             std::int64_t offset) {
        const unsigned char* p = begin;
        Outcome outcome;
        auto at = [&] { return offset + (p - begin); };
        for (;;) {
            const std::size_t available = static_cast<std::size_t>(end - p);
            if (available == 0) break;
            if (available < 4) {
                if (atEnd) outcome.badFraming = framingText(kCutRecordText, at(), available);
                outcome.needed = 4;
                break;
            }
            if (format_ == RecordFormat::VB && blockLeft_ == 0) {
                const std::uint32_t block = blockLength(p);
                if (block < 8) {
                    outcome.badFraming = framingText(kBadBlockWordText, at(), block);
                    break;
                }
                blockLeft_ = block - 4;
                p += 4;
                continue;
            }
            const std::size_t length = static_cast<std::size_t>(p[0]) << 8 | p[1];
            if (length < 4 || p[2] != 0 || p[3] != 0 ||
                (format_ == RecordFormat::VB && length > blockLeft_)) {
                outcome.badFraming = framingText(kBadRecordWordText, at(), length);
                break;
            }
            if (available < length) {
                if (atEnd) outcome.badFraming = framingText(kCutRecordText, at(), length);
                outcome.needed = length;
                break;
            }
            ++recordsMet_;
            const unsigned char* body = p + 4;
            const std::size_t bodyLength = length - 4;
            const int kind = finder_.usesClassCode() ? finder_.find(body, bodyLength) : 1;
            if (kind == 0 && variableLength_) {
                outcome.unknownKind = true;
                break;
            }
            if (kind != 0) {
                const std::size_t k = static_cast<std::size_t>(kind);
                const unsigned char* record = body;
                if (bodyLength < kinds_[k].size) {
                    std::vector<unsigned char>& padded = padded_[k];
                    padded.assign(kinds_[k].size, padByte_);
                    std::memcpy(padded.data(), body, bodyLength);
                    record = padded.data();
                }
                if constexpr (kFormatted) {
                    if (failOnInvalidPacked_) {
                        outcome.invalidPacked = checkPacked(kind, record, at() + 4);
                        if (!outcome.invalidPacked.empty()) break;
                    }
                }
                take<kFormatted>(kind, record);
            }
            p += length;
            if (format_ == RecordFormat::VB) blockLeft_ -= length;
        }
        outcome.consumed = static_cast<std::size_t>(p - begin);
        return outcome;
    }

    // A block's length: the first two bytes, or 31 bits when the first bit is set.
    static std::uint32_t blockLength(const unsigned char* p) {
        if ((p[0] & 0x80) == 0) return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
        return (static_cast<std::uint32_t>(p[0] & 0x7F) << 24) |
               (static_cast<std::uint32_t>(p[1]) << 16) | (static_cast<std::uint32_t>(p[2]) << 8) |
               p[3];
    }

    std::string framingText(const char* what, std::int64_t at, std::size_t value) const {
        return std::string(what) + "\n" + recordPlaceText(recordsMet_ + 1, at) +
               "\n長さ = " + std::to_string(value);
    }

    // The message for the first marked packed field of the record at `record` (at file offset
    // `offset`) that holds an invalid digit or sign; empty when there is none.
    std::string checkPacked(int kind, const unsigned char* record, std::int64_t offset) const {
        for (const PackedFieldCheck& f : plan_.packedFields(kind)) {
            if (packedFieldValid(record + f.offset, f.size)) continue;
            return invalidPackedText(recordsMet_, offset + static_cast<std::int64_t>(f.offset),
                                     table_[static_cast<std::size_t>(kind)].Name, f.name);
        }
        return {};
    }

    template <bool kFormatted>
    void take(int kind, const unsigned char* record) {
        const std::size_t k = static_cast<std::size_t>(kind);
        Kind& info = kinds_[k];
        if constexpr (kFormatted) {
            CsvLinePlan::RecordMark& mark = marks_[k];
            mark.serial = ++serial_;
            if (plan_.quoting()) mark.mayNeedQuotes = plan_.recordMayNeedQuotes(kind, record);
        }
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
        if constexpr (kFormatted) {
            char* out = output_.reserve(plan_.maxLineLength(kind) + lineEnd_.size());
            char* end = plan_.formatted()
                            ? plan_.writeFormatted(kind, data_.data(), marks_.data(), out)
                            : plan_.write(kind, data_.data(), out);
            // Line ends are short: a call of memcpy costs more than the copy.
            const std::size_t n = lineEnd_.size();
            const char* lineEnd = lineEnd_.data();
            for (std::size_t i = 0; i < n; ++i) end[i] = lineEnd[i];
            output_.commit(static_cast<std::size_t>(end + n - out));
        } else {
            char* out = output_.reserve(plan_.maxLineLength(kind) + 2);
            char* lineEnd = plan_.write(kind, data_.data(), out);
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
    KindFinder finder_;
    std::vector<Kind> kinds_;
    std::vector<const unsigned char*> data_;
    std::vector<CsvLinePlan::RecordMark> marks_;  // by kind: of the record in data_
    std::uint64_t serial_ = 0;                    // records taken on the formatted path
    bool variableLength_ = false;
    std::size_t unknownLength_ = 0;
    RecordFormat format_ = RecordFormat::Fixed;
    bool lineBreaksFollow_ = true;
    unsigned char padByte_ = ' ';
    std::size_t blockLeft_ = 0;  // VB: bytes of the current block not yet read
    // By kind: its last record that was shorter than the kind, filled up.
    std::vector<std::vector<unsigned char>> padded_;
    Pending pending_ = Pending::None;
    bool wroteLines_ = false;
    // Records met so far, skipped ones and the one of unknown kind that stopped the conversion
    // included.
    std::int64_t recordsMet_ = 0;
};
}  // namespace sorvek
