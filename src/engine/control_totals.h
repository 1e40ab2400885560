#pragma once
// The running tallies of a definition's control totals (the count and amount a trailer record
// holds), record by record in the order of the file: the check of a data file compares the
// totals its records hold, the way back from delimited text fills those left empty and refuses
// those that disagree. Sums are exact decimals, never floating point.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/record_def.h"

namespace sorvek {

// An exact decimal: `units` × 10^`exponent`.
struct TotalValue {
    __int128 units = 0;
    std::int32_t exponent = 0;
};

// The value of the numeric field `f` ("9", "P" or "BIN") at `field`, as its layout reads it
// (decimal places and scale); nullopt when its bytes are no number of its type or it has more
// digits than a tally holds (30). `ebcdic`: the records' page is EBCDIC.
std::optional<TotalValue> numericFieldValue(const FieldDef& f, const unsigned char* field,
                                            bool ebcdic);

// The decimal text of `v` without leading zeros ("0", "-12.50", "3000").
std::string totalText(const TotalValue& v);

// True when any field of `table` holds a control total.
bool hasControlTotals(const RecordDefTable& table);

class ControlTotals {
  public:
    // A total held by a record that disagrees with the records before it.
    struct Disagreement {
        std::size_t field = 0;  // index among its kind's fields
        std::string expected;   // the tally (decimal text)
        std::string found;      // what the record holds ("" for bytes that are no number)
    };

    // REQUIRES: `table` passed checkRec2CsvDefinition. Nothing of it is kept by reference.
    explicit ControlTotals(const RecordDefTable& table);

    // The indices of the fields of `kind` that hold totals, in order.
    const std::vector<std::size_t>& totalsOf(int kind) const {
        return plan_->totalFields[static_cast<std::size_t>(kind)];
    }
    // The value the total field `field` of `kind` holds after the records taken so far; nullopt
    // when a value summed could not be read or the sum went beyond what a tally holds.
    std::optional<TotalValue> expected(int kind, std::size_t field) const;
    // The totals of `record` (a record of `kind`, laid out as its fields read it) that disagree
    // with the records taken so far; those whose tally is unknown are passed by.
    std::vector<Disagreement> compare(int kind, const unsigned char* record) const;
    // The same for the one total field `field` of `kind`.
    std::optional<Disagreement> compareField(int kind, std::size_t field,
                                             const unsigned char* record) const;
    // Takes `record` of `kind` into the tallies: a record of a kind that starts groups starts
    // their totals again, then it is counted and its summed fields added.
    void add(int kind, const unsigned char* record);

  private:
    // What the definition says, shared by the copies: a copy of the tallies (taken to try a
    // line) is then only their counts and sums.
    struct Plan {
        bool ebcdic = false;
        std::vector<ControlTotal> totals;                   // by tally
        std::vector<FieldDef> summed;                       // by tally: Sum: the field added
        std::vector<std::vector<FieldDef>> totalDefs;       // by kind: the fields holding totals
        std::vector<std::vector<std::size_t>> totalFields;  // by kind: their indices
        std::vector<std::vector<std::size_t>> tallyOf;      // by kind: tally of each of them
        std::vector<std::vector<std::size_t>> counted;      // by kind: tallies it adds to
        std::vector<std::vector<std::size_t>> restarted;    // by kind: tallies it starts again
    };
    struct Tally {
        std::int64_t count = 0;
        TotalValue sum;
        bool known = true;  // every value summed was read and fits
    };
    std::shared_ptr<const Plan> plan_;
    std::vector<Tally> tallies_;
};

}  // namespace sorvek
