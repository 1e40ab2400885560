#pragma once
// The record-to-CSV conversion as first described, one record and one field at a time, with
// byte arrays: the reference the compiled, block-wise conversion must match byte for byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek::testing {

using Bytes = std::vector<unsigned char>;

// `length` bytes of `bytes` from the 0-based `start` on; shorter (or empty) where `bytes` ends.
Bytes midBytes(const Bytes& bytes, std::size_t start, std::size_t length);

// Copies `source` into `target` from `position` on, growing `target` when it is too short.
// Returns the source's upper bound (its size - 1, -1 when empty).
std::ptrdiff_t putBytes(Bytes& target, std::size_t position, const Bytes& source);

// `left`, the CP932 bytes of `separator`, `right`.
Bytes joinBytes(const Bytes& left, const Bytes& right, const std::string& separator);

// The packed value of `size` bytes from `start`, nibble by nibble: "-" for a last nibble D,
// else a blank; every digit nibble OR 0x30; a "." before the last `dec` digits. Empty when the
// field is not within `bytes`, `size` is 0 or `dec` is outside 0 .. 2 × size - 1.
Bytes unpackDecimal(const Bytes& bytes, std::size_t start, std::size_t size, std::int32_t dec);

// The output line of record definition `k` from the `Data` of it and its ancestors: their marked
// fields, top generation first, joined by the delimiter, each written as `table.output` says
// (encoding, trimming, zoned sign, invalid packed digits, quoting). An ancestor whose fields
// cannot be given leaves it and the generations above it out; `k` itself failing gives an empty
// line.
Bytes buildCsvLine(const RecordDefTable& table, int k);

// The whole conversion of `in`, whose records are of the kinds `kinds` in order, each possibly
// followed by CR, LF or CR LF; without a title line, with the byte order mark and line end of
// `table.output`. With InvalidPacked::Fail it ends before the first record with an invalid marked
// packed field of its own and sets `stopped`.
std::string referenceConversion(const std::string& in, RecordDefTable table,
                                const std::vector<int>& kinds, bool* stopped = nullptr);

}  // namespace sorvek::testing
