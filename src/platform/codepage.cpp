#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace sorvek {
namespace {

// One iconv descriptor per conversion call: descriptors carry shift state and are not
// thread-safe, and conversions happen at the edges only (messages, names), never per record.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)), owned_(true) {}
    // Uses a descriptor that the caller keeps open between conversions.
    explicit Converter(iconv_t cd) : cd_(cd), owned_(false) {}
    ~Converter() {
        if (owned_ && available()) iconv_close(cd_);
    }
    // False when the system has no such conversion (checkCodePages tells at start-up).
    bool available() const { return cd_ != kNoDescriptor; }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; on a sequence that cannot be converted, appends `replacement`, skips
    // `skip(in)` bytes of input and goes on.
    template <typename SkipFn>
    std::string run(std::string_view in, std::string_view replacement, SkipFn skip) {
        std::string out;
        if (!available()) {
            // Without a converter ASCII stays and every other character is replaced.
            while (!in.empty()) {
                if (static_cast<unsigned char>(in[0]) < 0x80) {
                    out += in[0];
                    in.remove_prefix(1);
                } else {
                    out.append(replacement);
                    in.remove_prefix(std::min(in.size(), skip(in)));
                }
            }
            return out;
        }
        out.reserve(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) continue;
                // EILSEQ or EINVAL (truncated sequence at the end): replace and resynchronise.
                out.append(replacement);
                std::size_t n = skip(std::string_view(src, srcLeft));
                src += n;
                srcLeft -= n;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

  private:
    static inline const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_;
    bool owned_;
};

// A lead byte with a bad trail byte: replace the lead byte only, so that an ASCII byte after it
// survives.
std::size_t skipOneByte(std::string_view) {
    return 1;
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

}  // namespace

Status checkCodePages() {
    for (const auto& [to, from] : {std::pair{"UTF-8", "CP932"}, std::pair{"CP932", "UTF-8"}}) {
        if (!Converter(to, from).available()) {
            return failure(std::string("文字コードの変換ができません (") + from + " → " + to +
                           ")。iconv の文字コード表 (gconv) を確認してください。");
        }
    }
    return {};
}

std::string cp932ToUtf8(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);  // CP932 and UTF-8 agree on ASCII
    Converter converter("UTF-8", "CP932");
    return converter.run(bytes, "\xEF\xBF\xBD", skipOneByte);
}

Cp932Decoder::Cp932Decoder() : descriptor_(iconv_open("UTF-8", "CP932")) {}

Cp932Decoder::~Cp932Decoder() {
    if (descriptor_ != reinterpret_cast<void*>(-1)) iconv_close(descriptor_);
}

std::string Cp932Decoder::decode(std::string_view bytes) {
    if (isAscii(bytes)) return std::string(bytes);
    // Each text starts in the initial state, whatever the last one ended with.
    iconv(descriptor_, nullptr, nullptr, nullptr, nullptr);
    Converter converter(descriptor_);
    return converter.run(bytes, "\xEF\xBF\xBD", skipOneByte);
}

std::string utf8ToCp932(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    Converter converter("CP932", "UTF-8");
    return converter.run(text, "?", [](std::string_view rest) -> std::size_t {
        std::size_t length = 1;
        decodeUtf8(reinterpret_cast<const unsigned char*>(rest.data()), rest.size(), length);
        return length;
    });
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

}  // namespace sorvek
