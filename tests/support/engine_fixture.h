#pragma once
// A fixture for engine operations: a temporary folder, recording ports and a context whose file
// system and block size a test may change.
#include <gtest/gtest.h>

#include "engine/engine_context.h"
#include "support/bytes_equal.h"
#include "support/faulty_file_system.h"
#include "support/recorders.h"
#include "support/temp_dir.h"

namespace sorvek::testing {

class EngineTest : public ::testing::Test {
  protected:
    EngineContext context() { return EngineContext{progress, messages, files, blockSize}; }

    // The only message shown, or a test failure.
    ShownMessage onlyMessage() const {
        EXPECT_EQ(messages.shown.size(), 1u);
        return messages.shown.empty() ? ShownMessage{} : messages.shown.front();
    }

    TempDir dir;
    RecordingProgress progress;
    RecordingMessages messages;
    FaultyFileSystem files;
    std::size_t blockSize = kDefaultBlockSize;
};

}  // namespace sorvek::testing
