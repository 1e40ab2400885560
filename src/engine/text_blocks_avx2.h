#pragma once
// The text jobs' block work with 32-byte steps, for processors with AVX2 (chosen at run time).
#include <cstddef>
#include <cstdint>

namespace sorvek::avx2 {

// False when this build has no AVX2 variant (another architecture or compiler).
bool compiledIn();
char* cutRecords(const char* p, const char* end, std::int32_t length, std::int64_t& count,
                 char* out, char* scratch);
char* convertBreaks(const char* p, const char* end, const char* ending, std::size_t endingLength,
                    bool& afterCr, char* out);

}  // namespace sorvek::avx2
