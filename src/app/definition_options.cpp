#include "app/definition_options.h"

#include "platform/input_code_page.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

// An option whose value is one of `Words`, kept in `Member` of the overrides' part `Part`.
template <auto Part, auto Member, const auto& Words>
bool takeWord(std::string_view word, RunOverrides& overrides) {
    const auto value = parseOptionWord(Words, word);
    if (!value) return false;
    (overrides.*Part).*Member = *value;
    return true;
}
template <auto Member, const auto& Words>
constexpr auto takeOutputWord = takeWord<&RunOverrides::output, Member, Words>;
template <auto Member, const auto& Words>
constexpr auto takeInputWord = takeWord<&RunOverrides::input, Member, Words>;

template <const auto& Words>
std::string wordList() {
    return optionWordList(Words);
}

std::string noWords() {
    return {};
}

std::string onOff(bool on) {
    return on ? "on" : "off";
}

bool takeCodePage(std::string_view word, RunOverrides& overrides) {
    overrides.input.codePage = parseInputCodePage(word);
    return overrides.input.codePage.has_value();
}

std::string blockSizeWords() {
    return "9-" + std::to_string(kMaxBlockSize);
}

bool takeBlockSize(std::string_view word, RunOverrides& overrides) {
    const std::optional<std::int32_t> size = parseInt32(std::string(word));
    if (!size || *size < 9 || static_cast<std::uint32_t>(*size) > kMaxBlockSize) return false;
    overrides.records.blockSize = static_cast<std::uint32_t>(*size);
    return true;
}

const CsvOutputOptions& outputOf(const AppState& state) {
    return state.recordDefTable.output;
}

const DefinitionOption kOptions[] = {
    {"encoding",
     "      文字コード。既定は cp932 (Shift-JIS のまま)。utf-8-bom は先頭に BOM を付けます。\n",
     false, OptionTarget::Text, wordList<kEncodingWords>,
     takeOutputWord<&CsvOutputOverrides::encoding, kEncodingWords>,
     [](const AppState& s) {
         return std::string(optionWord(kEncodingWords, outputOf(s).encoding));
     }},
    {"quote",
     "      引用符。minimal は区切り文字・\"・CR・LF を含む値だけを \"\" で囲み、\n"
     "      値の中の \" は \"\" にします。all はすべての値を囲みます。既定は none。\n",
     false, OptionTarget::Text, wordList<kQuotingWords>,
     takeOutputWord<&CsvOutputOverrides::quoting, kQuotingWords>,
     [](const AppState& s) { return std::string(optionWord(kQuotingWords, outputOf(s).quoting)); }},
    {"trim", "      文字項目 (X) の末尾の空白 (半角・全角) を取り除きます。\n", true,
     OptionTarget::Text, noWords, takeOutputWord<&CsvOutputOverrides::trimBlanks, kOnOffWords>,
     [](const AppState& s) { return onOff(outputOf(s).trimBlanks); }},
    {"zoned-sign",
     "      ゾーン10進数 (9) の符号を読み取り、負の値の先頭に - を付けます。\n"
     "      trailing は最後の桁、leading は最初の桁のゾーンに符号があるものとします。\n"
     "      ('{' 'A'-'I' 正、'}' 'J'-'R' 負、'p'-'y' 負、EBCDIC のゾーン C/F 正・D 負)\n",
     false, OptionTarget::Text, wordList<kZonedSignWords>,
     takeOutputWord<&CsvOutputOverrides::zonedSign, kZonedSignWords>,
     [](const AppState& s) {
         return std::string(optionWord(kZonedSignWords, outputOf(s).zonedSign));
     }},
    {"invalid-packed",
     "      パック10進数 (P) の不正な値: keep はそのまま (: から ? の文字)、empty は\n"
     "      空の値、fail はレコード番号・オフセット・フィールド名を示して中止します。\n",
     false, OptionTarget::Text, wordList<kInvalidPackedWords>,
     takeOutputWord<&CsvOutputOverrides::invalidPacked, kInvalidPackedWords>,
     [](const AppState& s) {
         return std::string(optionWord(kInvalidPackedWords, outputOf(s).invalidPacked));
     }},
    {"title-line", "      1行目にフィールド名を出力するかどうか。\n", false, OptionTarget::Text,
     wordList<kOnOffWords>, takeOutputWord<&CsvOutputOverrides::titleLine, kOnOffWords>,
     [](const AppState& s) {
         const RecordDefTable& table = s.recordDefTable;
         return onOff(table.hasDefinition() && table[0].TitleLine);
     }},
    {"input-code-page",
     "      入力ファイルの文字コード (定義ファイルの指定より優先)。IBM930/IBM939 は\n"
     "      日本語 EBCDIC (シフトアウト 0E・シフトイン 0F の間が2バイト文字)。\n",
     false, OptionTarget::Input, inputCodePageNameList, takeCodePage, nullptr},
    {"record-format",
     "      レコード形式。v は各レコードの先頭に4バイトのレコード記述語 (RDW)、\n"
     "      vb はさらにブロック記述語 (BDW) 付きのブロックに入ったレコード。\n",
     false, OptionTarget::Input, wordList<kRecordFormatWords>,
     takeInputWord<&InputOverrides::recordFormat, kRecordFormatWords>, nullptr},
    {"rdw-byte-order",
     "      記述語 (RDW・BDW) の長さのバイト順。既定は big (上位バイトが先、ホストの形式)。\n"
     "      little は下位バイトが先。\n",
     false, OptionTarget::Input, wordList<kDescriptorByteOrderWords>,
     takeInputWord<&InputOverrides::descriptorByteOrder, kDescriptorByteOrderWords>, nullptr},
    {"rdw-length",
     "      記述語の長さに記述語自身の4バイトを含めるか。既定は inclusive (含める、\n"
     "      ホストの形式)。exclusive は続くバイトだけを数えます。\n",
     false, OptionTarget::Input, wordList<kDescriptorLengthWords>,
     takeInputWord<&InputOverrides::descriptorLength, kDescriptorLengthWords>, nullptr},
    {"line-end", "      各行の改行。既定は crlf。\n", false, OptionTarget::Text,
     wordList<kLineEndWords>, takeOutputWord<&CsvOutputOverrides::lineEnd, kLineEndWords>,
     [](const AppState& s) { return std::string(optionWord(kLineEndWords, outputOf(s).lineEnd)); }},
    {"split-kinds",
     "      レコードの種類ごとに別のファイルに出力します (出力ファイル名.種類名.csv)。\n"
     "      各ファイルの1行目にはその種類の全ての列名を出力します。\n",
     true, OptionTarget::Text, noWords,
     takeOutputWord<&CsvOutputOverrides::splitKinds, kOnOffWords>,
     [](const AppState& s) { return onOff(outputOf(s).splitKinds); }},
    {"format",
     "      出力の形式。xlsx は Excel のブック (レコードの種類ごとに1シート、\n"
     "      数値項目は数値のセル) に出力します。既定は csv。\n",
     false, OptionTarget::Text, wordList<kOutputFormatWords>,
     takeOutputWord<&CsvOutputOverrides::format, kOutputFormatWords>,
     [](const AppState& s) {
         return std::string(optionWord(kOutputFormatWords, outputOf(s).format));
     }},
    {"record-end",
     "      固定長のレコードの後に付ける改行。既定は none (レコードを続けて書きます)。\n", false,
     OptionTarget::Records, wordList<kRecordEndWords>,
     takeWord<&RunOverrides::records, &RecordOutputOverrides::end, kRecordEndWords>,
     [](const AppState& s) {
         return std::string(optionWord(kRecordEndWords, s.recordOutput.end));
     }},
    {"block-size",
     "      レコード形式 vb のブロックの最大バイト数 (ブロック記述語を含む)。既定は 32760。\n",
     false, OptionTarget::Records, blockSizeWords, takeBlockSize,
     [](const AppState& s) { return std::to_string(s.recordOutput.blockSize); }},
};

}  // namespace

std::span<const DefinitionOption> definitionOptions() {
    return kOptions;
}

const DefinitionOption* findDefinitionOption(std::string_view name) {
    for (const DefinitionOption& option : kOptions) {
        const std::string_view own = option.name;
        if (own.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < own.size() && same; ++i) {
            same = own[i] == name[i] || (own[i] == '-' && name[i] == '_');
        }
        if (same) return &option;
    }
    return nullptr;
}

std::string optionValueRefusal(const DefinitionOption& option, const std::string& shownName,
                               std::string_view word) {
    return shownName + " に指定できる値は " + option.words() + " です: " + std::string(word);
}

std::string definitionOptionsUsage(bool records) {
    std::string text = "REC→CSV変換の出力形式 (定義ファイルの指定より優先します):\n";
    std::string layout = "\nCSV→REC変換のレコードの並べ方:\n";
    for (const DefinitionOption& option : kOptions) {
        std::string& into = option.target == OptionTarget::Records ? layout : text;
        into += std::string("  --") + option.name;
        if (!option.flag) into += " " + option.words();
        into += "\n";
        into += option.usage;
    }
    return records ? text + layout : text;
}

std::string outputOptionsDescription(const AppState& state, OptionTarget target) {
    std::string text;
    for (const DefinitionOption& option : kOptions) {
        if (option.current == nullptr || option.target != target) continue;
        if (!text.empty()) text += ' ';
        text += std::string(option.name) + "=" + option.current(state);
    }
    return text;
}

void applyOverrides(const RunOverrides& overrides, AppState& state) {
    applyOutputOverrides(overrides.output, state.recordDefTable);
    applyInputOverrides(overrides.input, state.recordDefTable);
    overrides.records.applyTo(state.recordOutput);
}

void applyInputOverrides(const InputOverrides& overrides, RecordDefTable& table) {
    if (!table.hasDefinition()) return;
    if (overrides.codePage) table[0].codePage = *overrides.codePage;
    if (overrides.recordFormat) table[0].recordFormat = *overrides.recordFormat;
    if (overrides.descriptorByteOrder) {
        table[0].descriptorWords.byteOrder = *overrides.descriptorByteOrder;
    }
    if (overrides.descriptorLength) table[0].descriptorWords.length = *overrides.descriptorLength;
}

void applyOutputOverrides(const CsvOutputOverrides& overrides, RecordDefTable& table) {
    overrides.applyTo(table.output);
    if (overrides.titleLine && table.hasDefinition()) table[0].TitleLine = *overrides.titleLine;
}

}  // namespace sorvek
