#include "platform/ebcdic_decoder.h"

#include <algorithm>
#include <cstring>

#include "platform/code_page_tables.h"
#include "platform/page_encoder.h"

namespace sorvek {
namespace {

constexpr std::uint64_t kEightBlanks = 0x4040404040404040ull;

// Whether the eight bytes at `p` are all the blank 40.
inline bool eightBlanks(const unsigned char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v == kEightBlanks;
}

constexpr std::uint32_t kUtf8Replacement = 0xBDBFEFu | 3u << 24;  // U+FFFD
constexpr std::uint32_t kCp932Replacement = '?' | 1u << 24;

std::uint32_t entryOf(const std::string& bytes) {
    std::uint32_t e = 0;
    std::memcpy(&e, bytes.data(), bytes.size());
    return e | static_cast<std::uint32_t>(bytes.size()) << 24;
}

// The entry of a character's UTF-8 bytes, or of its Shift-JIS bytes; `fallback` when there are
// none or more than three.
std::uint32_t entryOrFallback(const std::string& bytes, std::uint32_t fallback) {
    return bytes.empty() || bytes.size() > 3 ? fallback : entryOf(bytes);
}

// Blanks and NUL, which trimming leaves out: " ", U+3000 (E3 80 80 in UTF-8, 81 40 in CP932).
bool isBlankText(const std::string& utf8) {
    return utf8 == " " || utf8 == std::string(1, '\0') || utf8 == "\xE3\x80\x80";
}

// A byte's class by the UTF-8 text it decodes to.
EbcdicDecoder::ByteClass classOfText(const std::string& utf8) {
    using ByteClass = EbcdicDecoder::ByteClass;
    if (utf8.empty()) return ByteClass::NoCharacter;
    const auto first = static_cast<unsigned char>(utf8[0]);
    if (utf8.size() == 1 && (first < 0x20 || first == 0x7F)) return ByteClass::Control;
    // U+0080 to U+009F: C2 80 to C2 9F.
    if (utf8.size() == 2 && first == 0xC2 && static_cast<unsigned char>(utf8[1]) < 0xA0) {
        return ByteClass::Control;
    }
    return ByteClass::Text;
}

}  // namespace

std::optional<InputCodePage> parseInputCodePage(std::string_view name) {
    for (const InputCodePageName& n : kInputCodePageNames) {
        if (n.name.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            char c = name[i];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            same = c == n.name[i];
        }
        if (same) return n.value;
    }
    return std::nullopt;
}

std::string_view inputCodePageName(InputCodePage page) {
    for (const InputCodePageName& n : kInputCodePageNames) {
        if (n.value == page) return n.name;
    }
    return kInputCodePageNames[0].name;
}

const char* inputCodePageIconvName(InputCodePage page) {
    // The names are string literals: their views end before a NUL.
    return inputCodePageName(page).data();
}

std::string inputCodePageNameList() {
    std::string list;
    for (const InputCodePageName& n : kInputCodePageNames) {
        if (!list.empty()) list += '|';
        list += n.name;
    }
    return list;
}

const EbcdicDecoder& EbcdicDecoder::get(InputCodePage page) {
    switch (page) {
        case InputCodePage::Ibm930: {
            static const EbcdicDecoder decoder(InputCodePage::Ibm930);
            return decoder;
        }
        case InputCodePage::Ibm939: {
            static const EbcdicDecoder decoder(InputCodePage::Ibm939);
            return decoder;
        }
        case InputCodePage::Ibm1047: {
            static const EbcdicDecoder decoder(InputCodePage::Ibm1047);
            return decoder;
        }
        case InputCodePage::Ibm037:
        case InputCodePage::Cp932:
            break;
    }
    static const EbcdicDecoder decoder(InputCodePage::Ibm037);
    return decoder;
}

EbcdicDecoder::EbcdicDecoder(InputCodePage page)
    : tables_(&code_tables::pageTables(page)), doubleByte_(hasShiftedDoubleByte(page)) {
    for (int b = 0; b < 256; ++b) {
        const std::uint32_t cp = code_tables::decodeSingle(*tables_, static_cast<unsigned char>(b));
        const std::string utf8 = code_tables::utf8Of(cp);
        const std::string cp932 = code_tables::cp932Of(cp);
        const std::uint32_t blank = isBlankText(utf8) ? kBlankBit : 0;
        singleUtf8_[b] = entryOrFallback(utf8, kUtf8Replacement) | blank;
        singleCp932_[b] = entryOrFallback(cp932, kCp932Replacement) | blank;
        const bool oneByte = ((singleCp932_[b] >> 24) & 3) == 1;
        OneByteTable& cp932Table = oneByte_[static_cast<int>(TextTarget::Cp932)];
        cp932Table.bytes[b] = static_cast<unsigned char>(singleCp932_[b] & 0xFF);
        cp932Table.special[b] = oneByte ? 0 : 1;
        OneByteTable& utf8Table = oneByte_[static_cast<int>(TextTarget::Utf8)];
        utf8Table.bytes[b] = static_cast<unsigned char>(singleUtf8_[b] & 0xFF);
        utf8Table.special[b] = ((singleUtf8_[b] >> 24) & 3) == 1 ? 0 : 1;
        classes_[b] = classOfText(utf8);
    }
    const std::uint32_t space = ' ' | 1u << 24 | kBlankBit;
    blankIsSpace_ = singleUtf8_[kBlank] == space && singleCp932_[kBlank] == space;
    if (!doubleByte_) return;
    for (OneByteTable& table : oneByte_) table.special[kShiftOut] = table.special[kShiftIn] = 1;
    classes_[kShiftOut] = ByteClass::ShiftOut;
    classes_[kShiftIn] = ByteClass::ShiftIn;
    pairUtf8_.assign(256 * 256, kUtf8Replacement);
    pairCp932_.assign(256 * 256, kCp932Replacement);
    // Double-byte characters have both bytes in 41-FE, and the blank is 40 40; every other
    // pair stays no character.
    for (const code_tables::DecodeRun& run : tables_->pairs) {
        for (unsigned i = 0; i < run.count; ++i) {
            const unsigned code = run.code + i;
            const unsigned first = code >> 8, second = code & 0xFF;
            if (first < 0x40 || first > 0xFE || second < 0x40 || second > 0xFE) continue;
            if ((first == 0x40) != (second == 0x40)) continue;
            const std::string utf8 = code_tables::utf8Of(run.codePoint + i);
            const std::string cp932 = code_tables::cp932Of(run.codePoint + i);
            const std::uint32_t blank = isBlankText(utf8) ? kBlankBit : 0;
            pairUtf8_[code] = entryOrFallback(utf8, kUtf8Replacement) | blank;
            pairCp932_[code] = entryOrFallback(cp932, kCp932Replacement) | blank;
        }
    }
}

bool EbcdicDecoder::pairIsCharacter(unsigned char first, unsigned char second) const {
    if (!doubleByte_) return false;
    return (pairUtf8_[static_cast<std::size_t>(first) << 8 | second] & ~kBlankBit) !=
           kUtf8Replacement;
}

char* EbcdicDecoder::decodeText(const unsigned char* in, std::size_t n, TextTarget target,
                                bool trim, char* out) const {
    // Mostly one byte gives one byte: translate up to the first byte that asks for the general
    // way, which goes on from there.
    const std::size_t i = translateOneByteText(in, n, oneByte_[static_cast<int>(target)], out);
    char* kept = out + i;
    if (trim) {
        while (kept != out && (kept[-1] == ' ' || kept[-1] == '\0')) --kept;
    }
    if (i == n) return kept;
    return decodeShifted(in + i, n - i, target, trim, false, out + i, kept);
}

char* EbcdicDecoder::decodeDoubleByte(const unsigned char* in, std::size_t n, TextTarget target,
                                      bool trim, char* out) const {
    if (!doubleByte_) return decodeText(in, n, target, trim, out);
    return decodeShifted(in, n, target, trim, true, out, out);
}

namespace {

// The walk of decodeShifted for one choice of trimming and of shift bytes (`kShiftBytes`: a
// text field of a double-byte page; a double-byte field reads pairs only), so that the loops
// over the characters ask nothing else. Each run of one kind of character is a loop of its own.
// `blankRuns`: the blank 40 is " ", written eight at a time where eight come in a row.
template <bool kTrim, bool kShiftBytes>
char* decodeRuns(const std::uint32_t* single, const std::uint32_t* pair, const unsigned char* p,
                 const unsigned char* const end, bool shifted, char* o, char* kept,
                 std::uint32_t blankBit, bool blankRuns) {
    auto isShift = [](unsigned char b) {
        return kShiftBytes && (b & 0xFE) == EbcdicDecoder::kShiftOut;  // 0E or 0F
    };
    auto put = [&](std::uint32_t e) {
        std::memcpy(o, &e, 4);
        o += (e >> 24) & 3;
        if (kTrim && (e & blankBit) == 0) kept = o;
    };
    std::size_t blanks = 0;  // for the shift bytes and a cut character
    for (;;) {
        if (!shifted) {
            for (; p != end && !isShift(*p); ++p) {
                if (*p == EbcdicDecoder::kBlank && blankRuns) {
                    // Blanks are left out by trimming: `kept` stays where it is.
                    for (; end - p >= 8 && eightBlanks(p); p += 8, o += 8) std::memset(o, ' ', 8);
                    if (p == end || isShift(*p)) break;
                }
                put(single[*p]);
            }
        } else {
            for (; end - p >= 2 && !isShift(*p); p += 2) put(pair[std::size_t{p[0]} << 8 | p[1]]);
            if (p != end && !isShift(*p)) {
                ++blanks;  // a double-byte character cut by the field's end
                break;
            }
        }
        if (p == end) break;
        shifted = *p++ == EbcdicDecoder::kShiftOut;
        ++blanks;
    }
    if (kTrim) return kept;
    if (blanks <= 4) {
        // Mostly the two of a shift-out and its shift-in: one store, within the room the
        // caller gives (each shift byte and a cut character writes nothing else).
        std::memcpy(o, "    ", 4);
    } else {
        std::memset(o, ' ', blanks);
    }
    return o + blanks;
}

}  // namespace

char* EbcdicDecoder::decodeShifted(const unsigned char* in, std::size_t n, TextTarget target,
                                   bool trim, bool startDoubleByte, char* out, char* kept) const {
    const std::uint32_t* single = singles(target);
    const std::uint32_t* pair = doubleByte_ ? pairs(target) : nullptr;
    const unsigned char* const end = in + n;
    if (doubleByte_ && !startDoubleByte) {
        return trim ? decodeRuns<true, true>(single, pair, in, end, false, out, kept, kBlankBit,
                                             blankIsSpace_)
                    : decodeRuns<false, true>(single, pair, in, end, false, out, kept, kBlankBit,
                                              blankIsSpace_);
    }
    return trim ? decodeRuns<true, false>(single, pair, in, end, startDoubleByte, out, kept,
                                          kBlankBit, blankIsSpace_)
                : decodeRuns<false, false>(single, pair, in, end, startDoubleByte, out, kept,
                                           kBlankBit, blankIsSpace_);
}

std::string EbcdicDecoder::textToUtf8(std::string_view bytes) const {
    std::string out(kMaxGrowth * bytes.size() + kSlack, '\0');
    char* end = decodeText(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                           TextTarget::Utf8, false, out.data());
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

std::string EbcdicDecoder::fromUtf8(std::string_view text) const {
    std::string out;
    bool shifted = false;  // inside double-byte text
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        const std::uint32_t cp = decodeUtf8At(p + at, text.size() - at, length);
        const code_tables::Encoded e =
            cp == 0xFFFFFFFFu ? code_tables::Encoded{} : code_tables::encode(*tables_, cp);
        if (!e.found) return {};
        at += length;
        if (e.length == 0) continue;  // taken, and written as nothing
        const bool pair = e.length == 2;
        if (pair != shifted) {
            out += static_cast<char>(pair ? kShiftOut : kShiftIn);
            shifted = pair;
        }
        if (pair) out += static_cast<char>(e.code >> 8);
        out += static_cast<char>(e.code & 0xFF);
    }
    // Double-byte text is closed at the end.
    if (shifted) out += static_cast<char>(kShiftIn);
    return out;
}

EbcdicDecoder::TextEnd EbcdicDecoder::textEnd(const unsigned char* in, std::size_t n) const {
    TextEnd result;
    if (!doubleByte_) return result;
    std::size_t inPair = 0;  // bytes of double-byte text since the last shift-out
    for (std::size_t i = 0; i < n; ++i) {
        if (in[i] == kShiftOut) {
            result.insideDoubleByte = true;
            inPair = 0;
        } else if (in[i] == kShiftIn) {
            result.insideDoubleByte = false;
        } else if (result.insideDoubleByte) {
            ++inPair;
        }
    }
    result.cutCharacter = result.insideDoubleByte && inPair % 2 == 1;
    return result;
}

}  // namespace sorvek
