#pragma once
// Helpers of the edit dialog's panel tests.
#include <optional>
#include <string>
#include <vector>

#include "editor/edit_dialog.h"
#include "editor/record_tree.h"

namespace sorvek::testing {

// The tree as "text:tag<parentTag" per node, in collection order.
using Shape = std::vector<std::string>;
inline Shape shape(const RecordTree& tree) {
    Shape result;
    for (const RecordTreeNode& n : tree.nodes) {
        std::string s = n.text + ":" + std::to_string(n.tag);
        if (n.parentTag >= 0) s += "<" + std::to_string(n.parentTag);
        result.push_back(s);
    }
    return result;
}

inline const MessageIcon kInfo = MessageIcon::Information;
inline const char* const kRecLenMsg = "レコード長には 1 以上の数値を指定してください。";

// The first error of a check, or nothing when it passed.
inline std::optional<EditError> firstError(const EditCheck& check) {
    if (check) return std::nullopt;
    return check.error();
}

// True when the edit was applied.
inline bool changed(const EditOutcome& outcome) {
    return outcome.ok() && *outcome == EditEffect::Changed;
}

}  // namespace sorvek::testing
