#include "platform/one_byte_text.h"

namespace sorvek {
namespace one_byte_text {
// In one_byte_text_avx512.cpp: whether the processor has what it needs, and the 64-byte walk.
bool avx512Available();
std::size_t translateAvx512(const unsigned char* in, std::size_t n, const OneByteTable& table,
                            char* out);
}  // namespace one_byte_text

std::size_t translateOneByteText(const unsigned char* in, std::size_t n, const OneByteTable& table,
                                 char* out) {
    // Fields are mostly short: below 16 bytes the loop costs no more than setting up the
    // tables.
    static const bool wide = one_byte_text::avx512Available();
    if (wide && n >= 16) return one_byte_text::translateAvx512(in, n, table, out);
    std::size_t i = 0;
    for (; i < n && table.special[in[i]] == 0; ++i) out[i] = static_cast<char>(table.bytes[in[i]]);
    return i;
}

}  // namespace sorvek
