#pragma once
// The output line of every record kind, worked out once per run: which fields of which
// generations, where in the record, how converted. Writing a line is then a walk over a flat
// list of steps, with no allocation and no look at the field definitions.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/quote_screen.h"
#include "engine/varying_table.h"
#include "model/csv_output_options.h"
#include "model/record_def.h"
#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"

namespace sorvek {

// A marked packed field of a kind's own, for the check of InvalidPacked::Fail.
struct PackedFieldCheck {
    std::uint32_t offset;  // 0-based position in the record
    std::uint32_t size;
    std::string name;
};

// Where the text of UTF-8 lines is decoded from CP932.
enum class Utf8Decoding {
    // Every field as it is written.
    ByField,
    // By the caller, over whole lines: the lines are written in CP932, quoted and trimmed as
    // their UTF-8 will be, wherever that gives the same bytes (see `callerDecodes`).
    ByCaller,
};

// Bytes [begin, end) of a record.
struct CsvLinePlanRange {
    std::uint32_t begin, end;
};

class CsvLinePlan {
  public:
    // REQUIRES: `table` passed checkRec2CsvDefinition. `delimiter` is the bytes written between
    // two fields, in the output's encoding. `options` say how fields are written (encoding,
    // quoting, trimming, zoned signs, invalid packed digits); the line end is the caller's.
    CsvLinePlan(const RecordDefTable& table, std::string_view delimiter,
                const CsvOutputOptions& options = {},
                Utf8Decoding decoding = Utf8Decoding::ByField);

    // True when UTF-8 was asked for, with Utf8Decoding::ByCaller, and the delimiter is one
    // byte that stands alone in CP932 (Cp932Decoder::standsAlone, as must the double quote, CR,
    // LF and the blank): the lines are then CP932 whose Cp932Decoder::decode, over any run of
    // whole lines each followed by a line end of CR and LF, is the UTF-8 output.
    bool callerDecodes() const { return trimDecoder_ != nullptr; }

    // True when some option changes how fields are written: lines are then written by
    // `writeFormatted`; otherwise by `write`, which copies the fields as they are.
    bool formatted() const { return formatted_; }

    // Bytes `write` or `writeFormatted` may touch for a line of `kind`.
    std::size_t maxLineLength(int kind) const {
        return kinds_[static_cast<std::size_t>(kind)].maxLength;
    }

    // Writes the line of record kind `kind` at `out`, without a line break, and returns its
    // end. `data[r]` holds the bytes of the last record of kind r (its whole `Size`), or is
    // nullptr while none was read. The marked fields of the generations from the top down are
    // written, joined by the delimiter; an ancestor without a record yet leaves it and the
    // generations above it out. REQUIRES: room for maxLineLength(kind) bytes at `out`;
    // data[kind] is not nullptr.
    char* write(int kind, const unsigned char* const* data, char* out) const;

    // What the caller knows of the record of each kind in `data`.
    struct RecordMark {
        // Changes whenever another record of the kind is taken (0: none yet). The ancestors'
        // part of a line is written once per record and copied for the lines after it. 64 bits,
        // so that no file holds enough records for a serial to come round again.
        std::uint64_t serial = 0;
        // What `recordMayNeedQuotes` said of it (looked at only when quoting).
        bool mayNeedQuotes = false;
        // Bytes of it that were read; the rest of a record shorter than its kind is filled
        // with blanks, and a number that reaches into them is written empty.
        std::uint32_t length = UINT32_MAX;
        // The occurrences of its kind's varying table it holds; the fields of the others are
        // written empty.
        std::uint32_t present = VaryingLayout::kAll;
    };

    // The most occurrences of kind `kind`'s varying table (0 without one).
    std::uint32_t occurrences(int kind) const {
        return kinds_[static_cast<std::size_t>(kind)].occurrences;
    }

    // Whether a record of kind `kind` that holds `length` bytes leaves a marked number of its
    // own short of its bytes.
    bool cutsNumbers(int kind, std::size_t length) const {
        return length < kinds_[static_cast<std::size_t>(kind)].numericEnd;
    }

    // As `write`, with every field written as the options say; `marks[r]` describes data[r].
    // Same requirements.
    char* writeFormatted(int kind, const unsigned char* const* data, const RecordMark* marks,
                         char* out) const {
        return (this->*formattedWriter_)(kind, data, marks, out);
    }

    // Whether the lines of kind `kind` are written as without options but for the trimming of
    // text, when no record of theirs needs quotes and none leaves numbers short: then
    // `writeTrimmed` writes them as writeFormatted would.
    bool trimsOnly(int kind) const {
        return kinds_[static_cast<std::size_t>(kind)].trimOnlyChain && !scanEveryField_ &&
               options_.quoting != CsvQuoting::All;
    }
    // As `write`, text trimmed. REQUIRES: trimsOnly(kind), and no record of the line may need
    // quotes or leaves numbers short; room for maxLineLength(kind) bytes at `out`.
    char* writeTrimmed(int kind, const unsigned char* const* data, const RecordMark* marks,
                       char* out) const;

    // Whether a field of the record of kind `kind` at `record` may need quoting: its marked
    // text and zoned fields hold a double quote, CR, LF or the delimiter. The fields of a record
    // without any are only looked at where their conversion can make the delimiter (a packed
    // field with ";" as delimiter). The record's bytes are looked at here: by the record check
    // where the processor has one, else marked as a block's.
    bool recordMayNeedQuotes(int kind, const unsigned char* record) const {
        if (quoteCheck_ == nullptr) return markedRecordMayNeedQuotes(kind, record);
        const KindPlan& plan = kinds_[static_cast<std::size_t>(kind)];
        return quoteCheck_(record, plan.markSpan, lookedBits_.data() + plan.lookedBegin,
                           markDelimiter_);
    }
    // Whether records are looked at one by one as they are met (where the processor has the
    // record check): then a block need not be marked, and the form above is the faster.
    bool checksRecordsAlone() const { return quoteCheck_ != nullptr; }
    // The same from the marks of the block that holds the record: `marks` as markQuoteBytes
    // wrote them for the block, `at` the record's place in it. REQUIRES: the marks cover the
    // record's bytes and one word more.
    bool recordMayNeedQuotes(int kind, const std::uint64_t* marks, std::size_t at) const {
        const KindPlan& plan = kinds_[static_cast<std::size_t>(kind)];
        std::uint64_t hits = 0;
        for (std::size_t w = plan.markBegin; w != plan.markEnd; ++w) {
            const MarkWindow& window = markWindows_[w];
            const std::size_t bit = at + window.start;
            std::uint64_t bits;
            if constexpr (std::endian::native == std::endian::little) {
                // The 57 bits or more from `bit` on, in one read of the 8 bytes that hold it.
                std::memcpy(&bits, reinterpret_cast<const unsigned char*>(marks) + bit / 8, 8);
                bits >>= bit % 8;
            } else {
                // From two words (the second shifted in two steps, so that a shift of 0 takes
                // nothing of it).
                const std::uint64_t* word = marks + bit / 64;
                const unsigned shift = bit % 64;
                bits = (word[0] >> shift) | ((word[1] << 1) << (63 - shift));
            }
            hits |= bits & window.bits;
        }
        return hits != 0;
    }
    // Marks the bytes of [data, data + n) that quoting looks for (see QuoteMarker).
    void markQuoteBytes(const unsigned char* data, std::size_t n, std::uint64_t* marks) const {
        marker_(data, n, markDelimiter_, marks);
    }
    bool quoting() const { return options_.quoting != CsvQuoting::None; }

    // The marked packed fields of record kind `kind`'s own fields.
    const std::vector<PackedFieldCheck>& packedFields(int kind) const {
        return packedChecks_[static_cast<std::size_t>(kind)];
    }

  private:
    // How a field is written: the first three are the only ones without options.
    enum class Op : std::uint8_t {
        Copy,           // text, zoned without a point: the bytes as they are
        CopyWithPoint,  // zoned with decimal places
        Packed,
        TrimmedText,    // in CP932, without trailing blanks
        SignedZoned,    // the sign in a digit's zone becomes a leading "-"
        PackedOrEmpty,  // empty when a digit or the sign is invalid
        DecodedText,    // decoded to UTF-8 as the field is written
        DecodedTrimmedText,
        DecodedZoned,
        // The host forms (host_numbers.h, platform/ebcdic_decoder.h): text and double-byte
        // text of an EBCDIC page, zoned fields with a declared sign, an EBCDIC page or a scale,
        // binary fields, packed fields with a scale. Any of them makes the plan formatted.
        EbcdicText,
        EbcdicDoubleByte,
        HostZoned,
        Binary,
        ScaledPacked,
    };
    struct Step {
        std::uint32_t offset;  // 0-based position in the record
        std::uint32_t size;    // bytes in the record
        std::int32_t dec;
        Op op;
        bool decodeSign;   // zoned: the sign in a digit's zone becomes a leading "-"
        bool leadingSign;  // zoned: the first digit carries it (else the last)
        bool alwaysScan;   // quoting: the conversion itself may write the delimiter
        // The host forms only.
        SignPosition sign = SignPosition::Undeclared;  // host zoned
        bool binarySigned = false;
        bool bigEndian = true;  // binary
        std::int32_t scale = 0;
        bool numeric = false;  // zoned, packed or binary: written empty when cut short
        // The occurrence of its kind's varying table it lies in (VaryingLayout::kAll: none).
        std::uint32_t occurrence = VaryingLayout::kAll;
    };
    // One record kind: its own marked fields, and the nearest ancestor that has some. A line
    // walks up this chain, so the plan stays linear in the size of the record tree however
    // deep it is.
    struct KindPlan {
        std::size_t stepBegin = 0, stepEnd = 0;  // own marked fields
        std::uint32_t markedAncestor = 0;        // nearest ancestor with marked fields, or 0
        std::size_t maxLength = 0;               // of the line: own and ancestors' fields
        std::uint32_t markSpan = 0;              // the end of its last marked text or zoned field
        std::uint32_t numericEnd = 0;            // end of its last marked number
        std::uint32_t occurrences = 0;           // most occurrences of its varying table
        std::size_t markBegin = 0, markEnd = 0;  // its windows over a block's marks
        std::size_t lookedBegin = 0;             // its bits in lookedBits_
        bool anyAlwaysScan = false;              // some own field's conversion may need quotes
        // Its own fields and those of its ancestors are written as without options but for
        // the trimming of text (Op::TrimmedText), and none of their conversions makes bytes
        // that need quotes: a line whose records need none is written by writeChain<true>.
        bool trimOnlyChain = true;
    };
    using ByteRange = CsvLinePlanRange;
    // Sets up `plan`'s windows over the quote marks of `ranges`, its marked text and zoned
    // fields.
    void addMarkWindows(KindPlan& plan, std::vector<ByteRange>& ranges);

    // The steps of the plan, worked out once by the constructor.
    // Chooses who decodes UTF-8 output (decoder_, or trimDecoder_ for the caller), which may
    // make the plan unformatted again. True when fields are decoded as they are written.
    bool chooseDecoding(Utf8Decoding decoding);
    // One marked field of record kind `kind`: its step, the most it may write, whether its bytes
    // are text of the output (for quoting), and the memory its conversion needs.
    struct FieldPlan {
        Step step;
        std::size_t width = 0;
        bool rawText = true;
        std::size_t hostDigits = 0;  // for hostDigits_
        std::size_t scratch = 0;     // for scratch_
    };
    FieldPlan planField(const FieldDef& f, std::size_t kind);
    // Every kind's own steps, flags and quote windows; each kind's own part of a line at its
    // widest, by kind.
    std::vector<std::size_t> planSteps(const RecordDefTable& table, bool utf8);
    // Each kind's nearest marked ancestor and line length, from those of its parent; room for
    // the deepest chain.
    void settleKinds(const RecordDefTable& table, const std::vector<std::size_t>& ownLength);

    bool hasSteps(std::size_t r) const { return kinds_[r].stepBegin != kinds_[r].stepEnd; }
    // Fills chain_ with the marked generations of a line of `kind` that have a record, bottom
    // up, and returns how many there are.
    std::size_t markedChain(int kind, const unsigned char* const* data) const;

    // Writes the line of the `count` generations in chain_ (bottom up), every field as it is
    // written without options; `kTrim`: text trimmed as Op::TrimmedText says, and the parts of
    // ancestors kept and copied as writeFormatted does (`marks` as there; unused without).
    template <bool kTrim>
    char* writeChain(std::size_t count, const unsigned char* const* data, const RecordMark* marks,
                     char* out) const;
    char* writeTrimmedText(const Step& step, const unsigned char* field, char* out) const;

    // writeFormatted for one way of quoting, so that the walk over the fields does not ask. On a
    // cache line, as the other line writers (csv_line_plan.cpp).
    template <CsvQuoting kQuoting>
    [[gnu::aligned(64)]] char* writeFormattedAs(int kind, const unsigned char* const* data,
                                                const RecordMark* marks, char* out) const;
    // Whether the records of the `count` generations in chain_ let writeChain<true> write the
    // line as writeFormattedAs would: none may need quotes and none leaves numbers short.
    template <CsvQuoting kQuoting>
    bool writtenAsWithoutOptions(std::size_t count, const RecordMark* marks) const;
    // The delimiter as the writers of a line hold it: apart from the members, whose bytes the
    // stores into the line could alias.
    struct LineDelimiter {
        const char* bytes;
        std::size_t length;
        char one;  // its first byte
    };
    // Writes the delimiter at `out`; returns its end.
    static char* putDelimiter(char* out, const LineDelimiter& delimiter);
    // The fields of one generation's record (`plan`'s steps in `steps`) as writeFormattedAs
    // writes them, each followed by the delimiter.
    template <CsvQuoting kQuoting>
    char* writeFormattedLevel(const KindPlan& plan, const RecordMark& mark,
                              const unsigned char* record, const Step* steps,
                              const LineDelimiter& delimiter, char* out) const;
    using FormattedWriter = char* (CsvLinePlan::*)(int, const unsigned char* const*,
                                                   const RecordMark*, char*) const;
    FormattedWriter formattedWriter_ = nullptr;

    // The bytes of one field as the options say, at `out`; returns their end.
    char* writeValue(const Step& step, const unsigned char* field, char* out) const;
    // The host forms, on both paths.
    char* writeHostValue(const Step& step, const unsigned char* field, char* out) const;
    // The field's bytes as text of the input's page, in the output's encoding.
    char* writeFieldText(const Step& step, const unsigned char* field, char* out) const;
    // A zoned field's digits with the point before the decimal places.
    static char* copyWithPoint(const Step& step, const unsigned char* field, char* out);
    char* writeZoned(const Step& step, const unsigned char* field, char* out) const;
    // Encloses [begin, end) in double quotes when it holds a double quote, CR, LF or the
    // delimiter, doubling the quotes inside; returns the new end. REQUIRES: room for
    // 2 × (end - begin) + 2 bytes at begin.
    char* quoteIfNeeded(char* begin, char* end) const;
    // Doubles every double quote in [begin, end); returns the new end. REQUIRES: room for
    // 2 × (end - begin) bytes at begin.
    static char* doubleQuotes(char* begin, char* end);

    std::string delimiter_;
    CsvOutputOptions options_;
    bool formatted_ = false;
    const Cp932Decoder* decoder_ = nullptr;  // for UTF-8 output decoded by field
    const EbcdicDecoder* ebcdic_ = nullptr;  // for a file on an EBCDIC page
    TextTarget textTarget_ = TextTarget::Cp932;
    // For UTF-8 output decoded by the caller: the characters that trimming reads.
    const Cp932Decoder* trimDecoder_ = nullptr;
    // Quoting looks at every field: the delimiter is more than one byte, so decoding may make it.
    bool scanEveryField_ = false;
    mutable std::vector<char> scratch_;     // a zoned field before it is decoded
    mutable std::vector<char> hostDigits_;  // the digits of a host zoned or scaled packed field
    std::vector<Step> steps_;
    std::vector<KindPlan> kinds_;  // by record index; entry 0 unused
    // The generations of the line being written, bottom up: room for the deepest chain. Makes
    // the writers unfit for two threads at once, as the converter that calls them is.
    mutable std::vector<std::uint32_t> chain_;
    std::vector<std::vector<PackedFieldCheck>> packedChecks_;
    // Windows over the quote marks of a record, by kind from KindPlan::markBegin to markEnd:
    // kMarkWindowBits bits from the record's start + `start`, with a bit for each byte quoting
    // looks at. As many as one read of 8 bytes holds from any bit on.
    static constexpr std::uint32_t kMarkWindowBits = 57;
    struct MarkWindow {
        std::uint64_t bits;
        std::uint32_t start;
    };
    std::vector<MarkWindow> markWindows_;
    QuoteMarker marker_ = nullptr;
    // For the record check: by kind from KindPlan::lookedBegin, a bit for each byte up to its
    // markSpan that quoting looks at (bit i % 64 of word i / 64).
    std::vector<std::uint64_t> lookedBits_;
    RecordQuoteCheck quoteCheck_ = nullptr;
    // recordMayNeedQuotes of a record without the record check: its bytes marked as a block's.
    bool markedRecordMayNeedQuotes(int kind, const unsigned char* record) const;
    // The delimiter the marks are made for (a double quote again when it is longer than a byte,
    // which scanEveryField_ then covers).
    unsigned char markDelimiter_ = '"';
    // The marks of a record that is not in a marked block.
    mutable std::vector<std::uint64_t> recordMarks_;
    // By record kind: its part of the line as last written for an ancestor, and the serial of
    // the record it was written from.
    struct LevelCopy {
        std::uint64_t serial = 0;
        std::size_t length = 0;
        std::vector<char> bytes;
    };
    mutable std::vector<LevelCopy> levelCopies_;
    // Keeps [begin, end) as the part of record kind `r` written from the record `serial`.
    void keepLevel(std::uint32_t r, std::uint64_t serial, const char* begin, const char* end) const;
};

// True when the `size` bytes of a packed field hold a valid value: every digit nibble 0 to 9 and
// a sign nibble A to F.
bool packedFieldValid(const unsigned char* field, std::size_t size);

// The sign that a zoned digit's byte carries: the digit it stands for and whether it is
// negative. ASCII digits are positive; the ASCII overpunch '{', 'A'-'I' positive and '}',
// 'J'-'R' negative; 'p'-'y' negative; bytes that kept an EBCDIC zone (high nibble A, C, E or F
// positive; B or D negative) over a digit 0 to 9. `valid` is false for any other byte.
struct ZoneSign {
    char digit = 0;
    bool negative = false;
    bool valid = false;
};
ZoneSign zoneSign(unsigned char byte);

}  // namespace sorvek
