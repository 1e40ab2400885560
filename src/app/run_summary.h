#pragma once
// The execute page's summary: what the run will do, told before it starts, with every setting
// that shapes its output in the words of the lists that choose it.
#include <string>
#include <vector>

#include "app/app_state.h"

namespace sorvek {

// The lines of the summary, each value after its label: "変換の種類: " and the job title,
// "入力ファイル: " and "出力ファイル: " with the paths as typed, and the job's parameter after
// its own label ("レコード長: ", "レコード定義: ", "改行コード: "). A job that reads a
// definition adds its file ("定義ファイル: ", with "(保存していない変更があります)" when
// `unsavedEdits`), how its records are read or laid out (code page, record format, descriptor
// words, a line end after each record made), its text (the record-to-CSV job's format first,
// then delimiter, title line, encoding, quoting, trimming, zoned signs, invalid packed digits,
// line end) and, for the record-to-CSV job, the files of an output split by kind, one each.
std::vector<std::string> summaryLines(const AppState& state, bool unsavedEdits = false);

}  // namespace sorvek
