#pragma once
// The file-definition panel of the edit dialog (modes 1 and 2).
#include <cstdint>
#include <string>

#include "editor/edit_dialog.h"
#include "editor/record_tree.h"
#include "model/record_def.h"

namespace sorvek {

struct FileDefInput {
    std::string txtFileDefName;
    bool chkRecLenAll = false;
    std::string cmbRecLenAll;
    bool chkRecClass = false;
    std::string txtRecClassPos;
    bool chkTitleLine = false;
    std::string cmbDelimiter;
    // The input's code page (inputCodePageName) and record format (kRecordFormatWords), chosen
    // from lists.
    std::string cmbCodePage = "CP932";
    std::string cmbRecordFormat = "fixed";
    // The form of the descriptor words (kDescriptorByteOrderWords, kDescriptorLengthWords).
    std::string cmbRdwByteOrder = "big";
    std::string cmbRdwLength = "inclusive";
    bool operator==(const FileDefInput&) const = default;
};

// Mode 1: an empty name, a common length "0" still to be given (box ticked), no class code,
// "," and a title line. Mode 2: from entry 0 (length box ticked when `Size` is not 0, class
// box ticked when `Class` is not empty); both with the code page and record format of entry 0
// (mode 1: CP932 and fixed).
FileDefInput fillFileDefPanel(std::int32_t mode, const RecordDefTable& table);

// The enabling rules. Ticking `chkRecLenAll` enables `cmbRecLenAll` (empty where it showed "0");
// unticking shows "0" in it and disables it. A new definition starts ticked and empty. Ticking
// `chkRecClass` enables `txtRecClassPos` and proposes "1"; unticking empties and disables it.
// `chkTitleLine` is enabled while `cmbDelimiter` is not empty.
void setRecLenAll(FileDefInput& input, bool ticked);
void setRecClass(FileDefInput& input, bool ticked);
inline bool cmbRecLenAllEnabled(const FileDefInput& input) {
    return input.chkRecLenAll;
}
inline bool txtRecClassPosEnabled(const FileDefInput& input) {
    return input.chkRecClass;
}
inline bool chkTitleLineEnabled(const FileDefInput& input) {
    return !input.cmbDelimiter.empty();
}

// In order: a name ("ファイル定義名が入力されていません。", exclamation); with the length box
// ticked a length of 1 or more that fits 32 bits; with the class box ticked a position of 1 or
// more that fits 32 bits.
EditCheck validateFileDef(const FileDefInput& input);

// OK in mode 1 or 2. After validation an empty delimiter unticks `chkTitleLine` in `input`.
// Mode 1 replaces the table by entry 0 alone and the tree by its node; mode 2 changes entry 0
// (records untouched) and renames the first node. A code page or record format that is none of
// the list's keeps the default.
EditOutcome submitFileDef(std::int32_t mode, FileDefInput& input, RecordDefTable& table,
                          RecordTree& tree);

}  // namespace sorvek
