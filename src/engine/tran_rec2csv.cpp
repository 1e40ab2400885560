#include "engine/tran_rec2csv.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/csv_line_plan.h"
#include "engine/inspection.h"
#include "engine/job_files.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/record_kind_finder.h"
#include "platform/codepage.h"
#include "platform/number_text.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

constexpr const char* kBadRecordText = "レコード記述語（RDW）の長さに誤りがあります。";
constexpr const char* kBadBlockText = "ブロック記述語（BDW）の長さに誤りがあります。";
constexpr const char* kCutText = "ファイルの終わりでレコードが途切れています。";

constexpr const char* kUnknownKindText =
    "識別区分の不明なレコードがあります。可変長の場合は全ての識別区分を指定して下さい。";

// Encloses `value` in double quotes as `quoting` asks (doubling the quotes inside), for the
// title line; the fields do the same in the line plan.
std::string quoteText(const std::string& value, const std::string& delimiter, CsvQuoting quoting) {
    const bool needed = quoting == CsvQuoting::All ||
                        (quoting == CsvQuoting::Minimal &&
                         (value.find_first_of("\"\r\n") != std::string::npos ||
                          (!delimiter.empty() && value.find(delimiter) != std::string::npos)));
    if (!needed) return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// The title line: the marked field names of the first kind without a child and of its
// ancestors, top-level ancestor first, in the output's encoding and quoting, with its line end.
std::string titleLine(const RecordDefTable& table, const std::string& delimiter,
                      const CsvOutputOptions& options, const std::string& lineEnd) {
    const bool cp932 = options.encoding == CsvEncoding::Cp932;
    int leaf = 0;
    for (int k = 1; k <= table.maxIndex() && leaf == 0; ++k) {
        if (table[static_cast<std::size_t>(k)].Child == 0) leaf = k;
    }
    std::vector<int> chain;
    for (int r = leaf; r != 0; r = table[static_cast<std::size_t>(r)].Parent) chain.push_back(r);
    std::string text;
    bool first = true;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const FieldDef& f : table[static_cast<std::size_t>(*it)].Fields) {
            if (f.Check != -1) continue;
            if (!first) text += delimiter;
            text += quoteText(cp932 ? utf8ToCp932(f.Name) : f.Name, delimiter, options.quoting);
            first = false;
        }
    }
    return text + lineEnd;
}

std::string invalidPackedText(std::int64_t recordNumber, std::int64_t offset,
                              const std::string& record, const std::string& field) {
    return "パック10進数のフィールドに不正な値があります。\nレコード番号 = " +
           std::to_string(recordNumber) + "\nオフセット = " + std::to_string(offset) +
           "\nレコード = " + record + "\nフィールド = " + field;
}

// Converts the whole records of each stretch of input it is given. Keeps what must survive
// from one stretch to the next: whether a CR or LF may still follow the last record, and the
// last record of each kind.
class RecordConverter {
  public:
    // `lineEnd` is written after each line; `failOnInvalidPacked` stops at the first record
    // with an invalid digit in a marked packed field of its own.
    RecordConverter(RecordDefTable& table, const CsvLinePlan& plan, OutputBuffer& output,
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
    enum class Pending { None, Cr, Lf };
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
                if (atEnd) outcome.badFraming = framingText(kCutText, at(), available);
                outcome.needed = 4;
                break;
            }
            if (format_ == RecordFormat::VB && blockLeft_ == 0) {
                const std::uint32_t block = blockLength(p);
                if (block < 8) {
                    outcome.badFraming = framingText(kBadBlockText, at(), block);
                    break;
                }
                blockLeft_ = block - 4;
                p += 4;
                continue;
            }
            const std::size_t length = static_cast<std::size_t>(p[0]) << 8 | p[1];
            if (length < 4 || p[2] != 0 || p[3] != 0 ||
                (format_ == RecordFormat::VB && length > blockLeft_)) {
                outcome.badFraming = framingText(kBadRecordText, at(), length);
                break;
            }
            if (available < length) {
                if (atEnd) outcome.badFraming = framingText(kCutText, at(), length);
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
            std::memcpy(end, lineEnd_.data(), lineEnd_.size());
            output_.commit(static_cast<std::size_t>(end + lineEnd_.size() - out));
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
    OutputBuffer& output_;
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

}  // namespace

bool tranRec2Csv(const std::string& inputPath, const std::string& outputPath, RecordDefTable& table,
                 EngineContext& context) {
    if (Status definition = checkRec2CsvDefinition(table); !definition) {
        context.messages.show(definition.error().message, kAppTitle, definition.error().icon);
        return false;
    }
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return reportJobStatus(files.error(), context);
    JobInput& input = *files->input;

    ProgressReporter progress(context.progress, input.length());
    progress.start();

    RecordDef& file = table[0];
    if (file.Delimiter == "\\t") file.Delimiter = "\t";
    for (RecordDef& record : table.entries) record.Data.clear();
    const CsvOutputOptions& options = table.output;
    const std::string delimiter =
        options.encoding == CsvEncoding::Cp932 ? utf8ToCp932(file.Delimiter) : file.Delimiter;
    const std::string lineEnd = options.lineEnd == CsvLineEnd::Lf ? "\n" : "\r\n";

    const std::size_t blockSize = std::max<std::size_t>(context.blockSize, 1);
    OutputBuffer output(files->output->file(), 4 * blockSize);
    if (options.encoding == CsvEncoding::Utf8Bom) output.append("\xEF\xBB\xBF", 3);
    if (file.TitleLine) {
        const std::string title = titleLine(table, delimiter, options, lineEnd);
        output.append(title.data(), title.size());
    }

    // UTF-8 lines are decoded on the writer's thread, beside the converting one, wherever the
    // plan can leave that to it.
    const CsvLinePlan plan(table, delimiter, options, Utf8Decoding::ByCaller);
    if (plan.callerDecodes()) output.decodeFromHere(Cp932Decoder::get());
    RecordConverter converter(table, plan, output, lineEnd,
                              options.invalidPacked == InvalidPacked::Fail);

    // The input buffer holds the unconverted rest of the last block and the next block; it
    // grows only when a record (or its class code) is longer than a block: to what the record
    // needs, but never beyond what the input still holds (when its length is unknown, by
    // doubling as the bytes come).
    std::vector<unsigned char> buffer(blockSize);
    std::size_t begin = 0, end = 0;  // unconverted bytes
    std::int64_t bufferOffset = 0;   // input offset of buffer[0]
    std::size_t needed = 0;
    while (!input.atEnd() && output.ok()) {
        if (begin > 0) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            bufferOffset += static_cast<std::int64_t>(begin);
            end -= begin;
            begin = 0;
        }
        const std::int64_t bound =
            input.length() >= 0
                ? static_cast<std::int64_t>(end) + input.length() - input.consumed()
                : static_cast<std::int64_t>(std::max(2 * buffer.size(), end + blockSize));
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(needed), bound));
        if (buffer.size() < want) buffer.resize(want);
        if (buffer.size() == end) buffer.resize(end + blockSize);
        const std::size_t room = std::min(blockSize, buffer.size() - end);
        Result<std::size_t> got = input.read(reinterpret_cast<char*>(buffer.data() + end), room);
        if (!got) {
            converter.keepData();
            return reportJobStatus(got.error(), context);
        }
        if (context.observeInput) {
            context.observeInput(reinterpret_cast<const char*>(buffer.data() + end), *got);
        }
        end += *got;
        const bool atEnd = input.atEnd();

        RecordConverter::Outcome outcome =
            converter.convert(buffer.data() + begin, buffer.data() + end, atEnd,
                              bufferOffset + static_cast<std::int64_t>(begin));
        begin += outcome.consumed;
        needed = outcome.needed;
        converter.keepData();
        if (outcome.unknownKind) {
            // The lines of the records before it reach an output that takes them as they come (a
            // pipe, a device); a file keeps what it held, as after any failure.
            const Status flushed =
                finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
            if (!reportJobStatus(flushed, context)) return false;
            const std::int64_t at = bufferOffset + static_cast<std::int64_t>(begin);
            context.messages.show(
                std::string(kUnknownKindText) + "\n" + recordPlaceText(converter.recordsMet(), at),
                kAppTitle, MessageIcon::Exclamation);
            return false;
        }
        if (!outcome.badFraming.empty()) {
            const Status flushed =
                finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
            if (!reportJobStatus(flushed, context)) return false;
            context.messages.show(outcome.badFraming, kAppTitle, MessageIcon::Exclamation);
            return false;
        }
        if (!outcome.invalidPacked.empty()) {
            // As for an unknown kind: the lines before it reach a pipe or a device; a file
            // keeps what it held.
            const Status flushed =
                finishOutput(output, *files->output, outputPath, OutputEnd::KeepOldFile);
            if (!reportJobStatus(flushed, context)) return false;
            context.messages.show(outcome.invalidPacked, kAppTitle, MessageIcon::Exclamation);
            return false;
        }
        progress.reached(atEnd ? input.consumed()
                               : bufferOffset + static_cast<std::int64_t>(begin));
    }
    if (!reportJobStatus(finishOutput(output, *files->output, outputPath), context)) return false;
    if (converter.wroteLines()) progress.finished();
    return true;
}

}  // namespace sorvek
