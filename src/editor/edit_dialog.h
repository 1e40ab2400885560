#pragma once
// The definition edit dialog `frmWizSub` without its controls: the six edits (`EditMode` 1 to 6)
// and what they share. Each panel's filling, enabling rules, validation and change to the table
// and the record tree live in file_def_panel.h, record_def_panel.h and field_def_panel.h; the
// dialog only moves values between its controls and those functions.
#include <array>
#include <cstdint>
#include <string>

#include "model/host_data.h"
#include "model/option_captions.h"
#include "model/record_def.h"
#include "ports/messages.h"
#include "ports/status.h"

namespace sorvek {

// Values of `EditMode`.
inline constexpr std::int32_t kEditNewFileDef = 1;
inline constexpr std::int32_t kEditChangeFileDef = 2;
inline constexpr std::int32_t kEditAddRecord = 3;
inline constexpr std::int32_t kEditChangeRecord = 4;
inline constexpr std::int32_t kEditAddField = 5;
inline constexpr std::int32_t kEditChangeField = 6;

// The dialog's title for a mode ("ファイル定義の新規作成" ...); empty for any other value.
std::string editDialogTitle(std::int32_t mode);
// The panel of a mode: 1 file, 2 record, 3 field ((mode + 1) / 2).
inline std::int32_t editPanelIndex(std::int32_t mode) {
    return (mode + 1) / 2;
}

inline constexpr std::array<const char*, 3> kRecLenAllChoices{"64", "128", "256"};
// "\t" is the two characters backslash and t; the conversion turns it into a tab.
inline constexpr std::array<const char*, 4> kDelimiterChoices{",", ";", "|", "\\t"};
inline constexpr const char* kNoParent = "(無し)";

// The list "符号の位置" of a zoned field, in its order.
inline constexpr std::array<CaptionedChoice<SignPosition>, 5> kSignChoices{{
    {SignPosition::Undeclared, "指定なし"},
    {SignPosition::Trailing, "末尾の桁のゾーン"},
    {SignPosition::Leading, "先頭の桁のゾーン"},
    {SignPosition::TrailingSeparate, "末尾に独立 (+/-)"},
    {SignPosition::LeadingSeparate, "先頭に独立 (+/-)"},
}};
// The list "バイト順" of a binary field, in its order.
inline constexpr std::array<CaptionedChoice<ByteOrder>, 2> kByteOrderChoices{{
    {ByteOrder::Big, "ビッグエンディアン (COMP、BINARY)"},
    {ByteOrder::Native, "ネイティブ (COMP-5)"},
}};

// The list "集計" of a numeric field, in its order.
inline constexpr std::array<CaptionedChoice<TotalKind>, 3> kTotalChoices{{
    {TotalKind::None, "なし"},
    {TotalKind::Count, "件数"},
    {TotalKind::Sum, "合計"},
}};
// The first choice of the list "区切り": the total runs over the whole file.
inline constexpr const char* kWholeFile = "ファイル全体";

// The inputs that an error puts the focus on.
enum class EditControl {
    txtFileDefName,
    cmbRecLenAll,
    txtRecClassPos,
    txtRecName,
    txtRecLen,
    txtRecClass,
    cmbRecParent,
    txtFldName,
    cmbFldType,
    txtFldSize,
    txtFldDec,
    cmbFldSign,
    chkFldSigned,
    cmbFldByteOrder,
    txtFldScale,
    cmbFldTotal,
    cmbFldTotalRecord,
    cmbFldTotalField,
    cmbFldTotalGroup,
    chkFldSingle,
    txtFldMemo,
};

// The first failed check: shown in a message box with an OK button, the application title and
// `icon`; the focus then goes to `focus` and the dialog stays open with its inputs.
struct EditError {
    std::string message;
    MessageIcon icon = MessageIcon::Information;
    EditControl focus = EditControl::txtFileDefName;
    bool operator==(const EditError&) const = default;
};

// The message of a record length that is not a number of 1 or more.
inline constexpr const char* kMsgRecordLength = "レコード長には 1 以上の数値を指定してください。";

// An error shown with the information icon, focusing `focus`.
EditError editInfo(const char* message, EditControl focus);

// A number of 1 or more as the dialog takes it: digits only, within 32 bits.
bool isPositiveNumber(const std::string& text);

// What an accepted edit did: changed the table (and the tree), or found nothing to edit (the
// record or field it was opened for has gone; nothing changed, as after a cancel).
enum class EditEffect { Changed, NothingToEdit };

// The verdict of a panel's checks: passed, or the first error.
using EditCheck = Result<void, EditError>;
// The outcome of OK: the first error (nothing changed), or what the edit did.
using EditOutcome = Result<EditEffect, EditError>;

}  // namespace sorvek
