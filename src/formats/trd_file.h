#pragma once
// Definition files (.trd): the record-definition table as an INI profile file.
//
//   [Sorvek Trd File]   Function=REC2CSV (marks the file kind)
//   [File Property]     MaxRecordIndex, Name, Size, ClassPos, Delimiter, TitleLine,
//                       CodePage (IBM930, ...), RecordFormat (v or vb)
//   [Record_1..N]       Name, Size, Class, Parent, Child, MaxFieldIndex, Field_0..M
//   [CSV Output]        Encoding, Quote, TrimBlanks, ZonedSign, InvalidPacked, LineEnd,
//                       LeadingSign_i (the field indices of record i whose sign leads)
//   [Field Format]      Field_i_j: the host forms of field j of record i, comma-separated:
//                       sign=trailing|leading|trailing-separate|leading-separate, signed,
//                       byte-order=native, scale=N
//   [Varying Tables]    Record_i: the table whose occurrences a counter gives
//   [Field Totals], [Character Width]: the control totals and half-width marks of fields
//                       (formats/trd_field_marks.h)
//
// CodePage and RecordFormat are written only when they are not CP932 and fixed, and a field's
// forms only when it has one, so that a definition without them is written as it always was.
// The output section is written only when an output option is set (a definition without one
// is written exactly as it always was); a file without it reads with every option off.
// A field line joins Name, Type, Pos, Size, Dec, Check (-1 or 0) and Memo with commas, without
// quoting or escaping. Numbers are plain decimal text, booleans "True" or "False".
#include <string>

#include "formats/ini_profile.h"
#include "model/record_def.h"
#include "platform/files.h"

namespace sorvek {

// Reads the definition file at `path` into `table`, replacing its contents. The file is read
// as readDefinitionText reads it (a regular file of at most 64 MiB, CP932 or UTF-8).
// A file whose `Function` is not exactly "REC2CSV" (a missing or unreadable file included) is
// refused with the notice `path` + " はレコード定義ファイルではありません。" (of kind
// NotDefinitionFile), for the caller to show. Fails with an empty reason (kind InvalidDefinition)
// on a value that is no number (or boolean),
// a field line of fewer than six items, or a negative record or field count; the table then holds
// the entries read so far. Names, class codes, positions and parent indices are not checked.
// An output option whose value is none of its words (any letter case) fails with
// "出力形式の指定に誤りがあります。", a line feed and "key = value"; a code page, record format or
// field form that is none of its words likewise with "文字コードの指定に誤りがあります。",
// "レコード形式の指定に誤りがあります。" or "フィールド形式の指定に誤りがあります。".
Status readTrdFile(const std::string& path, RecordDefTable& table,
                   FileSystem& files = osFileSystem());

// The notice for a file that is no definition file (kind NotDefinitionFile).
Failure notDefinitionFile(const std::string& path);

// The same for a definition file already read and parsed; `path` names it in the notice.
Status readTrdDocument(const std::string& path, const IniDocument& doc, RecordDefTable& table);

// Writes `table` to `path`, replacing any file there. Fails, without touching the file, when the
// table has no entry 0 or a record has no field. The whole file is written to a temporary file
// in the same folder and moved over the target only when every byte was written, so a failed
// write leaves the previous file as it was. The caller reports a failure.
Status writeTrdFile(const std::string& path, const RecordDefTable& table,
                    FileSystem& files = osFileSystem());

// The text (UTF-8, CR LF line ends) that writeTrdFile writes for `table`, without its checks: a
// record without fields gets MaxFieldIndex -1, and no entry at all gives the marker section only.
// Two tables with the same text are stored alike, whatever else they hold.
std::string trdFileText(const RecordDefTable& table);

}  // namespace sorvek
