#pragma once
// The common start of a text field of a single-byte page: bytes that each stand for one byte of
// the output, translated through a table up to the first byte that asks for more. Chosen at run
// time: 64 bytes a step where the processor has AVX-512 VBMI (two permutes look a byte up in a
// 256-entry table), a byte at a time elsewhere.
#include <cstddef>

namespace sorvek {

// A page's one-byte translation: `bytes[b]` is what byte b becomes where `special[b]` is 0;
// where it is not, the byte needs the general walk.
struct OneByteTable {
    alignas(64) unsigned char bytes[256] = {};
    alignas(64) unsigned char special[256] = {};
};

// Translates the `n` bytes at `in` into `out` up to the first special one and returns how many
// were translated (n when none is special). Reads and writes only those `n` bytes.
std::size_t translateOneByteText(const unsigned char* in, std::size_t n, const OneByteTable& table,
                                 char* out);

}  // namespace sorvek
