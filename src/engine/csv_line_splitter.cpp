#include "engine/csv_line_splitter.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_lanes.h"

namespace sorvek {
namespace {

// One bit per byte of the 64 at `p` (fewer where `end` comes first) that is `delimiter` or an
// LF: the bytes that can end an unquoted value.
std::uint64_t breakBits(const char* p, const char* end, char delimiter) {
    using L = Sse2Lanes;
    const auto d = static_cast<unsigned char>(delimiter);
    if (end - p >= 64) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 64; i += L::kWidth) {
            const L::V v = L::load(reinterpret_cast<const unsigned char*>(p + i));
            bits |= L::bits(L::orV(L::eq(v, d), L::eq(v, '\n'))) << i;
        }
        return bits;
    }
    std::uint64_t bits = 0;
    for (int i = 0; p + i < end; ++i) {
        if (p[i] == delimiter || p[i] == '\n') bits |= std::uint64_t{1} << i;
    }
    return bits;
}

// The bytes of the 64 at `p` that are the delimiter, an LF or a double quote, a bit each.
struct LineMarks {
    std::uint64_t delimiters = 0;
    std::uint64_t lineFeeds = 0;
    std::uint64_t quotes = 0;
};

LineMarks lineMarks(const char* p, char delimiter) {
    using L = Sse2Lanes;
    const auto d = static_cast<unsigned char>(delimiter);
    LineMarks m;
    for (int i = 0; i < 64; i += L::kWidth) {
        const L::V v = L::load(reinterpret_cast<const unsigned char*>(p + i));
        m.delimiters |= L::bits(L::eq(v, d)) << i;
        m.lineFeeds |= L::bits(L::eq(v, '\n')) << i;
        m.quotes |= L::bits(L::eq(v, '"')) << i;
    }
    return m;
}

}  // namespace

CsvLineSplitter::CsvLineSplitter(std::string delimiter)
    : delimiter_(std::move(delimiter)),
      delimiterSize_(delimiter_.size()),
      singleByte_(delimiter_.size() == 1),
      first_(delimiter_.empty() ? '\n' : delimiter_[0]),
      plainLines_(singleByte_ && first_ != '"' && first_ != '\n' && first_ != '\r') {}

std::size_t CsvLineSplitter::splitPlain(const char* begin, const char* end,
                                        std::vector<std::string_view>& values) const {
    const char* p = begin;  // where the value being cut starts
    for (const char* chunk = begin; end - chunk >= 64; chunk += 64) {
        const LineMarks m = lineMarks(chunk, first_);
        const std::uint64_t lineEnd = m.lineFeeds & (~m.lineFeeds + 1);  // the first LF, if any
        const std::uint64_t before = lineEnd != 0 ? lineEnd - 1 : ~std::uint64_t{0};
        if ((m.quotes & before) != 0) break;
        for (std::uint64_t d = m.delimiters & before; d != 0; d &= d - 1) {
            const char* q = chunk + __builtin_ctzll(d);
            values.emplace_back(p, static_cast<std::size_t>(q - p));
            p = q + 1;
        }
        if (lineEnd != 0) {
            const char* q = chunk + __builtin_ctzll(lineEnd);
            // A CR before the LF belongs to the line end.
            const char* last = q > p && q[-1] == '\r' ? q - 1 : q;
            values.emplace_back(p, static_cast<std::size_t>(last - p));
            return static_cast<std::size_t>(q + 1 - begin);
        }
    }
    values.clear();
    return 0;
}

[[gnu::always_inline]] inline const char* CsvLineSplitter::nextBreak(const char* q,
                                                                     const char* end) {
    for (;;) {
        // The marks of the 64 bytes from marks_ on serve every value of the line in them.
        if (marks_ == nullptr || q < marks_ || q - marks_ >= 64) {
            marks_ = q;
            bits_ = breakBits(q, end, first_);
        }
        const std::uint64_t ahead = bits_ >> (q - marks_);
        if (ahead != 0) return q + __builtin_ctzll(ahead);
        if (end - marks_ <= 64) return end;
        q = marks_ + 64;
    }
}

[[gnu::always_inline]] inline bool CsvLineSplitter::atDelimiter(const char* q,
                                                                const char* end) const {
    if (delimiter_.empty() || *q != first_) return false;
    if (singleByte_) return true;
    return static_cast<std::size_t>(end - q) >= delimiter_.size() &&
           std::memcmp(q, delimiter_.data(), delimiter_.size()) == 0;
}

bool CsvLineSplitter::readQuoted(const char*& p, const char* end, std::size_t index) {
    std::string& value = unquoted_[index];
    value.clear();
    for (;;) {
        const auto* quote =
            static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
        if (quote == nullptr) return false;
        value.append(p, quote);
        quotedLineFeeds_ += static_cast<std::size_t>(std::count(p, quote, '\n'));
        // A doubled quote is one quote of the value; a quote that ends the bytes may yet be
        // doubled by the next byte, which the caller decides.
        if (quote + 1 < end && quote[1] == '"') {
            value += '"';
            p = quote + 2;
            continue;
        }
        p = quote + 1;
        return true;
    }
}

[[gnu::always_inline]] inline CsvLineSplitter::Line CsvLineSplitter::whole(
    const char* begin, const char* after) const {
    Line line{static_cast<std::size_t>(after - begin)};
    line.lineFeeds = quotedLineFeeds_ + (after[-1] == '\n' ? 1 : 0);
    return line;
}

CsvLineSplitter::Line CsvLineSplitter::afterQuoted(const char* begin, const char*& q,
                                                   const char* end, bool atEnd,
                                                   std::size_t index) const {
    const Line malformed{static_cast<std::size_t>(end - begin), true, index + 1};
    // What follows the closing quote: the delimiter, the line end or the input's end.
    if (q == end) return atEnd ? whole(begin, end) : Line{};
    if (*q == '"') return atEnd ? malformed : Line{};  // a quote the next byte would double
    if (*q == '\n') return whole(begin, q + 1);
    if (*q == '\r') {
        if (q + 1 == end) return atEnd ? whole(begin, end) : Line{};
        if (q[1] == '\n') return whole(begin, q + 2);
    }
    const auto left = static_cast<std::size_t>(end - q);
    if (!atEnd && left < delimiter_.size() && std::memcmp(q, delimiter_.data(), left) == 0) {
        return {};  // the delimiter may go on in the next bytes
    }
    if (!atDelimiter(q, end)) {
        // The rest of the line still belongs to it, for the caller to skip.
        const auto* lf = static_cast<const char*>(std::memchr(q, '\n', left));
        if (lf == nullptr && !atEnd) return {};
        return Line{static_cast<std::size_t>((lf == nullptr ? end : lf + 1) - begin), true,
                    index + 1};
    }
    q += delimiter_.size();
    return Line{0, false, kValueGoesOn};
}

CsvLineSplitter::Line CsvLineSplitter::split(const char* begin, const char* end, bool atEnd,
                                             std::vector<std::string_view>& values) {
    values.clear();
    quotedLineFeeds_ = 0;
    marks_ = nullptr;
    // Most lines hold no double quote: their values are cut from the marks of the line alone.
    // The line is made where it is returned: a Line copied whole after its fields were stored
    // one by one stalls on the stores.
    if (const std::size_t plain = plainLines_ ? splitPlain(begin, end, values) : 0; plain != 0) {
        return Line{plain, false, 0, 1};
    }
    const char* p = begin;
    for (std::size_t index = 0;; ++index) {
        if (p < end && *p == '"') {
            if (unquoted_.size() <= index) unquoted_.resize(index + 1);
            const char* q = p + 1;
            if (!readQuoted(q, end, index)) {
                return atEnd ? Line{static_cast<std::size_t>(end - begin), true, index + 1}
                             : Line{};
            }
            values.emplace_back(unquoted_[index]);
            const Line line = afterQuoted(begin, q, end, atEnd, index);
            if (line.malformedValue != kValueGoesOn) return line;
            p = q;
            continue;
        }
        // An unquoted value: up to the delimiter or the line end. A break of a one-byte
        // delimiter that is no LF is the delimiter.
        const char* q = nextBreak(p, end);
        if (!singleByte_) {
            while (q != end && *q != '\n' && !atDelimiter(q, end)) q = nextBreak(q + 1, end);
        }
        if (q == end && !atEnd) return {};
        if (q == end || *q == '\n') {
            // A CR before the LF belongs to the line end; so does a CR alone at the very end.
            const char* last = q > p && q[-1] == '\r' ? q - 1 : q;
            values.emplace_back(p, static_cast<std::size_t>(last - p));
            return whole(begin, q == end ? end : q + 1);
        }
        values.emplace_back(p, static_cast<std::size_t>(q - p));
        p = q + delimiterSize_;
    }
}

}  // namespace sorvek
