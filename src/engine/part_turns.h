#pragma once
// The turns of a job's parts at the state that runs from one part into the next (the record
// walk, the position in a line): the worker of part k waits until part k - 1 has taken its
// turn, so that the state is followed in the order of the input while the rest of each part's
// work (reading it, converting it) runs at once on every worker.
//
// The turn is a capability of the thread-safety analysis: the state handed from part to part is
// GUARDED_BY the PartTurns, and only code that holds a turn (a PartTurn) may touch it.
#include <condition_variable>
#include <cstdint>

#include "platform/mutex.h"
#include "platform/thread_annotations.h"

namespace sorvek {

class CAPABILITY("part turn") PartTurns {
  public:
    // Waits until every part before `index` has passed; the turn is then held. REQUIRES: the
    // parts before `index` were handed to workers before it (first in, first out), so that each
    // of them passes in time.
    void waitFor(std::uint64_t index) ACQUIRE() EXCLUDES(mutex_) {
        MutexLock lock(mutex_);
        while (next_ != index) lock.wait(changed_);
    }
    // Ends the turn of the part whose turn it is.
    void pass() RELEASE() EXCLUDES(mutex_) {
        {
            MutexLock lock(mutex_);
            ++next_;
        }
        changed_.notify_all();
    }

  private:
    Mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t next_ GUARDED_BY(mutex_) = 0;
};

// One part's turn: waits for it when made, and passes it when ended or destroyed, so that a part
// that fails in its turn never leaves the parts after it waiting.
class SCOPED_CAPABILITY PartTurn {
  public:
    PartTurn(PartTurns& turns, std::uint64_t index) ACQUIRE(turns) : turns_(turns) {
        turns_.waitFor(index);
    }
    ~PartTurn() RELEASE() {
        if (!ended_) turns_.pass();
    }
    PartTurn(const PartTurn&) = delete;
    PartTurn& operator=(const PartTurn&) = delete;
    void end() RELEASE() {
        if (ended_) return;
        ended_ = true;
        turns_.pass();
    }

  private:
    PartTurns& turns_;
    bool ended_ = false;
};

}  // namespace sorvek
