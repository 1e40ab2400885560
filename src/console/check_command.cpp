#include "console/check_command.h"

#include <map>
#include <nlohmann/json.hpp>

#include "app/app_state.h"
#include "app/check_report.h"
#include "app/csv_check_report.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "app/startup.h"
#include "console/console_ports.h"
#include "engine/job_count.h"

namespace sorvek {
namespace {

using Json = nlohmann::ordered_json;

Json occurrencesJson(const Occurrences& o, bool withRecords = true) {
    Json j;
    j["count"] = o.count;
    j["first_offsets"] = o.offsets;
    if (withRecords) j["first_record_numbers"] = o.recordNumbers;
    return j;
}

// Kind names as JSON keys: a name met twice gets its index after it.
std::vector<std::string> kindKeys(const std::vector<std::string>& kindNames) {
    std::vector<std::string> keys(kindNames.size());
    std::map<std::string, int> seen;
    for (std::size_t k = 1; k < kindNames.size(); ++k) {
        keys[k] = kindNames[k];
        if (seen[keys[k]]++ > 0) keys[k] += "#" + std::to_string(k);
    }
    return keys;
}

std::string fieldNameOf(const DefinitionFindings& d, int kind, int field) {
    const auto k = static_cast<std::size_t>(kind);
    const auto f = static_cast<std::size_t>(field);
    return k < d.fieldNames.size() && f < d.fieldNames[k].size() ? d.fieldNames[k][f] : "";
}

Json reportJson(const InspectionReport& report, const std::string& input,
                const std::string& definition) {
    const ByteProfile& b = report.bytes;
    Json j;
    j["file"] = input;
    j["file_size"] = b.size;
    j["line_endings"] = {{"crlf", b.crlf}, {"lf", b.lf}, {"cr", b.cr}};
    j["lines"] = b.lines;
    j["longest_line"] = b.breaks() > 0 ? Json(b.longestLine) : Json(nullptr);
    j["shortest_line"] = b.breaks() > 0 ? Json(b.shortestLine) : Json(nullptr);
    j["looks_binary"] = report.looksBinary;
    j["evidence"] = recordDataEvidence(report);
    j["non_text_bytes"] = occurrencesJson(b.nonText, false);
    j["invalid_sjis"] = occurrencesJson(b.invalidSjis, false);
    j["invalid_sjis"]["bytes_examined"] = b.sjisBytes;
    if (report.pageText.present) {
        // Read on an EBCDIC page: the Shift-JIS and control-code findings mean nothing there.
        const PageTextProfile& t = report.pageText;
        j["evidence"] = Json::array();
        j["non_text_bytes"] = nullptr;
        j["invalid_sjis"] = nullptr;
        j["page_text"] = {{"code_page", t.page},
                          {"bytes_examined", t.bytes},
                          {"text_bytes", t.textBytes},
                          {"no_character", occurrencesJson(t.noCharacter, false)},
                          {"control_bytes", occurrencesJson(t.control, false)},
                          {"unpaired_shifts", occurrencesJson(t.unpairedShift, false)}};
    }
    j["record_length_suggestions"] = Json::array();
    for (const RecordLengthSuggestion& s : report.suggestions) {
        j["record_length_suggestions"].push_back({{"length", s.length}, {"reason", s.reason}});
    }
    if (report.cancelled) j["cancelled"] = true;
    if (report.withDefinition) {
        const DefinitionFindings& d = report.definition;
        const std::vector<std::string> keys = kindKeys(d.kindNames);
        j["definition"] = definition;
        j["definition_error"] = d.definitionError.empty() ? Json(nullptr) : Json(d.definitionError);
        j["records_cut"] = d.recordsCut;
        // Several kinds, no class-code position: the note, or null.
        const auto untold = untoldKindsNote(report);
        j["kinds_not_told_apart"] = untold ? Json(*untold) : Json(nullptr);
        Json byKind = Json::object();
        Json withoutLine = Json::object();
        Json withoutLinePlaces = Json::object();
        Json beforeParent = Json::object();
        for (std::size_t k = 1; k < keys.size() && d.recordsCut; ++k) {
            byKind[keys[k]] = d.recordsByKind[k];
            withoutLine[keys[k]] = d.recordsWithoutLine[k].count;
            if (d.recordsWithoutLine[k].any()) {
                withoutLinePlaces[keys[k]] = occurrencesJson(d.recordsWithoutLine[k]);
            }
            if (d.childBeforeParent[k].any()) {
                beforeParent[keys[k]] = occurrencesJson(d.childBeforeParent[k]);
            }
        }
        j["records_by_kind"] = byKind;
        j["unknown_kind"] = occurrencesJson(d.unknownKind);
        j["stopped_at"] = d.stopped
                              ? Json{{"offset", d.stopOffset}, {"record_number", d.stopRecord}}
                              : Json(nullptr);
        j["framing_error"] = d.framingMessage.empty() ? Json(nullptr) : Json(d.framingMessage);
        j["trailing_bytes"] = d.trailingBytes;
        j["trailing_offset"] = d.trailingBytes > 0 ? Json(d.trailingOffset) : Json(nullptr);
        j["children_before_parent"] = beforeParent;
        j["lines_written"] = d.linesWritten;
        j["records_without_line"] = withoutLine;
        j["records_without_line_places"] = withoutLinePlaces;
        j["extra_line_breaks"] = occurrencesJson(d.extraLineBreaks);
        j["invalid_fields"] = Json::array();
        for (const FieldFinding& f : d.invalidFields) {
            Json item = {{"record_kind", keys[static_cast<std::size_t>(f.kind)]},
                         {"field", fieldNameOf(d, f.kind, f.field)}};
            item.update(occurrencesJson(f.places));
            j["invalid_fields"].push_back(item);
        }
        j["wrong_totals"] = Json::array();
        for (const TotalFinding& t : d.wrongTotals) {
            j["wrong_totals"].push_back(
                {{"record_kind", keys[static_cast<std::size_t>(t.kind)]},
                 {"field", fieldNameOf(d, t.kind, t.field)},
                 {"offset", t.offset},
                 {"record_number", t.record},
                 {"expected", t.expected},
                 {"found", t.found.empty() ? Json(nullptr) : Json(t.found)}});
        }
        j["wrong_total_count"] = d.wrongTotalCount;
        j["full_width_characters"] = Json::array();
        for (const FieldFinding& f : d.fullWidthCharacters) {
            Json item = {{"record_kind", keys[static_cast<std::size_t>(f.kind)]},
                         {"field", fieldNameOf(d, f.kind, f.field)}};
            item.update(occurrencesJson(f.places));
            j["full_width_characters"].push_back(item);
        }
        j["split_characters"] = Json::array();
        for (const SplitFinding& s : d.splitCharacters) {
            Json item = {{"record_kind", keys[static_cast<std::size_t>(s.kind)]},
                         {"field", fieldNameOf(d, s.kind, s.field)},
                         {"at", s.at == SplitAt::Start ? "start" : "end"}};
            item.update(occurrencesJson(s.places));
            j["split_characters"].push_back(item);
        }
        j["fields_outside_record"] = Json::array();
        for (const FieldFinding& f : d.fieldsOutside) {
            j["fields_outside_record"].push_back(
                {{"record_kind", keys[static_cast<std::size_t>(f.kind)]},
                 {"field", fieldNameOf(d, f.kind, f.field)}});
        }
    }
    j["problems"] = report.hasProblems();
    return j;
}

const char* problemWord(CsvLineProblem problem) {
    switch (problem) {
        case CsvLineProblem::Quotes:
            return "quotes";
        case CsvLineProblem::ValueCount:
            return "value_count";
        case CsvLineProblem::ClassCode:
            return "class_code";
        case CsvLineProblem::Length:
            return "line_length";
        case CsvLineProblem::Value:
            break;
    }
    return "value";
}

Json faultJson(const CsvFaultLine& f) {
    const bool value = f.problem == CsvLineProblem::Value;
    return {{"line", f.line},
            {"offset", f.offset},
            {"problem", problemWord(f.problem)},
            {"values", f.values},
            {"column", f.column > 0 ? Json(f.column) : Json(nullptr)},
            {"field", value ? Json(f.field) : Json(nullptr)},
            {"value", value ? Json(f.value) : Json(nullptr)},
            {"reason", f.why}};
}

Json csvReportJson(const CsvCheckReport& report, const std::string& input,
                   const std::string& definition) {
    Json j;
    j["file"] = input;
    j["definition"] = definition;
    j["file_size"] = report.size;
    j["encoding"] = report.encoding == CsvEncoding::Cp932 ? "cp932" : "utf-8";
    j["byte_order_mark"] = report.byteOrderMark;
    j["refused"] = report.refusal.empty() ? Json(nullptr) : Json(report.refusal);
    j["lines"] = report.lines;
    j["title_line"] = report.titleLine;
    j["empty_lines"] = report.emptyLines;
    const std::vector<std::string> keys = kindKeys(report.kindNames);
    Json byKind = Json::object();
    for (std::size_t k = 1; k < keys.size() && k < report.recordsByKind.size(); ++k) {
        byKind[keys[k]] = report.recordsByKind[k];
    }
    j["records_by_kind"] = byKind;
    j["records"] = report.records;
    Json first = Json::array();
    for (const CsvFaultLine& f : report.faults) first.push_back(faultJson(f));
    j["line_failures"] = {{"count", report.faultCount}, {"first", first}};
    if (report.cancelled) j["cancelled"] = true;
    j["problems"] = report.hasProblems();
    return j;
}

void printLines(const std::vector<std::string>& lines, std::FILE* out) {
    for (const std::string& line : lines) {
        std::fputs(line.c_str(), out);
        std::fputc('\n', out);
    }
}

}  // namespace

std::string csvCheckReportJson(const CsvCheckReport& report, const std::string& input,
                               const std::string& definition) {
    return csvReportJson(report, input, definition)
        .dump(2, ' ', false, Json::error_handler_t::replace);
}

std::string checkReportJson(const InspectionReport& report, const std::string& input,
                            const std::string& definition) {
    return reportJson(report, input, definition)
        .dump(2, ' ', false, Json::error_handler_t::replace);
}

namespace {

// Shows what it is given as `shown` does, and keeps the texts, a line apart.
class KeptMessages final : public Messages {
  public:
    explicit KeptMessages(Messages& shown) : shown_(shown) {}
    void show(const std::string& text, const std::string& title, MessageIcon icon) override {
        if (!texts_.empty()) texts_ += '\n';
        texts_ += text;
        shown_.show(text, title, icon);
    }
    bool askYesNo(const std::string& text, const std::string& title) override {
        return shown_.askYesNo(text, title);
    }
    const std::string& texts() const { return texts_; }

  private:
    Messages& shown_;
    std::string texts_;
};

}  // namespace

int runCheck(const CheckRequest& request, const ConsoleStreams& streams) {
    ConsoleProgress progress(streams.err, streams.drawProgress && !request.quiet);
    ConsoleMessages messages(streams.err, &progress);
    const JobEntry& check = request.csv ? csvCheckJob() : checkJob();
    AppState state;
    state.job.JobKind = check.kind;
    state.job.JobTitle = check.title;
    state.job.JobParams = {request.input, "", request.definition};
    KeptMessages kept(messages);
    if (!request.definition.empty() && !loadJobDefinition(request.definition, state, kept)) {
        // Asked for JSON, a program reads standard output: the object says why too.
        if (request.json) {
            Json j;
            j["input"] = jobPath(request.input);
            j["definition"] = jobPath(request.definition);
            j["definition_error"] = kept.texts();
            j["problems"] = true;
            printLines({j.dump(2, ' ', false, Json::error_handler_t::replace)}, streams.out);
            std::fflush(streams.out);
        }
        return kExitFailure;
    }
    applyOverrides(request.overrides, state);

    EngineContext context{progress};
    context.jobs = chooseJobCount(request.jobs, request.input, context.files).jobs;
    const bool checked = runJob(state, context, messages);
    progress.endLine();
    if (!checked) return kExitFailure;
    const std::string input = jobPath(request.input);
    const std::string definitionPath = state.definitionFile;
    bool problems = false;
    if (request.csv) {
        const CsvCheckReport& report = *state.csvCheck;
        problems = report.hasProblems();
        printLines(request.json ? std::vector{csvCheckReportJson(report, input, definitionPath)}
                                : csvCheckReportLines(report, input, definitionPath),
                   streams.out);
    } else {
        const InspectionReport& report = *state.inspection;
        problems = report.hasProblems();
        printLines(request.json ? std::vector{checkReportJson(report, input, definitionPath)}
                                : reportLines(report, input, definitionPath),
                   streams.out);
    }
    std::fflush(streams.out);
    return problems ? kExitFailure : kExitSuccess;
}

}  // namespace sorvek
