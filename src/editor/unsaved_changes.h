#pragma once
// Whether the definition being edited holds changes that no file has: the definition as it was
// last opened or saved (or as it was when the page was shown) is kept as the text a definition
// file would hold, and what is in memory is compared with it by that text, so that every setting
// the file stores counts and nothing else does.
#include <string>

#include "model/record_def.h"

namespace sorvek {

// True when `a` and `b` would be stored alike (formats/trd_file.h): the working memory of the
// conversion (`Data`) is no part of a definition, any `Check` but 0 is stored as -1, and a
// delimiter of backslash and "t" is the TAB that a conversion turns it into.
bool sameStoredDefinition(const RecordDefTable& a, const RecordDefTable& b);

class DefinitionBaseline {
  public:
    // `table` is what a file now holds (after it was opened or saved), or what the page started
    // with.
    void markSaved(const RecordDefTable& table);
    // True when `table` holds a definition that differs from the one last marked. An erased
    // definition loses nothing: there is nothing left to save.
    bool hasUnsavedChanges(const RecordDefTable& table) const;

  private:
    std::string saved_;  // its text as a definition file
};

// The question asked before an edited definition is dropped: "レコード定義「受注」の変更が保存され
// ていません。\n保存しますか？", titled "レコード定義の保存"; the answers are save, discard and
// cancel.
inline constexpr const char* kUnsavedTitle = "レコード定義の保存";
std::string unsavedQuestion(const RecordDefTable& table);

enum class UnsavedAnswer { Save, Discard, Cancel };

}  // namespace sorvek
