// The generated tables, and the conversions built on them, held to the system's converter
// (iconv) they were read from: every byte and pair decoded, every code point encoded, and texts
// with broken sequences converted, on every page. Only where the system has the converter; the
// programs themselves carry none.
#if defined(__linux__)

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page_tables.h"
#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"
#include "platform/page_encoder.h"

namespace sorvek {
namespace {

namespace ct = code_tables;

constexpr char kShiftOut = 0x0E;
constexpr char kShiftIn = 0x0F;

class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The whole conversion of `in` from the initial state, shifted back to it at the end;
    // nothing when any of it does not convert.
    std::optional<std::string> convert(std::string_view in) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::string buffer(4 * in.size() + 16, '\0');
        char* dst = buffer.data();
        std::size_t dstLeft = buffer.size();
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) ||
            iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1) ||
            srcLeft != 0) {
            return std::nullopt;
        }
        buffer.resize(static_cast<std::size_t>(dst - buffer.data()));
        return buffer;
    }

    // The conversion of `in` that replaces what does not convert by `replacement` and goes on
    // `skip(rest)` bytes further.
    template <typename Skip>
    std::string convertReplacing(std::string_view in, std::string_view replacement, Skip skip) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char* src = const_cast<char*>(in.data());
        std::size_t left = in.size();
        while (left > 0) {
            char buffer[4096];
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t rc = iconv(cd_, &src, &left, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
            out.append(replacement);
            const std::size_t n = std::min(left, skip(std::string_view(src, left)));
            src += n;
            left -= n;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t cd_;
};

// The one code point of UTF-8 text, or kNoCharacter for none or more than one.
std::uint32_t onlyCodePoint(const std::optional<std::string>& utf8) {
    if (!utf8 || utf8->empty()) return ct::kNoCharacter;
    const std::u32string cps = toCodePoints(*utf8);
    return cps.size() == 1 ? cps[0] : ct::kNoCharacter;
}

std::string cp932Bytes(const ct::Encoded& e) {
    if (!e.found || e.length == 0) return "";
    if (e.length == 1) return std::string(1, static_cast<char>(e.code));
    return {static_cast<char>(e.code >> 8), static_cast<char>(e.code & 0xFF)};
}

// The bytes a page writes for a code point alone, shift bytes included.
std::optional<std::string> bytesOf(InputCodePage page, std::uint32_t cp) {
    const ct::Encoded e = ct::encode(ct::pageTables(page), cp);
    if (!e.found) return std::nullopt;
    if (e.length != 2 || !isEbcdic(page)) return cp932Bytes(e);
    return std::string{kShiftOut, static_cast<char>(e.code >> 8), static_cast<char>(e.code & 0xFF),
                       kShiftIn};
}

// How far a conversion from UTF-8 skips after what it cannot convert: the whole of a sequence
// of the form of UTF-8 (an overlong form or a surrogate included), one byte of anything else.
std::size_t utf8Skip(std::string_view rest) {
    const auto b = static_cast<unsigned char>(rest[0]);
    const std::size_t n = (b & 0xE0) == 0xC0   ? 2
                          : (b & 0xF0) == 0xE0 ? 3
                          : (b & 0xF8) == 0xF0 ? 4
                                               : 1;
    if (n > rest.size()) return 1;
    for (std::size_t i = 1; i < n; ++i) {
        if ((static_cast<unsigned char>(rest[i]) & 0xC0) != 0x80) return 1;
    }
    return n;
}

TEST(CodePageTables, DecodeEveryByteAndPairAsTheSystemConverter) {
    for (const InputCodePageName& page : kInputCodePageNames) {
        SCOPED_TRACE(std::string(page.name));
        const std::string name(page.name);
        Iconv toUtf8("UTF-8", name.c_str());
        Iconv toCp932("CP932", name.c_str());
        ASSERT_TRUE(toUtf8.ok() && toCp932.ok());
        const ct::PageTables& tables = ct::pageTables(page.value);
        // What the decoders are built from: each character's code point, and for the EBCDIC
        // pages its Shift-JIS bytes, which the system converted from the page's bytes directly.
        auto check = [&](std::string_view in, std::uint32_t cp) {
            ASSERT_EQ(cp, onlyCodePoint(toUtf8.convert(in))) << testing::PrintToString(in);
            if (cp == ct::kNoCharacter || !isEbcdic(page.value)) return;
            ASSERT_EQ(ct::cp932Of(cp), toCp932.convert(in).value_or(""));
        };
        for (unsigned b = 0; b < 0x100; ++b) {
            const char one = static_cast<char>(b);
            const std::uint32_t cp = ct::decodeSingle(tables, static_cast<unsigned char>(b));
            check(std::string_view(&one, 1), cp);
            if (page.value != InputCodePage::Cp932 || cp != ct::kNoCharacter) continue;
            for (unsigned t = 0; t < 0x100; ++t) {
                const char two[2] = {one, static_cast<char>(t)};
                check(std::string_view(two, 2),
                      ct::decodePair(tables, static_cast<unsigned char>(b),
                                     static_cast<unsigned char>(t)));
            }
        }
        if (!hasShiftedDoubleByte(page.value)) continue;
        for (unsigned first = 0x40; first <= 0xFE; ++first) {
            for (unsigned second = 0x40; second <= 0xFE; ++second) {
                const char four[4] = {kShiftOut, static_cast<char>(first),
                                      static_cast<char>(second), kShiftIn};
                check(std::string_view(four, 4),
                      ct::decodePair(tables, static_cast<unsigned char>(first),
                                     static_cast<unsigned char>(second)));
            }
        }
    }
}

TEST(CodePageTables, EncodeEveryCodePointAsTheSystemConverter) {
    for (const InputCodePageName& page : kInputCodePageNames) {
        SCOPED_TRACE(std::string(page.name));
        const std::string name(page.name);
        Iconv fromUtf8(name.c_str(), "UTF-8");
        ASSERT_TRUE(fromUtf8.ok());
        for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
            if (cp >= 0xD800 && cp < 0xE000) continue;
            const std::string text = ct::utf8Of(cp);
            const std::optional<std::string> expected = fromUtf8.convert(text);
            ASSERT_EQ(bytesOf(page.value, cp), expected) << "U+" << std::hex << cp;
            if (page.value == InputCodePage::Cp932) {
                ASSERT_EQ(utf8ToCp932(text), expected.value_or("?")) << "U+" << std::hex << cp;
            } else {
                ASSERT_EQ(EbcdicDecoder::get(page.value).fromUtf8(text), expected.value_or(""));
            }
        }
    }
}

// What the EBCDIC decoder writes for a character the system converts to `text` (nothing when it
// does not): the replacement for none, or for more than three bytes.
std::string written(const std::optional<std::string>& text, std::string_view replacement) {
    return !text || text->empty() || text->size() > 3 ? std::string(replacement) : *text;
}

TEST(CodePageTables, EbcdicDecoderWritesEveryByteAndPairAsWithTheSystemConverter) {
    for (const InputCodePageName& page : kInputCodePageNames) {
        if (!isEbcdic(page.value)) continue;
        SCOPED_TRACE(std::string(page.name));
        const std::string name(page.name);
        Iconv toUtf8("UTF-8", name.c_str());
        Iconv toCp932("CP932", name.c_str());
        const EbcdicDecoder& decoder = EbcdicDecoder::get(page.value);
        auto decode = [&decoder](std::string_view in, TextTarget target, bool doubleByte) {
            std::string out(EbcdicDecoder::kMaxGrowth * in.size() + EbcdicDecoder::kSlack, '\0');
            const auto* p = reinterpret_cast<const unsigned char*>(in.data());
            char* end = doubleByte
                            ? decoder.decodeDoubleByte(p, in.size(), target, false, out.data())
                            : decoder.decodeText(p, in.size(), target, false, out.data());
            out.resize(static_cast<std::size_t>(end - out.data()));
            return out;
        };
        for (unsigned b = 0; b < 0x100; ++b) {
            const char one = static_cast<char>(b);
            if (decoder.doubleByte() && (one == kShiftOut || one == kShiftIn)) continue;
            const std::string_view in(&one, 1);
            const std::optional<std::string> utf8 = toUtf8.convert(in);
            ASSERT_EQ(decode(in, TextTarget::Utf8, false), written(utf8, "\xEF\xBF\xBD")) << b;
            ASSERT_EQ(decode(in, TextTarget::Cp932, false),
                      written(utf8 && !utf8->empty() ? toCp932.convert(in) : std::nullopt, "?"))
                << b;
        }
        if (!decoder.doubleByte()) continue;
        for (unsigned first = 0x40; first <= 0xFE; ++first) {
            for (unsigned second = 0x40; second <= 0xFE; ++second) {
                const char two[2] = {static_cast<char>(first), static_cast<char>(second)};
                const char four[4] = {kShiftOut, two[0], two[1], kShiftIn};
                const bool blankHalf = (first == 0x40) != (second == 0x40);
                const std::optional<std::string> utf8 =
                    blankHalf ? std::nullopt : toUtf8.convert(std::string_view(four, 4));
                const std::optional<std::string> cp932 =
                    blankHalf || !utf8 || utf8->empty()
                        ? std::nullopt
                        : toCp932.convert(std::string_view(four, 4));
                ASSERT_EQ(decode(std::string_view(two, 2), TextTarget::Utf8, true),
                          written(utf8, "\xEF\xBF\xBD"));
                ASSERT_EQ(decode(std::string_view(two, 2), TextTarget::Cp932, true),
                          written(cp932, "?"));
            }
        }
    }
}

// The table PageEncoder was built from when it asked the system's converter: each character CP932
// holds twice by the code Windows writes, then every other character of the Basic Multilingual
// Plane as the converter writes it (a pair with bit 16).
std::vector<std::uint32_t> converterEncoderTable(InputCodePage page) {
    std::vector<std::uint32_t> table(0x10000);
    Iconv toUtf8("UTF-8", "CP932");
    auto take = [&](std::string_view bytes, std::uint32_t entry) {
        const std::uint32_t cp = onlyCodePoint(toUtf8.convert(bytes));
        if (cp != ct::kNoCharacter && cp != 0 && cp < 0x10000 && table[cp] == 0) table[cp] = entry;
    };
    if (page == InputCodePage::Cp932) {
        for (unsigned b = 0x01; b <= 0xDF; ++b) {
            const char one = static_cast<char>(b);
            if (b < 0x80 || b >= 0xA1) take(std::string_view(&one, 1), b);
        }
        const std::pair<unsigned, unsigned> leads[] = {{0x81, 0x84}, {0x88, 0x9F}, {0xE0, 0xEA},
                                                       {0x87, 0x87}, {0xFA, 0xFC}, {0xED, 0xEE},
                                                       {0x85, 0x86}, {0xEB, 0xEC}, {0xEF, 0xF9}};
        for (const auto& [first, last] : leads) {
            for (unsigned lead = first; lead <= last; ++lead) {
                for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                    const char two[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                    if (trail != 0x7F) take(std::string_view(two, 2), 1u << 16 | lead << 8 | trail);
                }
            }
        }
    }
    Iconv fromUtf8(std::string(inputCodePageName(page)).c_str(), "UTF-8");
    for (std::uint32_t cp = 1; cp < 0x10000; ++cp) {
        if ((cp >= 0xD800 && cp < 0xE000) || table[cp] != 0) continue;
        const std::string b = fromUtf8.convert(ct::utf8Of(cp)).value_or("");
        auto u = [&b](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(b[i]));
        };
        if (b.size() == 1) table[cp] = u(0);
        if (b.size() == 2 && !isEbcdic(page)) table[cp] = 1u << 16 | u(0) << 8 | u(1);
        if (b.size() == 4 && b[0] == kShiftOut && b[3] == kShiftIn)
            table[cp] = 1u << 16 | u(1) << 8 | u(2);
    }
    return table;
}

TEST(CodePageTables, PageEncoderWritesEveryCharacterAsWithTheSystemConverter) {
    for (const InputCodePageName& page : kInputCodePageNames) {
        SCOPED_TRACE(std::string(page.name));
        const std::vector<std::uint32_t> table = converterEncoderTable(page.value);
        const PageEncoder& encoder = PageEncoder::get(page.value);
        for (std::uint32_t cp = 1; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp < 0xE000) continue;
            std::string out;
            const std::size_t stopped = encoder.encode(ct::utf8Of(cp), out);
            std::string expected;
            const std::uint32_t e = table[cp];
            if (e >> 16 != 0 && isEbcdic(page.value)) expected += kShiftOut;
            if (e >> 16 != 0) expected += static_cast<char>(e >> 8 & 0xFF);
            if (e != 0) expected += static_cast<char>(e & 0xFF);
            if (e >> 16 != 0 && isEbcdic(page.value)) expected += kShiftIn;
            ASSERT_EQ(stopped, e == 0 ? 0 : PageEncoder::npos) << "U+" << std::hex << cp;
            ASSERT_EQ(out, expected) << "U+" << std::hex << cp;
        }
    }
}

// Texts of characters, broken sequences and bytes that are none, as the conversions meet them.
TEST(CodePageTables, TextsConvertAsWithTheSystemConverter) {
    std::mt19937 random(932);
    auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    Iconv cp932ToUtf8Converter("UTF-8", "CP932");
    Iconv utf8ToCp932Converter("CP932", "UTF-8");
    for (int round = 0; round < 20000; ++round) {
        std::string bytes;
        for (std::size_t n = 1 + pick(12); n > 0; --n) {
            // ASCII, a byte beyond it (a lead or trail byte, one-byte katakana, or none), or NUL.
            const std::size_t kind = pick(10);
            bytes += static_cast<char>(kind < 4   ? 0x20 + pick(0x5F)
                                       : kind < 9 ? 0x80 + pick(0x80)
                                                  : 0);
        }
        ASSERT_EQ(cp932ToUtf8(bytes),
                  cp932ToUtf8Converter.convertReplacing(
                      bytes, "\xEF\xBF\xBD", [](std::string_view) { return std::size_t{1}; }))
            << testing::PrintToString(bytes);
        ASSERT_EQ(Cp932Decoder::get().decode(bytes), cp932ToUtf8(bytes));
    }
    const std::string_view broken[] = {
        "\xC0\x80",         "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
        "\xF5\x80\x80\x80", "\x80",         "\xBF",         "\xE3\x81",
        "\xF0\x9F",         "\xF8",         "\xFF",         "\xC3"};
    for (const InputCodePageName& page : kInputCodePageNames) {
        SCOPED_TRACE(std::string(page.name));
        const ct::PageTables& tables = ct::pageTables(page.value);
        Iconv fromUtf8(std::string(page.name).c_str(), "UTF-8");
        for (int round = 0; round < 20000; ++round) {
            std::string text;
            for (std::size_t n = 1 + pick(10); n > 0; --n) {
                const std::size_t kind = pick(40);
                if (kind == 0) {
                    text += broken[pick(std::size(broken))];
                } else if (kind == 1) {
                    text += ct::utf8Of(static_cast<std::uint32_t>(0x80 + pick(0x10FF80)));
                } else if (kind < 8) {
                    text += static_cast<char>(0x20 + pick(0x5F));
                } else {
                    // A character the page writes, one-way forms included.
                    const ct::EncodeRun& run = tables.encodings[pick(tables.encodings.size())];
                    text += ct::utf8Of(run.codePoint + static_cast<std::uint32_t>(pick(run.count)));
                }
            }
            if (page.value == InputCodePage::Cp932) {
                ASSERT_EQ(utf8ToCp932(text),
                          utf8ToCp932Converter.convertReplacing(text, "?", utf8Skip))
                    << testing::PrintToString(text);
            } else {
                ASSERT_EQ(EbcdicDecoder::get(page.value).fromUtf8(text),
                          fromUtf8.convert(text).value_or(""))
                    << testing::PrintToString(text);
            }
        }
    }
}

}  // namespace
}  // namespace sorvek

#endif
