#pragma once
// The CP932 decoder's walk 16 bytes a step where the processor has AVX-512 (with VBMI2): which
// bytes start characters is worked out from the runs of lead bytes at once, the entries of all
// 16 are looked up together and the UTF-8 of the characters packed into place. Only for a table
// whose lead bytes are the usual ones (81-9F, E0-FC).
#include <cstdint>

namespace sorvek::cp932_decode {

bool wideAvailable();

// Decodes from `in` while at least 17 bytes are left before `end` (the 17th is read for a pair
// at the step's end), writing at `out` and moving it on; returns where it stopped, at the start
// of a character. `table`: the decoder's entries by first byte × 256 + next byte. REQUIRES:
// room at `out` as Cp932Decoder::decode asks for the bytes from `in` to `end`.
const unsigned char* decodeWide(const std::uint32_t* table, const unsigned char* in,
                                const unsigned char* end, char*& out);

}  // namespace sorvek::cp932_decode
