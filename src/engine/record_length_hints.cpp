#include "engine/record_length_hints.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <set>
#include <string>

#include "engine/byte_profile.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// Positions compared per candidate length: enough to tell, small enough to try every length.
constexpr std::size_t kComparedBytes = 32 * 1024;
// Every length up to this is tried; longer ones only when they divide the file size.
constexpr std::size_t kShortLengths = 512;
// Columns looked at for a class code, and the records looked at per column.
constexpr std::size_t kClassColumns = 16;
constexpr std::size_t kClassRecords = 2000;

// Records that the bytes at hand must hold for a length to be judged.
constexpr std::size_t kLeastRecords = 8;
// The least share of the bytes differing at the lengths beside it that a record length must
// line up.
constexpr double kLeastLead = 0.05;

struct Candidate {
    std::size_t length;
    double score;  // share of bytes equal to the byte one record before
    // Of the bytes that differ at the lengths one shorter and one longer, the share that lines
    // up at this one; and how large that share may come out by chance.
    double lead;
    double noise;
    bool divides;
};

double alignmentScore(std::span<const unsigned char> head, std::size_t length) {
    const std::size_t n = std::min(head.size() - length, kComparedBytes);
    std::size_t same = 0;
    for (std::size_t i = 0; i < n; ++i) same += head[i] == head[i + length] ? 1 : 0;
    return static_cast<double>(same) / static_cast<double>(n);
}

// A byte a class code is written with: an ASCII letter, digit or mark, a half-width katakana,
// or an EBCDIC letter or digit.
bool classCodeByte(unsigned char b) {
    return (b >= 0x21 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) || (b >= 0xC1 && b <= 0xC9) ||
           (b >= 0xD1 && b <= 0xD9) || (b >= 0xE2 && b <= 0xE9) || (b >= 0xF0 && b <= 0xF9);
}

bool digitByte(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 0xF0 && b <= 0xF9);
}

// An ASCII mark: no class code on its own when it is the only value.
bool markByte(unsigned char b) {
    return b >= 0x21 && b <= 0x7E && !std::isalnum(static_cast<int>(b));
}

// A value as the note lists it: an ASCII character as itself, any other byte in hex.
std::string classValueText(unsigned char v) {
    if (v >= 0x21 && v <= 0x7E) return std::string(1, static_cast<char>(v));
    static const char kHex[] = "0123456789ABCDEF";
    return std::string{kHex[v >> 4], kHex[v & 0x0F]};
}

// "、1 バイト目に識別区分らしい値 (D, H)" when a column among the first ones holds, in every
// record, one of a few characters; empty otherwise. The first byte, where layouts put the class
// code, may hold one value throughout (a head of records of one kind); a later column needs
// several, and is passed by when it and the next are digits in every record (a number's digit).
std::string classCodeNote(std::span<const unsigned char> head, std::size_t length) {
    const std::size_t records = std::min(head.size() / length, kClassRecords);
    if (records < kLeastRecords) return {};
    for (std::size_t c = 0; c < std::min(length, kClassColumns); ++c) {
        std::set<unsigned char> values;
        bool character = true;
        bool digits = true;  // this column and the next hold digits only
        for (std::size_t r = 0; r < records && character && values.size() <= 8; ++r) {
            const unsigned char b = head[r * length + c];
            character = classCodeByte(b);
            digits =
                digits && digitByte(b) && c + 1 < length && digitByte(head[r * length + c + 1]);
            values.insert(b);
        }
        if (!character || values.empty() || values.size() > 8) continue;
        if (c > 0 && (values.size() < 2 || digits)) continue;
        if (c == 0 && values.size() == 1 && markByte(*values.begin())) continue;
        std::string list;
        for (unsigned char v : values) {
            if (!list.empty()) list += ", ";
            list += classValueText(v);
        }
        return "、" + std::to_string(c + 1) + " バイト目に識別区分らしい値 (" + list + ")";
    }
    return {};
}

std::string percent(double share) {
    return std::to_string(static_cast<int>(share * 100.0 + 0.5)) + "%";
}

// Lines of one length (nine in ten or more): that length, without the line break.
std::optional<RecordLengthSuggestion> lineLengthSuggestion(const ByteProfile& lines,
                                                           bool linesOfWholeFile) {
    if (lines.breaks() <= 0 || lines.lines < 2 || lines.commonLineLength <= 0 ||
        lines.commonLineCount * 10 < lines.lines * 9) {
        return std::nullopt;
    }
    std::string reason = lines.commonLineCount == lines.lines
                             ? "全 " + groupedNumber(lines.lines) + " 行が "
                             : groupedNumber(lines.lines) + " 行中 " +
                                   groupedNumber(lines.commonLineCount) + " 行が ";
    reason += groupedNumber(lines.commonLineLength) + " バイト (改行を除く)";
    if (!linesOfWholeFile) reason = "先頭 " + groupedNumber(lines.size) + " バイトで、" + reason;
    return RecordLengthSuggestion{lines.commonLineLength, reason};
}

// Every length up to kShortLengths, and longer ones that divide the file size, as long as the
// bytes at hand hold enough records to tell, each with how it lines up the bytes. A record
// length lines up more bytes than the lengths one shorter and one longer: runs of blanks line up
// at any length, columns only at the record's.
std::vector<Candidate> scoredLengths(std::span<const unsigned char> head, std::int64_t fileSize) {
    std::vector<std::size_t> lengths;
    const std::size_t longest = head.size() / kLeastRecords;
    for (std::size_t length = 2; length <= std::min(kShortLengths, longest); ++length) {
        lengths.push_back(length);
    }
    for (std::size_t length = kShortLengths + 1; length + 1 <= longest; ++length) {
        if (fileSize % static_cast<std::int64_t>(length) == 0) lengths.push_back(length);
    }
    std::vector<Candidate> candidates;
    for (std::size_t length : lengths) {
        if (length + 1 >= head.size()) continue;
        const double score = alignmentScore(head, length);
        // The bytes that differ at the lengths beside it, of which this one saves a share.
        const double differing =
            1 - (alignmentScore(head, length - 1) + alignmentScore(head, length + 1)) / 2;
        if (differing <= 0) continue;
        const double compared = static_cast<double>(std::min(head.size() - length, kComparedBytes));
        candidates.push_back({length, score, (score - 1 + differing) / differing,
                              3.0 / std::sqrt(differing * compared),
                              fileSize % static_cast<std::int64_t>(length) == 0});
    }
    return candidates;
}

// The candidates that stand out, lengths that divide the file size first, then by their lead.
std::vector<Candidate> standingOut(const std::vector<Candidate>& candidates) {
    double best = 0;
    for (const Candidate& c : candidates) best = std::max(best, c.lead);
    std::vector<Candidate> ranked;
    for (const Candidate& c : candidates) {
        if (c.lead >= std::max({kLeastLead, c.noise, best * 0.3})) ranked.push_back(c);
    }
    // A multiple of a record length stands out as well as the length itself: keep the shortest,
    // unless the multiple stands out clearly more (kinds of record that alternate).
    std::vector<Candidate> chosen;
    for (const Candidate& c : ranked) {
        bool multiple = false;
        for (const Candidate& other : ranked) {
            if (other.length < c.length && c.length % other.length == 0 &&
                c.lead < other.lead * 1.5) {
                multiple = true;
                break;
            }
        }
        if (!multiple) chosen.push_back(c);
    }
    std::sort(chosen.begin(), chosen.end(), [](const Candidate& a, const Candidate& b) {
        if (a.divides != b.divides) return a.divides;
        return a.lead > b.lead;
    });
    return chosen;
}

RecordLengthSuggestion alignedLengthSuggestion(const Candidate& c,
                                               std::span<const unsigned char> head,
                                               std::int64_t fileSize) {
    const std::int64_t length = static_cast<std::int64_t>(c.length);
    const std::size_t records = std::min(head.size(), kComparedBytes + c.length) / c.length;
    std::string reason = "先頭 " + groupedNumber(static_cast<std::int64_t>(records)) +
                         " レコードで、1 レコード前と同じ位置のバイトが " + percent(c.score) +
                         " 一致";
    reason += c.divides ? "、ファイルサイズを割り切ります"
                        : "、ファイルサイズを割り切りません (端数 " +
                              groupedNumber(fileSize % length) + " バイト)";
    reason += classCodeNote(head, c.length);
    return {length, reason};
}

}  // namespace

std::vector<RecordLengthSuggestion> suggestRecordLengths(std::span<const unsigned char> head,
                                                         std::int64_t fileSize,
                                                         const ByteProfile& lines,
                                                         bool linesOfWholeFile) {
    std::vector<RecordLengthSuggestion> out;
    if (fileSize < 2 || head.size() < 2) return out;
    if (auto byLines = lineLengthSuggestion(lines, linesOfWholeFile)) return {*byLines};

    const std::vector<Candidate> candidates = scoredLengths(head, fileSize);
    if (candidates.empty()) return out;
    for (const Candidate& c : standingOut(candidates)) {
        if (out.size() == kMaxSuggestions) break;
        out.push_back(alignedLengthSuggestion(c, head, fileSize));
    }
    return out;
}

std::vector<RecordLengthSuggestion> suggestRecordLengthsFromHead(
    std::span<const unsigned char> head, std::int64_t fileSize) {
    ByteProfiler profiler;
    profiler.add(head.data(), head.size());
    const ByteProfile lines = profiler.finish();
    return suggestRecordLengths(head, fileSize, lines,
                                static_cast<std::int64_t>(head.size()) >= fileSize);
}

}  // namespace sorvek
