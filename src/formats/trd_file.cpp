#include "formats/trd_file.h"

#include <array>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "formats/definition_text.h"
#include "formats/ini_profile.h"
#include "formats/trd_field_marks.h"
#include "platform/codepage.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

constexpr const char* kMarkerSection = "Sorvek Trd File";
constexpr const char* kMarkerValue = "REC2CSV";
constexpr const char* kFileSection = "File Property";
// The output options; written only when one of them is set, so that a definition without any
// is saved exactly as before, and readers that do not know the section pass over it.
constexpr const char* kOutputSection = "CSV Output";
// The forms of host data fields (sign position, binary sign and byte order, scaling), by field;
// written only for fields that have one, so readers that do not know it read the rest alike.
constexpr const char* kFieldFormatSection = "Field Format";
// The tables whose occurrences a counter gives, by record ("Record_2=counter=Field_1,pos=5,
// size=6,min=0,max=10"); the fields describe each table at its largest, so readers that do not
// know the section read every occurrence as fixed.
constexpr const char* kVaryingTableSection = "Varying Tables";

std::string recordSection(int i) {
    return "Record_" + std::to_string(i);
}
std::string fieldKey(int j) {
    return "Field_" + std::to_string(j);
}

std::vector<std::string_view> splitAtCommas(std::string_view line) {
    std::vector<std::string_view> items;
    for (;;) {
        std::size_t comma = line.find(',');
        items.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos) return items;
        line.remove_prefix(comma + 1);
    }
}

bool parseFieldLine(std::string_view line, FieldDef& field) {
    std::vector<std::string_view> items = splitAtCommas(line);
    if (items.size() < 6) return false;
    auto pos = parseInt32(items[2]);
    auto size = parseInt32(items[3]);
    auto dec = parseInt32(items[4]);
    auto check = parseBoolean(items[5]);
    if (!pos || !size || !dec || !check) return false;
    field.Name = items[0];
    field.Type = items[1];
    field.Pos = *pos;
    field.Size = *size;
    field.Dec = *dec;
    field.Check = *check ? -1 : 0;
    // A memo that holds a comma makes more than seven items; it is then lost.
    field.Memo = items.size() == 7 ? std::string(items[6]) : std::string();
    return true;
}

std::string fieldLine(const FieldDef& f) {
    std::string line = f.Name;
    line += ',';
    line += f.Type;
    for (std::int32_t n : {f.Pos, f.Size, f.Dec, f.Check != 0 ? -1 : 0}) {
        line += ',';
        line += std::to_string(n);
    }
    line += ',';
    line += f.Memo;
    return line;
}

std::string leadingSignKey(int i) {
    return "LeadingSign_" + std::to_string(i);
}

Failure badOutputValue(const char* key, const std::string& value) {
    return failure("出力形式の指定に誤りがあります。\n" + std::string(key) + " = " + value,
                   FailureKind::InvalidDefinition);
}

// One option of the output section: its default when the key is missing.
template <typename E, std::size_t N>
Status readOutputWord(const IniDocument& doc, const char* key,
                      const std::array<OptionWord<E>, N>& words, E& value) {
    const std::string text = doc.get(kOutputSection, key);
    if (text.empty()) return {};
    std::optional<E> parsed = parseOptionWord(words, text);
    if (!parsed) return badOutputValue(key, text);
    value = *parsed;
    return {};
}

Status readOutputSection(const IniDocument& doc, RecordDefTable& table) {
    CsvOutputOptions& o = table.output;
    if (Status s = readOutputWord(doc, "Encoding", kEncodingWords, o.encoding); !s) return s;
    if (Status s = readOutputWord(doc, "Quote", kQuotingWords, o.quoting); !s) return s;
    if (const std::string trim = doc.get(kOutputSection, "TrimBlanks"); !trim.empty()) {
        std::optional<bool> value = parseBoolean(trim);
        if (!value) return badOutputValue("TrimBlanks", trim);
        o.trimBlanks = *value;
    }
    if (Status s = readOutputWord(doc, "ZonedSign", kZonedSignWords, o.zonedSign); !s) return s;
    if (Status s = readOutputWord(doc, "InvalidPacked", kInvalidPackedWords, o.invalidPacked); !s)
        return s;
    if (Status s = readOutputWord(doc, "LineEnd", kLineEndWords, o.lineEnd); !s) return s;
    if (const std::string split = doc.get(kOutputSection, "SplitKinds"); !split.empty()) {
        std::optional<bool> value = parseBoolean(split);
        if (!value) return badOutputValue("SplitKinds", split);
        o.splitKinds = *value;
    }
    if (Status s = readOutputWord(doc, "Format", kOutputFormatWords, o.format); !s) return s;
    // The zoned fields whose first digit carries the sign, by record: field indices.
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const std::string key = leadingSignKey(i);
        const std::string list = doc.get(kOutputSection, key);
        if (list.empty()) continue;
        std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::string_view item : splitAtCommas(list)) {
            std::optional<std::int32_t> j = parseInt32(item);
            if (!j || *j < 0 || static_cast<std::size_t>(*j) >= fields.size()) {
                return badOutputValue(key.c_str(), list);
            }
            fields[static_cast<std::size_t>(*j)].leadingSign = true;
        }
    }
    return {};
}

void writeOutputSection(IniDocument& doc, const RecordDefTable& table) {
    const CsvOutputOptions& o = table.output;
    std::vector<std::pair<int, std::string>> leading;
    for (int i = 1; i <= table.maxIndex(); ++i) {
        std::string list;
        const std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            if (!fields[j].leadingSign) continue;
            if (!list.empty()) list += ',';
            list += std::to_string(j);
        }
        if (!list.empty()) leading.emplace_back(i, std::move(list));
    }
    if (o.isDefault() && leading.empty()) return;
    doc.set(kOutputSection, "Encoding", optionWord(kEncodingWords, o.encoding));
    doc.set(kOutputSection, "Quote", optionWord(kQuotingWords, o.quoting));
    doc.set(kOutputSection, "TrimBlanks", o.trimBlanks ? "True" : "False");
    doc.set(kOutputSection, "ZonedSign", optionWord(kZonedSignWords, o.zonedSign));
    doc.set(kOutputSection, "InvalidPacked", optionWord(kInvalidPackedWords, o.invalidPacked));
    doc.set(kOutputSection, "LineEnd", optionWord(kLineEndWords, o.lineEnd));
    // Written only when on, so that a file with the other options saves as it always did.
    if (o.splitKinds) doc.set(kOutputSection, "SplitKinds", "True");
    if (o.format != OutputFormat::Csv)
        doc.set(kOutputSection, "Format", optionWord(kOutputFormatWords, o.format));
    for (const auto& [i, list] : leading) doc.set(kOutputSection, leadingSignKey(i), list);
}

Failure badHostValue(const char* what, const std::string& key, const std::string& value) {
    return failure(std::string(what) + "\n" + key + " = " + value, FailureKind::InvalidDefinition);
}

// The code page, the record format and the form of the descriptor words of the file
// definition; missing keys keep the defaults.
Status readHostFileKeys(const IniDocument& doc, RecordDef& file) {
    if (const std::string page = doc.get(kFileSection, "CodePage"); !page.empty()) {
        std::optional<InputCodePage> parsed = parseInputCodePage(page);
        if (!parsed) return badHostValue("文字コードの指定に誤りがあります。", "CodePage", page);
        file.codePage = *parsed;
    }
    if (const std::string format = doc.get(kFileSection, "RecordFormat"); !format.empty()) {
        std::optional<RecordFormat> parsed = parseOptionWord(kRecordFormatWords, format);
        if (!parsed) {
            return badHostValue("レコード形式の指定に誤りがあります。", "RecordFormat", format);
        }
        file.recordFormat = *parsed;
    }
    if (const std::string order = doc.get(kFileSection, "RdwByteOrder"); !order.empty()) {
        std::optional<DescriptorByteOrder> parsed =
            parseOptionWord(kDescriptorByteOrderWords, order);
        if (!parsed) {
            return badHostValue("記述語のバイト順の指定に誤りがあります。", "RdwByteOrder", order);
        }
        file.descriptorWords.byteOrder = *parsed;
    }
    if (const std::string length = doc.get(kFileSection, "RdwLength"); !length.empty()) {
        std::optional<DescriptorLength> parsed = parseOptionWord(kDescriptorLengthWords, length);
        if (!parsed) {
            return badHostValue("記述語の長さの指定に誤りがあります。", "RdwLength", length);
        }
        file.descriptorWords.length = *parsed;
    }
    return {};
}

// A key of the file or of a record whose value cannot be read, or that is missing.
Failure badDefinitionValue(const std::string& section, const std::string& key,
                           const std::string& value) {
    const std::string where = "[" + section + "] " + key;
    if (value.empty()) {
        return failure("レコード定義ファイルに値がありません。\n" + where,
                       FailureKind::InvalidDefinition);
    }
    return failure("レコード定義ファイルの値に誤りがあります。\n" + where + " = " + value,
                   FailureKind::InvalidDefinition);
}

std::string fieldFormatKey(int i, std::size_t j) {
    return "Field_" + std::to_string(i) + "_" + std::to_string(j);
}

// "sign=leading-separate,signed,byte-order=native,scale=-3": the attributes that differ from
// their defaults.
std::string fieldFormatText(const FieldDef& f) {
    std::string text;
    auto add = [&text](const std::string& item) {
        if (!text.empty()) text += ',';
        text += item;
    };
    if (f.sign != SignPosition::Undeclared) {
        add("sign=" + std::string(optionWord(kSignPositionWords, f.sign)));
    }
    if (f.signedBinary) add("signed");
    if (f.byteOrder != ByteOrder::Big) {
        add("byte-order=" + std::string(optionWord(kByteOrderWords, f.byteOrder)));
    }
    if (f.scale != 0) add("scale=" + std::to_string(f.scale));
    return text;
}

bool parseFieldFormat(std::string_view text, FieldDef& f) {
    for (std::string_view item : splitAtCommas(text)) {
        const std::size_t equals = item.find('=');
        const std::string name = asciiLower(item.substr(0, equals));
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
        if (name == "signed" && equals == std::string_view::npos) {
            f.signedBinary = true;
        } else if (name == "sign") {
            std::optional<SignPosition> sign = parseOptionWord(kSignPositionWords, value);
            if (!sign) return false;
            f.sign = *sign;
        } else if (name == "byte-order") {
            std::optional<ByteOrder> order = parseOptionWord(kByteOrderWords, value);
            if (!order) return false;
            f.byteOrder = *order;
        } else if (name == "scale") {
            std::optional<std::int32_t> scale = parseInt32(value);
            if (!scale) return false;
            f.scale = *scale;
        } else {
            return false;
        }
    }
    return true;
}

Status readFieldFormats(const IniDocument& doc, RecordDefTable& table) {
    for (int i = 1; i <= table.maxIndex(); ++i) {
        std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            const std::string key = fieldFormatKey(i, j);
            const std::string text = doc.get(kFieldFormatSection, key);
            if (text.empty()) continue;
            if (!parseFieldFormat(text, fields[j])) {
                return badHostValue("フィールド形式の指定に誤りがあります。", key, text);
            }
        }
    }
    return {};
}

void writeFieldFormats(IniDocument& doc, const RecordDefTable& table) {
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const std::vector<FieldDef>& fields = table[static_cast<std::size_t>(i)].Fields;
        for (std::size_t j = 0; j < fields.size(); ++j) {
            if (!fields[j].hasHostAttributes()) continue;
            doc.set(kFieldFormatSection, fieldFormatKey(i, j), fieldFormatText(fields[j]));
        }
    }
}

std::string varyingTableText(const VaryingTable& t) {
    return "counter=" + fieldKey(t.counter - 1) + ",pos=" + std::to_string(t.Pos) +
           ",size=" + std::to_string(t.occurrenceSize) + ",min=" + std::to_string(t.min) +
           ",max=" + std::to_string(t.max);
}

std::optional<VaryingTable> parseVaryingTable(std::string_view text) {
    VaryingTable t;
    bool counter = false, pos = false, size = false, min = false, max = false;
    for (std::string_view item : splitAtCommas(text)) {
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos) return std::nullopt;
        const std::string_view name = item.substr(0, equals);
        const std::string_view value = item.substr(equals + 1);
        if (name == "counter") {
            constexpr std::string_view kField = "Field_";
            if (value.substr(0, kField.size()) != kField) return std::nullopt;
            std::optional<std::int32_t> j = parseInt32(value.substr(kField.size()));
            if (!j || *j < 0 || *j == INT32_MAX) return std::nullopt;
            t.counter = *j + 1;
            counter = true;
            continue;
        }
        std::optional<std::int32_t> number = parseInt32(value);
        if (!number) return std::nullopt;
        bool* seen = name == "pos"    ? &pos
                     : name == "size" ? &size
                     : name == "min"  ? &min
                     : name == "max"  ? &max
                                      : nullptr;
        if (seen == nullptr) return std::nullopt;
        *seen = true;
        (name == "pos"    ? t.Pos
         : name == "size" ? t.occurrenceSize
         : name == "min"  ? t.min
                          : t.max) = *number;
    }
    if (!counter || !pos || !size || !min || !max) return std::nullopt;
    return t;
}

Status readVaryingTables(const IniDocument& doc, RecordDefTable& table) {
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const std::string key = recordSection(i);
        const std::string text = doc.get(kVaryingTableSection, key);
        if (text.empty()) continue;
        std::optional<VaryingTable> t = parseVaryingTable(text);
        if (!t) return badHostValue("表の回数の指定に誤りがあります。", key, text);
        table[static_cast<std::size_t>(i)].varying = *t;
    }
    return {};
}

void writeVaryingTables(IniDocument& doc, const RecordDefTable& table) {
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const VaryingTable& t = table[static_cast<std::size_t>(i)].varying;
        if (t.present()) doc.set(kVaryingTableSection, recordSection(i), varyingTableText(t));
    }
}

}  // namespace

Failure notDefinitionFile(const std::string& path) {
    return failure(path + " はレコード定義ファイルではありません。",
                   FailureKind::NotDefinitionFile);
}

Status readTrdFile(const std::string& path, RecordDefTable& table, FileSystem& files) {
    // A file that cannot be read reads as no definition file, as a missing one does.
    Result<DefinitionText> read = readDefinitionText(path, files);
    return readTrdDocument(path, read ? IniDocument::parseText(read->text) : IniDocument{}, table);
}

Status readTrdDocument(const std::string& path, const IniDocument& doc, RecordDefTable& table) {
    // The file is parsed once; every value below is a lookup by name.
    if (doc.get(kMarkerSection, "Function") != kMarkerValue) return notDefinitionFile(path);
    // A number that a key must hold; the failure names the section, the key and the value.
    auto number = [&](const std::string& section, const char* key,
                      std::int32_t least) -> Result<std::int32_t> {
        const std::string text = doc.get(section, key);
        const std::optional<std::int32_t> n = parseInt32(text);
        if (!n || *n < least) return badDefinitionValue(section, key, text);
        return *n;
    };
    constexpr std::int32_t kAnyNumber = std::numeric_limits<std::int32_t>::min();

    auto maxRecord = number(kFileSection, "MaxRecordIndex", 0);
    if (!maxRecord) return maxRecord.error();
    // Entries are added as they are read rather than all at once: a count far beyond what the
    // file holds then fails at the first missing section instead of exhausting memory.
    table.reset(1);
    RecordDef& file = table[0];
    file.Name = doc.get(kFileSection, "Name");
    auto fileSize = number(kFileSection, "Size", kAnyNumber);
    if (!fileSize) return fileSize.error();
    file.Size = *fileSize;
    file.Class = doc.get(kFileSection, "ClassPos");
    file.Delimiter = doc.get(kFileSection, "Delimiter");
    const std::string titleText = doc.get(kFileSection, "TitleLine");
    auto titleLine = parseBoolean(titleText);
    if (!titleLine) return badDefinitionValue(kFileSection, "TitleLine", titleText);
    file.TitleLine = *titleLine;
    if (Status host = readHostFileKeys(doc, file); !host) return host;

    for (int i = 1; i <= *maxRecord; ++i) {
        const std::string section = recordSection(i);
        RecordDef& record = table.entries.emplace_back();
        record.Name = doc.get(section, "Name");
        auto size = number(section, "Size", kAnyNumber);
        if (!size) return size.error();
        record.Size = *size;
        record.Class = doc.get(section, "Class");
        auto parent = number(section, "Parent", kAnyNumber);
        if (!parent) return parent.error();
        auto child = number(section, "Child", kAnyNumber);
        if (!child) return child.error();
        auto maxField = number(section, "MaxFieldIndex", 0);
        if (!maxField) return maxField.error();
        record.Parent = *parent;
        record.Child = *child;
        for (int j = 0; j <= *maxField; ++j) {
            const std::string key = fieldKey(j);
            const std::string line = doc.get(section, key);
            if (!parseFieldLine(line, record.Fields.emplace_back())) {
                return badDefinitionValue(section, key, line);
            }
        }
    }
    if (Status formats = readFieldFormats(doc, table); !formats) return formats;
    if (Status varying = readVaryingTables(doc, table); !varying) return varying;
    if (Status marks = readFieldMarks(doc, table); !marks) return marks;
    return readOutputSection(doc, table);
}

namespace {

IniDocument trdDocument(const RecordDefTable& table) {
    IniDocument doc;
    doc.set(kMarkerSection, "Function", kMarkerValue);
    if (!table.hasDefinition()) return doc;
    const RecordDef& file = table[0];
    doc.set(kFileSection, "MaxRecordIndex", std::to_string(table.maxIndex()));
    doc.set(kFileSection, "Name", file.Name);
    doc.set(kFileSection, "Size", std::to_string(file.Size));
    doc.set(kFileSection, "ClassPos", file.Class);
    doc.set(kFileSection, "Delimiter", file.Delimiter);
    doc.set(kFileSection, "TitleLine", file.TitleLine ? "True" : "False");
    if (file.codePage != InputCodePage::Cp932) {
        doc.set(kFileSection, "CodePage", std::string(inputCodePageName(file.codePage)));
    }
    if (file.recordFormat != RecordFormat::Fixed) {
        doc.set(kFileSection, "RecordFormat",
                std::string(optionWord(kRecordFormatWords, file.recordFormat)));
    }
    // Written only where they differ from the hosts' form, so that other definitions are
    // written as they always were.
    if (file.descriptorWords.byteOrder != DescriptorByteOrder::Big) {
        doc.set(kFileSection, "RdwByteOrder",
                std::string(optionWord(kDescriptorByteOrderWords, file.descriptorWords.byteOrder)));
    }
    if (file.descriptorWords.length != DescriptorLength::Inclusive) {
        doc.set(kFileSection, "RdwLength",
                std::string(optionWord(kDescriptorLengthWords, file.descriptorWords.length)));
    }
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const RecordDef& record = table[i];
        const std::string section = recordSection(i);
        doc.set(section, "Name", record.Name);
        doc.set(section, "Size", std::to_string(record.Size));
        doc.set(section, "Class", record.Class);
        doc.set(section, "Parent", std::to_string(record.Parent));
        doc.set(section, "Child", std::to_string(record.Child));
        const int maxField = static_cast<int>(record.Fields.size()) - 1;
        doc.set(section, "MaxFieldIndex", std::to_string(maxField));
        for (int j = 0; j <= maxField; ++j)
            doc.set(section, fieldKey(j), fieldLine(record.Fields[j]));
    }
    writeFieldFormats(doc, table);
    writeVaryingTables(doc, table);
    writeFieldMarks(doc, table);
    writeOutputSection(doc, table);
    return doc;
}

}  // namespace

Status writeTrdFile(const std::string& path, const RecordDefTable& table, FileSystem& files) {
    if (!table.hasDefinition()) return Failure(FailureKind::InvalidDefinition);
    for (int i = 1; i <= table.maxIndex(); ++i) {
        if (table[i].Fields.empty()) return Failure(FailureKind::InvalidDefinition);
    }
    return trdDocument(table).save(path, files);
}

std::string trdFileText(const RecordDefTable& table) {
    return trdDocument(table).text();
}

}  // namespace sorvek
