#pragma once
// How a record's kind is told: by the class code at the class-code position. Shared by the
// record-to-CSV conversion and the inspection of data files, so that both cut and name records
// alike.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/record_def.h"
#include "platform/codepage.h"
#include "platform/ebcdic_decoder.h"
#include "platform/number_text.h"

namespace sorvek {

inline bool isAsciiText(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Tells the kind of a record by the class code at the class-code position.
class KindFinder {
  public:
    // REQUIRES: `table` passed the definition check.
    explicit KindFinder(const RecordDefTable& table) {
        const std::string& position = table[0].Class;
        if (position.empty()) return;
        usesClassCode_ = true;
        offset_ = static_cast<std::size_t>(*parseInt32(position) - 1);
        bool allSingleBytes = true;
        for (int k = 1; k <= table.maxIndex(); ++k) {
            // As many bytes are compared as the code has characters, decoded and compared as
            // text, so a code only matches when each of its characters is one CP932 byte:
            // comparing those bytes is the same test.
            const std::string& code = table[static_cast<std::size_t>(k)].Class;
            std::string bytes = code;  // ASCII is the same in CP932
            if (isEbcdic(table[0].codePage) && !code.empty()) {
                // Compared in the file's page: a code matches when its bytes there are one per
                // character (no double-byte text between shift bytes).
                bytes = EbcdicDecoder::get(table[0].codePage).fromUtf8(code);
                if (bytes.empty() || bytes.size() != characterCount(code)) continue;
            } else if (!isAsciiText(code)) {
                bytes = utf8ToCp932(code);
                if (bytes.size() != characterCount(code) || cp932ToUtf8(bytes) != code) continue;
            }
            needed_ = std::max(needed_, offset_ + bytes.size());
            allSingleBytes = allSingleBytes && bytes.size() == 1;
            codes_.push_back({k, std::move(bytes)});
        }
        if (allSingleBytes && !codes_.empty()) {
            // The lowest index wins when two kinds share a code.
            for (auto it = codes_.rbegin(); it != codes_.rend(); ++it) {
                byFirstByte_[static_cast<unsigned char>(it->bytes[0])] = it->kind;
            }
            lookup_ = true;
        } else if (codes_.size() > kLinearSearchLimit) {
            // Many kinds: one hash table per code length, so that telling a record's kind
            // costs the same however many kinds there are.
            for (const Code& c : codes_) {
                auto at = std::find_if(byLength_.begin(), byLength_.end(),
                                       [&](const auto& l) { return l.first == c.bytes.size(); });
                if (at == byLength_.end()) {
                    byLength_.emplace_back(c.bytes.size(), CodeTable{});
                    at = byLength_.end() - 1;
                }
                at->second.emplace(c.bytes, c.kind);  // the lowest index, first in, wins
            }
        }
    }

    bool usesClassCode() const { return usesClassCode_; }
    // Bytes from a record's start that decide its kind.
    std::size_t bytesNeeded() const { return needed_; }

    // The kind of the record at `record`, of which `available` bytes are there (fewer than
    // bytesNeeded only at the end of the file: codes beyond the end do not match); 0 for none.
    int find(const unsigned char* record, std::size_t available) const {
        if (lookup_) return available > offset_ ? byFirstByte_[record[offset_]] : 0;
        if (!byLength_.empty()) {
            int kind = 0;
            for (const auto& [length, table] : byLength_) {
                if (available < offset_ + length) continue;
                const std::string_view code(reinterpret_cast<const char*>(record) + offset_,
                                            length);
                auto it = table.find(code);
                if (it != table.end() && (kind == 0 || it->second < kind)) kind = it->second;
            }
            return kind;
        }
        for (const Code& c : codes_) {
            if (available >= offset_ + c.bytes.size() &&
                std::memcmp(record + offset_, c.bytes.data(), c.bytes.size()) == 0) {
                return c.kind;
            }
        }
        return 0;
    }

  private:
    static constexpr std::size_t kLinearSearchLimit = 16;
    struct Code {
        int kind;
        std::string bytes;
    };
    // Codes of one length; the views point into codes_, which no longer changes.
    using CodeTable = std::unordered_map<std::string_view, int>;
    bool usesClassCode_ = false;
    std::size_t offset_ = 0;
    std::size_t needed_ = 0;
    std::vector<Code> codes_;
    bool lookup_ = false;
    std::array<int, 256> byFirstByte_{};
    std::vector<std::pair<std::size_t, CodeTable>> byLength_;
};

}  // namespace sorvek
