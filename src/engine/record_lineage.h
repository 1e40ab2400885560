#pragma once
// Which records reach an output line. A record of a kind without children writes its own line,
// which holds the fields of the last record of each ancestor kind as long as every generation
// with fields written has a record. A record of a kind with children reaches a line only through
// a child read while it is the last record of its kind; when the next record of its kind (or
// the end of the file) comes first, its data is left out without a word.
#include <cstdint>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

class RecordLineage {
  public:
    // REQUIRES: every parent chain of `table` ends (checkRecordStructure passed).
    explicit RecordLineage(const RecordDefTable& table) : kinds_(table.entries.size()) {
        for (std::size_t k = 1; k < kinds_.size(); ++k) {
            const RecordDef& record = table[k];
            Kind& kind = kinds_[k];
            kind.writesLine = record.Child == 0;
            kind.parent = record.Parent;
            for (const FieldDef& f : record.Fields) kind.hasWrittenFields |= f.Check == -1;
            for (int a = record.Parent; a != 0; a = table[static_cast<std::size_t>(a)].Parent) {
                kind.ancestors.push_back(a);
            }
        }
    }

    struct Step {
        bool writesLine = false;
        // A kind with a parent whose kind has had no record yet.
        bool childBeforeParent = false;
        // The previous record of this kind (with children) reached no line.
        bool replacedUnused = false;
        std::int64_t replacedOffset = 0;
        std::int64_t replacedNumber = 0;
        std::uint32_t replacedBlockLeft = 0;
    };

    // A record of kind `kind` (1..N) at `offset`, record number `number`; `blockLeft` is kept
    // with it for the places of the findings (FramedRecord::blockLeft).
    Step record(int kind, std::int64_t offset, std::int64_t number, std::uint32_t blockLeft = 0) {
        Kind& k = kinds_[static_cast<std::size_t>(kind)];
        Step step;
        step.childBeforeParent = k.parent != 0 && !kinds_[static_cast<std::size_t>(k.parent)].seen;
        if (k.writesLine) {
            step.writesLine = true;
            // The generations above, from the parent up, as far as the line reaches them.
            for (int a : k.ancestors) {
                Kind& ancestor = kinds_[static_cast<std::size_t>(a)];
                if (!ancestor.seen) {
                    if (ancestor.hasWrittenFields) break;
                    continue;
                }
                ancestor.used = true;
            }
        } else if (k.seen && !k.used) {
            step.replacedUnused = true;
            step.replacedOffset = k.offset;
            step.replacedNumber = k.number;
            step.replacedBlockLeft = k.blockLeft;
        }
        k.seen = true;
        k.used = false;
        k.offset = offset;
        k.number = number;
        k.blockLeft = blockLeft;
        return step;
    }

    // Calls `f(kind, offset, number, blockLeft)` for the last record of each kind with children
    // that no child reached: at the end of the file, these too are left out.
    template <class F>
    void forEachUnused(F f) const {
        for (std::size_t k = 1; k < kinds_.size(); ++k) {
            const Kind& kind = kinds_[k];
            if (!kind.writesLine && kind.seen && !kind.used) {
                f(static_cast<int>(k), kind.offset, kind.number, kind.blockLeft);
            }
        }
    }

  private:
    struct Kind {
        bool writesLine = false;
        bool hasWrittenFields = false;
        int parent = 0;
        std::vector<int> ancestors;  // parent first
        bool seen = false;           // a record of this kind was read
        bool used = false;           // the last one reached a line
        std::int64_t offset = 0;     // of the last one
        std::int64_t number = 0;
        std::uint32_t blockLeft = 0;
    };
    std::vector<Kind> kinds_;
};

}  // namespace sorvek
