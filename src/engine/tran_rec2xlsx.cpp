#include "engine/tran_rec2xlsx.h"

#include <xlsxwriter.h>

#include <memory>
#include <utility>
#include <vector>

#include "engine/job_files.h"
#include "engine/kind_files.h"
#include "engine/rec2csv_by_kind.h"
#include "engine/rec2csv_text.h"
#include "platform/paths.h"

namespace sorvek {
namespace {

Failure workbookFailure(lxw_error error) {
    return failure(lxw_strerror(error), FailureKind::WriteError);
}

// The sheets of one kind: takes the kind's CSV lines (UTF-8, every field quoted, LF) and writes
// each as a row, typed as its column says, going on in a new sheet when one is full.
class KindSheets final : public WritableFile {
  public:
    KindSheets(lxw_workbook* book, XlsxSheetNames& names, std::string wanted,
               std::vector<XlsxColumn> columns, std::uint32_t rowsPerSheet)
        : book_(book),
          names_(names),
          columns_(std::move(columns)),
          rowsPerSheet_(rowsPerSheet),
          base_(names.take(wanted)) {
        lxw_format* title = workbook_add_format(book_);
        format_set_bold(title);
        titleFormat_ = title;
        for (const XlsxColumn& column : columns_) {
            lxw_format* format = nullptr;
            if (column.number) {
                format = workbook_add_format(book_);
                format_set_num_format(format, column.numberFormat.c_str());
            }
            formats_.push_back(format);
        }
    }

    // Opens the first sheet, so that a kind without lines has its sheet and title row too.
    Status start() { return openSheet(base_); }

    Status write(const char* data, std::size_t n) override {
        for (std::size_t i = 0; i < n; ++i) {
            const char c = data[i];
            if (quoted_) {
                if (c == '"') {
                    quoted_ = false;
                    afterQuote_ = true;
                } else {
                    field_ += c;
                }
                continue;
            }
            if (c == '"') {
                // A quote right after a closing one is a quote of the text.
                if (afterQuote_) field_ += '"';
                quoted_ = true;
                afterQuote_ = false;
                continue;
            }
            afterQuote_ = false;
            if (c == ',') {
                if (Status s = endField(); !s) return s;
            } else if (c == '\n') {
                if (Status s = endField(); !s) return s;
                column_ = 0;
                ++row_;
            } else if (c != '\r') {
                field_ += c;
            }
        }
        return {};
    }
    Status sync() override { return {}; }
    Status copyPermissions(const FileInfo&) override { return {}; }
    Status close() override { return {}; }

  private:
    Status openSheet(const std::string& name) {
        if (const lxw_error e = workbook_validate_sheet_name(book_, name.c_str());
            e != LXW_NO_ERROR)
            return workbookFailure(e);
        sheet_ = workbook_add_worksheet(book_, name.c_str());
        if (sheet_ == nullptr) return failure("", FailureKind::NoMemory);
        for (std::size_t c = 0; c < columns_.size(); ++c) {
            const auto col = static_cast<lxw_col_t>(c);
            worksheet_set_column(sheet_, col, col, columns_[c].width, nullptr);
            const lxw_error e =
                worksheet_write_string(sheet_, 0, col, columns_[c].name.c_str(), titleFormat_);
            if (e != LXW_NO_ERROR) return workbookFailure(e);
        }
        worksheet_freeze_panes(sheet_, 1, 0);
        row_ = 1;
        return {};
    }

    // Writes the field just read into the current row's next cell.
    Status endField() {
        if (column_ == 0 && row_ == rowsPerSheet_) {
            if (Status s = openSheet(names_.take(names_.continuation(base_, ++sheets_))); !s)
                return s;
        }
        const std::size_t c = column_++;
        std::string text = std::move(field_);
        field_.clear();
        if (text.empty()) return {};
        const auto col = static_cast<lxw_col_t>(c);
        lxw_error e = LXW_NO_ERROR;
        if (c < columns_.size() && columns_[c].number) {
            if (const std::optional<double> value = xlsxNumber(text)) {
                e = worksheet_write_number(sheet_, row_, col, *value, formats_[c]);
                return e == LXW_NO_ERROR ? Status{} : Status{workbookFailure(e)};
            }
        }
        e = worksheet_write_string(sheet_, row_, col, text.c_str(), nullptr);
        return e == LXW_NO_ERROR ? Status{} : Status{workbookFailure(e)};
    }

    lxw_workbook* book_;
    XlsxSheetNames& names_;
    std::vector<XlsxColumn> columns_;
    std::vector<lxw_format*> formats_;  // by column; owned by the workbook
    lxw_format* titleFormat_ = nullptr;
    std::uint32_t rowsPerSheet_;
    std::string base_;
    int sheets_ = 1;
    lxw_worksheet* sheet_ = nullptr;  // owned by the workbook
    lxw_row_t row_ = 0;
    std::size_t column_ = 0;
    std::string field_;
    bool quoted_ = false;
    bool afterQuote_ = false;
};

// Copies the file at `path` into `out`.
Status copyFile(FileSystem& fs, const std::string& path, WritableFile& out) {
    auto in = fs.openRead(path);
    if (!in) return in.error();
    std::vector<char> buffer(1 << 20);
    for (;;) {
        Result<std::size_t> got = (*in)->read(buffer.data(), buffer.size());
        if (!got) return got.error();
        if (*got == 0) return {};
        if (Status s = out.write(buffer.data(), *got); !s) return s;
    }
}

// Removes the workbook's temporary file however the job ends.
struct TemporaryPath {
    FileSystem& fs;
    std::string path;
    ~TemporaryPath() {
        if (!path.empty()) (void)fs.deleteFile(path);
    }
};

}  // namespace

Status tranRec2Xlsx(const std::string& inputPath, const std::string& outputPath,
                    const RecordDefTable& definition, EngineContext& context,
                    std::uint32_t rowsPerSheet) {
    auto files = openJobFiles(inputPath, outputPath, context);
    if (!files) return jobOutcome(files.error(), context);
    ProgressReporter progress(context.progress, files->input->length());
    progress.start();

    // The lines are read back field by field: UTF-8, every field quoted, one LF after each.
    RecordDefTable table = definition;
    table.output.encoding = CsvEncoding::Utf8;
    table.output.quoting = CsvQuoting::All;
    table.output.lineEnd = CsvLineEnd::Lf;
    table[0].Delimiter = ",";
    table[0].TitleLine = false;
    const Rec2CsvText text = prepareRec2CsvRun(table);

    // The workbook is made beside the output, under a name of its own; it is then copied through
    // the output's SafeOutput, which knows how the output is to be replaced. The path stays
    // UTF-8 text (a std::filesystem::path would read it in Windows's code page).
    const std::string full = getFullPath(outputPath);
    auto temporary = context.files.createTemporary(withTrailingSeparator(folderOfPath(full)) + "." +
                                                   nameOfPath(full) + ".xlsx-");
    if (!temporary)
        return jobOutcome(fileFailure(FailureSubject::OutputOpen, outputPath, temporary.error()),
                          context);
    TemporaryPath kept{context.files, temporary->path};
    (void)temporary->file->close();

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(temporary->path.c_str(), &options);
    if (book == nullptr) {
        return jobOutcome(fileFailure(FailureSubject::OutputOpen, outputPath,
                                      failure("", FailureKind::WriteError)),
                          context);
    }
    XlsxSheetNames names;
    std::vector<std::unique_ptr<KindSheets>> sheets;
    std::vector<WritableFile*> streams;
    std::vector<std::size_t> streamOfKind(static_cast<std::size_t>(table.maxIndex()) + 1, 0);
    Status started;
    for (const KindFile& kind : kindFiles(outputPath, table)) {
        const RecordDef& record = table[static_cast<std::size_t>(kind.kind)];
        streamOfKind[static_cast<std::size_t>(kind.kind)] = sheets.size();
        sheets.push_back(std::make_unique<KindSheets>(
            book, names, record.Name.empty() ? std::to_string(kind.kind) : record.Name,
            xlsxColumns(table, kind.kind), rowsPerSheet));
        if (started) started = sheets.back()->start();
        streams.push_back(sheets.back().get());
    }
    Rec2CsvByKindRun run;
    if (started) {
        run = runRec2CsvByKind(*files->input, table, text, std::move(streams), streamOfKind,
                               std::vector<std::string>(sheets.size()), context, progress);
    }
    // Closing writes the workbook (and frees it) whatever came before.
    const lxw_error closed = workbook_close(book);
    if (!started)
        return jobOutcome(fileFailure(FailureSubject::OutputWrite, outputPath, started.error()),
                          context);
    if (!run.outcome.failure) return jobOutcome(run.outcome.failure, context);
    if (run.outcome.cancelled) return cancelledFailure();
    if (run.outcome.stopped) return dataStop(run.outcome.stopMessage);
    Status written = run.written;
    if (written && closed != LXW_NO_ERROR) written = workbookFailure(closed);
    if (written) written = copyFile(context.files, temporary->path, files->output->file());
    if (Status finished = finishOutput(context, written, *files->output, outputPath); !finished) {
        return jobOutcome(finished, context);
    }
    progress.finished();
    return {};
}

}  // namespace sorvek
