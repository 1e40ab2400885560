// SORVEK_CPU takes the wider instruction sets away from every choice of variant, so that the
// runs of the tests with it set reach the paths of older processors rather than repeat the
// widest ones.
#include "platform/instruction_sets.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/byte_classes.h"
#include "engine/quote_screen.h"
#include "engine/text_blocks.h"
#include "platform/cp932_decode_wide.h"

namespace sorvek::testing {
namespace {

TEST(InstructionSets, NoVariantWiderThanTheEnvironmentAllowsIsChosen) {
    const char* value = std::getenv("SORVEK_CPU");
    const std::string name = value != nullptr ? value : "";
    if (name == "baseline") {
        EXPECT_EQ(InstructionSets::Baseline, allowedInstructionSets());
        EXPECT_FALSE(avx2Available());
    } else if (name == "avx2") {
        EXPECT_EQ(InstructionSets::Avx2, allowedInstructionSets());
    } else {
        GTEST_SKIP() << "SORVEK_CPU is neither baseline nor avx2";
    }
    EXPECT_FALSE(byte_classes::avx512Available());
    EXPECT_FALSE(cp932_decode::wideAvailable());
    EXPECT_EQ(nullptr, recordQuoteCheck());
    EXPECT_NE(quoteMarker(), markQuoteBytesAvx512);
}

}  // namespace
}  // namespace sorvek::testing
