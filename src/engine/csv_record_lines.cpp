#include "engine/csv_record_lines.h"

#include <algorithm>
#include <cstring>

#include "engine/rec2csv_definition_check.h"
#include "platform/codepage.h"

namespace sorvek {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The bytes of the input not yet made into records, and the next block read after them.
class TextWindow {
  public:
    explicit TextWindow(std::size_t blockSize) : blockSize_(blockSize), buffer_(blockSize) {}

    // Moves the bytes not taken to the front and reads a block after them, growing when a line
    // is longer than a block. The bytes read, or the read's failure.
    Result<std::size_t> readMore(JobInput& input) {
        if (begin_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        if (buffer_.size() - end_ < blockSize_) buffer_.resize(end_ + blockSize_);
        Result<std::size_t> got = input.read(buffer_.data() + end_, blockSize_);
        if (got) end_ += *got;
        return got;
    }
    const char* begin() const { return buffer_.data() + begin_; }
    const char* end() const { return buffer_.data() + end_; }
    std::size_t size() const { return end_ - begin_; }
    void take(std::size_t n) { begin_ += n; }

  private:
    std::size_t blockSize_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;
};

// Room past the longest values a definition writes, for values as people type them.
constexpr std::size_t kLineSlack = 1 << 20;

// The most bytes a line of `table`'s text takes (CsvRecordLines::longestLine): every byte of a
// field as three of UTF-8, or doubled as a quote, and a number's sign, point and decimals.
std::size_t longestLineOf(const RecordDefTable& table, std::size_t delimiterBytes) {
    std::size_t bytes = kLineSlack;
    for (int k = 1; k <= table.maxIndex(); ++k) {
        for (const FieldDef& f : table[static_cast<std::size_t>(k)].Fields) {
            if (f.Check == -1) bytes += 6 * static_cast<std::size_t>(f.Size) + 64 + delimiterBytes;
        }
    }
    return bytes;
}

std::string delimiterOf(const RecordDefTable& table, CsvEncoding encoding) {
    std::string delimiter = table[0].Delimiter == "\\t" ? "\t" : table[0].Delimiter;
    return encoding == CsvEncoding::Cp932 ? utf8ToCp932(delimiter) : delimiter;
}

// Whether the records of `table` can be laid out as `records` asks.
Status checkFraming(const RecordDefTable& table, const RecordOutputOptions& records) {
    const RecordDef& file = table[0];
    if (records.end != RecordEnd::None &&
        (isEbcdic(file.codePage) || file.recordFormat != RecordFormat::Fixed)) {
        return failure("改行は固定長の Shift-JIS のレコードの後にだけ付けられます。",
                       FailureKind::RefusedArgument);
    }
    if (file.recordFormat == RecordFormat::Fixed) return {};
    int longest = 0;
    for (int k = 1; k <= table.maxIndex(); ++k)
        longest = std::max(longest, table[static_cast<std::size_t>(k)].Size);
    const std::uint32_t most =
        file.recordFormat == RecordFormat::VB ? records.blockSize - 4 : 65535;
    if (records.blockSize < 9 || records.blockSize > kMaxBlockSize ||
        static_cast<std::uint32_t>(longest) + 4 > most) {
        return failure("レコード (" + std::to_string(longest) +
                           " バイト) が記述語の長さ (ブロックは " +
                           std::to_string(records.blockSize) + " バイト) に入りません。",
                       FailureKind::RefusedArgument);
    }
    return {};
}

// Where the reading stands, for the tally.
void tallyOf(const CsvRecordLines& lines, CsvTextTally& tally) {
    tally.encoding = lines.encoding();
    tally.byteOrderMark = lines.markBytes() > 0;
    tally.lines = lines.lines();
    tally.titleSkipped = lines.titleSkipped();
    tally.emptyLines = lines.emptyLines();
    tally.stopped = lines.stopped();
}

}  // namespace

Status checkCsvToRecordsRun(const RecordDefTable& table, const RecordOutputOptions& records) {
    if (Status definition = checkRec2CsvDefinition(table); !definition) return definition;
    if (Status framing = checkFraming(table, records); !framing) return framing;
    // Whether lines can become records at all, told before any file is touched: a delimiter,
    // and lines of the kinds that can be told apart (the same whatever the text's encoding).
    if (table[0].Delimiter.empty()) {
        return failure("区切り文字のないレコード定義からはレコードを作れません。",
                       FailureKind::InvalidDefinition);
    }
    const ValueTextForm form{table.output.encoding, table[0].codePage};
    Result<RecordBuilder> builder = RecordBuilder::make(table, form, table.output);
    if (!builder) return builder.error();
    return {};
}

std::size_t csvByteOrderMark(std::string_view fileHead) {
    return fileHead.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
}

std::string csvDelimiterOf(const RecordDefTable& table, std::string_view fileHead) {
    return delimiterOf(table,
                       csvByteOrderMark(fileHead) > 0 ? CsvEncoding::Utf8 : table.output.encoding);
}

Result<CsvRecordLines> CsvRecordLines::make(const RecordDefTable& table, std::string_view fileHead,
                                            const CsvTextStart& start) {
    ValueTextForm form;
    form.page = table[0].codePage;
    form.encoding = table.output.encoding;
    const bool marked = csvByteOrderMark(fileHead) > 0;
    if (marked) form.encoding = CsvEncoding::Utf8;
    const std::string delimiter = delimiterOf(table, form.encoding);
    if (delimiter.empty()) {
        return failure("区切り文字のないレコード定義からはレコードを作れません。",
                       FailureKind::InvalidDefinition);
    }
    Result<RecordBuilder> builder = RecordBuilder::make(table, form, table.output);
    if (!builder) return builder.error();
    CsvRecordLines lines(std::move(*builder), delimiter);
    lines.encoding_ = form.encoding;
    lines.marked_ = marked;
    lines.longestLine_ = longestLineOf(table, delimiter.size());
    lines.titleLine_ = table[0].TitleLine;
    return lines.startingAt(start);
}

CsvRecordLines CsvRecordLines::startingAt(const CsvTextStart& start) const {
    CsvRecordLines lines(*this);
    lines.markBytes_ = marked_ && start.fileStart ? kByteOrderMark.size() : 0;
    lines.skipTitle_ = start.fileStart && titleLine_;
    lines.nextLine_ = start.line;
    lines.nextOffset_ = start.offset + static_cast<std::int64_t>(lines.markBytes_);
    return lines;
}

std::size_t CsvRecordLines::take(const char* begin, const char* end, bool atEnd,
                                 CsvLineSink& sink) {
    const RecordBuilder::Emit emit = [&](int kind, const unsigned char* bytes, std::size_t size,
                                         std::size_t condition) {
        sink.record(place_, kind, bytes, size, condition);
    };
    const char* p = begin;
    while (p < end && !stopped_) {
        const CsvLineSplitter::Line line = splitter_.split(p, end, atEnd, values_);
        if (line.length == 0) {
            if (!atEnd && static_cast<std::size_t>(end - p) > longestLine_) refuseLongLine(sink);
            break;
        }
        place_ = {nextLine_, nextOffset_, line.length};
        // A malformed line says nothing of the line feeds it took.
        nextLine_ += line.malformed ? std::count(p, p + line.length, '\n')
                                    : static_cast<std::ptrdiff_t>(line.lineFeeds);
        nextOffset_ += static_cast<std::int64_t>(line.length);
        p += line.length;
        ++lines_;
        stopped_ = !takeLine(line, emit, sink);
    }
    if (atEnd && p == end && !stopped_ && !finished_) {
        // After the last line: the records written by themselves at the end of the text.
        finished_ = true;
        if (const std::optional<RecordBuilder::ValueFailure> bad = builder_.finish(emit)) {
            stopped_ = !sink.fault(faultOfLine(CsvLineProblem::Value, bad->why));
        }
    }
    return static_cast<std::size_t>(p - begin);
}

bool CsvRecordLines::takeLine(const CsvLineSplitter::Line& line, const RecordBuilder::Emit& emit,
                              CsvLineSink& sink) {
    // The first line is the title line, read or not: a reading that goes on past a title line
    // that cannot be read takes the next one as data, as it would have been.
    const bool title = skipTitle_;
    skipTitle_ = false;
    if (line.malformed) {
        const std::string why = "値 " + std::to_string(line.malformedValue) +
                                " の引用符 (\") が正しく閉じられていません。";
        CsvLineFault fault = faultOfLine(CsvLineProblem::Quotes, why);
        fault.column = line.malformedValue;
        return sink.fault(fault);
    }
    if (title) {
        titleSkipped_ = true;
        return true;
    }
    // An empty line holds no record unless some kind's line is one value.
    if (values_.size() == 1 && values_[0].empty() && !builder_.takesValueCount(1)) {
        ++emptyLines_;
        return true;
    }
    const std::optional<RecordBuilder::ValueFailure> bad = builder_.build(values_, emit);
    if (!bad) return true;
    if (bad->column == 0) {
        // The builder tells a line's kind by its count of values first, then by a class code.
        return sink.fault(faultOfLine(builder_.takesValueCount(values_.size())
                                          ? CsvLineProblem::ClassCode
                                          : CsvLineProblem::ValueCount,
                                      bad->why));
    }
    CsvLineFault fault = faultOfLine(CsvLineProblem::Value, bad->why);
    fault.column = bad->column;
    fault.field = bad->field;
    fault.value = values_[bad->column - 1];
    return sink.fault(fault);
}

void CsvRecordLines::refuseLongLine(CsvLineSink& sink) {
    place_ = {nextLine_, nextOffset_, 0};
    values_.clear();
    ++lines_;
    const std::string why = "行が長すぎます (" + std::to_string(longestLine_) +
                            " バイトを超えても終わりません)。引用符 (\") が閉じられていない値が"
                            "あるかもしれません。";
    sink.fault(faultOfLine(CsvLineProblem::Length, why));
    stopped_ = true;
}

CsvLineFault CsvRecordLines::faultOfLine(CsvLineProblem problem, std::string_view why) const {
    CsvLineFault fault;
    fault.problem = problem;
    fault.place = place_;
    fault.values = values_.size();
    fault.why = why;
    fault.utf8 = utf8();
    return fault;
}

Status readCsvRecords(JobInput& input, const RecordDefTable& table, CsvLineSink& sink,
                      ProgressReporter& progress, const EngineContext& context,
                      CsvTextTally& tally) {
    TextWindow window(std::max<std::size_t>(context.blockSize, 1));
    // As many bytes as a byte order mark, or the whole input: the mark is told whatever the
    // block size.
    do {
        Result<std::size_t> got = window.readMore(input);
        tally.bytes = input.consumed();
        if (!got) return got.error();
        if (context.observeInput) context.observeInput(window.end() - *got, *got);
    } while (window.size() < kByteOrderMark.size() && !input.atEnd());
    Result<CsvRecordLines> lines =
        CsvRecordLines::make(table, std::string_view(window.begin(), window.size()));
    if (!lines) return lines.error();
    window.take(lines->markBytes());
    for (;;) {
        const bool atEnd = input.atEnd();
        window.take(lines->take(window.begin(), window.end(), atEnd, sink));
        tallyOf(*lines, tally);
        if (lines->stopped()) return {};
        progress.reached(input.consumed() - static_cast<std::int64_t>(window.size()));
        if (atEnd) return {};
        Result<std::size_t> got = window.readMore(input);
        tally.bytes = input.consumed();
        if (!got) return got.error();
        if (context.observeInput) context.observeInput(window.end() - *got, *got);
    }
}

Failure csvLineFailure(const CsvLineFault& f) {
    const std::string line = std::to_string(f.place.line);
    // A value at fault has its column; a record the text makes by itself has none.
    if (f.problem != CsvLineProblem::Value || f.column == 0) {
        return failure(
            "CSV の行からレコードを作れません。\n行 = " + line + "\n" + std::string(f.why),
            FailureKind::InvalidData);
    }
    return failure("CSV の値をフィールドに入れられません。\n行 = " + line + "、列 = " +
                       std::to_string(f.column) + "\nフィールド = " + std::string(f.field) +
                       "\n値 = " + csvValueText(f.value, f.utf8) + "\n" + std::string(f.why),
                   FailureKind::InvalidData);
}

std::string csvValueText(std::string_view value, bool utf8, std::size_t most) {
    // Only as much of a long value is converted as can be shown: a CP932 byte is at least one
    // byte of UTF-8.
    const bool longer = most != std::string::npos && value.size() > most;
    std::string text = utf8 ? std::string(value.substr(0, longer ? most + 1 : value.size()))
                            : cp932ToUtf8(value.substr(0, longer ? most + 1 : value.size()));
    if (most == std::string::npos || text.size() <= most) return text;
    std::size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text + "…";
}

}  // namespace sorvek
