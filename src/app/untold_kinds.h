#pragma once
// The note that a definition's record kinds cannot be told apart: several kinds and no
// class-code position, so that every record is read as the first kind. Told where a user meets
// such a definition: after a copybook's import, in a run's -v lines and completion message, and
// among the findings of the check.
#include <cstddef>
#include <optional>
#include <string>

#include "model/record_def.h"

namespace sorvek {

// "識別区分の開始位置が指定されていないため、すべてのレコードを最初のレコード定義 (<firstKind>)
// として変換します。…" for a definition of `kinds` record kinds (2 or more), of which the first
// is named `firstKind`.
std::string untoldKindsNote(const std::string& firstKind, std::size_t kinds);

// The note for `table`, when its kinds cannot be told apart (RecordDefTable::kindsUntold).
std::optional<std::string> untoldKindsNote(const RecordDefTable& table);

}  // namespace sorvek
