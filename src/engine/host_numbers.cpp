#include "engine/host_numbers.h"

#include <cstring>

#include "engine/csv_line_plan.h"

namespace sorvek {
namespace {

constexpr unsigned char kEbcdicPlus = 0x4E;
constexpr unsigned char kEbcdicMinus = 0x60;

bool isDigitByte(unsigned char b, bool ebcdic) {
    return ebcdic ? b >= 0xF0 && b <= 0xF9 : b >= '0' && b <= '9';
}

}  // namespace

char* writeDecimal(bool negative, const char* digits, std::size_t n, std::int32_t dec,
                   std::int32_t scale, char* out) {
    if (negative) *out++ = '-';
    const std::int64_t places = static_cast<std::int64_t>(dec) - scale;
    if (places <= 0) {
        std::memcpy(out, digits, n);
        out += n;
        std::memset(out, '0', static_cast<std::size_t>(-places));
        return out + static_cast<std::size_t>(-places);
    }
    const std::size_t p = static_cast<std::size_t>(places);
    if (p >= n) {
        *out++ = '0';
        *out++ = '.';
        std::memset(out, '0', p - n);
        out += p - n;
        std::memcpy(out, digits, n);
        return out + n;
    }
    std::memcpy(out, digits, n - p);
    out += n - p;
    *out++ = '.';
    std::memcpy(out, digits + n - p, p);
    return out + p;
}

char* writeBinary(const unsigned char* field, std::size_t size, bool isSigned, bool bigEndian,
                  std::int32_t dec, std::int32_t scale, char* out) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char b = field[bigEndian ? i : size - 1 - i];
        value = value << 8 | b;
    }
    bool negative = false;
    if (isSigned && size < 8 && (value >> (8 * size - 1)) != 0) {
        value = (std::uint64_t{1} << (8 * size)) - value;  // two's complement, within its bytes
        negative = true;
    } else if (isSigned && size == 8 && (value >> 63) != 0) {
        value = ~value + 1;  // the magnitude of the lowest value is 2^63, which still fits
        negative = true;
    }
    char digits[20];
    std::size_t n = 0;
    char* const end = digits + sizeof digits;
    do {
        digits[sizeof digits - 1 - n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    return writeDecimal(negative, end - n, n, dec, scale, out);
}

std::ptrdiff_t zonedDigits(const unsigned char* field, std::size_t size, SignPosition sign,
                           bool ebcdic, char* digits, bool& negative) {
    negative = false;
    std::size_t first = 0, last = size;  // the digit bytes
    if (separateSign(sign)) {
        if (size < 2) return -1;
        const unsigned char s = sign == SignPosition::LeadingSeparate ? field[0] : field[size - 1];
        const unsigned char plus = ebcdic ? kEbcdicPlus : '+';
        const unsigned char minus = ebcdic ? kEbcdicMinus : '-';
        if (s != plus && s != minus) return -1;
        negative = s == minus;
        if (sign == SignPosition::LeadingSeparate) {
            first = 1;
        } else {
            last = size - 1;
        }
    }
    const std::size_t signAt = sign == SignPosition::Leading    ? 0
                               : sign == SignPosition::Trailing ? size - 1
                                                                : size;  // none
    std::size_t n = 0;
    for (std::size_t i = first; i < last; ++i) {
        const unsigned char b = field[i];
        if (i == signAt && !isDigitByte(b, ebcdic)) {
            const ZoneSign z = zoneSign(b);
            if (!z.valid || (ebcdic && b < 0xA0)) return -1;
            negative = z.negative;
            digits[n++] = z.digit;
        } else if (isDigitByte(b, ebcdic)) {
            digits[n++] = static_cast<char>('0' + (b & 0x0F));
        } else {
            return -1;
        }
    }
    return static_cast<std::ptrdiff_t>(n);
}

}  // namespace sorvek
