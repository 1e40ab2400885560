#pragma once
// Texts that the definition editor shows or copies for the entries of the record-definition
// table. All results are UTF-8.
#include <cstdint>
#include <optional>
#include <string>

#include "model/record_def.h"

namespace sorvek {

// The type display of a field (the field list's "属性", the copied layout, the preview's tips):
// `Type`, "(", the integer digits, ")", and when `Dec` is not 0 "V" followed by `Dec` nines. The
// integer digits are `Size - Dec`, for "P" `2 × Size - 1 - Dec`, for "9" with a sign of its own
// byte `Size - 1 - Dec`. "9" of 7 bytes with 2 decimals
// gives 9(5)V99; "P" of 4 bytes with 2 decimals P(5)V99; "X" of 4 bytes X(4). More than 32
// decimals are written V9(n) so that an absurd count read from a file cannot make a huge text.
// The host forms follow in the edit dialog's words, each after "、": a zoned field's declared
// sign ("符号: 先頭に独立 (+/-)"), the scale of a number ("位取り 3 桁"). A binary field shows
// "BIN 4バイト、符号付き、ビッグエンディアン (COMP、BINARY)" and its decimal places ("小数点以下
// 2 桁"), double-byte text "DBCS(2バイト文字 5 字)". A field without host forms shows as it
// always did.
std::string typeDisplay(const FieldDef& field);
// The same, followed by the field's marks in the edit dialog's words, naming the records and
// fields of `table`: a total "、件数 (データ、区切り ヘッダー)" or "、合計 (データ.振込金額、
// ファイル全体)", a half-width mark "、半角" or "、半角 (英小文字を大文字に)". A total that
// names what `table` does not hold shows the index ("レコード 7", "フィールド 3").
std::string typeDisplay(const FieldDef& field, const RecordDefTable& table);

// The byte position at which the record's last field ends (`Pos + Size - 1` of that field);
// nothing for a record without fields.
std::optional<std::int64_t> lastFieldEnd(const RecordDef& record);

// `lblFldLenSum`: "フィールド長の合計: 25 バイト"; nothing for a record without fields (the label
// then keeps its previous text).
std::optional<std::string> fieldLengthSumText(const RecordDef& record);

// Why `lblFldLenSum` is shown as a warning: the record's last field does not end at the record's
// length, "フィールド長の合計 (25 バイト) がレコード長 (20 バイト) と一致しません。"; nothing when
// it does, for a record without fields and for a record without a length.
std::optional<std::string> fieldLengthMismatchText(const RecordDef& record);

// `lblRecLen` for entry `index`: "レコード長: 20 バイト", or "可変長" when its `Size` is 0.
std::string recordLengthText(const RecordDefTable& table, std::int32_t index);

// `lblClass` for entry `index`: "識別区分: " and the record's `Class`; empty for entry 0 (whose
// `Class` is the class-code position) and for a record without a class code.
std::string classText(const RecordDefTable& table, std::int32_t index);

// The layout of record `index` as clipboard text: TAB-separated columns, CR LF after every line
// including the last. The file definition's line, an empty line, the record's line, an empty
// line, the column heads, then one line per field (number, name, type display, position, size,
// memo). REQUIRES: `index` names an existing record (1..N).
std::string recordCopyText(const RecordDefTable& table, std::int32_t index);

}  // namespace sorvek
