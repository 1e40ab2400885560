#pragma once
// The texts of a record-to-CSV output besides its lines, shared by the sequential run, the
// parallel run and the conversion of parts: what the output begins with, and the messages of a
// conversion that stops in the data.
#include <cstdint>
#include <string>

#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

inline constexpr const char* kUnknownKindText =
    "識別区分の不明なレコードがあります。可変長の場合は全ての識別区分を指定して下さい。";

// Records behind descriptor words (V, VB) that cannot be read on.
inline constexpr const char* kBadRecordWordText = "レコード記述語（RDW）の長さに誤りがあります。";
inline constexpr const char* kBadBlockWordText = "ブロック記述語（BDW）の長さに誤りがあります。";
inline constexpr const char* kCutRecordText = "ファイルの終わりでレコードが途切れています。";

// How the lines of one run are written, taken from the table as a run starts.
struct Rec2CsvText {
    std::string delimiter;  // in the output's encoding
    std::string lineEnd;    // CR LF, or LF
    // What the output begins with: the byte order mark, the title line, as the options ask.
    std::string preamble;
};

// Makes the table ready for a run (a delimiter of backslash and "t" becomes a TAB; every `Data`
// is cleared) and returns the texts of the run.
Rec2CsvText prepareRec2CsvRun(RecordDefTable& table);

// What the file of kind `kind` of an output split by kind begins with: the byte order mark and
// the title line of that kind's lines (its ancestors' marked fields, then its own), as the
// options ask. `table` and `text` as prepareRec2CsvRun left and returned them.
std::string kindPreamble(const RecordDefTable& table, const Rec2CsvText& text, int kind);

// The failure of a conversion that stopped in the data at a record: `text` names it (the texts
// below, or a descriptor word's fault).
inline Failure dataStop(std::string text) {
    return failure(std::move(text), FailureKind::InvalidData);
}

// The message for an invalid packed field that stops the conversion.
std::string invalidPackedText(std::int64_t recordNumber, std::int64_t offset,
                              const std::string& record, const std::string& field);

// The message for a record of unknown kind in a variable-length file: the record's number
// (counted from 1, skipped records included) and its file offset.
std::string unknownKindText(std::int64_t recordNumber, std::int64_t offset);

}  // namespace sorvek
