#include "app/untold_kinds.h"

namespace sorvek {

std::string untoldKindsNote(const std::string& firstKind, std::size_t kinds) {
    return "識別区分の開始位置が指定されていないため、すべてのレコードを最初のレコード定義 (" +
           firstKind + ") として変換します。ほかの " + std::to_string(kinds - 1) +
           " 件のレコード定義は使われません。使うには、ファイル定義で識別区分の開始位置を、"
           "各レコード定義で識別区分を指定してください。";
}

std::optional<std::string> untoldKindsNote(const RecordDefTable& table) {
    if (!table.kindsUntold()) return std::nullopt;
    return untoldKindsNote(table[1].Name, static_cast<std::size_t>(table.maxIndex()));
}

}  // namespace sorvek
