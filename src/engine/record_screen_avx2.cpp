// Compiled with -mavx2 (see CMakeLists.txt); only called where the processor has AVX2.
#include "engine/record_screen.h"

#if defined(__AVX2__)
#include "engine/byte_lanes.h"

namespace sorvek {

bool screenRecordAvx2(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                      std::size_t count) {
    return screenRecord<Avx2Lanes>(record, length, chunks, count);
}

}  // namespace sorvek

#else

namespace sorvek {

// Never called where AVX2 is not compiled in.
bool screenRecordAvx2(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                      std::size_t count) {
    return screenRecordSse2(record, length, chunks, count);
}

}  // namespace sorvek

#endif
