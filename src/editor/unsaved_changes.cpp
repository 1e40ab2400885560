#include "editor/unsaved_changes.h"

namespace sorvek {
namespace {

std::string storedDelimiter(const std::string& delimiter) {
    return delimiter == "\\t" ? "\t" : delimiter;
}

bool sameStoredFields(const std::vector<FieldDef>& a, const std::vector<FieldDef>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        FieldDef left = a[i];
        FieldDef right = b[i];
        left.Check = left.Check != 0 ? -1 : 0;
        right.Check = right.Check != 0 ? -1 : 0;
        if (!(left == right)) return false;
    }
    return true;
}

bool sameStoredEntry(const RecordDef& a, const RecordDef& b) {
    return a.Name == b.Name && a.Size == b.Size && a.Class == b.Class && a.Parent == b.Parent &&
           a.Child == b.Child && storedDelimiter(a.Delimiter) == storedDelimiter(b.Delimiter) &&
           a.TitleLine == b.TitleLine && a.codePage == b.codePage &&
           a.recordFormat == b.recordFormat && a.descriptorWords == b.descriptorWords &&
           a.varying == b.varying && sameStoredFields(a.Fields, b.Fields);
}

}  // namespace

bool sameStoredDefinition(const RecordDefTable& a, const RecordDefTable& b) {
    if (a.entries.size() != b.entries.size() || !(a.output == b.output)) return false;
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        if (!sameStoredEntry(a.entries[i], b.entries[i])) return false;
    }
    return true;
}

bool DefinitionBaseline::hasUnsavedChanges(const RecordDefTable& table) const {
    return table.hasDefinition() && !sameStoredDefinition(table, saved_);
}

std::string unsavedQuestion(const RecordDefTable& table) {
    const std::string name = table.hasDefinition() ? table[0].Name : std::string();
    return "レコード定義「" + name + "」の変更が保存されていません。\n保存しますか？";
}

}  // namespace sorvek
