#include "editor/edit_dialog.h"

#include "platform/text_checks.h"

namespace sorvek {

std::string editDialogTitle(std::int32_t mode) {
    switch (mode) {
        case kEditNewFileDef:
            return "ファイル定義の新規作成";
        case kEditChangeFileDef:
            return "ファイル定義の変更";
        case kEditAddRecord:
            return "レコード定義の追加";
        case kEditChangeRecord:
            return "レコード定義の変更";
        case kEditAddField:
            return "フィールド定義の追加";
        case kEditChangeField:
            return "フィールド定義の変更";
        default:
            return "";
    }
}

EditError editInfo(const char* message, EditControl focus) {
    return EditError{message, MessageIcon::Information, focus};
}

bool isPositiveNumber(const std::string& text) {
    std::optional<std::int32_t> value = digitsValue(text);
    return value && *value >= 1;
}

}  // namespace sorvek
