#include "app/shared_progress.h"

namespace sorvek {

void SharedProgress::showLabel() {
    MutexLock lock(mutex_);
    state_.labelShown = true;
    ++state_.version;
}

void SharedProgress::showProgress(std::int32_t value, std::int32_t maximum) {
    MutexLock lock(mutex_);
    if (!model_.apply(value, maximum)) {
        if (maximum != -1 && state_.busy) {
            state_.busy = false;
            state_.value = 0;
            state_.maximum = 1;
            ++state_.version;
        }
        return;
    }
    state_.busy = false;
    state_.value = model_.value();
    state_.maximum = model_.maximum();
    state_.label = model_.label();
    ++state_.version;
}

void SharedProgress::showBytesDone(std::int64_t bytes) {
    MutexLock lock(mutex_);
    state_.busy = true;
    state_.label = "(" + byteCountText(bytes) + ")";
    ++state_.version;
}

ProgressSnapshot SharedProgress::snapshot() const {
    MutexLock lock(mutex_);
    return state_;
}

}  // namespace sorvek
