#include "editor/file_def_panel.h"

#include "platform/text_checks.h"

namespace sorvek {
namespace {

constexpr const char* kMsgNoFileDefName = "ファイル定義名が入力されていません。";
constexpr const char* kMsgClassPos = "識別区分の開始位置には 1 以上の数値を指定してください。";

}  // namespace

FileDefInput fillFileDefPanel(std::int32_t mode, const RecordDefTable& table) {
    FileDefInput input;
    if (mode == kEditChangeFileDef && table.hasDefinition()) {
        const RecordDef& file = table[0];
        input.txtFileDefName = file.Name;
        setRecLenAll(input, file.Size != 0);
        input.cmbRecLenAll = std::to_string(file.Size);
        setRecClass(input, !file.Class.empty());
        input.txtRecClassPos = file.Class;
        input.chkTitleLine = file.TitleLine;
        input.cmbDelimiter = file.Delimiter;
        input.cmbCodePage = std::string(inputCodePageName(file.codePage));
        input.cmbRecordFormat = std::string(optionWord(kRecordFormatWords, file.recordFormat));
        input.cmbRdwByteOrder =
            std::string(optionWord(kDescriptorByteOrderWords, file.descriptorWords.byteOrder));
        input.cmbRdwLength =
            std::string(optionWord(kDescriptorLengthWords, file.descriptorWords.length));
        return input;
    }
    // Fixed length, its length to be typed: "0" would be refused as no length at all.
    input.cmbRecLenAll.clear();
    setRecLenAll(input, true);
    setRecClass(input, false);
    input.cmbDelimiter = ",";
    input.chkTitleLine = true;
    return input;
}

void setRecLenAll(FileDefInput& input, bool ticked) {
    input.chkRecLenAll = ticked;
    if (!ticked) input.cmbRecLenAll = "0";
    // Ticked again: the length is to be typed, not the "0" of no common length.
    if (ticked && input.cmbRecLenAll == "0") input.cmbRecLenAll.clear();
}

void setRecClass(FileDefInput& input, bool ticked) {
    input.chkRecClass = ticked;
    input.txtRecClassPos = ticked ? "1" : "";
}

EditCheck validateFileDef(const FileDefInput& input) {
    if (input.txtFileDefName.empty()) {
        return EditError{kMsgNoFileDefName, MessageIcon::Exclamation, EditControl::txtFileDefName};
    }
    if (input.chkRecLenAll && !isPositiveNumber(input.cmbRecLenAll)) {
        return editInfo(kMsgRecordLength, EditControl::cmbRecLenAll);
    }
    if (input.chkRecClass && !isPositiveNumber(input.txtRecClassPos)) {
        return editInfo(kMsgClassPos, EditControl::txtRecClassPos);
    }
    return {};
}

EditOutcome submitFileDef(std::int32_t mode, FileDefInput& input, RecordDefTable& table,
                          RecordTree& tree) {
    if (mode != kEditNewFileDef && mode != kEditChangeFileDef) return EditEffect::NothingToEdit;
    if (mode == kEditChangeFileDef && !table.hasDefinition()) return EditEffect::NothingToEdit;
    if (EditCheck check = validateFileDef(input); !check) return check.error();
    // No title line without a separator between the names.
    if (input.cmbDelimiter.empty()) input.chkTitleLine = false;

    if (mode == kEditNewFileDef) table.reset(1);
    RecordDef& file = table[0];
    file.Name = input.txtFileDefName;
    file.Size = input.chkRecLenAll ? digitsValue(input.cmbRecLenAll).value_or(0) : 0;
    file.Class = input.chkRecClass ? input.txtRecClassPos : "";
    file.Delimiter = input.cmbDelimiter;
    file.TitleLine = input.chkTitleLine;
    file.codePage = parseInputCodePage(input.cmbCodePage).value_or(InputCodePage::Cp932);
    file.recordFormat =
        parseOptionWord(kRecordFormatWords, input.cmbRecordFormat).value_or(RecordFormat::Fixed);
    file.descriptorWords.byteOrder =
        parseOptionWord(kDescriptorByteOrderWords, input.cmbRdwByteOrder)
            .value_or(DescriptorByteOrder::Big);
    file.descriptorWords.length = parseOptionWord(kDescriptorLengthWords, input.cmbRdwLength)
                                      .value_or(DescriptorLength::Inclusive);

    if (mode == kEditNewFileDef) {
        showFileDefinitionOnly(tree, table);
        return EditEffect::Changed;
    }
    renameRecordNode(tree, 0, file.Name);
    return EditEffect::Changed;
}

}  // namespace sorvek
