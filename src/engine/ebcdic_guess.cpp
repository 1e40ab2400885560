#include "engine/ebcdic_guess.h"

#include <array>
#include <cstdint>
#include <string>

#include "model/option_captions.h"
#include "platform/ebcdic_decoder.h"

namespace sorvek {
namespace {

// What a one-byte character of a page is, for telling words apart.
enum class Letter : std::uint8_t { None, Katakana, Mark, Latin, NoCharacter };

using LetterTable = std::array<Letter, 256>;

// U+FF66..U+FF9D are half-width katakana, U+FF70 the long vowel mark among them; U+FF9E and
// U+FF9F the voiced marks that follow a katakana.
Letter letterOf(const std::string& utf8) {
    if (utf8.size() == 1) {
        const char c = utf8[0];
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ? Letter::Latin : Letter::None;
    }
    if (utf8.size() != 3 || static_cast<unsigned char>(utf8[0]) != 0xEF) return Letter::None;
    const unsigned code = ((static_cast<unsigned char>(utf8[1]) & 0x3Fu) << 6) |
                          (static_cast<unsigned char>(utf8[2]) & 0x3Fu);
    const unsigned codePoint = 0xF000u | code;
    if (codePoint == 0xFF9E || codePoint == 0xFF9F) return Letter::Mark;
    if (codePoint >= 0xFF66 && codePoint <= 0xFF9D) return Letter::Katakana;
    return Letter::None;
}

LetterTable lettersOf(InputCodePage page) {
    const EbcdicDecoder& decoder = EbcdicDecoder::get(page);
    LetterTable table{};
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        switch (decoder.classOf(byte)) {
            case EbcdicDecoder::ByteClass::Text:
                table[byte] = letterOf(decoder.textToUtf8(std::string(1, static_cast<char>(b))));
                break;
            case EbcdicDecoder::ByteClass::NoCharacter:
                table[byte] = Letter::NoCharacter;
                break;
            default:
                table[byte] = Letter::None;
        }
    }
    return table;
}

// The one-byte letters of `head` on a page that read wrongly: in words that mix katakana and
// Latin letters, voiced marks after no katakana, and bytes that are no character. Double-byte
// text (between shift-out and shift-in) is passed by.
std::size_t misfits(std::span<const unsigned char> head, const LetterTable& letters) {
    std::size_t wrong = 0;
    std::size_t wordLength = 0;
    bool katakana = false;
    bool latin = false;
    auto endWord = [&] {
        if (katakana && latin) wrong += wordLength;
        wordLength = 0;
        katakana = latin = false;
    };
    bool shifted = false;
    for (const unsigned char b : head) {
        if (b == EbcdicDecoder::kShiftOut || b == EbcdicDecoder::kShiftIn) {
            endWord();
            shifted = b == EbcdicDecoder::kShiftOut;
            continue;
        }
        if (shifted) continue;
        const Letter letter = letters[b];
        if (letter == Letter::NoCharacter) ++wrong;
        if (letter == Letter::Mark && !katakana) ++wrong;
        if (letter != Letter::Katakana && letter != Letter::Latin && letter != Letter::Mark) {
            endWord();
            continue;
        }
        ++wordLength;
        katakana = katakana || letter != Letter::Latin;
        latin = latin || letter == Letter::Latin;
    }
    endWord();
    return wrong;
}

}  // namespace

EbcdicGuess guessEbcdic(std::span<const unsigned char> head) {
    // EBCDIC blanks and digits come in runs (padding, numbers); in Shift-JIS 0x40 and 0xF0 to
    // 0xF9 are second bytes (the full-width blank is 81 40) and never two in a row.
    auto ebcdicDigit = [](unsigned char b) { return b >= 0xF0 && b <= 0xF9; };
    std::size_t ebcdic = 0;
    std::size_t ascii = 0;
    unsigned char previous = 0;
    for (const unsigned char b : head) {
        ebcdic += (b == 0x40 && previous == 0x40) || (ebcdicDigit(b) && ebcdicDigit(previous));
        ascii += b == 0x20 || (b >= 0x30 && b <= 0x39) || b == 0x0A || b == 0x0D;
        previous = b;
    }
    EbcdicGuess guess;
    guess.looksEbcdic = ebcdic >= 16 && ebcdic >= 3 * ascii;
    if (!guess.looksEbcdic) return guess;
    static const LetterTable ibm930 = lettersOf(InputCodePage::Ibm930);
    static const LetterTable ibm939 = lettersOf(InputCodePage::Ibm939);
    const std::size_t on930 = misfits(head, ibm930);
    const std::size_t on939 = misfits(head, ibm939);
    // Clearly better: a few letters at least, and under half as many misfits.
    if (on930 >= 4 && on939 * 2 < on930) guess.japanesePage = InputCodePage::Ibm939;
    if (on939 >= 4 && on930 * 2 < on939) guess.japanesePage = InputCodePage::Ibm930;
    return guess;
}

std::string ebcdicGuessNote(const EbcdicGuess& guess, InputCodePage page) {
    auto caption = [](InputCodePage p) {
        return std::string(choiceCaption(kInputCodePageChoices, p));
    };
    if (!isEbcdic(page)) {
        if (!guess.looksEbcdic) return {};
        std::string note =
            "EBCDIC のデータのようです (EBCDIC の空白 40 と数字 F0～F9 が多く、ASCII の空白と数字は"
            "わずかです)。";
        if (guess.japanesePage) {
            return note + "入力の文字コードに「" + caption(*guess.japanesePage) +
                   "」を選ぶと読めそうです。";
        }
        return note + "ファイル定義の入力の文字コードで EBCDIC のページを選んでください。";
    }
    if (!hasShiftedDoubleByte(page) || !guess.japanesePage || *guess.japanesePage == page) {
        return {};
    }
    return "1バイトの文字は定義の " + std::string(inputCodePageName(page)) + " より「" +
           caption(*guess.japanesePage) +
           "」によく合います。カナや英字が化ける場合は入力の文字コードを変えてください。";
}

}  // namespace sorvek
