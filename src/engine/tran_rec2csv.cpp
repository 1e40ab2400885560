#include "engine/tran_rec2csv.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "engine/csv_line_plan.h"
#include "engine/inspection.h"
#include "engine/job_files.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/record_kind_finder.h"
#include "platform/codepage.h"
#include "platform/number_text.h"
#include "ports/app_title.h"

namespace sorvek {
namespace {

constexpr const char* kUnknownKindText =
    "識別区分の不明なレコードがあります。可変長の場合は全ての識別区分を指定して下さい。";

// The title line: the marked field names of the first kind without a child and of its
// ancestors, top-level ancestor first.
std::string titleLine(const RecordDefTable& table, const std::string& delimiter) {
    int leaf = 0;
    for (int k = 1; k <= table.maxIndex() && leaf == 0; ++k) {
        if (table[static_cast<std::size_t>(k)].Child == 0) leaf = k;
    }
    std::vector<int> chain;
    for (int r = leaf; r != 0; r = table[static_cast<std::size_t>(r)].Parent) chain.push_back(r);
    std::string text;
    bool first = true;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const FieldDef& f : table[static_cast<std::size_t>(*it)].Fields) {
            if (f.Check != -1) continue;
            if (!first) text += delimiter;
            text += f.Name;
            first = false;
        }
    }
    return utf8ToCp932(text) + "\r\n";
}

// Converts the whole records of each stretch of input it is given. Keeps what must survive
// from one stretch to the next: whether a CR or LF may still follow the last record, and the
// last record of each kind.
class RecordConverter {
  public:
    RecordConverter(RecordDefTable& table, const CsvLinePlan& plan, OutputBuffer& output)
        : table_(table),
          plan_(plan),
          output_(output),
          finder_(table),
          kinds_(static_cast<std::size_t>(table.maxIndex()) + 1),
          data_(kinds_.size(), nullptr) {
        const RecordDef& file = table[0];
        variableLength_ = file.Size == 0;
        unknownLength_ = static_cast<std::size_t>(variableLength_ ? table[1].Size : file.Size);
        for (std::size_t k = 1; k < kinds_.size(); ++k) {
            const RecordDef& record = table[k];
            kinds_[k].size = static_cast<std::size_t>(record.Size);
            kinds_[k].writesLine = record.Child == 0;
            if (record.Parent != 0) {
                kinds_[static_cast<std::size_t>(record.Parent)].isAncestor = true;
            }
        }
    }

    struct Outcome {
        std::size_t consumed = 0;  // bytes converted or skipped
        std::size_t needed = 0;    // bytes from there on that the next record needs
        bool unknownKind = false;  // stopped at a record of unknown kind (variable length)
    };

    // Converts the records in [begin, end). `atEnd`: no input follows, so a record that is
    // not whole is incomplete.
    Outcome convert(const unsigned char* begin, const unsigned char* end, bool atEnd) {
        const unsigned char* p = begin;
        Outcome outcome;
        for (;;) {
            // A record may be followed by a CR, then by an LF, even across stretches.
            if (pending_ == Pending::Cr) {
                if (p == end) break;
                if (*p == '\r') ++p;
                pending_ = Pending::Lf;
            }
            if (pending_ == Pending::Lf) {
                if (p == end) break;
                if (*p == '\n') ++p;
                pending_ = Pending::None;
            }
            if (p == end) break;
            const std::size_t available = static_cast<std::size_t>(end - p);
            int kind = 1;
            if (finder_.usesClassCode()) {
                if (available < finder_.bytesNeeded() && !atEnd) {
                    outcome.needed = finder_.bytesNeeded();
                    break;
                }
                kind = finder_.find(p, available);
            }
            const std::size_t length =
                kind != 0 ? kinds_[static_cast<std::size_t>(kind)].size : unknownLength_;
            if (available < length) {
                outcome.needed = length;
                break;
            }
            ++recordsMet_;
            if (kind == 0 && variableLength_) {
                outcome.unknownKind = true;
                break;
            }
            if (kind != 0) take(kind, p);
            p += length;
            pending_ = Pending::Cr;
        }
        outcome.consumed = static_cast<std::size_t>(p - begin);
        return outcome;
    }

    // Copies the records still read from the input buffer into the table's `Data`, before the
    // buffer is refilled and at the end.
    void keepData() {
        for (std::size_t k = 1; k < kinds_.size(); ++k) {
            if (!kinds_[k].inBuffer) continue;
            std::vector<unsigned char>& stored = table_[k].Data;
            stored.assign(data_[k], data_[k] + kinds_[k].size);
            data_[k] = stored.data();
            kinds_[k].inBuffer = false;
        }
    }

    bool wroteLines() const { return wroteLines_; }
    // Records met so far, the one of unknown kind that stopped the conversion included.
    std::int64_t recordsMet() const { return recordsMet_; }

  private:
    enum class Pending { None, Cr, Lf };
    struct Kind {
        std::size_t size = 0;
        bool writesLine = false;
        bool isAncestor = false;  // its record is needed for the lines of later records
        bool inBuffer = false;    // data_ points into the input buffer
    };

    void take(int kind, const unsigned char* record) {
        const std::size_t k = static_cast<std::size_t>(kind);
        Kind& info = kinds_[k];
        if (info.isAncestor) {
            std::vector<unsigned char>& stored = table_[k].Data;
            stored.assign(record, record + info.size);
            data_[k] = stored.data();
        } else {
            // Only its own line needs it now; copied once per buffer by keepData.
            data_[k] = record;
            info.inBuffer = true;
        }
        if (!info.writesLine) return;
        char* out = output_.reserve(plan_.maxLineLength(kind) + 2);
        char* lineEnd = plan_.write(kind, data_.data(), out);
        lineEnd[0] = '\r';
        lineEnd[1] = '\n';
        output_.commit(static_cast<std::size_t>(lineEnd + 2 - out));
        wroteLines_ = true;
    }

    RecordDefTable& table_;
    const CsvLinePlan& plan_;
    OutputBuffer& output_;
    KindFinder finder_;
    std::vector<Kind> kinds_;
    std::vector<const unsigned char*> data_;
    bool variableLength_ = false;
    std::size_t unknownLength_ = 0;
    Pending pending_ = Pending::None;
    bool wroteLines_ = false;
    std::int64_t recordsMet_ = 0;
};

}  // namespace

bool tranRec2Csv(const std::string& inputPath, const std::string& outputPath, RecordDefTable& table,
                 EngineContext& context) {
    if (Status definition = checkRec2CsvDefinition(table); !definition) {
        context.messages.show(definition.error().message, kAppTitle, definition.error().icon);
        return false;
    }
    auto files = openJobFiles(inputPath, outputPath, context.files);
    if (!files) return reportJobStatus(files.error(), context);

    ProgressReporter progress(context.progress, files->inputLength);
    progress.start();

    RecordDef& file = table[0];
    if (file.Delimiter == "\\t") file.Delimiter = "\t";
    for (RecordDef& record : table.entries) record.Data.clear();
    const std::string delimiter = utf8ToCp932(file.Delimiter);

    const std::size_t blockSize = std::max<std::size_t>(context.blockSize, 1);
    OutputBuffer output(*files->output, 4 * blockSize);
    if (file.TitleLine) {
        const std::string title = titleLine(table, file.Delimiter);
        output.append(title.data(), title.size());
    }

    const CsvLinePlan plan(table, delimiter);
    RecordConverter converter(table, plan, output);

    // The input buffer holds the unconverted rest of the last block and the next block; it
    // grows only when a record (or its class code) is longer than a block.
    std::vector<unsigned char> buffer(blockSize);
    std::size_t begin = 0, end = 0;  // unconverted bytes
    std::int64_t bufferOffset = 0;   // file offset of buffer[0]
    std::int64_t remaining = files->inputLength;
    std::size_t needed = 0;
    while (remaining > 0 && output.ok()) {
        if (begin > 0) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            bufferOffset += static_cast<std::int64_t>(begin);
            end -= begin;
            begin = 0;
        }
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(needed), static_cast<std::int64_t>(end) + remaining));
        if (buffer.size() < want) buffer.resize(want);
        if (buffer.size() == end) buffer.resize(end + blockSize);
        const std::size_t room = std::min(blockSize, buffer.size() - end);
        Result<std::size_t> got =
            readBlock(*files->input, reinterpret_cast<char*>(buffer.data() + end), room, remaining,
                      inputPath);
        if (!got) {
            converter.keepData();
            return reportJobStatus(got.error(), context);
        }
        if (context.observeInput) {
            context.observeInput(reinterpret_cast<const char*>(buffer.data() + end), *got);
        }
        end += *got;
        remaining -= static_cast<std::int64_t>(*got);

        RecordConverter::Outcome outcome =
            converter.convert(buffer.data() + begin, buffer.data() + end, remaining == 0);
        begin += outcome.consumed;
        needed = outcome.needed;
        converter.keepData();
        if (outcome.unknownKind) {
            // The lines of the records before it are kept.
            if (!reportJobStatus(finishOutput(output, outputPath), context)) return false;
            const std::int64_t at = bufferOffset + static_cast<std::int64_t>(begin);
            context.messages.show(
                std::string(kUnknownKindText) + "\n" + recordPlaceText(converter.recordsMet(), at),
                kAppTitle, MessageIcon::Exclamation);
            return false;
        }
        progress.reached(remaining == 0 ? files->inputLength
                                        : bufferOffset + static_cast<std::int64_t>(begin));
    }
    if (!reportJobStatus(finishOutput(output, outputPath), context)) return false;
    if (converter.wroteLines()) progress.finished();
    return true;
}

}  // namespace sorvek
