#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <utility>

#include "platform/code_page_tables.h"
#include "platform/cp932_decode_wide.h"

namespace sorvek {
namespace {

const code_tables::PageTables& cp932Tables() {
    return code_tables::pageTables(InputCodePage::Cp932);
}

// The code point of the CP932 character at the start of the `n` bytes at `p` and its length in
// `length`; kNoCharacter (length 1) where no character starts there: a byte that is none alone
// and no lead byte of a pair with the byte after it.
std::uint32_t cp932CharacterAt(const unsigned char* p, std::size_t n, std::size_t& length) {
    length = 1;
    const std::uint32_t single = code_tables::decodeSingle(cp932Tables(), p[0]);
    if (single != code_tables::kNoCharacter || n < 2) return single;
    const std::uint32_t pair = code_tables::decodePair(cp932Tables(), p[0], p[1]);
    if (pair != code_tables::kNoCharacter) length = 2;
    return pair;
}

std::size_t utf8SequenceLength(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

// Decodes one UTF-8 sequence at `p`; returns U+FFFD for a malformed one and sets `length`.
char32_t decodeUtf8(const unsigned char* p, std::size_t left, std::size_t& length) {
    std::size_t n = utf8SequenceLength(p[0]);
    if (n == 1) {
        length = 1;
        return p[0] < 0x80 ? p[0] : 0xFFFD;
    }
    if (n > left) {
        length = 1;
        return 0xFFFD;
    }
    char32_t cp = p[0] & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            length = 1;
            return 0xFFFD;
        }
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    length = n;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isAscii(std::string_view s) {
    for (unsigned char c : s) {
        if (c >= 0x80) return false;
    }
    return true;
}

// Length of the well-formed UTF-8 sequence at `p` (no overlong form, no surrogate, nothing
// beyond U+10FFFF), or 0 for a malformed one.
std::size_t wellFormedUtf8Length(const unsigned char* p, std::size_t left) {
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    std::size_t n;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (n > left || p[1] < low || p[1] > high) return 0;
    for (std::size_t i = 2; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
    }
    return n;
}

// True when every byte sequence of `bytes` is a CP932 character.
bool isValidCp932(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = 1;
        if (cp932CharacterAt(p + at, bytes.size() - at, length) == code_tables::kNoCharacter) {
            return false;
        }
        at += length;
    }
    return true;
}

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

TextEncoding detectTextEncoding(std::string_view bytes) {
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) return TextEncoding::Utf8;
    bool multiByte = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = wellFormedUtf8Length(p + at, bytes.size() - at);
        if (n == 0) return TextEncoding::Cp932;
        multiByte = multiByte || n > 1;
        at += n;
    }
    // Short Japanese texts can be both; what is valid CP932 is taken as the files are meant.
    return multiByte && !isValidCp932(bytes) ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

std::string decodeText(std::string_view bytes, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932) return cp932ToUtf8(bytes);
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    std::string text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t n = wellFormedUtf8Length(p + at, bytes.size() - at);
        if (n == 0) {
            text += "\xEF\xBF\xBD";
            ++at;
        } else {
            text.append(bytes.data() + at, n);
            at += n;
        }
    }
    return text;
}

Status checkCodePages() {
    // The tables are part of the program.
    return {};
}

std::string cp932ToUtf8(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);  // CP932 and UTF-8 agree on ASCII
    std::string out;
    out.reserve(bytes.size() * 2 + 8);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        // A lead byte with a bad trail byte: the lead byte alone is replaced, so that an ASCII
        // byte after it survives.
        std::size_t length = 1;
        const std::uint32_t cp = cp932CharacterAt(p + at, bytes.size() - at, length);
        if (cp == code_tables::kNoCharacter) {
            out += "\xEF\xBF\xBD";
        } else {
            appendUtf8(out, cp);
        }
        at += length;
    }
    return out;
}

std::string utf8ToCp932(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t left = text.size() - at;
        std::size_t length = wellFormedUtf8Length(p + at, left);
        if (length != 0) {
            std::size_t n = length;
            const code_tables::Encoded e =
                code_tables::encode(cp932Tables(), decodeUtf8(p + at, left, n));
            if (e.found) {
                if (e.length == 2) out += static_cast<char>(e.code >> 8);
                if (e.length != 0) out += static_cast<char>(e.code & 0xFF);
                at += length;
                continue;
            }
        }
        // A character CP932 lacks, or a malformed sequence: "?" for the whole of it.
        out += '?';
        decodeUtf8(p + at, left, length);
        at += std::min(left, length);
    }
    return out;
}

namespace {

// The bytes that start a double-byte character in CP932.
constexpr bool isLeadByte(unsigned c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Copies the 16 bytes at `in` to `out` and returns how many of them are ASCII before the
// first that is not.
inline int copyAscii16(const unsigned char* in, char* out) {
#ifdef __SSE2__
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
    return high == 0 ? 16 : __builtin_ctz(high);
#else
    std::uint64_t halves[2];
    std::memcpy(halves, in, 16);
    std::memcpy(out, halves, 16);
    for (int h = 0; h < 2; ++h) {
        const std::uint64_t high = halves[h] & 0x8080808080808080ull;
        if (high != 0) return 8 * h + __builtin_ctzll(high) / 8;
    }
    return 16;
#endif
}

}  // namespace

Cp932Decoder::Cp932Decoder() : entries_(256 * 256) {
    // The entry of the character at one or two bytes, or 0 for none (or one beyond three bytes
    // of UTF-8, which no entry holds).
    auto entryOf = [](std::uint32_t cp, unsigned n) -> Entry {
        const std::string utf8 = code_tables::utf8Of(cp);
        if (utf8.empty() || utf8.size() > 3) return 0;
        Entry e = 0;
        std::memcpy(&e, utf8.data(), utf8.size());
        return e | static_cast<Entry>(utf8.size()) << 24 | static_cast<Entry>(n) << 26;
    };
    const code_tables::PageTables& tables = cp932Tables();
    // A byte that is no character and starts none: U+FFFD, and the next byte is read anew.
    const Entry replacement = 0xBDBFEFu | 3u << 24 | 1u << 26;
    for (int b = 0; b < 0x100; ++b) {
        Entry* row = &entries_[static_cast<std::size_t>(b) << 8];
        const auto byte = static_cast<unsigned char>(b);
        Entry single = b < 0x80 ? static_cast<Entry>(b) | 1u << 24 | 1u << 26
                                : entryOf(code_tables::decodeSingle(tables, byte), 1);
        if (single != 0) {
            std::fill(row, row + 256, single);
            continue;
        }
        // A lead byte: its pair with each byte after it, where that makes a character.
        for (int t = 0; t < 0x100; ++t) {
            const Entry pair =
                entryOf(code_tables::decodePair(tables, byte, static_cast<unsigned char>(t)), 2);
            row[t] = pair != 0 ? pair : replacement;
        }
    }
    // The lead bytes are the usual ones: a byte takes the one after it only where it is in
    // their range, and then with every byte that makes a character with it.
    leadsInRange_ = true;
    wide_ = cp932_decode::wideAvailable();
    for (unsigned b = 0x80; b < 0x100; ++b) {
        for (unsigned t = 0; t < 0x100; ++t) {
            const bool pair = (entries_[b << 8 | t] >> 26) == 2;
            if (pair && !isLeadByte(b)) leadsInRange_ = false;
        }
    }
    findBytesThatStandAlone();
}

void Cp932Decoder::findBytesThatStandAlone() {
    // Within a row, every entry that takes one byte must be the first byte alone, or the byte
    // after it would change how it decodes.
    bool rowsAgree = true;
    // ASCII in the UTF-8 only from the same ASCII bytes, and the blanks only from 20 and 81 40.
    bool asciiKept = true;
    for (unsigned b = 0; b < 0x100; ++b) {
        const Entry alone = entries_[b << 8];
        rowsAgree = rowsAgree && (alone >> 26) == 1;
        for (unsigned t = 0; t < 0x100; ++t) {
            const Entry e = entries_[b << 8 | t];
            if ((e >> 26) == 1 && e != alone) rowsAgree = false;
            if (b >= 0x80) {
                for (unsigned i = 0; i < ((e >> 24) & 3); ++i) {
                    if (((e >> (8 * i)) & 0x80) == 0) asciiKept = false;
                }
            }
            const Entry utf8 = e & 0x03FFFFFFu;  // the UTF-8 bytes and their count
            if (utf8 == (kSpace & 0x03FFFFFFu) && b != ' ') asciiKept = false;
            if (utf8 == (kFullWidthBlank & 0x03FFFFFFu) && !(b == 0x81 && t == 0x40)) {
                asciiKept = false;
            }
        }
    }
    if (!rowsAgree || !asciiKept) return;
    for (unsigned t = 0; t < 0x80; ++t) {
        bool alone = true;  // no byte before it takes it as the second byte of a pair
        for (unsigned b = 0x80; b < 0x100 && alone; ++b) alone = (entries_[b << 8 | t] >> 26) == 1;
        if (alone) standAlone_[t / 64] |= std::uint64_t{1} << (t % 64);
    }
}

char* Cp932Decoder::decode(const unsigned char* in, std::size_t n, char* out) const {
    const unsigned char* const end = in + n;
    const Entry* const table = entries_.data();
    // Up to kMaxGrowth bytes are written per byte read, so while 16 bytes are left there is
    // room for the 16 that a copy of ASCII stores, and for the 4 of an entry.
    if (leadsInRange_) {
        if (wide_) in = cp932_decode::decodeWide(table, in, end, out);
        while (end - in >= 16) {
            // ASCII is copied as it is, 16 bytes at a time; the copy may go beyond the ASCII,
            // which the characters after it overwrite.
            const int ascii = copyAscii16(in, out);
            in += ascii;
            out += ascii;
            if (ascii == 16) continue;
            // Characters beyond ASCII up to the next ASCII. Whether a byte takes the one after
            // it is told by its range, not by its entry, so that the next character's lookup
            // need not wait for this one's; a lead byte without its pair ends the run.
            while (end - in >= 2) {
                const unsigned b = in[0];
                if (isLeadByte(b)) {
                    const Entry e = table[b << 8 | in[1]];
                    std::memcpy(out, &e, sizeof e);
                    out += (e >> 24) & 3;
                    in += 2;
                    if ((e >> 26) != 2) [[unlikely]] {
                        --in;  // its pair is read anew
                        break;
                    }
                } else if (b >= 0x80) {
                    const Entry e = table[b << 8];
                    std::memcpy(out, &e, sizeof e);
                    out += (e >> 24) & 3;
                    ++in;
                } else {
                    break;
                }
            }
        }
    }
    // The rest, or everything where the lead bytes are not the usual ones, one lookup of each
    // character and the byte after it.
    while (end - in >= 2) {
        const Entry e = table[in[0] << 8 | in[1]];
        std::memcpy(out, &e, sizeof e);
        out += (e >> 24) & 3;
        in += e >> 26;
    }
    if (in != end) {
        // The last byte alone: a lead byte without its pair is no character.
        const Entry e = table[in[0] << 8];
        std::memcpy(out, &e, sizeof e);
        out += (e >> 24) & 3;
    }
    return out;
}

std::size_t Cp932Decoder::withoutTrailingBlanks(const unsigned char* in, std::size_t n) const {
    while (n > 0 && in[n - 1] == ' ') --n;
    if (n < 2 || in[n - 2] != 0x81 || in[n - 1] != 0x40) return n;
    // The 81 may be the second byte of a pair: the characters are read from the front.
    const Entry* const table = entries_.data();
    std::size_t kept = 0;
    for (std::size_t at = 0; at < n;) {
        const Entry e = table[in[at] << 8 | (at + 1 < n ? in[at + 1] : 0)];
        at += e >> 26;
        if (e != kFullWidthBlank && e != kSpace) kept = at;
    }
    return kept;
}

const Cp932Decoder& Cp932Decoder::get() {
    static const Cp932Decoder decoder;
    return decoder;
}

std::u32string toCodePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    std::size_t left = utf8.size();
    while (left > 0) {
        std::size_t length = 1;
        out += decodeUtf8(p, left, length);
        p += length;
        left -= length;
    }
    return out;
}

std::string fromCodePoints(std::u32string_view codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t cp : codePoints) appendUtf8(out, cp);
    return out;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string Cp932Decoder::decode(std::string_view bytes) const {
    if (isAscii(bytes)) return std::string(bytes);
    std::string out(kMaxGrowth * bytes.size() + kSlack, '\0');
    char* end =
        decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out.data());
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

}  // namespace sorvek
