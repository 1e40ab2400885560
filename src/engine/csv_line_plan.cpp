#include "engine/csv_line_plan.h"

#include <algorithm>
#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/host_numbers.h"
#include "engine/packed_decimal.h"

namespace sorvek {
namespace {

// Copies a field. Fields are mostly short, where a call of memcpy with a size known only at
// run time costs more than the copy: two overlapping loads and stores cover 4 to 32 bytes.
inline void copyField(char* d, const unsigned char* s, std::size_t n) {
    if (n > 32) {
        std::memcpy(d, s, n);
    } else if (n >= 16) {
        char a[16], b[16];
        std::memcpy(a, s, 16);
        std::memcpy(b, s + n - 16, 16);
        std::memcpy(d, a, 16);
        std::memcpy(d + n - 16, b, 16);
    } else if (n >= 8) {
        std::uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n > 0) {
        d[0] = static_cast<char>(s[0]);
        d[n / 2] = static_cast<char>(s[n / 2]);
        d[n - 1] = static_cast<char>(s[n - 1]);
    }
}

// Zone signs by byte, worked out once.
struct ZoneSignTable {
    ZoneSign signs[256];
    constexpr ZoneSignTable() : signs{} {
        auto set = [this](int byte, int digit, bool negative) {
            signs[byte] = ZoneSign{static_cast<char>('0' + digit), negative, true};
        };
        for (int d = 0; d <= 9; ++d) {
            set('0' + d, d, false);
            set('p' + d, d, true);
            for (int zone : {0xA, 0xC, 0xE, 0xF}) set(zone << 4 | d, d, false);
            for (int zone : {0xB, 0xD}) set(zone << 4 | d, d, true);
        }
        set('{', 0, false);
        set('}', 0, true);
        for (int d = 1; d <= 9; ++d) {
            set('A' + d - 1, d, false);
            set('J' + d - 1, d, true);
        }
    }
};
inline constexpr ZoneSignTable kZoneSigns;

// Whether each byte is a valid pair of packed digits, and a valid last byte (digit and sign).
struct PackedValidity {
    bool digits[256];
    bool last[256];
    constexpr PackedValidity() : digits{}, last{} {
        for (int b = 0; b < 256; ++b) {
            digits[b] = (b >> 4) <= 9 && (b & 0x0F) <= 9;
            last[b] = (b >> 4) <= 9 && (b & 0x0F) >= 0x0A;
        }
    }
};
inline constexpr PackedValidity kPackedValidity;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Non-zero when some byte of `v` equals `c`.
inline std::uint64_t hasByte(std::uint64_t v, unsigned char c) {
    const std::uint64_t x = v ^ (kOnes * c);
    return (x - kOnes) & ~x & kHighs;
}

bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The end of [begin, end) without its trailing half-width and full-width blanks, in CP932.
char* trimCp932(char* begin, char* end) {
    bool ascii = true;
    for (const char* p = begin; p != end && ascii; ++p)
        ascii = static_cast<unsigned char>(*p) < 0x80;
    if (ascii) {
        while (end != begin && end[-1] == ' ') --end;
        return end;
    }
    // Read from the front: the byte before a full-width blank's 0x81 may be a lead byte.
    char* kept = begin;
    for (char* p = begin; p != end;) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == ' ') {
            ++p;
        } else if (isLeadByte(c) && end - p >= 2 && static_cast<unsigned char>(p[1]) >= 0x40) {
            // No byte below 0x40 ends a double-byte character: a blank after a stray lead
            // byte is a blank of its own, as the trimming of trailing ASCII blanks reads it.
            const bool blank = c == 0x81 && p[1] == 0x40;
            p += 2;
            if (!blank) kept = p;
        } else {
            kept = ++p;
        }
    }
    return kept;
}

// The same in UTF-8, where reading from the back is safe: U+3000 is E3 80 80.
char* trimUtf8(char* begin, char* end) {
    while (end != begin) {
        if (end[-1] == ' ') {
            --end;
        } else if (end - begin >= 3 && static_cast<unsigned char>(end[-3]) == 0xE3 &&
                   static_cast<unsigned char>(end[-2]) == 0x80 &&
                   static_cast<unsigned char>(end[-1]) == 0x80) {
            end -= 3;
        } else {
            break;
        }
    }
    return end;
}

#ifdef __SSE2__
// A bit for each of the 16 bytes at `p` that is no ASCII blank (`eight`: the first 8 only).
[[gnu::always_inline]] inline std::uint64_t otherThanBlanks(const unsigned char* p,
                                                            bool eight = false) {
    const __m128i v = eight ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))
                            : _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const unsigned blanks =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(' '))));
    return ~blanks & (eight ? 0xFFu : 0xFFFFu);
}
#endif

// `size` without the ASCII blanks at the end of the field.
[[gnu::always_inline]] inline std::size_t withoutTrailingSpaces(const unsigned char* field,
                                                                std::size_t size) {
#ifdef __SSE2__
    // Fields of 8 to 64 bytes, the usual text fields, without a branch on their bytes: a bit
    // for each byte that is no blank, from loads at both ends that overlap in the middle.
    if (size >= 8 && size <= 64) {
        std::uint64_t others;
        if (size < 16) {
            others = otherThanBlanks(field, true) | otherThanBlanks(field + size - 8, true)
                                                        << (size - 8);
        } else if (size <= 32) {
            others = otherThanBlanks(field) | otherThanBlanks(field + size - 16) << (size - 16);
        } else {
            const std::uint64_t head = otherThanBlanks(field) | otherThanBlanks(field + 16) << 16;
            const std::uint64_t tail =
                otherThanBlanks(field + size - 32) | otherThanBlanks(field + size - 16) << 16;
            others = head | tail << (size - 32);
        }
        return others == 0 ? 0 : static_cast<std::size_t>(64 - __builtin_clzll(others));
    }
#endif
    constexpr std::uint64_t kBlanks = 0x2020202020202020ull;
    while (size >= 8) {
        std::uint64_t v;
        std::memcpy(&v, field + size - 8, 8);
        // Read little-endian, the last byte is the highest: the blanks at the end are the
        // zero bytes at the top.
        const std::uint64_t other = v ^ kBlanks;
        if (other != 0) return size - static_cast<std::size_t>(__builtin_clzll(other) / 8);
        size -= 8;
    }
    while (size > 0 && field[size - 1] == ' ') --size;
    return size;
}

// Whether a marked field needs one of the host forms to be written.
bool needsHostForm(const FieldDef& f, bool ebcdic) {
    if (f.Check != -1) return false;
    if (ebcdic || f.Type == kTypeBinary || f.scale != 0) return true;
    return f.Type == kTypeZoned && f.sign != SignPosition::Undeclared;
}

bool anyHighByte(const unsigned char* p, std::size_t n) {
    unsigned char any = 0;
    for (std::size_t i = 0; i < n; ++i) any |= p[i];
    return (any & 0x80) != 0;
}

}  // namespace

ZoneSign zoneSign(unsigned char byte) {
    return kZoneSigns.signs[byte];
}

bool packedFieldValid(const unsigned char* field, std::size_t size) {
    bool valid = kPackedValidity.last[field[size - 1]];
    for (std::size_t i = 0; i + 1 < size; ++i) valid = valid && kPackedValidity.digits[field[i]];
    return valid;
}

CsvLinePlan::CsvLinePlan(const RecordDefTable& table, std::string_view delimiter,
                         const CsvOutputOptions& options, Utf8Decoding decoding)
    : delimiter_(delimiter),
      options_(options),
      formatted_(options.encoding != CsvEncoding::Cp932 || options.quoting != CsvQuoting::None ||
                 options.trimBlanks || options.zonedSign != ZonedSign::Off ||
                 options.invalidPacked != InvalidPacked::Keep),
      ebcdic_(table.entries.empty() || !isEbcdic(table[0].codePage)
                  ? nullptr
                  : &EbcdicDecoder::get(table[0].codePage)),
      textTarget_(options.encoding == CsvEncoding::Cp932 ? TextTarget::Cp932 : TextTarget::Utf8),
      kinds_(static_cast<std::size_t>(table.maxIndex()) + 1),
      packedChecks_(kinds_.size()),
      levelCopies_(kinds_.size()) {
    const bool utf8 = chooseDecoding(decoding);
    scanEveryField_ = delimiter_.size() > 1;
    marker_ = quoteMarker();
    quoteCheck_ = recordQuoteCheck();
    markDelimiter_ = static_cast<unsigned char>(delimiter_.size() == 1 ? delimiter_[0] : '"');
    for (std::size_t r = 1; r < kinds_.size() && !formatted_; ++r) {
        for (const FieldDef& f : table[r].Fields)
            formatted_ = formatted_ || needsHostForm(f, ebcdic_ != nullptr);
    }
    const std::vector<std::size_t> ownLength = planSteps(table, utf8);
    // Room for each kind's part once, so that copying it never allocates while converting.
    for (std::size_t r = 1; r < kinds_.size(); ++r) levelCopies_[r].bytes.resize(ownLength[r]);
    settleKinds(table, ownLength);
    switch (options.quoting) {
        case CsvQuoting::None:
            formattedWriter_ = &CsvLinePlan::writeFormattedAs<CsvQuoting::None>;
            break;
        case CsvQuoting::Minimal:
            formattedWriter_ = &CsvLinePlan::writeFormattedAs<CsvQuoting::Minimal>;
            break;
        case CsvQuoting::All:
            formattedWriter_ = &CsvLinePlan::writeFormattedAs<CsvQuoting::All>;
            break;
    }
}

bool CsvLinePlan::chooseDecoding(Utf8Decoding decoding) {
    if (options_.encoding == CsvEncoding::Cp932) return false;
    const Cp932Decoder& decoder = Cp932Decoder::get();
    auto standsAlone = [&decoder](char c) {
        return decoder.standsAlone(static_cast<unsigned char>(c));
    };
    // EBCDIC text is decoded straight to UTF-8: CP932 lacks some of its characters.
    if (decoding == Utf8Decoding::ByCaller && ebcdic_ == nullptr && delimiter_.size() == 1 &&
        standsAlone(delimiter_[0]) && standsAlone('"') && standsAlone('\r') && standsAlone('\n') &&
        standsAlone(' ')) {
        // The lines stay CP932 (as wide as they are there) until the caller decodes them:
        // without other options they are the lines written without any.
        trimDecoder_ = &decoder;
        formatted_ = options_.quoting != CsvQuoting::None || options_.trimBlanks ||
                     options_.zonedSign != ZonedSign::Off ||
                     options_.invalidPacked != InvalidPacked::Keep;
        return false;
    }
    decoder_ = &decoder;
    return true;
}

CsvLinePlan::FieldPlan CsvLinePlan::planField(const FieldDef& f, std::size_t kind) {
    const bool oneByteDelimiter = delimiter_.size() == 1;
    const char d = oneByteDelimiter ? delimiter_[0] : '"';
    const bool zonedDigitsOnly = oneByteDelimiter && std::strchr("-.0123456789", d);
    FieldPlan field{Step{static_cast<std::uint32_t>(f.Pos - 1), static_cast<std::uint32_t>(f.Size),
                         f.Dec, Op::Copy, false, false, false, SignPosition::Undeclared, false,
                         true, f.scale}};
    Step& step = field.step;
    field.width = step.size;
    if (f.Type == kTypeBinary) {
        step.op = Op::Binary;
        step.binarySigned = f.signedBinary;
        step.bigEndian = f.byteOrder == ByteOrder::Big || ebcdic_ != nullptr ||
                         std::endian::native == std::endian::big;
        field.width = decimalWidth(binaryDigits(step.size), f.Dec, f.scale);
        step.alwaysScan = zonedDigitsOnly;
        field.rawText = false;
    } else if (f.Type == kTypePacked && f.scale != 0) {
        step.op = Op::ScaledPacked;
        field.width = decimalWidth(2 * step.size, f.Dec, f.scale);
        field.hostDigits = 2 * step.size;
        packedChecks_[kind].push_back({step.offset, step.size, f.Name});
        step.alwaysScan = zonedDigitsOnly;
        field.rawText = false;
    } else if (f.Type == kTypeZoned && needsHostForm(f, ebcdic_ != nullptr)) {
        step.op = Op::HostZoned;
        step.sign = ebcdic_ != nullptr ? effectiveSign(f.sign) : f.sign;
        if (ebcdic_ == nullptr && f.sign == SignPosition::Undeclared &&
            options_.zonedSign != ZonedSign::Off) {
            step.sign = options_.zonedSign == ZonedSign::Leading || f.leadingSign
                            ? SignPosition::Leading
                            : SignPosition::Trailing;
        }
        // A field that holds no number is shown as its text.
        field.hostDigits = step.size;
        field.width = std::max(decimalWidth(step.size, f.Dec, f.scale),
                               EbcdicDecoder::kMaxGrowth * step.size + EbcdicDecoder::kSlack);
        step.alwaysScan = ebcdic_ != nullptr || zonedDigitsOnly;
        field.rawText = ebcdic_ == nullptr;
    } else if (ebcdic_ != nullptr && f.Type != kTypePacked) {
        step.op = f.Type == kTypeDoubleByte ? Op::EbcdicDoubleByte : Op::EbcdicText;
        field.width = EbcdicDecoder::kMaxGrowth * step.size + EbcdicDecoder::kSlack;
        step.alwaysScan = true;
        field.rawText = false;
    } else if (f.Type == "P") {
        step.op = options_.invalidPacked == InvalidPacked::Empty ? Op::PackedOrEmpty : Op::Packed;
        field.width = packedWidth(step.size, f.Dec);
        packedChecks_[kind].push_back({step.offset, step.size, f.Name});
        step.alwaysScan = oneByteDelimiter && std::strchr(" -.0123456789:;<=>?", d) != nullptr;
    } else if (f.Type == "9") {
        step.decodeSign = options_.zonedSign != ZonedSign::Off;
        step.leadingSign = options_.zonedSign == ZonedSign::Leading ||
                           (options_.zonedSign == ZonedSign::Trailing && f.leadingSign);
        step.op = decoder_ != nullptr ? Op::DecodedZoned
                  : step.decodeSign   ? Op::SignedZoned
                  : f.Dec != 0        ? Op::CopyWithPoint
                                      : Op::Copy;
        field.width = step.size + (f.Dec != 0 ? 1 : 0);
        if (step.decodeSign) ++field.width;  // the "-"
        step.alwaysScan = oneByteDelimiter && std::strchr("-.0123456789", d) != nullptr;
        field.scratch = field.width;
    } else if (decoder_ != nullptr) {
        step.op = options_.trimBlanks ? Op::DecodedTrimmedText : Op::DecodedText;
    } else if (options_.trimBlanks) {
        step.op = Op::TrimmedText;
    }
    step.numeric = f.Type == "9" || f.Type == "P" || f.Type == kTypeBinary;
    return field;
}

std::vector<std::size_t> CsvLinePlan::planSteps(const RecordDefTable& table, bool utf8) {
    // The widest a field can become: every byte decoded to three, a sign, every byte a quote
    // to double and the two enclosing quotes.
    auto formattedWidth = [&](std::size_t width) {
        if (utf8) width *= Cp932Decoder::kMaxGrowth;
        if (options_.quoting != CsvQuoting::None) width = 2 * width + 2;
        return width;
    };
    std::size_t scratch = 0;
    std::size_t hostDigits = 0;
    std::vector<ByteRange> ranges;
    std::vector<std::size_t> ownLength(kinds_.size(), 0);
    for (std::size_t r = 1; r < kinds_.size(); ++r) {
        KindPlan& plan = kinds_[r];
        plan.stepBegin = steps_.size();
        ranges.clear();
        const VaryingLayout layout(table[r], ebcdic_ != nullptr);
        plan.occurrences = layout.used() ? layout.max() : 0;
        for (const FieldDef& f : table[r].Fields) {
            if (f.Check != -1) continue;
            FieldPlan field = planField(f, r);
            field.step.occurrence = layout.occurrenceAt(field.step.offset);
            const Step& step = field.step;
            scratch = std::max(scratch, field.scratch);
            hostDigits = std::max(hostDigits, field.hostDigits);
            plan.anyAlwaysScan = plan.anyAlwaysScan || step.alwaysScan;
            plan.trimOnlyChain = plan.trimOnlyChain && !step.alwaysScan &&
                                 (step.op == Op::Copy || step.op == Op::CopyWithPoint ||
                                  step.op == Op::Packed || step.op == Op::TrimmedText);
            if (step.numeric) plan.numericEnd = std::max(plan.numericEnd, step.offset + step.size);
            steps_.push_back(step);
            ownLength[r] +=
                (formatted_ ? formattedWidth(field.width) : field.width) + delimiter_.size();
            if (f.Type != "P" && field.rawText) {
                ranges.push_back({step.offset, step.offset + step.size});
            }
        }
        plan.stepEnd = steps_.size();
        addMarkWindows(plan, ranges);
    }
    if (utf8) scratch_.resize(scratch + Cp932Decoder::kSlack);
    hostDigits_.resize(hostDigits);
    return ownLength;
}

void CsvLinePlan::settleKinds(const RecordDefTable& table,
                              const std::vector<std::size_t>& ownLength) {
    // Every record is settled once, parents before their children. The definition check
    // guarantees that every parent chain ends.
    std::vector<bool> settled(kinds_.size(), false);
    std::vector<std::size_t> pending;
    std::size_t deepest = 0;  // marked generations of the longest line
    std::vector<std::size_t> markedDepth(kinds_.size(), 0);
    for (std::size_t k = 1; k < kinds_.size(); ++k) {
        for (std::size_t r = k; r != 0 && !settled[r];
             r = static_cast<std::size_t>(table[r].Parent)) {
            pending.push_back(r);
        }
        while (!pending.empty()) {
            const std::size_t r = pending.back();
            pending.pop_back();
            const std::size_t parent = static_cast<std::size_t>(table[r].Parent);
            KindPlan& plan = kinds_[r];
            std::size_t depth = 0;
            if (parent != 0) {
                plan.markedAncestor = hasSteps(parent) ? static_cast<std::uint32_t>(parent)
                                                       : kinds_[parent].markedAncestor;
                plan.maxLength = kinds_[parent].maxLength;
                plan.trimOnlyChain = plan.trimOnlyChain && kinds_[parent].trimOnlyChain;
                depth = markedDepth[parent];
            } else if (formatted_) {
                // The decoder may write a few bytes beyond what it keeps.
                plan.maxLength = Cp932Decoder::kSlack;
            }
            plan.maxLength += ownLength[r];
            markedDepth[r] = depth + (hasSteps(r) ? 1 : 0);
            deepest = std::max(deepest, markedDepth[r]);
            settled[r] = true;
        }
    }
    chain_.resize(deepest);
}

std::size_t CsvLinePlan::markedChain(int kind, const unsigned char* const* data) const {
    std::size_t count = 0;
    const std::size_t bottom = static_cast<std::size_t>(kind);
    for (std::uint32_t r = hasSteps(bottom) ? static_cast<std::uint32_t>(bottom)
                                            : kinds_[bottom].markedAncestor;
         r != 0 && data[r] != nullptr; r = kinds_[r].markedAncestor) {
        chain_[count++] = r;
    }
    return count;
}

// The line writers start on a cache line (writeFormattedAs by its declaration): their loops then
// sit alike whatever code comes before them, which otherwise moved them by 16 bytes and cost a
// tenth of their speed.
[[gnu::aligned(64)]] char* CsvLinePlan::write(int kind, const unsigned char* const* data,
                                              char* out) const {
    return writeChain<false>(markedChain(kind, data), data, nullptr, out);
}

[[gnu::aligned(64)]] char* CsvLinePlan::writeTrimmed(int kind, const unsigned char* const* data,
                                                     const RecordMark* marks, char* out) const {
    return writeChain<true>(markedChain(kind, data), data, marks, out);
}

template <bool kTrim>
[[gnu::always_inline]] inline char* CsvLinePlan::writeChain(std::size_t count,
                                                            const unsigned char* const* data,
                                                            const RecordMark* marks,
                                                            char* out) const {
    const std::size_t delimiterLength = delimiter_.size();
    char* o = out;
    while (count > 0) {
        const std::uint32_t r = chain_[--count];
        const unsigned char* record = data[r];
        // With options, an ancestor's part is copied as writeFormatted wrote or keeps it.
        char* const levelStart = o;
        const bool ancestor = kTrim && count > 0 && marks[r].serial != 0;
        if (ancestor && levelCopies_[r].serial == marks[r].serial) {
            const LevelCopy& copy = levelCopies_[r];
            std::memcpy(o, copy.bytes.data(), copy.length);
            o += copy.length;
            continue;
        }
        for (std::size_t s = kinds_[r].stepBegin; s < kinds_[r].stepEnd; ++s) {
            const Step& step = steps_[s];
            const unsigned char* field = record + step.offset;
            // Without options there are only these three; with trimming, the fourth.
            switch (step.op) {
                case Op::Copy:
                    copyField(o, field, step.size);
                    o += step.size;
                    break;
                case Op::CopyWithPoint:
                    o = copyWithPoint(step, field, o);
                    break;
                case Op::TrimmedText:
                    if constexpr (kTrim) {
                        o = writeTrimmedText(step, field, o);
                        break;
                    }
                    [[fallthrough]];
                default:
                    o = writePacked(field, step.size, step.dec, o);
                    break;
            }
            // A delimiter after every field; the last one is taken back below.
            if (delimiterLength == 1) {
                *o = delimiter_[0];
            } else {
                copyField(o, reinterpret_cast<const unsigned char*>(delimiter_.data()),
                          delimiterLength);
            }
            o += delimiterLength;
        }
        if (ancestor) keepLevel(r, marks[r].serial, levelStart, o);
    }
    if (o != out) o -= delimiterLength;
    return o;
}

void CsvLinePlan::keepLevel(std::uint32_t r, std::uint64_t serial, const char* begin,
                            const char* end) const {
    LevelCopy& copy = levelCopies_[r];
    copy.length = static_cast<std::size_t>(end - begin);
    if (copy.bytes.size() < copy.length) copy.bytes.resize(copy.length);
    std::memcpy(copy.bytes.data(), begin, copy.length);
    copy.serial = serial;
}

[[gnu::always_inline]] inline char* CsvLinePlan::writeTrimmedText(const Step& step,
                                                                  const unsigned char* field,
                                                                  char* o) const {
    // The whole field is copied, a copy of the same width every time; the blanks cut after it
    // are overwritten by what follows. Trailing ASCII blanks go first: no byte below 0x40
    // ends a double-byte character, so they are whole characters.
    copyField(o, field, step.size);
    const std::size_t size = withoutTrailingSpaces(field, step.size);
    // A full-width blank may still end it.
    if (size >= 2 && field[size - 2] == 0x81 && field[size - 1] == 0x40) [[unlikely]] {
        // Read as the decoder will read them, where it will.
        if (trimDecoder_ != nullptr) return o + trimDecoder_->withoutTrailingBlanks(field, size);
        return trimCp932(o, o + size);
    }
    return o + size;
}

// Inlined into writeFormatted: a call per field costs more than most fields take.
[[gnu::always_inline]] inline char* CsvLinePlan::writeValue(const Step& step,
                                                            const unsigned char* field,
                                                            char* o) const {
    switch (step.op) {
        case Op::Copy:
            copyField(o, field, step.size);
            return o + step.size;
        case Op::CopyWithPoint:
            return copyWithPoint(step, field, o);
        case Op::Packed:
            return writePacked(field, step.size, step.dec, o);
        case Op::TrimmedText:
            return writeTrimmedText(step, field, o);
        case Op::SignedZoned:
            return writeZoned(step, field, o);
        case Op::PackedOrEmpty:
            if (!packedFieldValid(field, step.size)) return o;
            return writePacked(field, step.size, step.dec, o);
        case Op::DecodedText:
            return decoder_->decode(field, step.size, o);
        case Op::DecodedTrimmedText: {
            char* end = decoder_->decode(field, withoutTrailingSpaces(field, step.size), o);
            return trimUtf8(o, end);
        }
        case Op::DecodedZoned:
            if (anyHighByte(field, step.size)) {
                // Bytes beyond ASCII (a zone that is no sign, stray text) are decoded too.
                char* end = writeZoned(step, field, scratch_.data());
                return decoder_->decode(reinterpret_cast<const unsigned char*>(scratch_.data()),
                                        static_cast<std::size_t>(end - scratch_.data()), o);
            }
            return writeZoned(step, field, o);
        // The common host fields, inlined as the others are.
        case Op::EbcdicText:
            return ebcdic_->decodeText(field, step.size, textTarget_, options_.trimBlanks, o);
        case Op::HostZoned:
            if (ebcdic_ != nullptr && step.sign == SignPosition::Trailing) {
                if (char* end =
                        writeEbcdicZonedTrailing(field, step.size, step.dec, step.scale, o)) {
                    return end;
                }
            }
            return writeHostValue(step, field, o);
        default:
            return writeHostValue(step, field, o);
    }
    return o;
}

char* CsvLinePlan::writeFieldText(const Step& step, const unsigned char* field, char* o) const {
    const bool trim = options_.trimBlanks;
    if (ebcdic_ != nullptr) return ebcdic_->decodeText(field, step.size, textTarget_, trim, o);
    std::size_t size = trim ? withoutTrailingSpaces(field, step.size) : step.size;
    if (decoder_ != nullptr) {
        char* end = decoder_->decode(field, size, o);
        return trim ? trimUtf8(o, end) : end;
    }
    copyField(o, field, size);
    return trim ? trimCp932(o, o + size) : o + size;
}

char* CsvLinePlan::writeHostValue(const Step& step, const unsigned char* field, char* o) const {
    switch (step.op) {
        case Op::EbcdicText:
            return writeFieldText(step, field, o);
        case Op::EbcdicDoubleByte:
            return ebcdic_->decodeDoubleByte(field, step.size, textTarget_, options_.trimBlanks, o);
        case Op::HostZoned: {
            if (ebcdic_ != nullptr && step.sign == SignPosition::Trailing) {
                if (char* end =
                        writeEbcdicZonedTrailing(field, step.size, step.dec, step.scale, o)) {
                    return end;
                }
            }
            bool negative = false;
            const std::ptrdiff_t n = zonedDigits(field, step.size, step.sign, ebcdic_ != nullptr,
                                                 hostDigits_.data(), negative);
            if (n < 0) return writeFieldText(step, field, o);
            return writeDecimal(negative, hostDigits_.data(), static_cast<std::size_t>(n), step.dec,
                                step.scale, o);
        }
        case Op::Binary:
            return writeBinary(field, step.size, step.binarySigned, step.bigEndian, step.dec,
                               step.scale, o);
        case Op::ScaledPacked: {
            if (options_.invalidPacked == InvalidPacked::Empty &&
                !packedFieldValid(field, step.size)) {
                return o;
            }
            std::size_t n = 0;
            for (std::size_t i = 0; i < step.size; ++i) {
                hostDigits_.data()[n++] = static_cast<char>((field[i] >> 4) | 0x30);
                if (i + 1 < step.size)
                    hostDigits_.data()[n++] = static_cast<char>((field[i] & 0x0F) | 0x30);
            }
            const bool negative = (field[step.size - 1] & 0x0F) == 0x0D;
            return writeDecimal(negative, hostDigits_.data(), n, step.dec, step.scale, o);
        }
        default:
            return o;
    }
}

[[gnu::always_inline]] inline char* CsvLinePlan::copyWithPoint(const Step& step,
                                                               const unsigned char* field,
                                                               char* o) {
    const std::size_t whole = step.size - static_cast<std::uint32_t>(step.dec);
    copyField(o, field, whole);
    o[whole] = '.';
    copyField(o + whole + 1, field + whole, static_cast<std::size_t>(step.dec));
    return o + step.size + 1;
}

[[gnu::always_inline]] inline char* CsvLinePlan::writeZoned(const Step& step,
                                                            const unsigned char* field,
                                                            char* o) const {
    ZoneSign sign;
    if (step.decodeSign) sign = zoneSign(field[step.leadingSign ? 0 : step.size - 1]);
    if (sign.valid && sign.negative) *o++ = '-';
    char* const digits = o;
    if (step.dec == 0) {
        copyField(o, field, step.size);
        o += step.size;
    } else {
        o = copyWithPoint(step, field, o);
    }
    if (sign.valid) {
        // The first digit follows the point when every digit is a decimal place.
        const bool pointFirst = static_cast<std::uint32_t>(step.dec) == step.size;
        char* at = step.leadingSign ? digits + (pointFirst ? 1 : 0) : o - 1;
        *at = sign.digit;
    }
    return o;
}

template <CsvQuoting kQuoting>
[[gnu::always_inline]] inline bool CsvLinePlan::writtenAsWithoutOptions(
    std::size_t count, const RecordMark* marks) const {
    bool asWithout = true;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t r = chain_[i];
        asWithout = asWithout && marks[r].length >= kinds_[r].numericEnd &&
                    marks[r].present >= kinds_[r].occurrences &&
                    (kQuoting == CsvQuoting::None || !marks[r].mayNeedQuotes);
    }
    return asWithout;
}

[[gnu::always_inline]] inline char* CsvLinePlan::putDelimiter(char* o,
                                                              const LineDelimiter& delimiter) {
    if (delimiter.length == 1) {
        *o = delimiter.one;
    } else {
        copyField(o, reinterpret_cast<const unsigned char*>(delimiter.bytes), delimiter.length);
    }
    return o + delimiter.length;
}

template <CsvQuoting kQuoting>
[[gnu::always_inline]] inline char* CsvLinePlan::writeFormattedLevel(
    const KindPlan& plan, const RecordMark& mark, const unsigned char* record, const Step* steps,
    const LineDelimiter& delimiter, char* o) const {
    constexpr CsvQuoting quoting = kQuoting;
    const bool recordScan = quoting != CsvQuoting::None && (scanEveryField_ || mark.mayNeedQuotes);
    const Step* const stepEnd = steps + plan.stepEnd;
    // A record cut short: its numbers that reach into the blanks after it are empty; so is
    // every field of the occurrences of its table it lacks.
    const std::uint32_t read = mark.length;
    const std::uint32_t present = mark.present;
    const bool cut = read < plan.numericEnd || present < plan.occurrences;
    auto value = [&](const Step& step, char* at) {
        if (cut && ((step.numeric && step.offset + step.size > read) ||
                    (step.occurrence != VaryingLayout::kAll && step.occurrence >= present)))
            [[unlikely]] {
            return at;
        }
        return writeValue(step, record + step.offset, at);
    };
    if (quoting == CsvQuoting::Minimal && !recordScan && !plan.anyAlwaysScan && !cut) {
        // Most records: nothing in them can need quotes.
        for (const Step* step = steps + plan.stepBegin; step != stepEnd; ++step) {
            o = putDelimiter(writeValue(*step, record + step->offset, o), delimiter);
        }
        return o;
    }
    for (const Step* step = steps + plan.stepBegin; step != stepEnd; ++step) {
        if constexpr (quoting == CsvQuoting::All) {
            // Written after the opening quote; only a double quote in the record can need more
            // than the enclosing pair.
            *o = '"';
            char* end = value(*step, o + 1);
            if (recordScan || (step->alwaysScan && step->op >= Op::EbcdicText)) {
                end = doubleQuotes(o + 1, end);
            }
            *end = '"';
            o = end + 1;
        } else {
            char* end = value(*step, o);
            if (recordScan || (quoting != CsvQuoting::None && step->alwaysScan)) {
                end = quoteIfNeeded(o, end);
            }
            o = end;
        }
        o = putDelimiter(o, delimiter);
    }
    return o;
}

template <CsvQuoting kQuoting>
char* CsvLinePlan::writeFormattedAs(int kind, const unsigned char* const* data,
                                    const RecordMark* marks, char* out) const {
    std::size_t count = markedChain(kind, data);
    if constexpr (kQuoting != CsvQuoting::All) {
        // Most lines: records that need no quotes, no numbers cut short, fields that only
        // trimming changes.
        if (trimsOnly(kind) && writtenAsWithoutOptions<kQuoting>(count, marks)) {
            return writeChain<true>(count, data, marks, out);
        }
    }
    // Held in locals: the stores into the line could alias the members' bytes.
    const LineDelimiter delimiter{delimiter_.data(), delimiter_.size(),
                                  delimiter_.empty() ? '\0' : delimiter_[0]};
    const Step* const steps = steps_.data();
    char* o = out;
    while (count > 0) {
        const std::uint32_t r = chain_[--count];
        const RecordMark& mark = marks[r];
        // An ancestor's part stays the same for every line until its next record.
        const bool ancestor = count > 0;
        LevelCopy& copy = levelCopies_[r];
        if (ancestor && mark.serial != 0 && copy.serial == mark.serial) {
            std::memcpy(o, copy.bytes.data(), copy.length);
            o += copy.length;
            continue;
        }
        char* const levelStart = o;
        o = writeFormattedLevel<kQuoting>(kinds_[r], mark, data[r], steps, delimiter, o);
        if (ancestor && mark.serial != 0) keepLevel(r, mark.serial, levelStart, o);
    }
    if (o != out) o -= delimiter.length;
    return o;
}

namespace {

// Windows of `width` bytes over `ranges` (sorted by their start), each with a bit for each byte it
// looks at: a window starts at the first byte that no earlier one looked at. The bytes are taken
// in order, each once: a field inside an earlier one adds nothing.
template <class Window>
void addWindows(const std::vector<CsvLinePlanRange>& ranges, std::uint32_t width,
                std::vector<Window>& windows) {
    const std::size_t first = windows.size();
    std::uint32_t next = 0;  // the first byte not yet taken
    for (const CsvLinePlanRange& range : ranges) {
        for (std::uint32_t at = std::max(range.begin, next); at < range.end; ++at) {
            if (windows.size() == first || at >= windows.back().start + width) {
                Window window{};
                window.start = at;
                windows.push_back(window);
            }
            windows.back().bits |= std::uint64_t{1} << (at - windows.back().start);
        }
        next = std::max(next, range.end);
    }
}

}  // namespace

void CsvLinePlan::addMarkWindows(KindPlan& plan, std::vector<ByteRange>& ranges) {
    // Fields may overlap and come in any order.
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    for (const ByteRange& range : ranges) plan.markSpan = std::max(plan.markSpan, range.end);
    plan.markBegin = markWindows_.size();
    addWindows(ranges, kMarkWindowBits, markWindows_);
    plan.markEnd = markWindows_.size();
    plan.lookedBegin = lookedBits_.size();
    lookedBits_.resize(lookedBits_.size() + (plan.markSpan + 63) / 64);
    for (const ByteRange& range : ranges) {
        for (std::uint32_t at = range.begin; at < range.end; ++at) {
            lookedBits_[plan.lookedBegin + at / 64] |= std::uint64_t{1} << (at % 64);
        }
    }
}

bool CsvLinePlan::markedRecordMayNeedQuotes(int kind, const unsigned char* record) const {
    const std::size_t span = kinds_[static_cast<std::size_t>(kind)].markSpan;
    // A word more than the bytes need: the windows read one word past their bits.
    recordMarks_.assign(span / 64 + 2, 0);
    markQuoteBytes(record, span, recordMarks_.data());
    return recordMayNeedQuotes(kind, recordMarks_.data(), 0);
}

char* CsvLinePlan::quoteIfNeeded(char* begin, char* end) const {
    std::size_t quotes = 0;
    bool special = false;
    const std::size_t n = static_cast<std::size_t>(end - begin);
    const bool oneByteDelimiter = delimiter_.size() == 1;
    const unsigned char d = static_cast<unsigned char>(oneByteDelimiter ? delimiter_[0] : '\r');
    std::size_t i = 0;
    // Eight bytes at a time while nothing is found, which is the common case.
    for (; i + 8 <= n; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, begin + i, 8);
        if ((hasByte(v, '"') | hasByte(v, '\r') | hasByte(v, '\n') | hasByte(v, d)) != 0) break;
    }
    for (; i < n; ++i) {
        const char c = begin[i];
        if (c == '"') {
            ++quotes;
        } else if (c == '\r' || c == '\n' || static_cast<unsigned char>(c) == d) {
            special = true;
        }
    }
    if (!special && !oneByteDelimiter && !delimiter_.empty()) {
        special = std::string_view(begin, n).find(delimiter_) != std::string_view::npos;
    }
    if (!special && quotes == 0) return end;
    // Moved from the back, so that no byte is overwritten before it is read.
    char* const newEnd = end + quotes + 2;
    char* w = newEnd;
    *--w = '"';
    for (char* r = end; r != begin;) {
        --r;
        *--w = *r;
        if (*r == '"') *--w = '"';
    }
    *--w = '"';
    return newEnd;
}

char* CsvLinePlan::doubleQuotes(char* begin, char* end) {
    const std::size_t quotes = static_cast<std::size_t>(std::count(begin, end, '"'));
    if (quotes == 0) return end;
    char* const newEnd = end + quotes;
    char* w = newEnd;
    for (char* r = end; r != begin;) {
        --r;
        *--w = *r;
        if (*r == '"') *--w = '"';
    }
    return newEnd;
}

}  // namespace sorvek
