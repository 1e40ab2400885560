#pragma once
// The records a line of delimited text stands for, as the record-to-CSV conversion writes the
// lines of a definition: a line holds the written fields of a record of a kind without children
// and of its ancestors, top-level ancestor first. The builder tells a line's kind, writes the
// records of its ancestors where they changed since the line before (a new header starts a new
// group), then the line's own record.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/control_totals.h"
#include "engine/field_encoding.h"
#include "engine/varying_table.h"
#include "model/record_def.h"
#include "ports/status.h"

namespace sorvek {

class RecordBuilder {
  public:
    // A value that could not become its field's bytes.
    struct ValueFailure {
        std::size_t column = 0;  // 1-based value number in the line
        std::string field;       // the field's name (UTF-8)
        std::string why;
    };
    // The condition of a record that is written whatever the lines before were.
    static constexpr std::size_t kAlways = static_cast<std::size_t>(-1);
    // Takes each record made, in order: its kind, its bytes (its kind's `Size`, valid during the
    // call) and kAlways, or, after `startApart`, the number of the condition on which it is
    // written (see `resolve`).
    using Emit = std::function<void(int kind, const unsigned char* bytes, std::size_t size,
                                    std::size_t condition)>;
    // The values of the last record of each kind with children, by kind (none where no record
    // of the kind was made): what the lines read leave to tell the next group.
    using Lasts = std::vector<std::optional<std::vector<std::string>>>;

    // Works out every kind's line and record. Refuses (InvalidDefinition, the reason naming the
    // kinds) a definition whose lines cannot be told apart: two kinds whose lines hold as many
    // values, where a kind has no written field that holds its class code. REQUIRES: `table`
    // passed checkRec2CsvDefinition.
    static Result<RecordBuilder> make(const RecordDefTable& table, const ValueTextForm& form,
                                      const CsvOutputOptions& options);

    // The value counts of the lines of every kind (for the title line and the check).
    bool takesValueCount(std::size_t count) const;

    // Makes the records of the line `values`, handing them to `emit`. Where the class codes of
    // several kinds match (a value of one kind may hold the code of another where that one has
    // its class code), the line is the first of them that takes all its values, lines with all
    // their generations first. Nothing is emitted when the line fails: a count of values no
    // kind's line has, a class code of no kind, or a value that cannot be held (its column, its
    // field and why; of the first kind whose code matched).
    std::optional<ValueFailure> build(const std::vector<std::string_view>& values,
                                      const Emit& emit);

    // Where the definition has control totals, a line's totals left empty are filled from the
    // records before them and a total given that disagrees is refused (its column, "集計が合いま
    // せん"); a kind whose fields are all totals or not written (a trailer, an end record) is
    // written by itself at the end of each group the text has no line of it in: before the record
    // that starts the next group, and, for the last, by `finish`.
    // After the last line: hands the records of those kinds that the last groups lack to `emit`.
    // Fails (column 0, the record and field named in `why`) when a total cannot be held.
    std::optional<ValueFailure> finish(const Emit& emit);

    // From here on the lines are read apart from the lines before them, which are not known
    // yet: a stretch of text read on its own, at once with the stretches before it. Where a
    // line's ancestor records are written depends on those lines (the first line of the stretch
    // that holds a kind's values), its records are made all the same and handed out with a
    // condition, which `resolve` decides once the lines before are known. REQUIRES: no line was
    // built yet.
    void startApart();
    // Whether each condition handed out since `startApart` holds (by number), after lines before
    // that left `before` (where it has no entry for a kind, they left no record of it).
    std::vector<bool> resolve(const Lasts& before) const;
    // What the lines before, which left `before`, and the lines built since `startApart` leave
    // together.
    Lasts lastsAfter(Lasts before) const;

  private:
    // One kind's record: its bytes where no value is given, and its written fields in the order
    // of its line.
    struct KindPlan {
        std::vector<unsigned char> blank;
        std::vector<FieldEncoding> fields;
        std::vector<std::string> names;
        std::vector<int> chain;         // its ancestors, top-level first, and itself
        std::vector<int> markedChain;   // those of them with written fields
        int classField = -1;            // its written field that holds the class code, or -1
        std::uint32_t classOffset = 0;  // where in that field the class code starts
        bool line = false;              // a kind without children: its records make lines
        // A table whose occurrences its counter gives: the records hold only those, and the
        // counter is the written field `counterField`.
        VaryingLayout layout;
        std::size_t counterField = 0;
    };
    // A line of a kind with `generations` of its marked chain (the bottom ones: an ancestor with
    // no record yet leaves the generations above it out).
    struct Shape {
        int kind = 0;
        std::size_t generations = 0;
        std::size_t count = 0;
    };

    RecordBuilder() = default;
    // The shapes of the lines of every kind without children, those with all their generations
    // first.
    void addShapes();
    // Refuses lines of as many values that no class code tells apart.
    Status checkShapes(const RecordDefTable& table) const;
    // Makes the records of `values` as a line of `shape` (in records_, listed in made_): the
    // generations whose values changed since their last record, and the line's own. Nothing is
    // kept: a value that cannot be held leaves the builder as it was.
    std::optional<ValueFailure> makeRecords(const Shape& shape,
                                            const std::vector<std::string_view>& values);
    // The control totals of the records in made_, in order (see `finish`): fills or checks them
    // against a copy of the tallies that is kept only when the line is taken, and puts the
    // records of kinds written by themselves that the groups the line closes lack in pending.
    std::optional<ValueFailure> settleTotals();
    // Fills the totals of `kind` in `record` left empty (or not written) and checks the others;
    // `first`: the record's first value in its line; kNotWritten for a record written by itself,
    // whose totals are all filled.
    std::optional<ValueFailure> fillTotals(int kind, unsigned char* record,
                                           const ControlTotals& tally, std::size_t first);
    // Hands the records in made_ to `emit` and keeps their values, to tell the next group.
    void emitMade(const std::vector<std::string_view>& values, const Emit& emit);
    // Whether the value at `column` (0-based) holds the class code of `shape`'s kind.
    bool classMatches(const Shape& shape, const std::vector<std::string_view>& values);
    // Encodes the values from `first` on into the record of `kind` in `records_`.
    std::optional<ValueFailure> encodeRecord(int kind, const std::vector<std::string_view>& values,
                                             std::size_t first);

    std::vector<KindPlan> kinds_;       // by record index; entry 0 unused
    std::vector<std::size_t> lengths_;  // by kind: of the record last made in records_
    std::vector<Shape> shapes_;
    std::vector<std::string> classes_;  // the class code of each kind, in the page's bytes
    std::uint32_t classPos_ = 0;        // 0-based; meaningful when classes are told apart
    bool classCodes_ = false;
    // Whether the values of a kind's last record are known.
    enum class Last : std::uint8_t {
        None,     // no record of the kind yet
        Known,    // in last_
        Unknown,  // read apart: in the lines before the stretch, not known yet
    };
    // The values of each kind's last record that was written, to tell a new group.
    std::vector<std::vector<std::string>> last_;
    std::vector<Last> lastState_;
    // By kind, read apart: the values of the first line that gave a kind whose last record was
    // not known, which the lines before decide about.
    std::vector<std::vector<std::string>> firstGiven_;
    // Why a record made while read apart may not be written.
    enum class Doubt : std::uint8_t {
        None,     // written whatever the lines before were
        Compare,  // its kind's last record is not known: written when its values differ from it
        Follow,   // written when a record above it in its line is
    };
    struct Condition {
        int kind;
        Doubt doubt;
        bool lineStarts;  // the first condition of its line
    };
    std::vector<Condition> conditions_;
    // By kind: the record of the line being made.
    std::vector<std::vector<unsigned char>> records_;
    struct Made {
        int kind;
        std::size_t first;  // its first value in the line
        Doubt doubt;
    };
    std::vector<Made> made_;
    // The control totals, where the definition has any. (No member initializers: the types are
    // complete only after the class, where std::optional asks whether they can be made.)
    struct TotalSlot {
        std::size_t field;    // index among its kind's fields
        std::size_t written;  // index among its kind's written fields; kNotWritten
        std::string name;
        FieldEncoding encoding;
    };
    static constexpr std::size_t kNotWritten = static_cast<std::size_t>(-1);
    struct Pending {
        std::size_t before;  // written before made_[before]
        int kind;
        std::vector<unsigned char> bytes;
    };
    struct Totals {
        std::optional<ControlTotals> tally;
        std::optional<ControlTotals> trial;  // the tallies as a line being made leaves them
        std::vector<bool> trialGiven;
        std::vector<std::vector<TotalSlot>> slots;  // by kind
        std::vector<std::vector<int>> slotOfValue;  // by kind, by written field: slot or -1
        std::vector<std::vector<bool>> empty;       // by kind, by slot: left empty in the line
        // Kinds written by themselves: those closed by a group's start first, by index.
        std::vector<int> selfWritten;
        std::vector<int> groupOf;  // by kind: the kind that starts its group; 0: the file
        std::vector<std::string> kindNames;
        std::vector<bool> given;  // by kind: a record of it in its open group
        bool started;             // a record was made: a group is open
        std::vector<Pending> pending;
    };
    void planTotals(const RecordDefTable& table, const ValueTextForm& form,
                    const CsvOutputOptions& options);
    std::optional<Totals> totals_;
    std::vector<unsigned char> probe_;
    std::string scratch_;
    std::string why_;  // of the last value that could not be held
};

}  // namespace sorvek
