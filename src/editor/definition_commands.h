#pragma once
// The open and save commands of the record-definition page, apart from their file dialogs:
// where the dialogs start, what they offer, and what happens with the chosen path.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "editor/record_tree.h"
#include "formats/load_definition.h"
#include "model/record_def.h"
#include "platform/files.h"
#include "ports/messages.h"

namespace sorvek {

// Parameters of the two file dialogs. Filters are "description|pattern" pairs.
inline constexpr std::uint32_t kOpenDefinitionFlags = 0x1804;  // file and path must exist
inline constexpr std::uint32_t kSaveDefinitionFlags = 0x806;   // ask before overwriting
inline constexpr const char* kOpenDefinitionTitle = "レコード定義ファイルを開く";
inline constexpr const char* kSaveDefinitionTitle = "レコード定義ファイルの保存";
inline constexpr const char* kOpenDefinitionFilter =
    "レコード定義ファイル(*.trd;*.rcdef;*.cpy;*.cob;*.cbl)|*.trd;*.rcdef;*.cpy;*.cob;*.cbl|"
    "Sorvek レコード定義ファイル(*.trd)|*.trd|SEWB3 レコード定義ファイル(*.rcdef)|*.rcdef|"
    "COBOL コピー句(*.cpy;*.cob;*.cbl)|*.cpy;*.cob;*.cbl|全てのファイル(*)|*";
inline constexpr const char* kSaveDefinitionFilter =
    "Sorvek レコード定義ファイル(*.trd)|*.trd|Sorvek レコード定義ファイル(*.trd)|*.trd";
inline constexpr std::int32_t kDefinitionFilterIndex = 1;

// The folder the definition dialogs open in without a current definition file: the definition
// folder `setting` when set, else the folder of the job's input file `inputPath` when there is
// one, else the user's `home` (never the root, where no definition lives).
std::string definitionFolder(const std::string& setting, const std::string& inputPath,
                             const std::string& home);

// The open dialog's start path: the current definition file (the tree's `Tag`) when there is
// one, else the definition folder `trdFolder` with the folder separator appended when missing
// (an empty setting gives the root).
std::string openDefinitionStartPath(const RecordTree& tree, const std::string& trdFolder);

// `path` with the extension of its file name replaced by ".trd"; a file name without an
// extension gets ".trd" appended. A dot in a folder name is left alone: /data/ver1.2/def gives
// /data/ver1.2/def.trd, x.rcdef gives x.trd.
std::string withTrdExtension(const std::string& path);

// The save dialog's proposed name: the current definition file with the extension ".trd";
// without a current file the definition folder (separator appended) followed by the text of the
// tree's first node (the definition's name) and ".trd".
std::string saveDefinitionStartPath(const RecordTree& tree, const std::string& trdFolder);

// Reads a definition into `table`, which the caller has reset to two cleared entries
// (loadDefinition).
using DefinitionLoader =
    std::function<DefinitionLoadResult(const std::string& path, RecordDefTable& table)>;
// The loader of definition files and SEWB3 files (by the path's extension).
DefinitionLoader definitionFileLoader(FileSystem& files = osFileSystem());

// `cmdDefFileOpen` after the dialog: an empty path (cancelled) changes nothing and gives nothing.
// Otherwise the definition is read into a fresh table and the load's outcome is returned for the
// caller to show (showLoadOutcome). On success the fresh table replaces `table`, the tree is
// built from it (record 1 selected) and its `Tag` becomes `path`. On failure (a reader that
// failed, or a file without a definition) the previous definition, its tree and the tree's `Tag`
// stay as they were.
std::optional<DefinitionLoadResult> openDefinition(const std::string& path, RecordDefTable& table,
                                                   RecordTree& tree,
                                                   const DefinitionLoader& loader);

// Writes `table` to `path`.
using DefinitionWriter =
    std::function<Status(const std::string& path, const RecordDefTable& table)>;

// `cmdDefFileSave` after the dialog: an empty path (cancelled) changes nothing and gives false.
// Otherwise the tree's `Tag` becomes `path` and the table is written; on failure
// "ファイル保存中にエラーが発生しました。" is shown (exclamation), with the reason the file could
// not be written on a line of its own when there is one; the table is never changed.
bool saveDefinition(const std::string& path, const RecordDefTable& table, RecordTree& tree,
                    Messages& messages, const DefinitionWriter& writer);

}  // namespace sorvek
