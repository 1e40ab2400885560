#include "engine/field_encoding.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "engine/host_numbers.h"
#include "platform/codepage.h"
#include "platform/half_width.h"

namespace sorvek {
namespace {

constexpr unsigned char kEbcdicPlus = 0x4E;
constexpr unsigned char kEbcdicMinus = 0x60;

// A number as people write it: blanks around, a sign, digits with at most one point.
struct NumberText {
    bool negative = false;
    std::string_view whole, fraction;
};

bool parseNumber(std::string_view text, NumberText& number) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    number.whole = text.substr(0, point);
    number.fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (number.whole.empty() && number.fraction.empty()) return false;
    for (std::string_view part : {number.whole, number.fraction}) {
        for (char c : part) {
            if (c < '0' || c > '9') return false;
        }
    }
    return true;
}

bool isBlankText(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// The UTF-8 character of `text` at byte `at`.
std::string characterAt(std::string_view text, std::size_t at) {
    std::size_t length = 1;
    decodeUtf8At(reinterpret_cast<const unsigned char*>(text.data() + at), text.size() - at,
                 length);
    return std::string(text.substr(at, length));
}

}  // namespace

FieldEncoding::FieldEncoding(const FieldDef& f, const ValueTextForm& form,
                             const CsvOutputOptions& options)
    : offset_(static_cast<std::uint32_t>(f.Pos - 1)),
      size_(static_cast<std::uint32_t>(f.Size)),
      dec_(f.Dec),
      scale_(f.scale),
      text_(form) {
    const bool ebcdic = isEbcdic(form.page);
    if (ebcdic || form.encoding != CsvEncoding::Cp932) encoder_ = &PageEncoder::get(form.page);
    if (f.Type == kTypeBinary) {
        form_ = Form::Binary;
        binarySigned_ = f.signedBinary;
        bigEndian_ =
            f.byteOrder == ByteOrder::Big || ebcdic || std::endian::native == std::endian::big;
    } else if (f.Type == kTypePacked) {
        form_ = Form::Packed;
    } else if (f.Type == kTypeZoned) {
        signDeclared_ = f.sign != SignPosition::Undeclared;
        const bool host = ebcdic || signDeclared_ || f.scale != 0;
        form_ = host ? Form::HostZoned : Form::Zoned;
        sign_ = f.sign;
        if (!signDeclared_) {
            const bool leading = options.zonedSign == ZonedSign::Leading ||
                                 (options.zonedSign == ZonedSign::Trailing && f.leadingSign);
            sign_ = leading && !ebcdic ? SignPosition::Leading : SignPosition::Trailing;
        }
    } else if (ebcdic && f.Type == kTypeDoubleByte) {
        form_ = Form::DoubleByte;
    } else if (f.width != CharacterWidth::Any) {
        form_ = Form::HalfWidth;
        upperCase_ = f.width == CharacterWidth::SingleUpper;
        encoder_ = &PageEncoder::get(form.page);
    }
}

void FieldEncoding::fill(unsigned char* field) const {
    const bool ebcdic = isEbcdic(text_.page);
    switch (form_) {
        case Form::Text:
        case Form::HalfWidth:
            std::memset(field, ebcdic ? 0x40 : ' ', size_);
            return;
        case Form::DoubleByte:
            std::memset(field, 0x40, size_);
            return;
        case Form::Zoned:
        case Form::HostZoned:
            std::memset(field, ebcdic ? 0xF0 : '0', size_);
            if (sign_ == SignPosition::LeadingSeparate) field[0] = ebcdic ? kEbcdicPlus : '+';
            if (sign_ == SignPosition::TrailingSeparate) {
                field[size_ - 1] = ebcdic ? kEbcdicPlus : '+';
            }
            return;
        case Form::Packed:
            std::memset(field, 0, size_);
            field[size_ - 1] = 0x0C;
            return;
        case Form::Binary:
            std::memset(field, 0, size_);
            return;
    }
}

bool FieldEncoding::toPage(std::string_view value, std::string& out, std::string& why) const {
    out.clear();
    if (encoder_ == nullptr) {
        out.assign(value);
        return true;
    }
    std::string utf8;
    std::string_view text = value;
    if (text_.encoding == CsvEncoding::Cp932) {
        utf8 = cp932ToUtf8(value);
        text = utf8;
    }
    // The conversion writes the odd last byte of a double-byte field as a one-byte blank: blanks
    // at the end are padding, which the caller puts back.
    if (form_ == Form::DoubleByte) {
        while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    }
    const std::size_t bad = form_ == Form::DoubleByte ? encoder_->encodeDoubleByte(text, out)
                                                      : encoder_->encode(text, out);
    if (bad == PageEncoder::npos) return true;
    why = missingCharacter(text, bad);
    return false;
}

std::string FieldEncoding::missingCharacter(std::string_view text, std::size_t at) const {
    return "「" + characterAt(text, at) + "」はこの文字コード (" +
           std::string(inputCodePageName(text_.page)) + ") にない文字です。";
}

std::string FieldEncoding::encodeOther(std::string_view value, unsigned char* field,
                                       std::string& scratch) const {
    switch (form_) {
        case Form::Text:
        case Form::DoubleByte:
            return encodeText(value, field, scratch);
        case Form::Zoned:
        case Form::HostZoned:
            return encodeZoned(value, field, scratch);
        case Form::Packed:
            return encodePacked(value, field);
        case Form::Binary:
            return encodeBinary(value, field);
        case Form::HalfWidth:
            return encodeHalfWidth(value, field, scratch);
    }
    return {};
}

std::string FieldEncoding::encodeText(std::string_view value, unsigned char* field,
                                      std::string& scratch) const {
    std::string why;
    // Shift-JIS text into Shift-JIS records is its bytes: no copy on the way.
    std::string_view bytes = value;
    if (encoder_ != nullptr) {
        if (!toPage(value, scratch, why)) return why;
        bytes = scratch;
    }
    const bool ebcdic = isEbcdic(text_.page);
    if (bytes.size() > size_) {
        // Blanks at the end are the field's padding, where it has no room for them: the
        // conversion writes an EBCDIC field's shift bytes as blanks after its text.
        const std::size_t text = bytes.find_last_not_of(ebcdic ? '\x40' : ' ') + 1;
        if (text > size_) {
            return "バイト数が多すぎます (" + std::to_string(bytes.size()) +
                   " バイト、フィールドは " + std::to_string(size_) + " バイト)。";
        }
        bytes = bytes.substr(0, text);
    }
    std::memcpy(field, bytes.data(), bytes.size());
    // Blanks after the text (the double-byte blanks of EBCDIC are 40 40 too).
    std::memset(field + bytes.size(), isEbcdic(text_.page) ? 0x40 : ' ', size_ - bytes.size());
    return {};
}

std::string FieldEncoding::encodeHalfWidth(std::string_view value, unsigned char* field,
                                           std::string& scratch) const {
    std::string utf8;
    std::string_view text = value;
    if (text_.encoding == CsvEncoding::Cp932) {
        utf8 = cp932ToUtf8(value);
        text = utf8;
    }
    std::string half;
    if (const std::size_t bad = appendHalfWidth(text, upperCase_, half); bad != kAllHalfWidth) {
        return "半角にできない文字があります (「" + characterAt(text, bad) + "」)。";
    }
    scratch.clear();
    if (const std::size_t bad = encoder_->encode(half, scratch); bad != PageEncoder::npos) {
        return missingCharacter(half, bad);
    }
    // Blanks at the end are padding (an ideographic space there too, once it is one byte).
    const std::size_t used = scratch.find_last_not_of(static_cast<char>(encoder_->blank())) + 1;
    if (used > size_) {
        return "半角にすると " + std::to_string(used) + " バイトになり、フィールド長 (" +
               std::to_string(size_) + ") を超えます。";
    }
    std::memcpy(field, scratch.data(), used);
    std::memset(field + used, encoder_->blank(), size_ - used);
    return {};
}

std::string FieldEncoding::fitDigits(std::string_view value, std::size_t digits, bool& negative,
                                     char* out) const {
    NumberText number;
    if (!parseNumber(value, number)) return "数値ではありません。";
    // The field holds the value times 10 to the power of its decimal places less its scale.
    std::string all(number.whole);
    all += number.fraction;
    const std::int64_t shift = static_cast<std::int64_t>(dec_) - scale_ -
                               static_cast<std::int64_t>(number.fraction.size());
    if (shift >= 0) {
        all.append(static_cast<std::size_t>(shift), '0');
    } else {
        const std::size_t cut = static_cast<std::size_t>(-shift);
        const std::size_t keep = cut < all.size() ? all.size() - cut : 0;
        if (all.find_first_not_of('0', keep) != std::string::npos) {
            return "小数点以下の桁が多すぎます (小数点以下 " + std::to_string(dec_) + " 桁)。";
        }
        all.resize(keep);
    }
    const std::size_t first = all.find_first_not_of('0');
    const std::string_view significant =
        first == std::string::npos ? std::string_view() : std::string_view(all).substr(first);
    if (significant.size() > digits) {
        return "桁数が多すぎます (" + std::to_string(digits) + " 桁まで)。";
    }
    std::memset(out, '0', digits - significant.size());
    // A zero has no significant digits (and no bytes to copy them from).
    std::copy(significant.begin(), significant.end(), out + digits - significant.size());
    negative = number.negative && !significant.empty();
    return {};
}

std::string FieldEncoding::encodeZoned(std::string_view value, unsigned char* field,
                                       std::string& scratch) const {
    const bool ebcdic = isEbcdic(text_.page);
    std::string why;
    const bool signed_ = !value.empty() && (value.front() == '-' || value.front() == '+');
    if (form_ == Form::Zoned && !signed_) {
        // The field's bytes as they were copied: as wide as the field, or with the point.
        std::string_view bytes = value;
        if (encoder_ != nullptr) {
            if (!toPage(value, scratch, why)) return why;
            bytes = scratch;
        }
        const std::size_t whole = size_ - static_cast<std::size_t>(dec_);
        if (dec_ == 0 && bytes.size() == size_) {
            std::memcpy(field, bytes.data(), size_);
            return {};
        }
        if (dec_ != 0 && bytes.size() == size_ + 1 && bytes[whole] == '.') {
            std::memcpy(field, bytes.data(), whole);
            std::memcpy(field + whole, bytes.data() + whole + 1, size_ - whole);
            return {};
        }
    }
    if (isBlankText(value)) {
        std::memset(field, ebcdic ? 0x40 : ' ', size_);
        return {};
    }
    const bool separate = separateSign(sign_);
    const std::size_t digits = separate ? size_ - 1 : size_;
    char text[256];
    std::string digitText;
    char* out = text;
    if (digits > sizeof text) {
        digitText.resize(digits);
        out = digitText.data();
    }
    bool negative = false;
    std::string failed = fitDigits(value, digits, negative, out);
    if (!failed.empty()) {
        // A host field that held no number was written as its text.
        if (form_ == Form::HostZoned && toPage(value, scratch, why) && scratch.size() == size_) {
            std::memcpy(field, scratch.data(), size_);
            return {};
        }
        return failed;
    }
    unsigned char* d = field + (sign_ == SignPosition::LeadingSeparate ? 1 : 0);
    for (std::size_t i = 0; i < digits; ++i) {
        d[i] = static_cast<unsigned char>(ebcdic ? 0xF0 | (out[i] - '0') : out[i]);
    }
    if (separate) {
        const unsigned char s =
            ebcdic ? (negative ? kEbcdicMinus : kEbcdicPlus) : (negative ? '-' : '+');
        field[sign_ == SignPosition::LeadingSeparate ? 0 : size_ - 1] = s;
        return {};
    }
    unsigned char& carrier = sign_ == SignPosition::Leading ? d[0] : d[digits - 1];
    const int digit = carrier & 0x0F;
    if (ebcdic) {
        // D for a negative value; C where the layout declares a sign, F where it declares none.
        const int zone = negative ? 0xD0 : signDeclared_ ? 0xC0 : 0xF0;
        carrier = static_cast<unsigned char>(zone | digit);
    } else if (negative) {
        carrier = static_cast<unsigned char>(0x70 | digit);  // "p" to "y"
    }
    return {};
}

std::string FieldEncoding::encodePacked(std::string_view value, unsigned char* field) const {
    const std::size_t digits = 2 * static_cast<std::size_t>(size_) - 1;
    std::string out(digits, '0');
    bool negative = false;
    if (!isBlankText(value)) {
        if (std::string failed = fitDigits(value, digits, negative, out.data()); !failed.empty()) {
            return failed;
        }
    }
    for (std::size_t i = 0; i + 1 < size_; ++i) {
        field[i] = static_cast<unsigned char>((out[2 * i] - '0') << 4 | (out[2 * i + 1] - '0'));
    }
    field[size_ - 1] =
        static_cast<unsigned char>((out[digits - 1] - '0') << 4 | (negative ? 0x0D : 0x0C));
    return {};
}

std::string FieldEncoding::encodeBinary(std::string_view value, unsigned char* field) const {
    const std::size_t digits = binaryDigits(size_);
    char out[24];
    bool negative = false;
    if (!isBlankText(value)) {
        if (std::string failed = fitDigits(value, digits, negative, out); !failed.empty()) {
            return failed;
        }
    } else {
        std::memset(out, '0', digits);
    }
    if (negative && !binarySigned_) return "符号のないフィールドに負の値は入りません。";
    unsigned __int128 magnitude = 0;
    for (std::size_t i = 0; i < digits; ++i)
        magnitude = magnitude * 10 + static_cast<unsigned>(out[i] - '0');
    const unsigned bits = 8 * size_;
    const unsigned __int128 limit =
        binarySigned_ ? (static_cast<unsigned __int128>(1) << (bits - 1)) - (negative ? 0 : 1)
                      : (static_cast<unsigned __int128>(1) << bits) - 1;
    if (magnitude > limit)
        return "値が大きすぎます (" + std::to_string(size_) + " バイトの二進数)。";
    std::uint64_t bitsValue = static_cast<std::uint64_t>(magnitude);
    if (negative) bitsValue = ~bitsValue + 1;  // two's complement, cut to the field below
    for (std::size_t i = 0; i < size_; ++i) {
        const unsigned char b = static_cast<unsigned char>(bitsValue >> (8 * i));
        field[bigEndian_ ? size_ - 1 - i : i] = b;
    }
    return {};
}

}  // namespace sorvek
