#pragma once
// The output of a conversion whose lines go to one stream per record kind (a split output):
// the record converter selects the kind of each line before it writes it, and the line goes to
// that kind's stream.
#include <cstddef>
#include <utility>
#include <vector>

#include "engine/memory_output.h"

namespace sorvek {

class KindOutputs {
  public:
    // `streamOfKind[k]`: the stream of kind k's lines (by table index), for every kind that
    // writes lines; `streams` one buffer per stream, emptied first.
    KindOutputs(std::vector<MemoryOutput> streams, const std::vector<std::size_t>& streamOfKind)
        : streams_(std::move(streams)), streamOf_(streamOfKind) {
        for (MemoryOutput& bytes : streams_) bytes.clear();
    }

    // The next line is of `kind`. REQUIRES: a kind that writes lines.
    void selectKind(int kind) { current_ = &streams_[streamOf_[static_cast<std::size_t>(kind)]]; }
    // As MemoryOutput's, in the stream selected.
    char* reserve(std::size_t n) { return current_->reserve(n); }
    void commit(std::size_t n) { current_->commit(n); }

    // The streams, handed on to be written.
    std::vector<MemoryOutput> takeStreams() { return std::move(streams_); }

  private:
    std::vector<MemoryOutput> streams_;
    const std::vector<std::size_t>& streamOf_;
    MemoryOutput* current_ = nullptr;
};

}  // namespace sorvek
