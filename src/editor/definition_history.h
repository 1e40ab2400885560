#pragma once
// Undo and redo of the definition editor: whole copies of the definition, one for each command
// that changed what a definition file would hold (editor/unsaved_changes.h). Copies are cheap
// beside what a user types, and a copy cannot miss a setting the way a list of inverse edits
// could.
#include <cstddef>
#include <deque>

#include "model/record_def.h"

namespace sorvek {

class DefinitionHistory {
  public:
    // Steps kept to undo; the oldest is dropped beyond them.
    static constexpr std::size_t kMostSteps = 100;

    // Starts over from `table` (a definition opened, or the page shown): nothing to undo or
    // redo.
    void reset(const RecordDefTable& table);
    // A command ended with `table`. When it changed what a file would hold, the definition
    // before it becomes the step to undo and nothing is left to redo; returns true then. A
    // command that changed nothing stored (cancelled, or the working memory only) records none.
    bool record(const RecordDefTable& table);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Puts the definition before the last step into `table` (which holds what was last
    // recorded); false, with `table` unchanged, when there is no step.
    bool undo(RecordDefTable& table);
    // Puts back the definition the last undo left; false, unchanged, when there is none.
    bool redo(RecordDefTable& table);

  private:
    std::deque<RecordDefTable> undo_;
    std::deque<RecordDefTable> redo_;
    RecordDefTable current_;  // the definition as last recorded
};

}  // namespace sorvek
