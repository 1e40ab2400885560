#include "platform/half_width.h"

#include <cstdint>

#include "platform/page_encoder.h"

namespace sorvek {
namespace {

// A full-width katakana's half-width form: the low byte of its U+FFxx character (0: none) and
// the mark that follows it.
enum Mark : std::uint8_t { kNone, kVoiced, kSemiVoiced };
struct Kana {
    std::uint8_t base;
    Mark mark;
};

constexpr char32_t kFirstKatakana = 0x30A1;  // ァ
// From ァ (U+30A1) to ヺ (U+30FA), row by row of the syllabary.
constexpr Kana kKatakana[] = {
    // ァ ア ィ イ ゥ ウ ェ エ ォ オ
    {0x67, kNone},
    {0x71, kNone},
    {0x68, kNone},
    {0x72, kNone},
    {0x69, kNone},
    {0x73, kNone},
    {0x6A, kNone},
    {0x74, kNone},
    {0x6B, kNone},
    {0x75, kNone},
    // カ ガ キ ギ ク グ ケ ゲ コ ゴ
    {0x76, kNone},
    {0x76, kVoiced},
    {0x77, kNone},
    {0x77, kVoiced},
    {0x78, kNone},
    {0x78, kVoiced},
    {0x79, kNone},
    {0x79, kVoiced},
    {0x7A, kNone},
    {0x7A, kVoiced},
    // サ ザ シ ジ ス ズ セ ゼ ソ ゾ
    {0x7B, kNone},
    {0x7B, kVoiced},
    {0x7C, kNone},
    {0x7C, kVoiced},
    {0x7D, kNone},
    {0x7D, kVoiced},
    {0x7E, kNone},
    {0x7E, kVoiced},
    {0x7F, kNone},
    {0x7F, kVoiced},
    // タ ダ チ ヂ ッ ツ ヅ テ デ ト ド
    {0x80, kNone},
    {0x80, kVoiced},
    {0x81, kNone},
    {0x81, kVoiced},
    {0x6F, kNone},
    {0x82, kNone},
    {0x82, kVoiced},
    {0x83, kNone},
    {0x83, kVoiced},
    {0x84, kNone},
    {0x84, kVoiced},
    // ナ ニ ヌ ネ ノ
    {0x85, kNone},
    {0x86, kNone},
    {0x87, kNone},
    {0x88, kNone},
    {0x89, kNone},
    // ハ バ パ ヒ ビ ピ フ ブ プ ヘ ベ ペ ホ ボ ポ
    {0x8A, kNone},
    {0x8A, kVoiced},
    {0x8A, kSemiVoiced},
    {0x8B, kNone},
    {0x8B, kVoiced},
    {0x8B, kSemiVoiced},
    {0x8C, kNone},
    {0x8C, kVoiced},
    {0x8C, kSemiVoiced},
    {0x8D, kNone},
    {0x8D, kVoiced},
    {0x8D, kSemiVoiced},
    {0x8E, kNone},
    {0x8E, kVoiced},
    {0x8E, kSemiVoiced},
    // マ ミ ム メ モ
    {0x8F, kNone},
    {0x90, kNone},
    {0x91, kNone},
    {0x92, kNone},
    {0x93, kNone},
    // ャ ヤ ュ ユ ョ ヨ
    {0x6C, kNone},
    {0x94, kNone},
    {0x6D, kNone},
    {0x95, kNone},
    {0x6E, kNone},
    {0x96, kNone},
    // ラ リ ル レ ロ
    {0x97, kNone},
    {0x98, kNone},
    {0x99, kNone},
    {0x9A, kNone},
    {0x9B, kNone},
    // ヮ ワ ヰ ヱ ヲ ン ヴ ヵ ヶ ヷ ヸ ヹ ヺ: the small wa and ka, ke and the old wi and we have
    // no half-width form.
    {0, kNone},
    {0x9C, kNone},
    {0, kNone},
    {0, kNone},
    {0x66, kNone},
    {0x9D, kNone},
    {0x73, kVoiced},
    {0, kNone},
    {0, kNone},
    {0x9C, kVoiced},
    {0, kNone},
    {0, kNone},
    {0x66, kVoiced},
};
constexpr char32_t kLastKatakana =
    kFirstKatakana + static_cast<char32_t>(sizeof kKatakana / sizeof kKatakana[0]) - 1;
static_assert(kLastKatakana == 0x30FA);

constexpr char32_t kVoicedMark = 0xFF9E;      // ﾞ
constexpr char32_t kSemiVoicedMark = 0xFF9F;  // ﾟ

void appendCodePoint(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    // Every half-width character is of the U+FFxx range: three bytes.
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

// The one-character half-width form of `cp` other than the katakana, or 0 for none.
char32_t halfWidthOf(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F)) return cp;
    if (cp >= 0xFF01 && cp <= 0xFF5E) return cp - 0xFEE0;
    switch (cp) {
        case 0x3000:  // ideographic space
            return ' ';
        case 0x3001:  // 、
            return 0xFF64;
        case 0x3002:  // 。
            return 0xFF61;
        case 0x300C:  // 「
            return 0xFF62;
        case 0x300D:  // 」
            return 0xFF63;
        case 0x30FB:  // ・
            return 0xFF65;
        case 0x30FC:  // ー
            return 0xFF70;
        case 0x3099:  // combining voiced mark
        case 0x309B:  // ゛
            return kVoicedMark;
        case 0x309A:  // combining semi-voiced mark
        case 0x309C:  // ゜
            return kSemiVoicedMark;
        case 0xFFE5:  // ￥
            return '\\';
        case 0x2010:  // hyphen
        case 0x2015:  // horizontal bar
        case 0x2212:  // minus sign
            return '-';
        default:
            return 0;
    }
}

}  // namespace

std::size_t appendHalfWidth(std::string_view text, bool upperCase, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length = 1;
        char32_t cp = decodeUtf8At(p + i, text.size() - i, length);
        // Hiragana are written as the katakana of the same sound.
        if (cp >= 0x3041 && cp <= 0x3096) cp += 0x60;
        if (cp >= kFirstKatakana && cp <= kLastKatakana) {
            const Kana kana = kKatakana[cp - kFirstKatakana];
            if (kana.base == 0) return i;
            appendCodePoint(0xFF00 + kana.base, out);
            if (kana.mark != kNone) {
                appendCodePoint(kana.mark == kVoiced ? kVoicedMark : kSemiVoicedMark, out);
            }
        } else {
            char32_t half = halfWidthOf(cp);
            if (half == 0 && cp != 0) return i;
            if (upperCase && half >= 'a' && half <= 'z') half -= 'a' - 'A';
            appendCodePoint(half, out);
        }
        i += length;
    }
    return kAllHalfWidth;
}

}  // namespace sorvek
