#pragma once
// EXPECT_BYTES_EQ: compares two byte strings and shows both in hex when they differ.
#include <gtest/gtest.h>

#include "support/temp_dir.h"

// Compares bytes and shows both in hex when they differ.
#define EXPECT_BYTES_EQ(expected, actual)                                                        \
    EXPECT_TRUE((expected) == (actual)) << "expected:\n"                                         \
                                        << ::sorvek::testing::hexDump(expected) << "\nactual:\n" \
                                        << ::sorvek::testing::hexDump(actual)
