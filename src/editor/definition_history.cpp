#include "editor/definition_history.h"

#include <utility>

#include "editor/unsaved_changes.h"

namespace sorvek {
namespace {

// The definition without the conversion's working memory, which no step needs.
RecordDefTable stored(const RecordDefTable& table) {
    RecordDefTable copy = table;
    for (RecordDef& entry : copy.entries) entry.Data.clear();
    return copy;
}

}  // namespace

void DefinitionHistory::reset(const RecordDefTable& table) {
    undo_.clear();
    redo_.clear();
    current_ = stored(table);
}

bool DefinitionHistory::record(const RecordDefTable& table) {
    if (sameStoredDefinition(table, current_)) return false;
    undo_.push_back(std::exchange(current_, stored(table)));
    if (undo_.size() > kMostSteps) undo_.pop_front();
    redo_.clear();
    return true;
}

bool DefinitionHistory::undo(RecordDefTable& table) {
    if (undo_.empty()) return false;
    redo_.push_back(std::exchange(current_, std::move(undo_.back())));
    undo_.pop_back();
    table = current_;
    return true;
}

bool DefinitionHistory::redo(RecordDefTable& table) {
    if (redo_.empty()) return false;
    undo_.push_back(std::exchange(current_, std::move(redo_.back())));
    redo_.pop_back();
    table = current_;
    return true;
}

}  // namespace sorvek
