#include "engine/tran_csv2rec.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/csv_line_splitter.h"
#include "engine/job_files.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/record_builder.h"
#include "platform/codepage.h"

namespace sorvek {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Lays the records out as the file's framing says: back to back (each followed by a line end
// where asked), behind record descriptor words (V), in blocks behind block descriptor words (VB).
class RecordFramer {
  public:
    RecordFramer(OutputBuffer& output, RecordFormat format, const RecordOutputOptions& options)
        : output_(output), format_(format), blockSize_(options.blockSize) {
        if (options.end == RecordEnd::CrLf) end_ = "\r\n";
        if (options.end == RecordEnd::Lf) end_ = "\n";
    }

    void put(const unsigned char* record, std::size_t size) {
        const auto* bytes = reinterpret_cast<const char*>(record);
        if (format_ == RecordFormat::Fixed) {
            char* out = output_.reserve(size + end_.size());
            std::memcpy(out, bytes, size);
            std::memcpy(out + size, end_.data(), end_.size());
            output_.commit(size + end_.size());
            return;
        }
        char word[4];
        descriptorWord(size + 4, word);
        if (format_ == RecordFormat::V) {
            output_.append(word, 4);
            output_.append(bytes, size);
            return;
        }
        if (!block_.empty() && 4 + block_.size() + 4 + size > blockSize_) flushBlock();
        block_.append(word, 4);
        block_.append(bytes, size);
    }
    // Writes the last block.
    void finish() {
        if (!block_.empty()) flushBlock();
    }

  private:
    static void descriptorWord(std::size_t length, char* word) {
        word[0] = static_cast<char>(length >> 8 & 0xFF);
        word[1] = static_cast<char>(length & 0xFF);
        word[2] = word[3] = 0;
    }
    void flushBlock() {
        char word[4];
        descriptorWord(block_.size() + 4, word);
        output_.append(word, 4);
        output_.append(block_.data(), block_.size());
        block_.clear();
    }

    OutputBuffer& output_;
    RecordFormat format_;
    std::uint32_t blockSize_;
    std::string end_;
    std::string block_;
};

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

// A value as the message shows it: UTF-8, its control characters as they are.
std::string shownValue(std::string_view value, bool utf8) {
    return utf8 ? std::string(value) : cp932ToUtf8(value);
}

Failure lineFailure(std::int64_t line, const std::string& why) {
    return failure("CSV の行からレコードを作れません。\n行 = " + std::to_string(line) + "\n" + why,
                   FailureKind::InvalidData);
}

Failure valueFailure(std::int64_t line, const RecordBuilder::ValueFailure& f,
                     std::string_view value, bool utf8) {
    return failure("CSV の値をフィールドに入れられません。\n行 = " + std::to_string(line) +
                       "、列 = " + std::to_string(f.column) + "\nフィールド = " + f.field +
                       "\n値 = " + shownValue(value, utf8) + "\n" + f.why,
                   FailureKind::InvalidData);
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

// What the run reads the text with, worked out from its first bytes.
struct TextStart {
    ValueTextForm form;
    std::size_t skip = 0;  // the byte order mark
};

TextStart textStart(const RecordDefTable& table, std::string_view head) {
    TextStart start;
    start.form.page = table[0].codePage;
    start.form.encoding = table.output.encoding;
    if (head.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        start.form.encoding = CsvEncoding::Utf8;
        start.skip = kByteOrderMark.size();
    }
    return start;
}

std::string delimiterOf(const RecordDefTable& table, CsvEncoding encoding) {
    std::string delimiter = table[0].Delimiter == "\\t" ? "\t" : table[0].Delimiter;
    return encoding == CsvEncoding::Cp932 ? utf8ToCp932(delimiter) : delimiter;
}

// Whether lines of text can become records of `table` at all, told before any file is touched:
// it has a delimiter, and the lines of its kinds can be told apart.
Status checkLines(const RecordDefTable& table) {
    if (table[0].Delimiter.empty()) {
        return failure("区切り文字のないレコード定義からはレコードを作れません。",
                       FailureKind::InvalidDefinition);
    }
    const ValueTextForm form{table.output.encoding, table[0].codePage};
    Result<RecordBuilder> builder = RecordBuilder::make(table, form, table.output);
    if (!builder) return builder.error();
    return {};
}

// The lines of the text made into records, block by block, with progress after each block.
class LineRun {
  public:
    LineRun(RecordBuilder& builder, CsvLineSplitter& splitter, RecordFramer& framer, bool titleLine,
            bool utf8)
        : builder_(builder),
          splitter_(splitter),
          framer_(framer),
          skipTitle_(titleLine),
          utf8_(utf8) {
        emit_ = [this](int, const unsigned char* bytes, std::size_t size) {
            framer_.put(bytes, size);
        };
    }

    // Makes the records of the whole lines in [begin, end); the bytes taken.
    Result<std::size_t> take(const char* begin, const char* end, bool atEnd) {
        const char* p = begin;
        while (p < end) {
            const CsvLineSplitter::Line line = splitter_.split(p, end, atEnd, values_);
            if (line.length == 0) break;
            const std::int64_t number = lineNumber_;
            lineNumber_ += std::count(p, p + line.length, '\n');
            p += line.length;
            if (line.malformed) {
                return lineFailure(number, "値 " + std::to_string(line.malformedValue) +
                                               " の引用符 (\") が正しく閉じられていません。");
            }
            if (skipTitle_) {
                skipTitle_ = false;
                continue;
            }
            // An empty line holds no record unless some kind's line is one value.
            if (values_.size() == 1 && values_[0].empty() && !builder_.takesValueCount(1)) continue;
            if (auto bad = builder_.build(values_, emit_)) {
                if (bad->column == 0) return lineFailure(number, bad->why);
                return valueFailure(number, *bad, values_[bad->column - 1], utf8_);
            }
        }
        return static_cast<std::size_t>(p - begin);
    }

  private:
    RecordBuilder& builder_;
    CsvLineSplitter& splitter_;
    RecordFramer& framer_;
    bool skipTitle_;
    bool utf8_;
    std::int64_t lineNumber_ = 1;
    std::vector<std::string_view> values_;
    RecordBuilder::Emit emit_;
};

// Reads blocks until the window holds as many bytes as a byte order mark, or the input ended:
// the mark is told whatever the block size.
Status readHead(JobInput& input, TextWindow& window, const EngineContext& context) {
    while (window.size() < kByteOrderMark.size() && !input.atEnd()) {
        Result<std::size_t> got = window.readMore(input);
        if (!got) return got.error();
        if (context.observeInput) context.observeInput(window.end() - *got, *got);
    }
    return {};
}

Status convertLines(JobInput& input, RecordDefTable& table, RecordFramer& framer,
                    ProgressReporter& progress, const EngineContext& context) {
    TextWindow window(std::max<std::size_t>(context.blockSize, 1));
    if (Status head = readHead(input, window, context); !head) return head;
    const TextStart start = textStart(table, std::string_view(window.begin(), window.size()));
    window.take(start.skip);
    const std::string delimiter = delimiterOf(table, start.form.encoding);
    Result<RecordBuilder> builder = RecordBuilder::make(table, start.form, table.output);
    if (!builder) return builder.error();
    CsvLineSplitter splitter(delimiter);
    LineRun run(*builder, splitter, framer, table[0].TitleLine,
                start.form.encoding != CsvEncoding::Cp932);
    for (;;) {
        const bool atEnd = input.atEnd();
        Result<std::size_t> taken = run.take(window.begin(), window.end(), atEnd);
        if (!taken) return taken.error();
        window.take(*taken);
        progress.reached(input.consumed() - (window.end() - window.begin()));
        if (atEnd) return {};
        Result<std::size_t> got = window.readMore(input);
        if (!got) return got.error();
        if (context.observeInput) context.observeInput(window.end() - *got, *got);
    }
}

}  // namespace

Status tranCsv2Rec(const std::string& inputPath, const std::string& outputPath,
                   RecordDefTable& table, const RecordOutputOptions& records,
                   EngineContext& context) {
    if (Status definition = checkRec2CsvDefinition(table); !definition) return definition;
    if (Status framing = checkFraming(table, records); !framing) return framing;
    if (Status lines = checkLines(table); !lines) return lines;
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    ProgressReporter progress(context.progress, files->input->length());
    progress.start();
    const std::size_t blockSize = std::max<std::size_t>(context.blockSize, 1);
    OutputBuffer output(files->output->file(), 4 * blockSize);
    RecordFramer framer(output, table[0].recordFormat, records);
    if (Status converted = convertLines(*files->input, table, framer, progress, context);
        !converted) {
        return jobOutcome(converted, context);
    }
    framer.finish();
    if (Status finished = finishOutput(output, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
