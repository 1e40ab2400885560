#include "engine/csv_line_splitter.h"

#include <cstring>

namespace sorvek {
namespace {

enum class Quoted { Closed, NeedMore, Unclosed };

}  // namespace

CsvLineSplitter::CsvLineSplitter(std::string delimiter)
    : delimiter_(std::move(delimiter)),
      singleByte_(delimiter_.size() == 1),
      first_(delimiter_.empty() ? '\n' : delimiter_[0]) {}

bool CsvLineSplitter::readQuoted(const char*& p, const char* end, std::size_t index) {
    std::string& value = unquoted_[index];
    value.clear();
    for (;;) {
        const auto* quote =
            static_cast<const char*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
        if (quote == nullptr) return false;
        value.append(p, quote);
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

CsvLineSplitter::Line CsvLineSplitter::split(const char* begin, const char* end, bool atEnd,
                                             std::vector<std::string_view>& values) {
    values.clear();
    const char* p = begin;
    const std::size_t delimiterLength = delimiter_.size();
    auto atDelimiter = [&](const char* q) {
        if (delimiterLength == 0 || *q != first_) return false;
        if (singleByte_) return true;
        return static_cast<std::size_t>(end - q) >= delimiterLength &&
               std::memcmp(q, delimiter_.data(), delimiterLength) == 0;
    };
    auto whole = [&](const char* after) { return Line{static_cast<std::size_t>(after - begin)}; };
    for (std::size_t index = 0;; ++index) {
        if (unquoted_.size() <= index) unquoted_.resize(index + 1);
        if (p < end && *p == '"') {
            const char* q = p + 1;
            if (!readQuoted(q, end, index)) {
                if (!atEnd) return {};
                return Line{static_cast<std::size_t>(end - begin), true, index + 1};
            }
            values.emplace_back(unquoted_[index]);
            // What follows the closing quote: the delimiter, the line end or the input's end.
            if (q == end) return atEnd ? whole(end) : Line{};
            if (*q == '"')
                return atEnd ? Line{static_cast<std::size_t>(end - begin), true, index + 1}
                             : Line{};  // a quote that the next byte would double
            if (*q == '\n') return whole(q + 1);
            if (*q == '\r') {
                if (q + 1 == end) return atEnd ? whole(end) : Line{};
                if (q[1] == '\n') return whole(q + 2);
            }
            if (!delimiter_.empty() && static_cast<std::size_t>(end - q) < delimiterLength &&
                !atEnd &&
                std::memcmp(q, delimiter_.data(), static_cast<std::size_t>(end - q)) == 0) {
                return {};  // the delimiter may go on in the next bytes
            }
            if (!atDelimiter(q)) {
                // The rest of the line still belongs to it, for the caller to skip.
                const auto* lf = static_cast<const char*>(
                    std::memchr(q, '\n', static_cast<std::size_t>(end - q)));
                if (lf == nullptr && !atEnd) return {};
                return Line{static_cast<std::size_t>((lf == nullptr ? end : lf + 1) - begin), true,
                            index + 1};
            }
            p = q + delimiterLength;
            continue;
        }
        // An unquoted value: up to the delimiter or the line end.
        const char* q = p;
        for (; q < end; ++q) {
            if (*q == '\n') {
                const char* valueEnd = q > p && q[-1] == '\r' ? q - 1 : q;
                values.emplace_back(p, static_cast<std::size_t>(valueEnd - p));
                return whole(q + 1);
            }
            if (atDelimiter(q)) break;
        }
        if (q == end) {
            if (!atEnd) return {};
            // The last line without a line end (a CR alone at the very end is its line end).
            const char* valueEnd = q > p && q[-1] == '\r' ? q - 1 : q;
            values.emplace_back(p, static_cast<std::size_t>(valueEnd - p));
            return whole(end);
        }
        values.emplace_back(p, static_cast<std::size_t>(q - p));
        p = q + delimiterLength;
    }
}

}  // namespace sorvek
