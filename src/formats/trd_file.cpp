#include "formats/trd_file.h"

#include <optional>
#include <string_view>
#include <vector>

#include "formats/definition_text.h"
#include "formats/ini_profile.h"
#include "platform/number_text.h"

namespace sorvek {
namespace {

constexpr const char* kMarkerSection = "Sorvek Trd File";
constexpr const char* kMarkerValue = "REC2CSV";
constexpr const char* kFileSection = "File Property";

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

}  // namespace

Failure notDefinitionFile(const std::string& path) {
    return failure(path + " はレコード定義ファイルではありません。", MessageIcon::Information);
}

Status readTrdFile(const std::string& path, RecordDefTable& table, FileSystem& files) {
    // A file that cannot be read reads as no definition file, as a missing one does.
    Result<DefinitionText> read = readDefinitionText(path, files);
    return readTrdDocument(path, read ? IniDocument::parseText(read->text) : IniDocument{}, table);
}

Status readTrdDocument(const std::string& path, const IniDocument& doc, RecordDefTable& table) {
    // The file is parsed once; every value below is a lookup by name.
    if (doc.get(kMarkerSection, "Function") != kMarkerValue) return notDefinitionFile(path);
    auto number = [&](const std::string& section, const char* key) {
        return parseInt32(doc.get(section, key));
    };

    auto maxRecord = number(kFileSection, "MaxRecordIndex");
    if (!maxRecord || *maxRecord < 0) return Failure{};
    // Entries are added as they are read rather than all at once: a count far beyond what the
    // file holds then fails at the first missing section instead of exhausting memory.
    table.reset(1);
    RecordDef& file = table[0];
    file.Name = doc.get(kFileSection, "Name");
    auto fileSize = number(kFileSection, "Size");
    if (!fileSize) return Failure{};
    file.Size = *fileSize;
    file.Class = doc.get(kFileSection, "ClassPos");
    file.Delimiter = doc.get(kFileSection, "Delimiter");
    auto titleLine = parseBoolean(doc.get(kFileSection, "TitleLine"));
    if (!titleLine) return Failure{};
    file.TitleLine = *titleLine;

    for (int i = 1; i <= *maxRecord; ++i) {
        const std::string section = recordSection(i);
        RecordDef& record = table.entries.emplace_back();
        record.Name = doc.get(section, "Name");
        auto size = number(section, "Size");
        if (!size) return Failure{};
        record.Size = *size;
        record.Class = doc.get(section, "Class");
        auto parent = number(section, "Parent");
        auto child = parent ? number(section, "Child") : std::nullopt;
        auto maxField = child ? number(section, "MaxFieldIndex") : std::nullopt;
        if (!maxField || *maxField < 0) return Failure{};
        record.Parent = *parent;
        record.Child = *child;
        for (int j = 0; j <= *maxField; ++j) {
            if (!parseFieldLine(doc.get(section, fieldKey(j)), record.Fields.emplace_back())) {
                return Failure{};
            }
        }
    }
    return {};
}

Status writeTrdFile(const std::string& path, const RecordDefTable& table, FileSystem& files) {
    if (!table.hasDefinition()) return Failure{};
    for (int i = 1; i <= table.maxIndex(); ++i) {
        if (table[i].Fields.empty()) return Failure{};
    }

    IniDocument doc;
    doc.set(kMarkerSection, "Function", kMarkerValue);
    const RecordDef& file = table[0];
    doc.set(kFileSection, "MaxRecordIndex", std::to_string(table.maxIndex()));
    doc.set(kFileSection, "Name", file.Name);
    doc.set(kFileSection, "Size", std::to_string(file.Size));
    doc.set(kFileSection, "ClassPos", file.Class);
    doc.set(kFileSection, "Delimiter", file.Delimiter);
    doc.set(kFileSection, "TitleLine", file.TitleLine ? "True" : "False");
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
    return doc.save(path, files);
}

}  // namespace sorvek
