#pragma once
// The preview of the record-definition page without its widgets: the first records of the input
// file (or those from a given record on) cut and converted with the definition being edited, one
// row per record and one cell per field, with marks where a value is not valid for its type,
// where a text field cuts a double-byte character, where a control total disagrees with the
// records before it, where the record is of unknown kind or reaches no line; and the fields of one
// record laid over its bytes, for the byte ruler. Rebuilt from the bytes in memory after every
// edit, so it never reads the file itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

// What the input of the definition page is: records of the definition, or a delimited text
// that the job makes records of (editor/text_preview.h).
enum class PreviewInput : std::uint8_t { Records, Text };

// Records a preview shows at most.
inline constexpr std::size_t kPreviewRecords = 200;
// Bytes of the file a preview reads, from the start or from a record on.
inline constexpr std::size_t kPreviewWindowBytes = 4 << 20;

// The bytes a preview is built from: a stretch of the file that starts at a record.
struct PreviewSource {
    std::string bytes;
    std::int64_t offset = 0;       // file offset of bytes[0]
    std::int64_t firstRecord = 1;  // the record number of the record at `offset`
    // Records in blocks: the rest of the block the record at `offset` starts in, its
    // descriptor word included (0: a block starts there), as the walk over the whole file had
    // it (a finding's place carries it).
    std::uint32_t blockLeft = 0;
    std::int64_t fileSize = 0;
    // The first bytes of the file (at most 4), also for a stretch further on: whether a text
    // starts with a byte order mark.
    std::string fileStart;
    bool reachesEnd() const { return offset + static_cast<std::int64_t>(bytes.size()) >= fileSize; }
};

enum class CellMark {
    None,
    InvalidValue,  // packed or zoned bytes that are no value of the type
    SplitStart,    // a text field that starts inside a double-byte character
    SplitEnd,      // a text field whose last byte is a lead byte without its second byte
    Outside,       // the field lies (partly) outside its record
    // A control total that disagrees with the records before it (judged only in a preview from
    // the start of the file, which has them all).
    WrongTotal,
};

struct PreviewCell {
    std::string text;  // the value as the conversion writes it, for display
    CellMark mark = CellMark::None;
    bool written = true;  // the field is marked for output
    // WrongTotal: the tally of the records before, and the value the field holds (decimal text).
    std::string tally;
    std::string held;
};

enum class RowMark {
    None,
    UnknownKind,        // no kind has its class code: the conversion skips it
    Stopped,            // no kind, in a variable-length file: the conversion stops here
    ChildBeforeParent,  // no record of its parent's kind came before it
    NoLine,             // a kind with children, and no child followed: its fields reach no line
    ExtraLineBreak,     // it begins with a CR or LF: an extra line break shifted it
    Incomplete,         // the file ends before the record does: it is left out
    BadDescriptorWord,  // a record or block descriptor word that cannot be: the conversion stops
    CutOff,             // the file ends inside a record behind a descriptor word: it stops too
    LineFails,          // a line of a text that makes no record: the job that makes them stops
};

struct PreviewRow {
    std::int64_t number = 0;  // 1-based record number in the file
    std::int64_t offset = 0;  // file offset of its first byte
    int kind = 0;             // record definition index; 0 for unknown
    std::size_t begin = 0;    // its bytes in the source: [begin, begin + length)
    std::size_t length = 0;
    RowMark mark = RowMark::None;
    // The occurrences of its kind's varying table it holds (UINT32_MAX: all, or no table).
    std::uint32_t present = UINT32_MAX;
    std::vector<PreviewCell> cells;  // one per field of its kind
};

struct Preview {
    std::vector<PreviewRow> rows;
    // The column heads: the fields of `columnKind`, and numbers for the columns that only kinds
    // with more fields fill.
    int columnKind = 0;
    std::vector<std::string> columnTitles;
    // Why there are no rows, or what the rows are: a line for the user.
    std::string status;
    bool definitionUsable = false;
    // The rows are records made from the lines of a text (editor/text_preview.h): their
    // `number` and `offset` are those of the line.
    bool fromText = false;
    // The rows are the file's lines, cut by no definition (editor/uncut_preview.h).
    bool uncut = false;
};

// `status` followed, on a line of its own, by what the bytes of `source` say of `page`, the
// page they are read on (engine/ebcdic_guess.h: EBCDIC read as Shift-JIS, or the other
// Japanese EBCDIC page), when they say anything.
std::string withEbcdicNote(std::string status, const PreviewSource& source, InputCodePage page);

// Builds the preview of `source` through `table`. `columnKind` names the record whose fields
// head the columns (1..N; any other value takes kind 1). At most `maxRows` rows; records after
// them are still followed, so that a record with children learns whether a child came.
Preview buildPreview(const RecordDefTable& table, const PreviewSource& source, int columnKind,
                     std::size_t maxRows = kPreviewRecords);

// The tooltip of a row's mark, and of a cell: the field, its type and place, its value and, for
// a mark, the reason (for a line of a text that makes no record, the cell's own text). Empty for
// a row without a mark.
std::string rowMarkText(RowMark mark);
std::string cellTip(const RecordDefTable& table, const PreviewSource& source, const PreviewRow& row,
                    std::size_t field);

// One field laid over the bytes of a record, for the byte ruler.
struct RulerSpan {
    int field = 0;
    std::size_t begin = 0;  // 0-based in the record
    std::size_t end = 0;    // one past the last byte, within the record
    std::string name;
    bool written = true;
    CellMark mark = CellMark::None;
};

// The fields of `row`'s kind over its bytes, in field order; fields outside the record are
// clipped to it (and left out when nothing remains).
std::vector<RulerSpan> rulerSpans(const RecordDefTable& table, const PreviewRow& row);

// The field that holds byte `at` (0-based in the record) among `spans` (those of rulerSpans, or
// fewer): the last one in field order that does, or -1. The byte ruler asks it for the field
// under the mouse.
int fieldAtByte(const std::vector<RulerSpan>& spans, std::size_t at);

}  // namespace sorvek
