// Compiled with -mavx2 (see CMakeLists.txt); only called where the processor has AVX2.
#include "engine/byte_classes.h"

#if defined(__AVX2__)
#include "engine/byte_lanes.h"

namespace sorvek::byte_classes {

void followWordsAvx2(const unsigned char* p, std::size_t words, ProfileState& state) {
    Profile<ClassifyByLanes<Avx2Lanes>>::words(p, words, state);
}

}  // namespace sorvek::byte_classes

#else

namespace sorvek::byte_classes {

// Never called where AVX2 is not compiled in (avx2Available() is false there).
void followWordsAvx2(const unsigned char* p, std::size_t words, ProfileState& state) {
    followWords(p, words, state);
}

}  // namespace sorvek::byte_classes

#endif
