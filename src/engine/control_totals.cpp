#include "engine/control_totals.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "engine/host_numbers.h"
#include "platform/ebcdic_decoder.h"

namespace sorvek {
namespace {

// Digits a tally reads from one field: sums of billions of such values still fit in 128 bits.
constexpr std::size_t kMostDigits = 30;

std::optional<TotalValue> fromDigits(const char* digits, std::size_t n, bool negative,
                                     std::int32_t exponent) {
    std::size_t first = 0;
    while (first < n && digits[first] == '0') ++first;
    if (n - first > kMostDigits) return std::nullopt;
    TotalValue v{0, exponent};
    for (std::size_t i = first; i < n; ++i) v.units = v.units * 10 + (digits[i] - '0');
    if (negative) v.units = -v.units;
    return v;
}

std::optional<TotalValue> packedValue(const unsigned char* field, std::size_t size,
                                      std::int32_t exponent) {
    std::array<char, 2 * kMostDigits + 2> digits{};
    if (2 * size - 1 > digits.size()) return std::nullopt;
    std::size_t n = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned high = field[i] >> 4, low = field[i] & 0x0Fu;
        if (high > 9 || (i + 1 < size && low > 9)) return std::nullopt;
        digits[n++] = static_cast<char>('0' + high);
        if (i + 1 < size) digits[n++] = static_cast<char>('0' + low);
    }
    const unsigned sign = field[size - 1] & 0x0Fu;
    if (sign < 0xA) return std::nullopt;
    return fromDigits(digits.data(), n, sign == 0xB || sign == 0xD, exponent);
}

// 10^n as a 128-bit number, or nullopt beyond what it holds.
std::optional<__int128> powerOfTen(std::int32_t n) {
    if (n < 0 || n > 36) return std::nullopt;
    __int128 p = 1;
    for (std::int32_t i = 0; i < n; ++i) p *= 10;
    return p;
}

// `a` and `b` at the smaller of their exponents; false when one does not fit.
bool alike(TotalValue& a, TotalValue& b) {
    TotalValue& coarse = a.exponent > b.exponent ? a : b;
    const std::int32_t fine = std::min(a.exponent, b.exponent);
    const std::optional<__int128> p = powerOfTen(coarse.exponent - fine);
    if (!p || __builtin_mul_overflow(coarse.units, *p, &coarse.units)) return false;
    coarse.exponent = fine;
    return true;
}

bool addTo(TotalValue& sum, TotalValue v) {
    if (!alike(sum, v)) return false;
    return !__builtin_add_overflow(sum.units, v.units, &sum.units);
}

}  // namespace

std::optional<TotalValue> numericFieldValue(const FieldDef& f, const unsigned char* field,
                                            bool ebcdic) {
    const auto size = static_cast<std::size_t>(f.Size);
    const std::int32_t exponent = f.scale - f.Dec;
    if (f.Type == "P") return packedValue(field, size, exponent);
    if (f.Type == kTypeBinary) {
        std::array<char, 32> text{};
        // A file of an EBCDIC page comes from a host: its binary fields are big-endian.
        const bool bigEndian =
            f.byteOrder == ByteOrder::Big || ebcdic || std::endian::native == std::endian::big;
        const char* end = writeBinary(field, size, f.signedBinary, bigEndian, 0, 0, text.data());
        const bool negative = text[0] == '-';
        const char* digits = text.data() + (negative ? 1 : 0);
        return fromDigits(digits, static_cast<std::size_t>(end - digits), negative, exponent);
    }
    // Digits of fields of any length; most fit the stack.
    std::array<char, 64> small{};
    std::vector<char> large(size > small.size() ? size : 0);
    char* digits = size > small.size() ? large.data() : small.data();
    bool negative = false;
    const SignPosition sign = f.sign != SignPosition::Undeclared ? f.sign
                              : f.leadingSign                    ? SignPosition::Leading
                                                                 : SignPosition::Trailing;
    const std::ptrdiff_t n = zonedDigits(field, size, sign, ebcdic, digits, negative);
    if (n < 0) return std::nullopt;
    return fromDigits(digits, static_cast<std::size_t>(n), negative, exponent);
}

std::string totalText(const TotalValue& v) {
    const bool negative = v.units < 0;
    unsigned __int128 u = negative ? static_cast<unsigned __int128>(-(v.units + 1)) + 1
                                   : static_cast<unsigned __int128>(v.units);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(u % 10)));
        u /= 10;
    } while (u != 0);
    if (v.exponent > 0 && digits != "0") digits.append(static_cast<std::size_t>(v.exponent), '0');
    if (v.exponent < 0) {
        const auto places = static_cast<std::size_t>(-v.exponent);
        if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
        digits.insert(digits.size() - places, 1, '.');
    }
    return negative ? "-" + digits : digits;
}

bool hasControlTotals(const RecordDefTable& table) {
    for (int i = 1; i <= table.maxIndex(); ++i) {
        for (const FieldDef& f : table[static_cast<std::size_t>(i)].Fields) {
            if (f.total.present()) return true;
        }
    }
    return false;
}

ControlTotals::ControlTotals(const RecordDefTable& table) {
    auto plan = std::make_shared<Plan>();
    plan->ebcdic = isEbcdic(table[0].codePage);
    const auto kinds = static_cast<std::size_t>(table.maxIndex()) + 1;
    plan->totalFields.resize(kinds);
    plan->totalDefs.resize(kinds);
    plan->tallyOf.resize(kinds);
    plan->counted.resize(kinds);
    plan->restarted.resize(kinds);
    for (std::size_t k = 1; k < kinds; ++k) {
        const std::vector<FieldDef>& fields = table[k].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            const ControlTotal& t = fields[j].total;
            if (!t.present()) continue;
            const std::size_t tally = plan->totals.size();
            plan->totalFields[k].push_back(j);
            plan->totalDefs[k].push_back(fields[j]);
            plan->tallyOf[k].push_back(tally);
            plan->counted[static_cast<std::size_t>(t.record)].push_back(tally);
            if (t.group != 0) plan->restarted[static_cast<std::size_t>(t.group)].push_back(tally);
            plan->totals.push_back(t);
            plan->summed.push_back(t.kind == TotalKind::Sum
                                       ? table[static_cast<std::size_t>(t.record)]
                                             .Fields[static_cast<std::size_t>(t.field - 1)]
                                       : FieldDef{});
        }
    }
    tallies_.resize(plan->totals.size());
    plan_ = std::move(plan);
}

std::optional<TotalValue> ControlTotals::expected(int kind, std::size_t field) const {
    const auto k = static_cast<std::size_t>(kind);
    const std::vector<std::size_t>& fields = plan_->totalFields[k];
    const auto at =
        static_cast<std::size_t>(std::find(fields.begin(), fields.end(), field) - fields.begin());
    const std::size_t i = plan_->tallyOf[k][at];
    const Tally& t = tallies_[i];
    if (plan_->totals[i].kind == TotalKind::Count) return TotalValue{t.count, 0};
    if (!t.known) return std::nullopt;
    return t.sum;
}

std::vector<ControlTotals::Disagreement> ControlTotals::compare(int kind,
                                                                const unsigned char* record) const {
    std::vector<Disagreement> out;
    for (std::size_t j : plan_->totalFields[static_cast<std::size_t>(kind)]) {
        if (std::optional<Disagreement> d = compareField(kind, j, record)) out.push_back(*d);
    }
    return out;
}

std::optional<ControlTotals::Disagreement> ControlTotals::compareField(
    int kind, std::size_t field, const unsigned char* record) const {
    const auto k = static_cast<std::size_t>(kind);
    const std::vector<std::size_t>& fields = plan_->totalFields[k];
    const auto at =
        static_cast<std::size_t>(std::find(fields.begin(), fields.end(), field) - fields.begin());
    const FieldDef& f = plan_->totalDefs[k][at];
    std::optional<TotalValue> want = expected(kind, field);
    if (!want) return std::nullopt;
    std::optional<TotalValue> held = numericFieldValue(f, record + f.Pos - 1, plan_->ebcdic);
    TotalValue a = *want;
    if (held) {
        TotalValue b = *held;
        if (alike(a, b) && a.units == b.units) return std::nullopt;
    }
    return Disagreement{field, totalText(*want), held ? totalText(*held) : std::string()};
}

void ControlTotals::add(int kind, const unsigned char* record) {
    const auto k = static_cast<std::size_t>(kind);
    for (std::size_t t : plan_->restarted[k]) tallies_[t] = Tally{};
    for (std::size_t i : plan_->counted[k]) {
        Tally& t = tallies_[i];
        ++t.count;
        if (plan_->totals[i].kind != TotalKind::Sum || !t.known) continue;
        const FieldDef& f = plan_->summed[i];
        std::optional<TotalValue> v = numericFieldValue(f, record + f.Pos - 1, plan_->ebcdic);
        t.known = v && addTo(t.sum, *v);
    }
}

}  // namespace sorvek
