#include "engine/record_screen.h"

#include "engine/byte_classes.h"
#include "engine/byte_lanes.h"
#include "engine/text_blocks.h"

namespace sorvek {

bool screenRecordSse2(const unsigned char* record, std::size_t length, const ScreenChunk* chunks,
                      std::size_t count) {
    return screenRecord<Sse2Lanes>(record, length, chunks, count);
}

RecordScreen recordScreen() {
    if (byte_classes::avx512Available()) return screenRecordAvx512;
    if (avx2Available()) return screenRecordAvx2;
    return screenRecordSse2;
}

}  // namespace sorvek
