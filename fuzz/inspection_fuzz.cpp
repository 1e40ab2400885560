// The inspection and the preview on any bytes and any definition: no crash, no read outside the
// bytes handed over, and the same findings whatever the blocks the file arrives in.
//
// Input: a definition in a compact form (the first bytes: kinds, common length, class-code
// position, then per kind its length, class code, parent and fields), the rest the data file.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "editor/data_preview.h"
#include "engine/inspection.h"

using namespace sorvek;

namespace {

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    int next(int modulo) {
        const int v = at_ < size_ ? data_[at_] : 0;
        ++at_;
        return modulo > 0 ? v % modulo : v;
    }
    std::string rest() const {
        return at_ < size_ ? std::string(reinterpret_cast<const char*>(data_ + at_), size_ - at_)
                           : std::string();
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

RecordDefTable definitionFrom(Bytes& in) {
    RecordDefTable t;
    t.reset(1);
    const int kinds = 1 + in.next(4);
    t[0].Size = in.next(2) == 0 ? 0 : 1 + in.next(40);
    t[0].Class = in.next(3) == 0 ? "" : std::to_string(1 + in.next(4));
    t[0].TitleLine = in.next(2) == 1;
    const char* types[] = {"X", "9", "P", "p"};
    for (int k = 1; k <= kinds; ++k) {
        RecordDef r;
        r.Name = "R" + std::to_string(k);
        r.Size = 1 + in.next(40);
        r.Class = std::string(1, static_cast<char>('A' + in.next(6)));
        r.Parent = k > 1 ? in.next(k) : 0;
        for (int n = in.next(6); n > 0; --n) {
            FieldDef f;
            f.Name = "f";
            f.Pos = in.next(50) - 2;
            f.Size = in.next(12) - 1;
            f.Type = types[in.next(4)];
            f.Dec = in.next(6);
            f.Check = in.next(2) == 0 ? 0 : -1;
            r.Fields.push_back(f);
        }
        t.entries.push_back(r);
        if (r.Parent != 0) t[static_cast<std::size_t>(r.Parent)].Child = k;
    }
    return t;
}

std::string summary(const InspectionReport& r) {
    const DefinitionFindings& d = r.definition;
    std::ostringstream s;
    s << r.bytes.crlf << ' ' << r.bytes.lf << ' ' << r.bytes.cr << ' ' << r.bytes.lines << ' '
      << r.bytes.nonText.count << ' ' << r.bytes.invalidSjis.count << ' ' << d.recordsCut << ' '
      << d.unknownKind.count << ' ' << d.stopped << ' ' << d.stopOffset << ' ' << d.trailingBytes
      << ' ' << d.linesWritten << ' ' << d.extraLineBreaks.count << ' ' << d.invalidFields.size()
      << ' ' << d.splitCharacters.size();
    for (std::int64_t n : d.recordsByKind) s << ' ' << n;
    for (const Occurrences& o : d.recordsWithoutLine) s << ' ' << o.count;
    for (const Occurrences& o : d.childBeforeParent) s << ' ' << o.count;
    return s.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const RecordDefTable table = definitionFrom(in);
    const std::string file = in.rest();

    Inspector whole(&table);
    whole.add(file.data(), file.size());
    const std::string expected = summary(whole.finish());
    // The same bytes in blocks of changing sizes, each a copy of its own so that a read beyond
    // a block is caught.
    Inspector pieces(&table);
    std::size_t at = 0;
    for (std::size_t step = 1; at < file.size(); step = step % 7 + 1) {
        const std::string block = file.substr(at, step);
        pieces.add(block.data(), block.size());
        at += block.size();
    }
    if (summary(pieces.finish()) != expected) __builtin_trap();

    PreviewSource source;
    source.bytes = file;
    source.fileSize = static_cast<std::int64_t>(file.size());
    const Preview preview = buildPreview(table, source, 1);
    for (const PreviewRow& row : preview.rows) {
        if (row.begin + row.length > file.size()) __builtin_trap();
        for (std::size_t f = 0; f < row.cells.size(); ++f) (void)cellTip(table, source, row, f);
        (void)rulerSpans(table, row);
    }
    return 0;
}
