#include "editor/definition_page.h"

#include "editor/record_texts.h"
#include "ports/app_title.h"

namespace sorvek {

RecordDetails refreshDetails(RecordDefTable& table, const RecordTree& tree) {
    RecordDetails details;
    const std::int32_t tag = tree.selectedTag();
    if (tag < 0 || tag > table.maxIndex()) {
        details.runPageCheck = true;
        return details;
    }
    details.lblRecLen = recordLengthText(table, tag);
    details.lblClass = classText(table, tag);
    if (tree.isFileNodeSelected()) return details;

    details.fieldListEnabled = true;
    RecordDef& record = table[tag];
    if (record.Fields.empty()) return details;
    details.rows = refillFieldRows(record, table);
    details.lblFldLenSum = fieldLengthSumText(record);
    details.fldLenSumWarning = fieldLengthMismatchText(record);
    details.runPageCheck = true;
    return details;
}

RecordMenu recordMenu(const RecordTree& tree, std::int32_t fieldRowCount) {
    RecordMenu menu;
    if (tree.selectedTag() < 0) return menu;
    menu.show = true;
    if (tree.isFileNodeSelected()) {
        menu.changeCaption = "ファイル定義の変更(&U)";
        menu.deleteCaption = "ファイル定義の削除(&D)";
    } else {
        menu.changeCaption = "レコードの変更(&U)";
        menu.deleteCaption = "レコードの削除(&D)";
        menu.copyEnabled = fieldRowCount >= 1;
    }
    return menu;
}

RecordKeyAction recordTreeKeyAction(RecordTreeKey key, KeyModifiers modifiers,
                                    const RecordMenu& menu) {
    const bool ctrlAlone = modifiers.ctrl && !modifiers.shift && !modifiers.alt;
    const bool alone = !modifiers.ctrl && !modifiers.shift && !modifiers.alt;
    RecordKeyAction action;
    switch (key) {
        case RecordTreeKey::Insert:
            if (alone || ctrlAlone) action.command = RecordCommand::Add;
            break;
        case RecordTreeKey::Delete:
            if ((alone || ctrlAlone) && menu.show) action.command = RecordCommand::Delete;
            break;
        case RecordTreeKey::Enter:
            action.consumeKey = true;
            if (menu.show) action.command = RecordCommand::Change;
            break;
        case RecordTreeKey::C:
            if (ctrlAlone && menu.copyEnabled) action.command = RecordCommand::Copy;
            break;
        case RecordTreeKey::Other:
            break;
    }
    if (action.command != RecordCommand::None) action.consumeKey = true;
    return action;
}

std::int32_t changeEditMode(const RecordTree& tree) {
    if (tree.isFileNodeSelected()) return 2;
    return tree.isRecordNodeSelected() ? 4 : 0;
}

RecordDeletion DeleteRecordDef(RecordDefTable& table, RecordTree& tree, std::int32_t index,
                               Messages& messages) {
    const RecordDeletion result = deleteRecordEntry(table, index);
    switch (result) {
        case RecordDeletion::Refused:
            messages.show(kMsgRecordHasChildNoDelete, kAppTitle, MessageIcon::Information);
            break;
        case RecordDeletion::DefinitionErased:
            clearRecordTree(tree);
            break;
        case RecordDeletion::RecordDeleted:
            removeRecordNode(tree, index);
            break;
        case RecordDeletion::Invalid:
            break;
    }
    return result;
}

bool deleteSelectedDefinition(RecordDefTable& table, RecordTree& tree, Messages& messages) {
    const std::int32_t tag = tree.selectedTag();
    if (tag < 0) return false;
    const std::string title =
        tree.isFileNodeSelected() ? kDeleteFileDefinitionTitle : kDeleteRecordDefinitionTitle;
    // The question of a deletion has no icon, but No is what Enter answers.
    if (!messages.askBeforeHarm(deleteQuestion(tree.nodes[tree.selected].text), title,
                                MessageIcon::None)) {
        return false;
    }
    DeleteRecordDef(table, tree, tag, messages);
    return true;
}

bool deleteSelectedField(RecordDefTable& table, std::int32_t record, std::int32_t sel,
                         Messages& messages) {
    if (record < 1 || record > table.maxIndex()) return false;
    RecordDef& entry = table[record];
    if (sel < 1 || static_cast<std::size_t>(sel) > entry.Fields.size()) return false;
    const std::string& name = entry.Fields[static_cast<std::size_t>(sel - 1)].Name;
    if (!messages.askBeforeHarm(deleteQuestion(name), kDeleteFieldTitle, MessageIcon::None)) {
        return false;
    }
    return DeleteFieldDef(table, record, sel - 1);
}

}  // namespace sorvek
