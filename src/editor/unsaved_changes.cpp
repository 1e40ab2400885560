#include "editor/unsaved_changes.h"

#include "formats/trd_file.h"

namespace sorvek {
namespace {

// The text the definition file would hold. A delimiter of backslash and "t" is written as the
// TAB a conversion turns it into, so that a conversion in between changes nothing.
std::string storedText(const RecordDefTable& table) {
    if (!table.hasDefinition() || table[0].Delimiter != "\\t") return trdFileText(table);
    RecordDefTable tab = table;
    tab[0].Delimiter = "\t";
    return trdFileText(tab);
}

}  // namespace

bool sameStoredDefinition(const RecordDefTable& a, const RecordDefTable& b) {
    return storedText(a) == storedText(b);
}

bool DefinitionBaseline::hasUnsavedChanges(const RecordDefTable& table) const {
    return table.hasDefinition() && storedText(table) != saved_;
}

void DefinitionBaseline::markSaved(const RecordDefTable& table) {
    saved_ = storedText(table);
}

std::string unsavedQuestion(const RecordDefTable& table) {
    const std::string name = table.hasDefinition() ? table[0].Name : std::string();
    return "レコード定義「" + name + "」の変更が保存されていません。\n保存しますか？";
}

}  // namespace sorvek
