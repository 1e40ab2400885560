#pragma once
// The turns of a job's parts at the state that runs from one part into the next (the record
// walk, the position in a line): the worker of part k waits until part k - 1 has taken its
// turn, so that the state is followed in the order of the input while the rest of each part's
// work (reading it, converting it) runs at once on every worker.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace sorvek {

class PartTurns {
  public:
    // Waits until every part before `index` has passed. REQUIRES: the parts before `index` were
    // handed to workers before it (first in, first out), so that each of them passes in time.
    void waitFor(std::uint64_t index) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return next_ == index; });
    }
    // Ends the turn of the part whose turn it is.
    void pass() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++next_;
        }
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t next_ = 0;
};

// One part's turn: waits for it when made, and passes it when ended or destroyed, so that a part
// that fails in its turn never leaves the parts after it waiting.
class PartTurn {
  public:
    PartTurn(PartTurns& turns, std::uint64_t index) : turns_(turns) { turns_.waitFor(index); }
    ~PartTurn() { end(); }
    PartTurn(const PartTurn&) = delete;
    PartTurn& operator=(const PartTurn&) = delete;
    void end() {
        if (ended_) return;
        ended_ = true;
        turns_.pass();
    }

  private:
    PartTurns& turns_;
    bool ended_ = false;
};

}  // namespace sorvek
