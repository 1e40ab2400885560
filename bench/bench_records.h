#pragma once
// Record data in memory for the micro-benchmarks: the two layouts of bench/rec2csv.sh ("one": one
// kind of 100-byte record with text, zoned and packed fields; "hd": headers with detail lines
// told apart by a class code), generated the same way.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/record_def.h"
#include "platform/codepage.h"

namespace sorvek::bench {

inline FieldDef field(const char* name, const char* type, int pos, int size, int dec, bool marked) {
    return FieldDef{name, type, pos, size, dec, marked ? -1 : 0, ""};
}

inline RecordDef record(const char* name, int size, const char* cls, int parent, int child,
                        std::vector<FieldDef> fields) {
    RecordDef r;
    r.Name = name;
    r.Size = size;
    r.Class = cls;
    r.Parent = parent;
    r.Child = child;
    r.Fields = std::move(fields);
    return r;
}

inline RecordDefTable layout(const std::string& name) {
    RecordDefTable t;
    t.reset(1);
    t[0].Name = name;
    t[0].Size = 100;
    t[0].Delimiter = ",";
    if (name == "one") {
        t.entries.push_back(
            record("ITEM", 100, "", 0, 0,
                   {field("CODE", "X", 1, 10, 0, true), field("NAME", "X", 11, 30, 0, true),
                    field("QTY", "9", 41, 7, 0, true), field("PRICE", "9", 48, 9, 2, true),
                    field("AMOUNT", "P", 57, 7, 2, true), field("TAX", "P", 64, 5, 2, true),
                    field("FILLER", "X", 69, 10, 0, false), field("DATE", "9", 79, 8, 0, true),
                    field("RATE", "P", 87, 3, 2, true), field("REST", "X", 90, 11, 0, false)}));
    } else {
        t[0].Class = "1";
        t.entries.push_back(record(
            "HEADER", 100, "H", 0, 2,
            {field("KIND", "X", 1, 1, 0, false), field("ORDERNO", "9", 2, 10, 0, true),
             field("CUSTOMER", "X", 12, 30, 0, true), field("ORDERDATE", "9", 42, 8, 0, true),
             field("FILLER", "X", 50, 51, 0, false)}));
        t.entries.push_back(
            record("DETAIL", 100, "D", 1, 0,
                   {field("KIND", "X", 1, 1, 0, false), field("LINENO", "9", 2, 3, 0, true),
                    field("ITEM", "X", 5, 20, 0, true), field("QTY", "9", 25, 5, 0, true),
                    field("PRICE", "9", 30, 9, 2, true), field("AMOUNT", "P", 39, 6, 2, true),
                    field("FILLER", "X", 45, 56, 0, false)}));
    }
    return t;
}

// A small, fast generator of varied values.
struct Random {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    std::uint64_t below(std::uint64_t n) { return next() % n; }
};

inline void putText(char* out, const std::string& cp932, int size) {
    std::memset(out, ' ', static_cast<std::size_t>(size));
    std::memcpy(out, cp932.data(),
                std::min<std::size_t>(cp932.size(), static_cast<std::size_t>(size)));
}

inline void putZoned(char* out, std::uint64_t value, int size) {
    for (int i = size - 1; i >= 0; --i, value /= 10) out[i] = static_cast<char>('0' + value % 10);
}

// Packed decimal of `size` bytes: 2 × size - 1 digits and the sign nibble C or D.
inline void putPacked(char* out, std::int64_t value, int size) {
    std::uint64_t v = static_cast<std::uint64_t>(value < 0 ? -value : value);
    unsigned char nibbles[64];
    const int count = 2 * size;
    nibbles[count - 1] = value < 0 ? 0x0D : 0x0C;
    for (int i = count - 2; i >= 0; --i, v /= 10) nibbles[i] = static_cast<unsigned char>(v % 10);
    for (int i = 0; i < size; ++i)
        out[i] = static_cast<char>(nibbles[2 * i] << 4 | nibbles[2 * i + 1]);
}

inline std::vector<std::string> cp932Names(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* n : utf8) out.push_back(utf8ToCp932(n));
    return out;
}

// Makes the 100-byte records of the layout `name` one after another, with text from the given
// item and customer names (Shift-JIS). The same maker with the same names makes the same file.
class RecordMaker {
  public:
    RecordMaker(std::string name, std::vector<std::string> items,
                std::vector<std::string> customers)
        : name_(std::move(name)), items_(std::move(items)), customers_(std::move(customers)) {}

    static constexpr std::size_t kSize = 100;

    void next(char* rec) {
        std::memset(rec, ' ', kSize);
        if (name_ == "one") {
            rec[0] = 'A';
            putZoned(rec + 1, rnd_.below(1000000000), 9);
            putText(rec + 10, items_[rnd_.below(items_.size())], 30);
            putZoned(rec + 40, rnd_.below(100000), 7);
            putZoned(rec + 47, rnd_.below(100000000), 9);
            putPacked(rec + 56, static_cast<std::int64_t>(rnd_.below(20000000000ull)) - 2000000000,
                      7);
            putPacked(rec + 63, static_cast<std::int64_t>(rnd_.below(200000000)) - 10000000, 5);
            putZoned(rec + 78, 20240101 + rnd_.below(1130), 8);
            putPacked(rec + 86, static_cast<std::int64_t>(rnd_.below(20000)) - 5000, 3);
        } else if (lines_ == 0) {
            lines_ = 1 + static_cast<long>(rnd_.below(9));
            rec[0] = 'H';
            putZoned(rec + 1, ++order_, 10);
            putText(rec + 11, customers_[rnd_.below(customers_.size())], 30);
            putZoned(rec + 41, 20240101 + rnd_.below(1130), 8);
        } else {
            rec[0] = 'D';
            putZoned(rec + 1, static_cast<std::uint64_t>(10 - lines_), 3);
            putText(rec + 4, items_[rnd_.below(items_.size())], 20);
            putZoned(rec + 24, rnd_.below(100000), 5);
            putZoned(rec + 29, rnd_.below(1000000000), 9);
            putPacked(rec + 38,
                      static_cast<std::int64_t>(rnd_.below(199999999999ull)) - 99999999999, 6);
            --lines_;
        }
    }

  private:
    std::string name_;
    std::vector<std::string> items_;
    std::vector<std::string> customers_;
    Random rnd_;
    long lines_ = 0;  // "hd": detail lines still to come after the header
    std::uint64_t order_ = 1000000;
};

// `bytes` bytes (whole records) of the layout `name`.
inline std::string records(const std::string& name, std::size_t bytes) {
    RecordMaker maker(
        name,
        cp932Names({"ボールペン　黒", "ノートＡ４方眼", "ｸﾘｯﾌﾟ ｽﾃﾝﾚｽ 50本入", "消しゴム",
                    "付箋（黄）７５ｍｍ", "Copy paper A4 500", "修正テープ５ｍｍ"}),
        cp932Names({"株式会社山田商店", "有限会社佐藤工業", "ｶﾌﾞｼｷｶﾞｲｼｬ ｽｽﾞｷ", "Global Trading Co.",
                    "合同会社みらい"}));
    std::string out;
    char rec[RecordMaker::kSize];
    while (out.size() + RecordMaker::kSize <= bytes) {
        maker.next(rec);
        out.append(rec, sizeof rec);
    }
    return out;
}

}  // namespace sorvek::bench
