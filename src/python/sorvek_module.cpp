// The Python module's native part (`sorvek._sorvek`): definitions, plans, the conversion of
// parts and whole files, the check report and the records of a file. The package `sorvek`
// (python/sorvek) gives it its Python face.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/definition_options.h"
#include "app/failure_message.h"
#include "app/job_registry.h"
#include "app/run_job.h"
#include "console/check_command.h"
#include "engine/job_count.h"
#include "engine/job_files.h"
#include "engine/kind_files.h"
#include "engine/part_workers.h"
#include "engine/rec2csv_definition_check.h"
#include "engine/split_plan.h"
#include "engine/tran_csv2rec.h"
#include "engine/tran_rec2csv.h"
#include "formats/load_definition.h"
#include "model/csv_output_options.h"

namespace py = pybind11;
using namespace sorvek;

namespace {

// sorvek.Error (python/sorvek/_error.py), raised for every failure with the message the
// programs show and the failure's kind.
PyObject* errorClass = nullptr;

[[noreturn]] void fail(const Failure& failure) {
    const py::object error = py::reinterpret_borrow<py::object>(errorClass)(
        failureMessage(failure).text, failureKindName(failure.kind));
    PyErr_SetObject(errorClass, error.ptr());
    throw py::error_already_set();
}

[[noreturn]] void refuse(const std::string& text) {
    fail(failure(text, FailureKind::RefusedArgument));
}

// The workers for `jobs` asked for over `input`: 0 (chosen by the machine) up to kMaxJobs, as
// many as pay (engine/job_count.h); more is a ValueError naming `jobs`.
unsigned workers(unsigned jobs, const std::string& input) {
    if (jobs > kMaxJobs) {
        throw py::value_error("jobs には 0 (自動) から " + std::to_string(kMaxJobs) +
                              " までを指定してください: " + std::to_string(jobs));
    }
    return chooseJobCount(jobs, input, osFileSystem()).jobs;
}

// A definition that could not be loaded, as one failure: the text the console writes.
[[noreturn]] void failLoad(const std::string& path, const DefinitionLoadFailure& failed) {
    fail(failure(loadFailureText(path, failed), failed.kind));
}

struct Definition {
    RecordDefTable table;
    std::string path;
    RecordOutputOverrides records;  // how records made from text are laid out
};

// Loads and checks a definition file; `options` are the options over the definition by their
// console names, "-" as "_" (encoding, quote, trim, zoned_sign, ..., input_code_page,
// record_format), a bool for on and off.
std::shared_ptr<Definition> loadDefinitionFile(const std::string& path, const py::dict& options) {
    auto loaded = std::make_shared<Definition>();
    loaded->path = path;
    loaded->table.reset(2);
    const auto result = loadDefinition(path, loaded->table);
    if (!result) failLoad(path, result.error());
    RunOverrides overrides;
    for (const auto& [name, value] : options) {
        const std::string key = py::str(name);
        const DefinitionOption* option = findDefinitionOption(key);
        if (option == nullptr || key.find('-') != std::string::npos) {
            refuse("不明な出力形式です: " + key);
        }
        if (value.is_none()) continue;
        // A switch of the command line is a bool here.
        if (option->flag && !py::isinstance<py::bool_>(value)) {
            throw py::type_error(
                key + " には True か False を指定してください: " + std::string(py::repr(value)));
        }
        const std::string word = py::isinstance<py::bool_>(value)
                                     ? std::string(value.cast<bool>() ? "on" : "off")
                                     : std::string(py::str(value));
        if (!option->take(word, overrides)) refuse(optionValueRefusal(*option, key, word));
    }
    applyOutputOverrides(overrides.output, loaded->table);
    applyInputOverrides(overrides.input, loaded->table);
    loaded->records = overrides.records;
    if (Status checked = checkRec2CsvDefinition(loaded->table); !checked) fail(checked.error());
    return loaded;
}

// One part of a plan, picklable, so that it can be sent to another process or machine.
struct Part {
    std::size_t index = 0;
    std::size_t count = 0;
    std::int64_t begin = 0;
    std::int64_t end = 0;
    RecordPartStart start;
};

std::vector<Part> makePlan(const std::string& input, const Definition& definition, int parts) {
    if (parts < 1) refuse("parts には 1 以上を指定してください。");
    Result<RecordSplitPlan> plan = planRec2CsvParts(osFileSystem(), input, definition.table, parts);
    if (!plan) fail(plan.error());
    std::vector<Part> result;
    for (std::size_t i = 0; i < plan->parts.size(); ++i) {
        result.push_back(
            {i, plan->parts.size(), plan->parts[i].offset, plan->end(i), plan->parts[i]});
    }
    return result;
}

// Reads [begin, end) of the file at `path` into `bytes`.
Status readRange(const std::string& path, std::int64_t begin, std::int64_t end,
                 std::string& bytes) {
    auto opened = osFileSystem().openRead(path);
    if (!opened) return fileFailure(FailureSubject::InputOpen, path, opened.error());
    if (Status skipped = (*opened)->skip(begin); !skipped) {
        return fileFailure(FailureSubject::InputRead, path, skipped.error());
    }
    JobInput reader(std::move(*opened), path, end - begin, nullptr);
    bytes.resize(static_cast<std::size_t>(end - begin));
    Result<std::size_t> got = reader.read(bytes.data(), bytes.size());
    if (!got) return got.error();
    return {};
}

// The part's output and, when the conversion stopped in it, the message (else None).
py::tuple convertPart(const py::object& input, const Definition& definition, const Part& part) {
    RecordDefTable table = definition.table;
    const Rec2CsvText text = prepareRec2CsvRun(table);
    std::string bytes;
    if (py::isinstance<py::bytes>(input) || py::isinstance<py::bytearray>(input) ||
        py::isinstance<py::memoryview>(input)) {
        const py::buffer_info info = py::buffer(input).request();
        const std::int64_t size = static_cast<std::int64_t>(info.size * info.itemsize);
        if (size < part.end) refuse("入力のバイト数が計画より少なくなっています。");
        bytes.assign(static_cast<const char*>(info.ptr) + part.begin,
                     static_cast<std::size_t>(part.end - part.begin));
    } else {
        const std::string path = py::str(input);
        Status read;
        {
            py::gil_scoped_release unlocked;
            read = readRange(path, part.begin, part.end, bytes);
        }
        if (!read) fail(read.error());
    }
    PartResult result;
    {
        py::gil_scoped_release unlocked;
        // Room for twice the input at once: the lines are seldom longer than their records,
        // and room never written costs no memory, while growing copies all made so far.
        result = convertRec2CsvPart(table, text, part.start,
                                    reinterpret_cast<const unsigned char*>(bytes.data()),
                                    bytes.size(), part.index + 1 == part.count, part.index == 0,
                                    MemoryOutput(2 * bytes.size() + 4096));
    }
    py::object stop = py::none();
    if (!result.stopMessage.empty()) stop = py::str(result.stopMessage);
    return py::make_tuple(py::bytes(result.bytes.data(), result.bytes.size()), stop);
}

// The paths of the files written when the definition splits the output by record kind, else
// an empty list.
std::vector<std::string> convertFile(const std::string& input, const std::string& output,
                                     const Definition& definition, unsigned jobs) {
    SilentProgress progress;
    EngineContext context{progress};
    context.jobs = workers(jobs, input);
    RecordDefTable table = definition.table;
    Status converted;
    {
        py::gil_scoped_release unlocked;
        converted = tranRec2Csv(input, output, table, context);
    }
    if (!converted) fail(converted.error());
    std::vector<std::string> written;
    if (table.output.writesFilePerKind()) {
        for (const KindFile& file : kindFiles(output, table)) written.push_back(file.path);
    }
    return written;
}

// Makes the records of the delimited text `input` into `output`, through the definition and the
// layout of records it was loaded with.
void toRecords(const std::string& input, const std::string& output, const Definition& definition) {
    SilentProgress progress;
    EngineContext context{progress};
    RecordDefTable table = definition.table;
    RecordOutputOptions layout;
    definition.records.applyTo(layout);
    Status made;
    {
        py::gil_scoped_release unlocked;
        made = tranCsv2Rec(input, output, table, layout, context);
    }
    if (!made) fail(made.error());
}

// The check report as JSON text, as `sorvek-cli --check --json` prints it; a regular file read
// in parts by `jobs` workers (0: one per core), with the same report.
std::string checkJson(const std::string& input, const std::string& definition, unsigned jobs) {
    const JobEntry& check = checkJob();
    AppState state;
    state.job.JobKind = check.kind;
    state.job.JobParams = {input, "", definition};
    if (!definition.empty()) {
        const std::string path = jobPath(definition);
        state.recordDefTable.reset(2);
        const auto loaded = loadDefinition(path, state.recordDefTable);
        if (!loaded) failLoad(path, loaded.error());
        state.definitionFile = path;
    }
    SilentProgress progress;
    EngineContext context{progress};
    context.jobs = workers(jobs, input);
    Status checked;
    {
        py::gil_scoped_release unlocked;
        checked = check.run(state, context);
    }
    if (!checked) fail(checked.error());
    return checkReportJson(*state.inspection, jobPath(input), state.definitionFile);
}

// The records of a file in order, as the conversion cuts them: (kind, bytes) of each record of
// a known kind; a record of unknown kind in a variable-length file raises the conversion's
// message.
class RecordReader {
  public:
    RecordReader(const std::string& path, std::shared_ptr<Definition> definition)
        : definition_(std::move(definition)), walker_(definition_->table) {
        Result<std::unique_ptr<JobInput>> opened = openJobInput(path, osFileSystem(), nullptr);
        if (!opened) fail(opened.error());
        input_ = std::move(*opened);
    }

    py::object next() {
        for (;;) {
            const RecordWalker::Step step = walker_.walk(
                buffer_.data() + begin_, buffer_.data() + buffer_.size(), input_->atEnd(), 1);
            begin_ += step.consumed;
            if (step.stopped) fail(dataStop(step.stopMessage));
            if (walker_.recordsMet() > met_) {
                met_ = walker_.recordsMet();
                const int kind = walker_.lastKind();
                if (kind == 0) continue;  // skipped: of unknown kind in a fixed-length file
                const auto size = static_cast<std::size_t>(
                    definition_->table[static_cast<std::size_t>(kind)].Size);
                return py::make_tuple(
                    kind, py::bytes(reinterpret_cast<const char*>(walker_.lastRecord()), size));
            }
            if (step.consumed > 0) continue;
            if (input_->atEnd()) throw py::stop_iteration();
            readMore(std::max<std::size_t>(step.needed, 1));
        }
    }

  private:
    void readMore(std::size_t needed) {
        walker_.keepRecords();
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(begin_));
        begin_ = 0;
        const std::size_t kept = buffer_.size();
        buffer_.resize(kept + std::max<std::size_t>(needed, 1 << 20));
        Result<std::size_t> got =
            input_->read(reinterpret_cast<char*>(buffer_.data() + kept), buffer_.size() - kept);
        if (!got) fail(got.error());
        buffer_.resize(kept + *got);
    }

    std::shared_ptr<Definition> definition_;
    RecordWalker walker_;
    std::unique_ptr<JobInput> input_;
    std::vector<unsigned char> buffer_;
    std::size_t begin_ = 0;
    std::int64_t met_ = 0;
};

py::tuple partState(const Part& p) {
    py::list ancestors;
    for (const auto& [kind, bytes] : p.start.ancestors) {
        ancestors.append(py::make_tuple(
            kind, py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    }
    return py::make_tuple(p.index, p.count, p.begin, p.end, p.start.recordsBefore,
                          static_cast<int>(p.start.pending), ancestors, p.start.blockLeft);
}

Part partFromState(const py::tuple& t) {
    // A state of seven items comes from before the block's rest was kept (no block then).
    if (t.size() != 7 && t.size() != 8) refuse("部分の状態が正しくありません。");
    Part p;
    p.index = t[0].cast<std::size_t>();
    p.count = t[1].cast<std::size_t>();
    p.begin = t[2].cast<std::int64_t>();
    p.end = t[3].cast<std::int64_t>();
    p.start.offset = p.begin;
    p.start.recordsBefore = t[4].cast<std::int64_t>();
    p.start.pending = static_cast<RecordPending>(t[5].cast<int>());
    if (t.size() == 8) p.start.blockLeft = t[7].cast<std::uint32_t>();
    for (const py::handle item : t[6].cast<py::list>()) {
        const py::tuple pair = item.cast<py::tuple>();
        const std::string bytes = pair[1].cast<std::string>();
        p.start.ancestors.emplace_back(pair[0].cast<int>(),
                                       std::vector<unsigned char>(bytes.begin(), bytes.end()));
    }
    return p;
}

py::list kinds(const Definition& d) {
    py::list result;
    for (int k = 0; k <= d.table.maxIndex(); ++k) {
        const RecordDef& r = d.table[static_cast<std::size_t>(k)];
        py::list fields;
        for (const FieldDef& f : r.Fields) {
            fields.append(py::dict(py::arg("name") = f.Name, py::arg("type") = f.Type,
                                   py::arg("pos") = f.Pos, py::arg("size") = f.Size,
                                   py::arg("dec") = f.Dec, py::arg("marked") = f.Check == -1));
        }
        result.append(py::dict(py::arg("name") = r.Name, py::arg("size") = r.Size,
                               py::arg("parent") = r.Parent, py::arg("child") = r.Child,
                               py::arg("fields") = fields));
    }
    return result;
}

}  // namespace

PYBIND11_MODULE(_sorvek, m) {
    m.doc() = "Record-to-CSV conversion of fixed-length record files, whole or in parts.";
    // The package imports its exception before this module; kept for the module's life.
    py::object error = py::module_::import("sorvek._error").attr("Error");
    errorClass = error.release().ptr();

    py::class_<Definition, std::shared_ptr<Definition>>(m, "Definition")
        .def_readonly("path", &Definition::path)
        .def("kinds", &kinds);
    m.def("load_definition", &loadDefinitionFile, py::arg("path"), py::arg("options"));

    py::class_<Part>(m, "Part")
        .def_readonly("index", &Part::index)
        .def_readonly("count", &Part::count)
        .def_readonly("begin", &Part::begin)
        .def_readonly("end", &Part::end)
        .def("__repr__",
             [](const Part& p) {
                 return "<sorvek.Part " + std::to_string(p.index) + "/" + std::to_string(p.count) +
                        " [" + std::to_string(p.begin) + ", " + std::to_string(p.end) + ")>";
             })
        .def(py::pickle(&partState, &partFromState));

    m.def("plan", &makePlan, py::arg("input"), py::arg("definition"), py::arg("parts"));
    m.def("convert_part", &convertPart, py::arg("input"), py::arg("definition"), py::arg("part"));
    m.def("convert", &convertFile, py::arg("input"), py::arg("output"), py::arg("definition"),
          py::arg("jobs") = 0);
    m.def("to_records", &toRecords, py::arg("input"), py::arg("output"), py::arg("definition"));
    m.def("check_json", &checkJson, py::arg("input"), py::arg("definition") = "",
          py::arg("jobs") = 1);

    py::class_<RecordReader>(m, "RecordReader")
        .def(py::init<const std::string&, std::shared_ptr<Definition>>())
        .def("__iter__", [](RecordReader& r) -> RecordReader& { return r; })
        .def("__next__", &RecordReader::next);
}
