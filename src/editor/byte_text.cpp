#include "editor/byte_text.h"

#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"

namespace sorvek {
namespace {

bool cp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool cp932Trail(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// One character of the text: its UTF-8 and how many bytes it stands for.
struct Piece {
    std::string text;
    std::size_t bytes = 1;
};

Piece cp932Piece(std::string_view bytes, std::size_t at) {
    const auto b = static_cast<unsigned char>(bytes[at]);
    const Cp932Decoder& decoder = Cp932Decoder::get();
    if (cp932Lead(b) && at + 1 < bytes.size() &&
        cp932Trail(static_cast<unsigned char>(bytes[at + 1]))) {
        return {decoder.decode(bytes.substr(at, 2)), 2};
    }
    if ((b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF)) {
        return {decoder.decode(bytes.substr(at, 1))};
    }
    return {"."};
}

}  // namespace

std::vector<std::string> bytesAsText(std::string_view bytes, std::size_t perLine,
                                     InputCodePage page) {
    std::vector<std::string> lines((bytes.size() + perLine - 1) / perLine);
    const EbcdicDecoder* ebcdic = isEbcdic(page) ? &EbcdicDecoder::get(page) : nullptr;
    bool shifted = false;  // inside EBCDIC double-byte text
    for (std::size_t at = 0; at < bytes.size();) {
        Piece piece{"."};
        const auto b = static_cast<unsigned char>(bytes[at]);
        if (ebcdic == nullptr) {
            piece = cp932Piece(bytes, at);
        } else if (b == EbcdicDecoder::kShiftOut || b == EbcdicDecoder::kShiftIn) {
            shifted = b == EbcdicDecoder::kShiftOut && ebcdic->doubleByte();
        } else if (shifted && at + 1 < bytes.size()) {
            std::string pair = "\x0E";
            pair += bytes.substr(at, 2);
            pair += '\x0F';
            piece = {ebcdic->textToUtf8(pair), 2};
            // The shift bytes read as blanks after the character; a double-byte blank may go
            // with them.
            while (!piece.text.empty() && piece.text.back() == ' ') piece.text.pop_back();
            if (piece.text.empty()) piece.text = "\xE3\x80\x80";
        } else if (b == EbcdicDecoder::kBlank) {
            piece.text = " ";
        } else if (ebcdic->classOf(b) == EbcdicDecoder::ByteClass::Text) {
            piece.text = ebcdic->textToUtf8(bytes.substr(at, 1));
        }
        // A blank decoded from the page is a blank; a character that is none shows as ".".
        if (piece.text.empty() || piece.text == "\xEF\xBF\xBD") piece.text = ".";
        lines[at / perLine] += piece.text;
        at += piece.bytes;
    }
    return lines;
}

}  // namespace sorvek
