#pragma once
// The options that a run puts over a loaded definition: how the record-to-CSV text is written
// (encoding, quoting, trimming, signs, invalid packed digits, the title line, the line end) and
// how the input is read (its code page, its record format). One entry each: the console's long
// option, the Python module's keyword, the usage text and what -v tells are all read from it, so
// that an option is one entry here (and its work where the engine does it).
#include <span>
#include <string>
#include <string_view>

#include "app/app_state.h"
#include "model/csv_output_options.h"
#include "model/host_data.h"

namespace sorvek {

struct DefinitionOption {
    // "encoding": the console's "--encoding", the Python module's `encoding` ("-" as "_").
    const char* name;
    // The usage text's lines after the option's own line.
    const char* usage;
    // The command line gives no value ("--trim" means on); the Python module a bool.
    bool flag;
    // How the output is written (refused for jobs that write no text through a definition), or
    // how the input is read.
    bool output;
    // Its values' words joined by "|" ("cp932|utf-8|utf-8-bom"); empty for a flag.
    std::string (*words)();
    // Puts the value of `word` (a flag: "on" or "off") into the overrides; false when the word
    // is none of the option's.
    bool (*take)(std::string_view word, CsvOutputOverrides& output, InputOverrides& input);
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

// The usage text of every option, with its heading.
std::string definitionOptionsUsage();

// What -v tells of the output: "encoding=cp932 quote=none ... line-end=crlf".
std::string outputOptionsDescription(const AppState& state);

// Puts the run's output options over those of the loaded definition `table` (and its title
// line), for this run only.
void applyOutputOverrides(const CsvOutputOverrides& overrides, RecordDefTable& table);
// Puts the run's code page and record format over those of the loaded definition (nothing
// without one).
void applyInputOverrides(const InputOverrides& overrides, RecordDefTable& table);

}  // namespace sorvek
