#pragma once
// What the inspection of a data file found: the values behind the check report of the console
// program, the desktop program's findings list and the completion message of a job.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ebcdic_guess.h"

namespace sorvek {

// How many places of one finding are listed (the count goes on).
inline constexpr std::size_t kListedPlaces = 20;

// Where something was found: how often, and the first places (byte offsets from the start of
// the file, 0-based, and for findings about records the 1-based record numbers and, beside
// each, the rest of the block the record starts in (records in blocks: a walk that starts at
// the record goes on from there with it; 0 otherwise)).
struct Occurrences {
    std::int64_t count = 0;
    std::vector<std::int64_t> offsets;
    std::vector<std::int64_t> recordNumbers;
    std::vector<std::uint32_t> blockLefts;

    void add(std::int64_t offset, std::int64_t recordNumber = 0, std::uint32_t blockLeft = 0) {
        if (offsets.size() < kListedPlaces) {
            offsets.push_back(offset);
            if (recordNumber > 0) {
                recordNumbers.push_back(recordNumber);
                blockLefts.push_back(blockLeft);
            }
        }
        ++count;
    }
    // Adds what was found in the bytes after those these occurrences cover.
    void join(const Occurrences& later) {
        for (std::size_t i = 0; i < later.offsets.size() && offsets.size() < kListedPlaces; ++i) {
            offsets.push_back(later.offsets[i]);
            if (i < later.recordNumbers.size()) {
                recordNumbers.push_back(later.recordNumbers[i]);
                blockLefts.push_back(later.blockLefts[i]);
            }
        }
        count += later.count;
    }
    bool any() const { return count > 0; }
    bool operator==(const Occurrences&) const = default;
};

// What the bytes of the whole file say, without any definition.
struct ByteProfile {
    std::int64_t size = 0;
    // Line breaks by form: CR LF, a lone LF, a lone CR.
    std::int64_t crlf = 0;
    std::int64_t lf = 0;
    std::int64_t cr = 0;
    std::int64_t breaks() const { return crlf + lf + cr; }
    // Lines: one per break, and the text after the last break when there is any.
    std::int64_t lines = 0;
    // Lengths of the lines without their break bytes; 0 when the file has no break.
    std::int64_t longestLine = 0;
    std::int64_t shortestLine = 0;
    // The most frequent line length (below 4096 bytes) and how many lines have it.
    std::int64_t commonLineLength = 0;
    std::int64_t commonLineCount = 0;
    // Bytes that text does not hold: control codes other than TAB, LF, FF, CR and the
    // end-of-file mark 0x1A, and DEL.
    Occurrences nonText;
    // Places where the bytes cannot be read as Shift-JIS: a lead byte without a valid second
    // byte, or a byte that is neither a character nor a lead byte (0x80, 0xA0, 0xFD to 0xFF).
    // Looked for in the first `sjisBytes` bytes of the file only.
    Occurrences invalidSjis;
    std::int64_t sjisBytes = 0;
    bool operator==(const ByteProfile&) const = default;
};

// What the bytes say when a definition reads the file on an EBCDIC page (the Shift-JIS and
// control-code findings of ByteProfile then mean nothing): the page's characters and what is
// none, in the first `bytes` bytes of the file.
struct PageTextProfile {
    bool present = false;  // the definition's page is an EBCDIC page
    std::string page;      // its name, as the definition file writes it
    std::int64_t bytes = 0;
    std::int64_t textBytes = 0;  // characters of the page (shift bytes and double-byte ones too)
    Occurrences control;         // control codes (NUL, and the C0 and C1 codes of the page)
    Occurrences noCharacter;     // bytes, or double-byte pairs, that are no character of the page
    Occurrences unpairedShift;   // a shift-in outside double-byte text, a shift-out inside it
    bool operator==(const PageTextProfile&) const = default;
};

}  // namespace sorvek

namespace sorvek {

// A length the records of a file may have, with the one-line reason it was chosen.
struct RecordLengthSuggestion {
    std::int64_t length = 0;
    std::string reason;
    bool operator==(const RecordLengthSuggestion&) const = default;
};

// Where a field's start or end cuts a double-byte character in two.
enum class SplitAt { Start, End };

// A finding about one field of one record kind (indices into the definition).
struct FieldFinding {
    int kind = 0;
    int field = 0;
    Occurrences places;  // offsets of the field's first byte in the records concerned
    bool operator==(const FieldFinding&) const = default;
};

struct SplitFinding {
    int kind = 0;
    int field = 0;
    SplitAt at = SplitAt::End;
    Occurrences places;
    bool operator==(const SplitFinding&) const = default;
};

// A control total that disagrees with the records before it (its group).
struct TotalFinding {
    int kind = 0;
    int field = 0;
    std::int64_t offset = 0;  // of the field's first byte
    std::int64_t record = 0;  // 1-based number of the record that holds it
    std::string expected;     // what the records before it make (decimal text)
    std::string found;        // what it holds; "" for bytes that are no number
    bool operator==(const TotalFinding&) const = default;
};

// What reading the file through a definition found.
struct DefinitionFindings {
    // Names of the kinds (index 1..N) and of their fields, for the texts of the report.
    std::vector<std::string> kindNames;
    std::vector<std::vector<std::string>> fieldNames;
    std::vector<std::vector<std::string>> fieldTypes;
    std::vector<std::vector<std::int32_t>> fieldPositions;  // `Pos`, 1-based
    // Bytes of a record before its data, where `Pos` 1 lies: its descriptor word (V, VB).
    std::int32_t descriptorBytes = 0;
    // The definition check's refusal (the conversion would not run), empty when it passes.
    std::string definitionError;
    // False when the definition cannot cut records at all (no records, a bad length, ...).
    bool recordsCut = false;
    // Several kinds and no class-code position: every record is read as kind 1
    // (RecordDefTable::kindsUntold). A note, not a problem: the output is what kind 1 makes.
    bool kindsUntold = false;

    std::vector<std::int64_t> recordsByKind;  // index 1..N
    Occurrences unknownKind;
    // A record of unknown kind in a variable-length file: the conversion stops there, and so
    // does the reading; offset and record number of that record.
    // Records behind descriptor words stop the same way at a descriptor word that cannot be, or
    // at a record cut off by the end of the file: then `framingMessage` is the message the
    // conversion shows (with that record's number and the descriptor word's offset).
    bool stopped = false;
    std::int64_t stopOffset = 0;
    std::int64_t stopRecord = 0;
    std::uint32_t stopBlockLeft = 0;  // as Occurrences::blockLefts
    std::string framingMessage;
    // An incomplete last record, which the conversion leaves out.
    std::int64_t trailingBytes = 0;
    std::int64_t trailingOffset = 0;
    std::int64_t trailingRecord = 0;  // the number it would have
    // Records of a kind with a parent, read before any record of the parent's kind.
    std::vector<Occurrences> childBeforeParent;  // index 1..N
    // Lines the conversion writes, the title line included when there is one.
    std::int64_t linesWritten = 0;
    bool titleLine = false;
    // Records of a kind with children that no child followed: no line holds their fields.
    std::vector<Occurrences> recordsWithoutLine;  // index 1..N
    // Records that begin with a CR or LF: an extra line break before them shifted the record.
    Occurrences extraLineBreaks;
    // Fields written to the output whose value is not valid for their type: packed decimal
    // with a digit nibble above 9 or a sign nibble below A, zoned decimal with a byte that is
    // not a digit.
    std::vector<FieldFinding> invalidFields;
    // Text fields written to the output whose start or end falls inside a double-byte
    // character.
    std::vector<SplitFinding> splitCharacters;
    // Fields that lie outside their record (past its end, or with no bytes at all).
    std::vector<FieldFinding> fieldsOutside;
    // Control totals that disagree with their records: the first kTotalFindingsKept, and how
    // many there were.
    static constexpr std::size_t kTotalFindingsKept = 100;
    std::vector<TotalFinding> wrongTotals;
    std::int64_t wrongTotalCount = 0;
    // Half-width fields (FieldDef::width), written or not, whose bytes hold a double-byte
    // character: a Shift-JIS lead byte, or a shift-out on an EBCDIC page.
    std::vector<FieldFinding> fullWidthCharacters;

    // True when anything here means the output will not be what the data holds.
    bool hasProblems() const;
    bool operator==(const DefinitionFindings&) const = default;
};

struct InspectionReport {
    ByteProfile bytes;
    PageTextProfile pageText;
    // The file looks like record data (binary fields) rather than text.
    bool looksBinary = false;
    // The first bytes can be read as UTF-8 text (and hold characters beyond ASCII).
    bool looksUtf8 = false;
    std::vector<RecordLengthSuggestion> suggestions;
    // Whether the first bytes look like EBCDIC, and which Japanese page fits them.
    EbcdicGuess ebcdic;
    bool withDefinition = false;
    DefinitionFindings definition;
    // The reading was cancelled: the report covers the bytes read until then.
    bool cancelled = false;

    bool hasProblems() const { return withDefinition && definition.hasProblems(); }
    bool operator==(const InspectionReport&) const = default;
};

}  // namespace sorvek
