#include "platform/page_encoder.h"

#include <iconv.h>

#include <array>
#include <memory>
#include <mutex>
#include <utility>

namespace sorvek {
namespace {

constexpr std::uint32_t kPair = 1u << 16;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;

void putUtf8(std::uint32_t cp, char* out, std::size_t& n) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        n = 1;
    } else if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 2;
    } else {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        n = 3;
    }
}

// The table entry of one character as the converter `cd` writes it, or 0 when it has none or
// writes something no table entry holds (more than one character's bytes).
std::uint32_t entryOf(iconv_t cd, std::uint32_t cp, bool ebcdic) {
    char in[4];
    std::size_t inLength = 0;
    putUtf8(cp, in, inLength);
    char outBytes[16];
    char* src = in;
    char* dst = outBytes;
    std::size_t srcLeft = inLength, dstLeft = sizeof outBytes;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return 0;
    // A stateful page ends in its initial state: the shift-in after a double-byte character.
    if (iconv(cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(outBytes);
    const std::size_t n = static_cast<std::size_t>(dst - outBytes);
    if (n == 1) return b[0];
    if (ebcdic && n == 4 && b[0] == kShiftOut && b[3] == kShiftIn) {
        return kPair | static_cast<std::uint32_t>(b[1]) << 8 | b[2];
    }
    if (!ebcdic && n == 2) return kPair | static_cast<std::uint32_t>(b[0]) << 8 | b[1];
    return 0;
}

// The code point that the CP932 bytes `bytes` (one or two) decode to through `cd`, or 0xFFFFFFFF.
std::uint32_t decodeCp932(iconv_t cd, const unsigned char* bytes, std::size_t n) {
    char in[2] = {static_cast<char>(bytes[0]), static_cast<char>(n > 1 ? bytes[1] : 0)};
    char out[8];
    char* src = in;
    char* dst = out;
    std::size_t srcLeft = n, dstLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0) {
        return 0xFFFFFFFFu;
    }
    std::size_t length = 0;
    const auto* u = reinterpret_cast<const unsigned char*>(out);
    const std::uint32_t cp = decodeUtf8At(u, static_cast<std::size_t>(dst - out), length);
    return length == static_cast<std::size_t>(dst - out) ? cp : 0xFFFFFFFFu;
}

// CP932 holds some characters twice. Where it does, the code a character is written with is the
// one Windows writes, so that text read from a file and written back gives the file's bytes:
// JIS X 0208 before the NEC special characters (row 13), those before the IBM extensions, and the
// IBM extensions before their NEC-selected copies; the user-defined area last.
void fillCp932ByPreference(std::vector<std::uint32_t>& table) {
    const iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    auto take = [&](const unsigned char* bytes, std::size_t n) {
        const std::uint32_t cp = decodeCp932(cd, bytes, n);
        if (cp == 0 || cp >= 0x10000 || table[cp] != 0) return;
        table[cp] =
            n == 1 ? bytes[0] : kPair | static_cast<std::uint32_t>(bytes[0]) << 8 | bytes[1];
    };
    for (unsigned b = 0x01; b <= 0xDF; ++b) {
        if (b >= 0x80 && b < 0xA1) continue;
        const unsigned char one = static_cast<unsigned char>(b);
        take(&one, 1);
    }
    const std::pair<unsigned, unsigned> leadsByPreference[] = {
        {0x81, 0x84}, {0x88, 0x9F}, {0xE0, 0xEA}, {0x87, 0x87}, {0xFA, 0xFC},
        {0xED, 0xEE}, {0x85, 0x86}, {0xEB, 0xEC}, {0xEF, 0xF9}};
    for (const auto& [first, last] : leadsByPreference) {
        for (unsigned lead = first; lead <= last; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                               static_cast<unsigned char>(trail)};
                take(pair, 2);
            }
        }
    }
    iconv_close(cd);
}

}  // namespace

std::uint32_t decodeUtf8At(const unsigned char* p, std::size_t n, std::size_t& length) {
    constexpr std::uint32_t kBad = 0xFFFFFFFFu;
    length = 1;
    const unsigned char b = p[0];
    if (b < 0x80) return b;
    std::size_t need;
    std::uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 3;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 4;
        cp = b & 0x07;
    } else {
        return kBad;
    }
    if (need > n) return kBad;
    for (std::size_t i = 1; i < need; ++i) {
        if ((p[i] & 0xC0) != 0x80) return kBad;
        cp = cp << 6 | (p[i] & 0x3F);
    }
    // No overlong form, no surrogate.
    if ((need == 3 && cp < 0x800) || (need == 4 && cp < 0x10000) || (cp >= 0xD800 && cp < 0xE000)) {
        return kBad;
    }
    length = need;
    return cp;
}

PageEncoder::PageEncoder(InputCodePage page)
    : table_(0x10000),
      ebcdic_(isEbcdic(page)),
      doubleByte_(hasShiftedDoubleByte(page)),
      blank_(ebcdic_ ? 0x40 : 0x20),
      doubleBlank_(ebcdic_ ? 0x4040 : 0x8140) {
    if (!ebcdic_) fillCp932ByPreference(table_);
    // The characters no code reads as, but the converter writes all the same (one-way forms).
    const iconv_t cd = iconv_open(inputCodePageIconvName(page), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;  // every character is then refused
    for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
        if ((cp >= 0xD800 && cp < 0xE000) || table_[cp] != 0) continue;
        table_[cp] = entryOf(cd, cp, ebcdic_);
    }
    iconv_close(cd);
    // NUL is a character of every page (0x00); 0 in the table means none.
    table_[0] = 0;
}

const PageEncoder& PageEncoder::get(InputCodePage page) {
    static std::array<std::unique_ptr<PageEncoder>, 5> encoders;
    static std::array<std::once_flag, 5> built;
    const auto i = static_cast<std::size_t>(page);
    std::call_once(built[i], [&] { encoders[i].reset(new PageEncoder(page)); });
    return *encoders[i];
}

std::size_t PageEncoder::encode(std::string_view text, std::string& out) const {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    // No character takes more bytes in the page than in UTF-8, but for the shift bytes around
    // a run of double-byte characters: at most two bytes for every byte of the text.
    const std::size_t start = out.size();
    out.resize(start + 2 * text.size() + 2);
    char* o = out.data() + start;
    std::size_t stoppedAt = npos;
    bool shifted = false;  // inside double-byte text (EBCDIC)
    for (std::size_t at = 0; at < text.size();) {
        // A run of one-byte characters outside double-byte text, as most text is.
        if (!shifted) {
            while (at < text.size() && p[at] < 0x80 && p[at] != 0 && table_[p[at]] != 0 &&
                   (table_[p[at]] & kPair) == 0) {
                *o++ = static_cast<char>(table_[p[at]] & 0xFF);
                ++at;
            }
            if (at == text.size()) break;
        }
        std::size_t length = 1;
        const std::uint32_t cp =
            p[at] < 0x80 ? p[at] : decodeUtf8At(p + at, text.size() - at, length);
        const std::uint32_t e = cp == 0 ? 0u : cp < 0x10000 ? table_[cp] : 0u;
        if (e == 0 && cp != 0) {
            stoppedAt = at;
            break;
        }
        const bool pair = (e & kPair) != 0;
        if (ebcdic_ && pair != shifted) {
            *o++ = static_cast<char>(pair ? kShiftOut : kShiftIn);
            shifted = pair;
        }
        if (pair) *o++ = static_cast<char>(e >> 8 & 0xFF);
        *o++ = static_cast<char>(e & 0xFF);
        at += length;
    }
    if (shifted) *o++ = static_cast<char>(kShiftIn);
    out.resize(static_cast<std::size_t>(o - out.data()));
    return stoppedAt;
}

std::size_t PageEncoder::encodeDoubleByte(std::string_view text, std::string& out) const {
    if (!doubleByte_) return encode(text, out);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 1;
        const std::uint32_t cp = decodeUtf8At(p + at, text.size() - at, length);
        const std::uint32_t e = cp < 0x10000 ? table_[cp] : 0u;
        if ((e & kPair) == 0) return at;
        out += static_cast<char>(e >> 8 & 0xFF);
        out += static_cast<char>(e & 0xFF);
        at += length;
    }
    return npos;
}

}  // namespace sorvek
