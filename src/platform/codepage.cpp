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
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (available()) iconv_close(cd_);
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
        // iconv is handed the input in pieces: after a sequence it cannot convert, glibc works
        // its way again through the input of the call, which over a large text full of such
        // sequences would cost time by the square of its length. After a failure the pieces
        // start small and grow again while they convert cleanly.
        std::size_t pieceBytes = kMaxPieceBytes;
        while (srcLeft > 0) {
            const std::size_t piece = std::min(srcLeft, pieceBytes);
            std::size_t pieceLeft = piece;
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &src, &pieceLeft, &dst, &dstLeft);
            srcLeft -= piece - pieceLeft;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc != static_cast<std::size_t>(-1)) {
                pieceBytes = std::min(2 * pieceBytes, kMaxPieceBytes);
            } else {
                if (errno == E2BIG) continue;
                // A sequence cut by the end of the piece is whole in the next one.
                if (errno == EINVAL && pieceLeft < srcLeft && pieceLeft < piece) continue;
                // EILSEQ, or EINVAL (truncated sequence at the end): replace and resynchronise.
                out.append(replacement);
                pieceBytes = kMinPieceBytes;
                std::size_t n = std::min(srcLeft, skip(std::string_view(src, srcLeft)));
                src += n;
                srcLeft -= n;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

  private:
    static constexpr std::size_t kMinPieceBytes = 16;
    static constexpr std::size_t kMaxPieceBytes = 4096;
    static inline const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_;
};

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
    Converter converter("UTF-8", "CP932");
    if (!converter.available()) return false;
    bool valid = true;
    converter.run(bytes, "", [&valid](std::string_view) -> std::size_t {
        valid = false;
        return 1;
    });
    return valid;
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
    // A lead byte with a bad trail byte: replace the lead byte only, so that an ASCII byte
    // after it survives.
    return converter.run(bytes, "\xEF\xBF\xBD", [](std::string_view) -> std::size_t { return 1; });
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
