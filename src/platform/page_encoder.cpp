#include "platform/page_encoder.h"

#include <array>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/code_page_tables.h"

namespace sorvek {
namespace {

constexpr std::uint32_t kPair = 1u << 16;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;

// The table entry of the bytes a page writes for a code point, or 0 for none (a character
// written as nothing is refused too).
std::uint32_t entryOf(const code_tables::Encoded& e) {
    if (!e.found || e.length == 0) return 0;
    return e.length == 2 ? kPair | e.code : e.code;
}

// CP932 holds some characters twice. Where it does, the code a character is written with is the
// one Windows writes, so that text read from a file and written back gives the file's bytes:
// JIS X 0208 before the NEC special characters (row 13), those before the IBM extensions, and the
// IBM extensions before their NEC-selected copies; the user-defined area last.
void fillCp932ByPreference(std::vector<std::uint32_t>& table) {
    const code_tables::PageTables& tables = code_tables::pageTables(InputCodePage::Cp932);
    auto take = [&](std::uint32_t cp, std::uint32_t entry) {
        if (cp == code_tables::kNoCharacter || cp == 0 || cp >= 0x10000 || table[cp] != 0) return;
        table[cp] = entry;
    };
    for (unsigned b = 0x01; b <= 0xDF; ++b) {
        if (b >= 0x80 && b < 0xA1) continue;
        take(code_tables::decodeSingle(tables, static_cast<unsigned char>(b)), b);
    }
    const std::pair<unsigned, unsigned> leadsByPreference[] = {
        {0x81, 0x84}, {0x88, 0x9F}, {0xE0, 0xEA}, {0x87, 0x87}, {0xFA, 0xFC},
        {0xED, 0xEE}, {0x85, 0x86}, {0xEB, 0xEC}, {0xEF, 0xF9}};
    for (const auto& [first, last] : leadsByPreference) {
        for (unsigned lead = first; lead <= last; ++lead) {
            // A byte that is a character alone reads no byte after it.
            if (code_tables::decodeSingle(tables, static_cast<unsigned char>(lead)) !=
                code_tables::kNoCharacter) {
                continue;
            }
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                take(code_tables::decodePair(tables, static_cast<unsigned char>(lead),
                                             static_cast<unsigned char>(trail)),
                     kPair | lead << 8 | trail);
            }
        }
    }
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
    // The characters no code reads as, but the page writes all the same (one-way forms).
    const code_tables::PageTables& tables = code_tables::pageTables(page);
    for (std::uint32_t cp = 0; cp < 0x10000; ++cp) {
        if ((cp >= 0xD800 && cp < 0xE000) || table_[cp] != 0) continue;
        table_[cp] = entryOf(code_tables::encode(tables, cp));
    }
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
