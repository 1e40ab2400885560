#pragma once
// Random definitions and data files for the tests that hold the conversion of parts to the
// sequential run.
#include <algorithm>
#include <random>
#include <string>

#include "model/host_data.h"
#include "model/record_def.h"
#include "support/record_tables.h"

namespace sorvek::testing {

// A random definition and data file: fixed or variable length, with or without class codes,
// header, detail and sub-detail kinds, records of unknown kind, line breaks or none after each
// record (and CR and LF bytes inside records), trailing bytes, and random output options.
struct RandomCase {
    RecordDefTable table;
    std::string input;
};

// The fields of a random record kind of `size` bytes: the unmarked class code (byte 2), then up
// to four fields of `types` at random places, marked or not, with random decimal places.
// `pick(n)` gives a random number below n.
template <class Pick>
std::vector<FieldDef> randomFields(Pick& pick, int size, const std::vector<std::string>& types) {
    std::vector<FieldDef> fields = {unmarked("code", "X", 2, 1)};
    for (int n = pick(5); n > 0; --n) {
        const int pos = 1 + pick(size);
        const int fsize = 1 + pick(size - pos + 1);
        const std::string& type =
            types[static_cast<std::size_t>(pick(static_cast<int>(types.size())))];
        const int maxDec = type == "9" ? fsize : type == "P" ? 2 * fsize - 1 : 0;
        fields.push_back(
            field("f" + std::to_string(n), type, pos, fsize, pick(maxDec + 1), pick(4) != 0));
    }
    return fields;
}

inline RandomCase randomCase(std::mt19937& rng) {
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* delimiters[] = {",", "", "||", "\t"};
    const bool classCodes = pick(4) != 0;
    const int fileSize = pick(2) ? 0 : 3 + pick(8);
    RandomCase c;
    c.table = makeTable(
        fileDefinition(fileSize, classCodes ? "2" : "", delimiters[pick(4)], pick(2) == 0), {});
    if (pick(2) == 0) {
        c.table.output = {static_cast<CsvEncoding>(pick(3)),
                          static_cast<CsvQuoting>(pick(3)),
                          pick(2) == 0,
                          static_cast<ZonedSign>(pick(3)),
                          static_cast<InvalidPacked>(pick(3)),
                          static_cast<CsvLineEnd>(pick(2))};
    }
    const int kindCount = classCodes ? 1 + pick(4) : 1;
    for (int k = 1; k <= kindCount; ++k) {
        const int size = 2 + pick(12);
        const int parent = k > 1 && pick(3) != 0 ? 1 + pick(k - 1) : 0;
        const std::vector<FieldDef> fields = randomFields(pick, size, {"X", "9", "P"});
        c.table.entries.push_back(recordDefinition("R" + std::to_string(k), size,
                                                   std::string(1, static_cast<char>('A' + k)),
                                                   parent, 0, fields));
        if (parent != 0) c.table[static_cast<std::size_t>(parent)].Child = k;
    }
    const char* breaks[] = {"", "\r\n", "\n", "\r"};
    const int records = pick(60);
    for (int n = 0; n < records; ++n) {
        // Now and then a kind no definition has: skipped, or the end of a variable-length run.
        const bool unknown = classCodes && pick(25) == 0;
        const int k = 1 + pick(kindCount);
        const int size = unknown ? (fileSize != 0 ? fileSize : 4) : c.table[k].Size;
        std::string rec;
        for (int i = 0; i < size; ++i) {
            rec += static_cast<char>(pick(3) ? '0' + pick(10) : pick(256));
        }
        if (classCodes) rec[1] = unknown ? 'Z' : static_cast<char>('A' + k);
        c.input += rec + breaks[pick(4)];
    }
    for (int n = pick(3) == 0 ? pick(6) : 0; n > 0; --n) c.input += static_cast<char>(pick(256));
    return c;
}

// The descriptor word of `length` bytes (the word included) in the form `words`, written here
// apart from the program's own writer.
inline std::string descriptorWordOf(std::size_t length, const DescriptorWords& words) {
    const std::size_t stated = words.length == DescriptorLength::Exclusive ? length - 4 : length;
    std::string word{static_cast<char>(stated >> 8), static_cast<char>(stated & 0xFF), 0, 0};
    if (words.byteOrder == DescriptorByteOrder::Little) std::swap(word[0], word[1]);
    return word;
}

// A random form of descriptor words: the hosts' one half of the time.
template <class Pick>
DescriptorWords randomDescriptorWords(Pick&& pick) {
    if (pick(2) == 0) return {};
    return {pick(2) == 0 ? DescriptorByteOrder::Big : DescriptorByteOrder::Little,
            pick(2) == 0 ? DescriptorLength::Inclusive : DescriptorLength::Exclusive};
}

// A random definition and data file of host data: fixed-length records on an EBCDIC page (no
// line breaks between them), or records behind record descriptor words (V) or also in blocks
// (VB), on CP932 or an EBCDIC page, shorter or longer than their kinds; now and then a record
// of unknown kind, a descriptor word that cannot be, or a file that ends inside a record.
inline RandomCase randomHostCase(std::mt19937& rng) {
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const RecordFormat formats[] = {RecordFormat::Fixed, RecordFormat::V, RecordFormat::VB};
    const RecordFormat format = formats[pick(3)];
    const bool ebcdic = format == RecordFormat::Fixed || pick(2) == 0;
    // Letters and digits of the Latin EBCDIC pages: A-I C1-C9, J-R D1-D9, S-Z E2-E9, 0-9 F0-F9.
    auto letter = [ebcdic](char c) {
        if (!ebcdic) return c;
        const int i = c - 'A';
        const int code = i < 9 ? 0xC1 + i : i < 18 ? 0xD1 + i - 9 : 0xE2 + i - 18;
        return static_cast<char>(code);
    };
    auto digit = [ebcdic](int d) { return static_cast<char>((ebcdic ? 0xF0 : '0') + d); };
    RandomCase c = randomCase(rng);
    c.table[0].codePage = ebcdic ? InputCodePage::Ibm037 : InputCodePage::Cp932;
    c.table[0].recordFormat = format;
    c.table[0].descriptorWords = randomDescriptorWords(pick);
    const bool classCodes = !c.table[0].Class.empty();
    const int kindCount = c.table.maxIndex();
    const int fileSize = c.table[0].Size;
    auto body = [&](int size, char kindLetter) {
        std::string rec;
        for (int i = 0; i < size; ++i)
            rec += pick(3) ? digit(pick(10)) : static_cast<char>(pick(256));
        if (classCodes && size >= 2) rec[1] = letter(kindLetter);
        return rec;
    };
    auto descriptor = [&c](std::size_t length) {
        return descriptorWordOf(length, c.table[0].descriptorWords);
    };
    c.input.clear();
    std::string block;  // VB: the records of the block being made
    auto endBlock = [&] {
        if (block.empty()) return;
        c.input += descriptor(block.size() + 4) + block;
        block.clear();
    };
    const int records = pick(60);
    for (int n = 0; n < records; ++n) {
        const bool unknown = classCodes && pick(25) == 0;
        const int k = 1 + pick(kindCount);
        int size = unknown ? (fileSize != 0 ? fileSize : 4) : c.table[k].Size;
        std::string rec;
        if (format == RecordFormat::Fixed) {
            c.input += body(size, unknown ? 'Z' : static_cast<char>('A' + k));
            continue;
        }
        // Behind a descriptor word a record may be shorter or longer than its kind.
        if (pick(3) == 0) size = std::max(0, size + pick(7) - 4);
        rec = body(size, unknown ? 'Z' : static_cast<char>('A' + k));
        std::string word = descriptor(rec.size() + 4);
        if (pick(40) == 0) word[2] = 1;  // a record descriptor word that cannot be
        if (format == RecordFormat::V) {
            c.input += word + rec;
        } else {
            block += word + rec;
            if (pick(3) == 0) endBlock();
        }
    }
    endBlock();
    if (format == RecordFormat::VB && pick(30) == 0) c.input += std::string(4, '\0');
    for (int n = pick(4) == 0 ? 1 + pick(6) : 0; n > 0; --n)
        c.input += static_cast<char>(pick(256));
    return c;
}

// A random definition and data file whose kinds carry a table of varying occurrences: a
// counter (zoned, packed or binary) before it, random fields in each occurrence, fields after
// it; fixed-length records (each as long as its counter makes it) or records behind
// descriptor words, cut short or longer now and then; now and then a counter no record can
// hold.
inline RandomCase randomVaryingCase(std::mt19937& rng) {
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const RecordFormat formats[] = {RecordFormat::Fixed, RecordFormat::V, RecordFormat::VB};
    const RecordFormat format = formats[pick(3)];
    const bool classCodes = pick(3) != 0;
    RandomCase c;
    c.table =
        makeTable(fileDefinition(0, classCodes ? "2" : "", pick(2) ? "," : "||", pick(2)), {});
    c.table[0].recordFormat = format;
    if (pick(2) == 0) {
        c.table.output = {CsvEncoding::Cp932,  static_cast<CsvQuoting>(pick(3)),
                          pick(2) == 0,        static_cast<ZonedSign>(pick(3)),
                          InvalidPacked::Keep, static_cast<CsvLineEnd>(pick(2))};
    }
    const int kindCount = classCodes ? 1 + pick(3) : 1;
    for (int k = 1; k <= kindCount; ++k) {
        // Bytes 1-2: a byte and the class code; 3-4: the counter; then the table, then a tail.
        const char* counterTypes[] = {"9", "P", "BIN"};
        const std::string counterType = counterTypes[pick(3)];
        VaryingTable t;
        t.counter = 2;
        t.Pos = 5;
        t.occurrenceSize = 1 + pick(4);
        t.max = 1 + pick(5);
        t.min = pick(t.max + 1);
        const int tail = pick(5);
        const int size = 4 + t.max * t.occurrenceSize + tail;
        std::vector<FieldDef> fields = {unmarked("code", "X", 2, 1),
                                        field("count", counterType, 3, 2, 0, pick(2) == 0)};
        const std::vector<FieldDef> occurrence =
            randomFields(pick, t.occurrenceSize, {"X", "9", "P"});
        for (int o = 0; o < t.max; ++o) {
            for (std::size_t i = 1; i < occurrence.size(); ++i) {
                FieldDef f = occurrence[i];
                f.Name += "_" + std::to_string(o + 1);
                f.Pos += 4 + o * t.occurrenceSize;
                fields.push_back(f);
            }
        }
        if (tail > 0) fields.push_back(field("tail", pick(2) ? "X" : "9", size - tail + 1, tail));
        const int parent = k > 1 && pick(3) != 0 ? 1 + pick(k - 1) : 0;
        RecordDef record =
            recordDefinition("R" + std::to_string(k), size,
                             std::string(1, static_cast<char>('A' + k)), parent, 0, fields);
        record.varying = t;
        c.table.entries.push_back(record);
        if (parent != 0) c.table[static_cast<std::size_t>(parent)].Child = k;
    }
    auto counterBytes = [&](const std::string& type, int count) {
        if (type == "9")
            return std::string{static_cast<char>('0' + count / 10 % 10),
                               static_cast<char>('0' + count % 10)};
        if (type == "P") {  // 3 digits and a sign
            return std::string{static_cast<char>(count / 100 % 10 << 4 | count / 10 % 10),
                               static_cast<char>((count % 10) << 4 | 0x0C)};
        }
        return std::string{static_cast<char>(count >> 8 & 0xFF), static_cast<char>(count & 0xFF)};
    };
    std::string block;
    auto endBlock = [&] {
        if (block.empty()) return;
        c.input += descriptorWordOf(block.size() + 4, {}) + block;
        block.clear();
    };
    const char* breaks[] = {"", "\r\n", "\n"};
    for (int n = pick(50); n > 0; --n) {
        const int k = 1 + pick(kindCount);
        const RecordDef& r = c.table[static_cast<std::size_t>(k)];
        const VaryingTable& t = r.varying;
        int count = t.min + pick(t.max - t.min + 1);
        if (pick(40) == 0) count = pick(2) ? t.max + 1 : -1;  // one no record can hold
        const int held = count < 0 ? 0 : std::min(count, t.max);
        std::string rec;
        for (int i = 0; i < r.Size - (t.max - held) * t.occurrenceSize; ++i) {
            rec += static_cast<char>(pick(3) ? '0' + pick(10) : pick(256));
        }
        if (classCodes) rec[1] = static_cast<char>('A' + k);
        rec.replace(2, 2, count < 0 ? std::string("x-") : counterBytes(r.Fields[1].Type, count));
        if (format == RecordFormat::Fixed) {
            c.input += rec + breaks[pick(3)];
            continue;
        }
        if (pick(4) == 0) rec.resize(static_cast<std::size_t>(std::max(0, r.Size + pick(9) - 6)));
        const std::string record = descriptorWordOf(rec.size() + 4, {}) + rec;
        if (format == RecordFormat::V) {
            c.input += record;
        } else {
            block += record;
            if (pick(3) == 0) endBlock();
        }
    }
    endBlock();
    return c;
}

}  // namespace sorvek::testing
