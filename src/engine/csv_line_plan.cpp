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
    std::vector<Level> own(kinds_.size());
    std::vector<std::size_t> ownLength(kinds_.size(), 0);
    for (std::size_t r = 1; r < kinds_.size(); ++r) {
        own[r] = {static_cast<std::uint32_t>(r), steps_.size(), steps_.size()};
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
        own[r].stepEnd = steps_.size();
    }
    // The generations of each kind, top-level ancestor first; the definition check guarantees
    // that every parent chain ends.
    for (std::size_t k = 1; k < kinds_.size(); ++k) {
        std::vector<std::size_t> chain;
        for (std::size_t r = k; r != 0; r = static_cast<std::size_t>(table[r].Parent)) {
            chain.push_back(r);
        }
        KindPlan& plan = kinds_[k];
        plan.levelBegin = levels_.size();
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            if (own[*it].stepBegin == own[*it].stepEnd) continue;  // nothing marked
            levels_.push_back(own[*it]);
            plan.maxLength += ownLength[*it];
        }
        plan.levelEnd = levels_.size();
    }
}

char* CsvLinePlan::write(int kind, const unsigned char* const* data, char* out) const {
    const KindPlan& plan = kinds_[static_cast<std::size_t>(kind)];
    // Generations from the bottom up, as long as each has a record.
    std::size_t top = plan.levelEnd;
    while (top > plan.levelBegin && data[levels_[top - 1].record] != nullptr) --top;
    const std::size_t delimiterLength = delimiter_.size();
    char* o = out;
    for (std::size_t l = top; l < plan.levelEnd; ++l) {
        const Level& level = levels_[l];
        const unsigned char* record = data[level.record];
        for (std::size_t s = level.stepBegin; s < level.stepEnd; ++s) {
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
