// Writes the code pages' tables as C++ source (src/platform/code_page_tables.h declares them),
// read from the build machine's converter (iconv), so that the programs carry the tables and
// need no converter of their own. Run at build time:
//
//   generate_code_page_tables OUTPUT.cpp
//
// For each page: what every single byte decodes to and, for CP932, every lead byte with every
// byte after it, for the EBCDIC pages with double-byte text every pair between a shift-out and a
// shift-in byte; and the bytes of every code point the page's encoder takes, one-way forms
// included. Exits 1, writing nothing, where the converter lacks a page or gives a form the tables
// cannot hold.
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_code_page.h"

namespace {

using sorvek::InputCodePage;

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr unsigned char kShiftOut = 0x0E;
constexpr unsigned char kShiftIn = 0x0F;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "generate_code_page_tables: %s\n", what.c_str());
    std::exit(1);
}

// One descriptor, reset before every conversion so that no shift state carries over.
class Descriptor {
  public:
    Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            fail(std::string("no conversion from ") + from + " to " + to);
        }
    }
    ~Descriptor() { iconv_close(cd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    // The whole conversion of `in`, with the shift back to the initial state; false when any of
    // it does not convert.
    bool convert(std::string_view in, std::string& out) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[64];
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return false;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return false;
        out.assign(buffer, static_cast<std::size_t>(dst - buffer));
        return srcLeft == 0;
    }

  private:
    iconv_t cd_;
};

std::string utf8Of(std::uint32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | cp >> 6);
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | cp >> 12);
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | cp >> 18);
        s += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

// The one code point of the UTF-8 `s`; kNone for none, a failure for more than one.
std::uint32_t onlyCodePoint(const std::string& s, const std::string& what) {
    if (s.empty()) return kNone;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t n = p[0] < 0x80 ? 1 : p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : 4;
    std::uint32_t cp = n == 1 ? p[0] : p[0] & (0x7F >> n);
    for (std::size_t i = 1; i < n && i < s.size(); ++i) cp = cp << 6 | (p[i] & 0x3F);
    if (n != s.size() || utf8Of(cp) != s) fail(what + " decodes to more than one character");
    return cp;
}

struct Mapping {
    std::uint32_t from;
    std::uint32_t to;
    unsigned length;  // encoding: of the bytes, 0 for none (a character dropped), 2 for a pair
};

// What `in` decodes to through `cd`: one code point, or kNone.
std::uint32_t decode(Descriptor& cd, std::string_view in, const std::string& what) {
    std::string out;
    return cd.convert(in, out) ? onlyCodePoint(out, what) : kNone;
}

struct Page {
    std::string name;
    std::string symbol;
    std::vector<Mapping> singles, pairs, encodings;
};

Page readPage(std::string_view name, InputCodePage page) {
    Page result{std::string(name), "", {}, {}, {}};
    for (char c : name) result.symbol += c;
    const std::string pageName(name);
    Descriptor toUtf8("UTF-8", pageName.c_str());
    const bool ebcdic = sorvek::isEbcdic(page);
    const bool shifted = sorvek::hasShiftedDoubleByte(page);
    for (unsigned b = 0; b < 0x100; ++b) {
        const char one = static_cast<char>(b);
        const std::uint32_t cp = decode(toUtf8, std::string_view(&one, 1), pageName + " byte");
        if (cp != kNone) {
            result.singles.push_back({b, cp, 0});
        } else if (!ebcdic) {
            // A lead byte: its pair with every byte after it.
            for (unsigned t = 0; t < 0x100; ++t) {
                const char two[2] = {one, static_cast<char>(t)};
                const std::uint32_t pair =
                    decode(toUtf8, std::string_view(two, 2), pageName + " pair");
                if (pair != kNone) result.pairs.push_back({b << 8 | t, pair, 0});
            }
        }
    }
    if (shifted) {
        // Double-byte characters have both bytes in 40-FE.
        for (unsigned first = 0x40; first <= 0xFE; ++first) {
            for (unsigned second = 0x40; second <= 0xFE; ++second) {
                const char four[4] = {static_cast<char>(kShiftOut), static_cast<char>(first),
                                      static_cast<char>(second), static_cast<char>(kShiftIn)};
                const std::uint32_t cp =
                    decode(toUtf8, std::string_view(four, 4), pageName + " pair");
                if (cp != kNone) result.pairs.push_back({first << 8 | second, cp, 0});
            }
        }
    }
    Descriptor fromUtf8(pageName.c_str(), "UTF-8");
    std::string out;
    for (std::uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        if (!fromUtf8.convert(utf8Of(cp), out)) continue;
        const auto* b = reinterpret_cast<const unsigned char*>(out.data());
        if (out.empty()) {
            // Taken and dropped, as the converter does with the tag characters.
            result.encodings.push_back({cp, 0, 0});
        } else if (out.size() == 1) {
            result.encodings.push_back({cp, b[0], 1});
        } else if (!ebcdic && out.size() == 2) {
            result.encodings.push_back({cp, static_cast<std::uint32_t>(b[0] << 8 | b[1]), 2});
        } else if (shifted && out.size() == 4 && b[0] == kShiftOut && b[3] == kShiftIn) {
            result.encodings.push_back({cp, static_cast<std::uint32_t>(b[1] << 8 | b[2]), 2});
        } else {
            char text[80];
            std::snprintf(text, sizeof text, "%s writes U+%04X as %zu bytes", pageName.c_str(),
                          static_cast<unsigned>(cp), out.size());
            fail(text);
        }
    }
    return result;
}

// Runs of consecutive sources with consecutive targets (and the same form), as initialisers.
std::string runsOf(const std::vector<Mapping>& mappings, bool encoding) {
    std::string text;
    for (std::size_t i = 0; i < mappings.size();) {
        std::size_t n = 1;
        // Characters written as nothing all have the code 0.
        const std::uint32_t step = encoding && mappings[i].length == 0 ? 0 : 1;
        while (i + n < mappings.size() && n < 0xFFFF &&
               mappings[i + n].from == mappings[i].from + n &&
               mappings[i + n].to == mappings[i].to + step * n &&
               mappings[i + n].length == mappings[i].length) {
            ++n;
        }
        char line[96];
        if (encoding) {
            std::snprintf(line, sizeof line, "    {0x%X, %zu, 0x%X, %u},\n", mappings[i].from, n,
                          mappings[i].to, mappings[i].length);
        } else {
            std::snprintf(line, sizeof line, "    {0x%X, %zu, 0x%X},\n", mappings[i].from, n,
                          mappings[i].to);
        }
        text += line;
        i += n;
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: generate_code_page_tables OUTPUT.cpp\n");
        return 2;
    }
    std::string text =
        "// Generated by tools/generate_code_page_tables.cpp from the build machine's converter.\n"
        "#include \"platform/code_page_tables.h\"\n\n"
        "namespace sorvek::code_tables {\nnamespace {\n\n";
    std::string tables;
    std::size_t index = 0;
    for (const sorvek::InputCodePageName& n : sorvek::kInputCodePageNames) {
        if (static_cast<std::size_t>(n.value) != index++) fail("the pages are not in their order");
        const Page page = readPage(n.name, n.value);
        auto span = [&](const char* kind, const std::vector<Mapping>& m, const char* type) {
            if (m.empty()) return std::string("std::span<const ") + type + ">()";
            return "std::span<const " + std::string(type) + ">(k" + page.symbol + kind + ")";
        };
        const std::pair<const char*, const std::vector<Mapping>*> kinds[] = {
            {"Singles", &page.singles}, {"Pairs", &page.pairs}, {"Encodings", &page.encodings}};
        for (const auto& [kind, mappings] : kinds) {
            if (mappings->empty()) continue;
            const bool encoding = mappings == &page.encodings;
            text += std::string("constexpr ") + (encoding ? "EncodeRun" : "DecodeRun") + " k" +
                    page.symbol + kind + "[] = {\n" + runsOf(*mappings, encoding) + "};\n\n";
        }
        tables += "    {" + span("Singles", page.singles, "DecodeRun") + ",\n     " +
                  span("Pairs", page.pairs, "DecodeRun") + ",\n     " +
                  span("Encodings", page.encodings, "EncodeRun") + "},\n";
    }
    text += "// In the order of InputCodePage.\nconstexpr PageTables kPages[] = {\n" + tables +
            "};\n\n}  // namespace\n\n"
            "const PageTables& pageTables(InputCodePage page) {\n"
            "    return kPages[static_cast<std::size_t>(page)];\n}\n\n"
            "}  // namespace sorvek::code_tables\n";
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
        std::fclose(f) != 0) {
        std::fprintf(stderr, "generate_code_page_tables: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
