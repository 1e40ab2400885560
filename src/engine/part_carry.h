#pragma once
// The bytes cut at the end of one part (a record or a line that goes on in the next), put in
// front of the next part's bytes: shared by the jobs whose parts follow the input in turns.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "engine/job_files.h"
#include "ports/status.h"

namespace sorvek {

// Room kept before a part's bytes read at offsets for what the part before it cut, so that
// joining them costs no copy of the part.
inline constexpr std::size_t kCarryRoom = 64 * 1024;

// Puts `carry` in front of the part's bytes, which begin at kCarryRoom of `bytes`: in the room
// kept for it, or, when it is longer, by a copy of the whole. Returns where the joined bytes
// begin in `bytes`.
inline std::size_t joinCarry(const std::vector<char>& carry, std::vector<char>& bytes) {
    if (carry.size() <= kCarryRoom) {
        const std::size_t begin = kCarryRoom - carry.size();
        std::copy(carry.begin(), carry.end(), bytes.begin() + static_cast<std::ptrdiff_t>(begin));
        return begin;
    }
    std::vector<char> joined(carry);
    joined.insert(joined.end(), bytes.begin() + kCarryRoom, bytes.end());
    bytes.swap(joined);
    return 0;
}

// Fills `bytes` with `carry` and then up to `length` bytes read in order from `input`, and
// returns how many were read (`bytes` holds the carry and them). A read failure is returned.
inline Result<std::size_t> readAfterCarry(JobInput& input, const std::vector<char>& carry,
                                          std::size_t length, std::vector<char>& bytes) {
    bytes.resize(carry.size() + length);
    std::copy(carry.begin(), carry.end(), bytes.begin());
    Result<std::size_t> got = input.read(bytes.data() + carry.size(), length);
    if (got) bytes.resize(carry.size() + *got);
    return got;
}

}  // namespace sorvek
