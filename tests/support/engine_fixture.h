#pragma once
// A fixture for engine operations: a temporary folder, recording ports (the messages for the
// layers above, which show failures) and a context whose file system and block size a test may
// change.
#include <gtest/gtest.h>

#include "engine/engine_context.h"
#include "support/bytes_equal.h"
#include "support/faulty_file_system.h"
#include "support/recorders.h"
#include "support/temp_dir.h"

namespace sorvek {

// A failure as a test prints it.
inline void PrintTo(const Failure& f, std::ostream* out) {
    *out << "Failure{kind " << static_cast<int>(f.kind) << ", about " << static_cast<int>(f.about)
         << ", subject \"" << f.subject << "\", reason \"" << f.reason << "\"}";
}

}  // namespace sorvek

namespace sorvek::testing {

class EngineTest : public ::testing::Test {
  protected:
    EngineContext context() { return EngineContext{progress, files, blockSize}; }

    // The failure of `status`, or a test failure when it succeeded.
    static Failure failureOf(const Status& status) {
        EXPECT_FALSE(status.ok());
        return status.ok() ? Failure() : status.error();
    }

    // Keeps the failure of `status`, which the layers above would show; true for a success.
    bool ran(const Status& status) {
        if (!status) failures.push_back(status.error());
        return status.ok();
    }
    // The only failure kept, or a test failure.
    Failure onlyFailure() const {
        EXPECT_EQ(failures.size(), 1u);
        return failures.empty() ? Failure() : failures.front();
    }

    // The only message shown, or a test failure.
    ShownMessage onlyMessage() const {
        EXPECT_EQ(messages.shown.size(), 1u);
        return messages.shown.empty() ? ShownMessage{} : messages.shown.front();
    }

    TempDir dir;
    RecordingProgress progress;
    RecordingMessages messages;
    std::vector<Failure> failures;
    FaultyFileSystem files;
    std::size_t blockSize = kDefaultBlockSize;
};

}  // namespace sorvek::testing
