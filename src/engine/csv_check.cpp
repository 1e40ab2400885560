#include "engine/csv_check.h"

#include "engine/csv_record_lines.h"
#include "engine/job_files.h"

namespace sorvek {
namespace {

// The check's end of the reading: the records counted, the lines at fault kept (the first ones)
// and counted, and the reading goes on past each.
class CountedRecords final : public CsvLineSink {
  public:
    CountedRecords(CsvCheckReport& report, std::size_t kept) : report_(report), kept_(kept) {}

    void record(const CsvLinePlace&, int kind, const unsigned char*, std::size_t,
                std::size_t) override {
        ++report_.recordsByKind[static_cast<std::size_t>(kind)];
        ++report_.records;
    }
    bool fault(const CsvLineFault& f) override {
        ++report_.faultCount;
        if (report_.faults.size() < kept_) {
            report_.faults.push_back(
                {f.problem, f.place.line, f.place.offset, f.values, f.column, std::string(f.field),
                 csvValueText(f.value, f.utf8, kShownValueBytes), std::string(f.why)});
        }
        return true;
    }

  private:
    CsvCheckReport& report_;
    std::size_t kept_;
};

CsvCheckReport emptyReport(const RecordDefTable& table) {
    CsvCheckReport report;
    report.encoding = table.output.encoding;
    for (const RecordDef& record : table.entries) report.kindNames.push_back(record.Name);
    report.recordsByKind.assign(table.entries.size(), 0);
    return report;
}

}  // namespace

Result<CsvCheckReport> checkCsvFile(const std::string& path, const RecordDefTable& table,
                                    const RecordOutputOptions& records, EngineContext& context,
                                    std::size_t kept) {
    auto input = openJobInput(path, context.files, context.cancelled, context.gate);
    if (!input) return input.error();
    CsvCheckReport report = emptyReport(table);
    if (Status refused = checkCsvToRecordsRun(table, records); !refused) {
        report.refusal = refused.error().reason;
        return report;
    }
    ProgressReporter progress(context.progress, (*input)->length());
    progress.start();
    CountedRecords sink(report, kept);
    CsvTextTally tally;
    const Status read = readCsvRecords(**input, table, sink, progress, context, tally);
    report.size = tally.bytes;
    report.encoding = tally.encoding;
    report.byteOrderMark = tally.byteOrderMark;
    report.lines = tally.lines;
    report.titleLine = tally.titleSkipped;
    report.emptyLines = tally.emptyLines;
    if (!read) {
        if (read.error().kind == FailureKind::InvalidDefinition) {
            report.refusal = read.error().reason;
        } else if (read.error().kind == FailureKind::Cancelled) {
            report.cancelled = true;
            return report;
        } else {
            return read.error();
        }
    }
    progress.finished();
    return report;
}

}  // namespace sorvek
