#include "engine/csv_line_plan.h"

#include <cstring>

#include "engine/packed_decimal.h"

namespace sorvek {
namespace {

// Copies a field. Fields are mostly short, where a call of memcpy with a size known only at
// run time costs more than the copy: two overlapping loads and stores cover 4 to 32 bytes.
inline void copyField(char* d, const unsigned char* s, std::size_t n) {
    if (n > 32) {
        std::memcpy(d, s, n);
    } else if (n >= 16) {
        char a[16], b[16];
        std::memcpy(a, s, 16);
        std::memcpy(b, s + n - 16, 16);
        std::memcpy(d, a, 16);
        std::memcpy(d + n - 16, b, 16);
    } else if (n >= 8) {
        std::uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n > 0) {
        d[0] = static_cast<char>(s[0]);
        d[n / 2] = static_cast<char>(s[n / 2]);
        d[n - 1] = static_cast<char>(s[n - 1]);
    }
}

}  // namespace

CsvLinePlan::CsvLinePlan(const RecordDefTable& table, std::string_view delimiter)
    : delimiter_(delimiter), kinds_(static_cast<std::size_t>(table.maxIndex()) + 1) {
    // The steps of each record's own fields, once.
    std::vector<std::size_t> ownLength(kinds_.size(), 0);
    for (std::size_t r = 1; r < kinds_.size(); ++r) {
        kinds_[r].stepBegin = steps_.size();
        for (const FieldDef& f : table[r].Fields) {
            if (f.Check != -1) continue;
            Step step{static_cast<std::uint32_t>(f.Pos - 1), static_cast<std::uint32_t>(f.Size),
                      f.Dec, Conversion::Copy};
            std::size_t width = step.size;
            if (f.Type == "P") {
                step.conversion = Conversion::Packed;
                width = packedWidth(step.size, f.Dec);
            } else if (f.Type == "9" && f.Dec != 0) {
                step.conversion = Conversion::ZonedWithPoint;
                width = step.size + 1;
            }
            steps_.push_back(step);
            ownLength[r] += width + delimiter_.size();
        }
        kinds_[r].stepEnd = steps_.size();
    }
    // Each kind's nearest marked ancestor and line length, from those of its parent: every
    // record is settled once, parents before their children. The definition check guarantees
    // that every parent chain ends.
    std::vector<bool> settled(kinds_.size(), false);
    std::vector<std::size_t> pending;
    std::size_t deepest = 0;  // marked generations of the longest line
    std::vector<std::size_t> markedDepth(kinds_.size(), 0);
    for (std::size_t k = 1; k < kinds_.size(); ++k) {
        for (std::size_t r = k; r != 0 && !settled[r];
             r = static_cast<std::size_t>(table[r].Parent)) {
            pending.push_back(r);
        }
        while (!pending.empty()) {
            const std::size_t r = pending.back();
            pending.pop_back();
            const std::size_t parent = static_cast<std::size_t>(table[r].Parent);
            KindPlan& plan = kinds_[r];
            std::size_t depth = 0;
            if (parent != 0) {
                plan.markedAncestor = hasSteps(parent) ? static_cast<std::uint32_t>(parent)
                                                       : kinds_[parent].markedAncestor;
                plan.maxLength = kinds_[parent].maxLength;
                depth = markedDepth[parent];
            }
            plan.maxLength += ownLength[r];
            markedDepth[r] = depth + (hasSteps(r) ? 1 : 0);
            deepest = std::max(deepest, markedDepth[r]);
            settled[r] = true;
        }
    }
    chain_.resize(deepest);
}

char* CsvLinePlan::write(int kind, const unsigned char* const* data, char* out) const {
    // The marked generations from the bottom up, as long as each has a record.
    std::size_t count = 0;
    const std::size_t bottom = static_cast<std::size_t>(kind);
    for (std::uint32_t r = hasSteps(bottom) ? static_cast<std::uint32_t>(bottom)
                                            : kinds_[bottom].markedAncestor;
         r != 0 && data[r] != nullptr; r = kinds_[r].markedAncestor) {
        chain_[count++] = r;
    }
    const std::size_t delimiterLength = delimiter_.size();
    char* o = out;
    while (count > 0) {
        const std::uint32_t r = chain_[--count];
        const unsigned char* record = data[r];
        for (std::size_t s = kinds_[r].stepBegin; s < kinds_[r].stepEnd; ++s) {
            const Step& step = steps_[s];
            const unsigned char* field = record + step.offset;
            switch (step.conversion) {
                case Conversion::Copy:
                    copyField(o, field, step.size);
                    o += step.size;
                    break;
                case Conversion::ZonedWithPoint: {
                    const std::size_t whole = step.size - static_cast<std::uint32_t>(step.dec);
                    copyField(o, field, whole);
                    o[whole] = '.';
                    copyField(o + whole + 1, field + whole, static_cast<std::size_t>(step.dec));
                    o += step.size + 1;
                    break;
                }
                case Conversion::Packed:
                    o = writePacked(field, step.size, step.dec, o);
                    break;
            }
            // A delimiter after every field; the last one is taken back below.
            if (delimiterLength == 1) {
                *o = delimiter_[0];
            } else {
                copyField(o, reinterpret_cast<const unsigned char*>(delimiter_.data()),
                          delimiterLength);
            }
            o += delimiterLength;
        }
    }
    if (o != out) o -= delimiterLength;
    return o;
}

}  // namespace sorvek
