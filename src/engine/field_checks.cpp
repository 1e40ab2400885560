#include "engine/field_checks.h"

#include <algorithm>

namespace sorvek {
namespace {

// Bytes of a record that a screen covers at most.
constexpr std::size_t kMaxScreenBytes = 64 * 1024;

}  // namespace
FieldCheckPlan::FieldCheckPlan(const RecordDefTable& table)
    : ranges_(static_cast<std::size_t>(std::max(table.maxIndex(), 0)) + 1, {0, 0}),
      screens_(ranges_.size()),
      screen_(recordScreen()) {
    for (int k = 1; k <= table.maxIndex(); ++k) {
        const RecordDef& record = table[static_cast<std::size_t>(k)];
        const std::size_t begin = checks_.size();
        for (std::size_t i = 0; i < record.Fields.size(); ++i) {
            const FieldDef& f = record.Fields[i];
            if (!fieldWithinRecord(f, record.Size)) {
                outside_.emplace_back(k, static_cast<int>(i));
                continue;
            }
            if (f.Check != -1) continue;
            // The checks read Shift-JIS text and ASCII digits: host fields are shown as the
            // conversion writes them, unchecked.
            if (f.Type == kTypeBinary || f.Type == kTypeDoubleByte || f.scale != 0 ||
                f.sign != SignPosition::Undeclared ||
                (isEbcdic(table[0].codePage) && f.Type != "P")) {
                continue;
            }
            FieldCheck check{static_cast<std::uint32_t>(f.Pos - 1),
                             static_cast<std::uint32_t>(f.Size),
                             fieldClass(f),
                             static_cast<int>(i),
                             0,
                             0};
            if (check.cls == FieldClass::Text) {
                for (const FieldDef& g : record.Fields) {
                    if (fieldClass(g) == FieldClass::Text && fieldWithinRecord(g, record.Size) &&
                        g.Pos + g.Size == f.Pos) {
                        check.beforeOffset = static_cast<std::uint32_t>(g.Pos - 1);
                        check.beforeSize = static_cast<std::uint32_t>(g.Size);
                    }
                }
            }
            checks_.push_back(check);
        }
        ranges_[static_cast<std::size_t>(k)] = {begin, checks_.size()};
        buildScreen(k);
    }
}

void FieldCheckPlan::buildScreen(int kind) {
    Screen& screen = screens_[static_cast<std::size_t>(kind)];
    screen.first = chunks_.size();
    for (const FieldCheck& c : checks(kind)) {
        screen.length = std::max<std::size_t>(screen.length, c.offset + c.size);
    }
    // A field far into a long record would make the screen as long as the record.
    if (screen.length > kMaxScreenBytes) return;
    screen.usable = true;
    screen.count = (screen.length + 63) / 64;
    chunks_.resize(chunks_.size() + screen.count);
    ScreenChunk* chunks = chunks_.data() + screen.first;
    auto mark = [&](std::uint64_t ScreenChunk::*which, std::size_t byte) {
        chunks[byte / 64].*which |= std::uint64_t{1} << (byte % 64);
    };
    for (const FieldCheck& c : checks(kind)) {
        const std::size_t end = c.offset + c.size;
        switch (c.cls) {
            case FieldClass::Zoned:
                for (std::size_t b = c.offset; b < end; ++b) mark(&ScreenChunk::zoned, b);
                break;
            case FieldClass::Packed:
                for (std::size_t b = c.offset; b + 1 < end; ++b)
                    mark(&ScreenChunk::packedDigits, b);
                mark(&ScreenChunk::packedLast, end - 1);
                break;
            case FieldClass::Text:
                mark(&ScreenChunk::textEdges, end - 1);
                if (c.beforeSize != 0) mark(&ScreenChunk::textEdges, c.offset - 1);
                break;
        }
    }
}

int FieldCheckPlan::kindOf(std::size_t index) const {
    for (std::size_t k = 1; k < ranges_.size(); ++k) {
        if (index >= ranges_[k].first && index < ranges_[k].second) return static_cast<int>(k);
    }
    return 0;
}

}  // namespace sorvek
