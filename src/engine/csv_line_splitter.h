#pragma once
// Delimited text read back into values, as RFC 4180 writes them and as the record-to-CSV
// conversion writes them with or without quotes: a value in double quotes may hold the
// delimiter, CR, LF and doubled double quotes; a line ends at an LF outside quotes, a CR before
// it belonging to the line end.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace sorvek {

class CsvLineSplitter {
  public:
    // `delimiter`: the bytes between two values (one or more).
    explicit CsvLineSplitter(std::string delimiter);

    struct Line {
        // Bytes of the line with its line end; 0 while the bytes hold no whole line yet.
        std::size_t length = 0;
        // A value opened by a double quote that is not closed before the input ends, or whose
        // closing quote is followed by something other than the delimiter or the line end.
        bool malformed = false;
        std::size_t malformedValue = 0;  // 1-based number of that value
        // The LF bytes of the line, its line end's and those inside quoted values: where the
        // next line starts in the file's lines.
        std::size_t lineFeeds = 0;
    };

    // Splits the first whole line of [begin, end) into `values`: views of the bytes, or of the
    // splitter's own memory for a value whose doubled quotes were undone, valid until the next
    // call. The line is whole when its LF is there, or, with `atEnd` (nothing follows `end`),
    // when it reaches `end`. An empty line (only a line end) is one empty value.
    Line split(const char* begin, const char* end, bool atEnd,
               std::vector<std::string_view>& values);

  private:
    // Reads the quoted value that starts at `p` (after its opening quote): its bytes into a
    // value, `p` moved past the closing quote. False when the bytes end first.
    bool readQuoted(const char*& p, const char* end, std::size_t index);
    // What follows a quoted value that ended at `q`: the line (whole, malformed, or none yet),
    // or, after a delimiter (`q` moved past it), a line whose malformedValue is kValueGoesOn.
    Line afterQuoted(const char* begin, const char*& q, const char* end, bool atEnd,
                     std::size_t index) const;
    static constexpr std::size_t kValueGoesOn = static_cast<std::size_t>(-1);
    // The first byte at or after `q` that may end an unquoted value (the delimiter's first byte,
    // an LF), or `end`.
    const char* nextBreak(const char* q, const char* end);
    bool atDelimiter(const char* q, const char* end) const;
    Line whole(const char* begin, const char* after) const;
    // Cuts the line at `begin` when it holds no double quote and ends with an LF within the
    // 64-byte stretches before `end`: its bytes (its LF included), the values in `values`.
    // Otherwise 0 and `values` empty, for the reading byte by byte.
    std::size_t splitPlain(const char* begin, const char* end,
                           std::vector<std::string_view>& values) const;

    std::string delimiter_;
    // The unquoted values of a line with doubled quotes, by value number. A deque, so that
    // growing it for a longer line leaves the values already handed out where they are.
    std::deque<std::string> unquoted_;
    std::size_t quotedLineFeeds_ = 0;  // of the line being split
    // Marks of the bytes, kept from value to value within one call (the caller may change or
    // move the bytes between calls).
    const char* marks_ = nullptr;  // the first of the bytes bits_ marks
    std::uint64_t bits_ = 0;
    std::size_t delimiterSize_;
    bool singleByte_;
    char first_;
    bool plainLines_;  // a one-byte delimiter that is none of the bytes a line is read by
};

}  // namespace sorvek
