#pragma once
// The options that a run puts over a loaded definition: how the text is written (or read back:
// encoding, quoting, trimming, signs, invalid packed digits, the title line, the line end), how
// the records are read (their code page, their record format) and how records made from text are
// laid out (a line end after each, the block size). One entry each: the console's long option,
// the Python module's keyword, the usage text and what -v tells are all read from it, so that an
// option is one entry here (and its work where the engine does it).
#include <span>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "model/csv_output_options.h"
#include "model/host_data.h"
#include "model/record_output_options.h"

namespace sorvek {

// What a run puts over its definition.
struct RunOverrides {
    CsvOutputOverrides output;
    InputOverrides input;
    RecordOutputOverrides records;
};

// What an option shapes, and so which jobs take it.
enum class OptionTarget : std::uint8_t {
    Text,     // the delimited text: the jobs that read a definition
    Input,    // how the records are read: the jobs that read a definition
    Records,  // how records made from text are laid out: the jobs that make records
};

struct DefinitionOption {
    // "encoding": the console's "--encoding", the Python module's `encoding` ("-" as "_").
    const char* name;
    // The usage text's lines after the option's own line.
    const char* usage;
    // The command line gives no value ("--trim" means on); the Python module a bool.
    bool flag;
    OptionTarget target;
    // Its values' words joined by "|" ("cp932|utf-8|utf-8-bom"); empty for a flag.
    std::string (*words)();
    // Puts the value of `word` (a flag: "on" or "off") into the overrides; false when the word
    // is none of the option's.
    bool (*take)(std::string_view word, RunOverrides& overrides);
    // The value a run of `state` writes with, as a word, for what -v tells; null for an option
    // -v does not tell.
    std::string (*current)(const AppState& state);
};

// Every option, in the order of the usage text.
std::span<const DefinitionOption> definitionOptions();

// The option named `name` ("zoned-sign"; "zoned_sign" too), or nullptr.
const DefinitionOption* findDefinitionOption(std::string_view name);

// The refusal of `word` for `option` as `shownName` names it ("--encoding", "encoding"):
// "<shownName> に指定できる値は <words> です: <word>".
std::string optionValueRefusal(const DefinitionOption& option, const std::string& shownName,
                               std::string_view word);

// The usage text of the options of the text and the input, with its heading; with `records`,
// those of the records' layout after them under a heading of their own.
std::string definitionOptionsUsage(bool records);

// What -v tells of the options of `target`: "encoding=cp932 quote=none ... line-end=crlf".
std::string outputOptionsDescription(const AppState& state,
                                     OptionTarget target = OptionTarget::Text);

// Puts all of `overrides` over the loaded definition of `state` and the layout of its records.
void applyOverrides(const RunOverrides& overrides, AppState& state);

// Puts the run's output options over those of the loaded definition `table` (and its title
// line), for this run only.
void applyOutputOverrides(const CsvOutputOverrides& overrides, RecordDefTable& table);
// Puts the run's code page and record format over those of the loaded definition (nothing
// without one).
void applyInputOverrides(const InputOverrides& overrides, RecordDefTable& table);

}  // namespace sorvek
