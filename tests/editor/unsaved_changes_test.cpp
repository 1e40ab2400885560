#include "editor/unsaved_changes.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "formats/ini_profile.h"
#include "formats/trd_file.h"

namespace sorvek::testing {
namespace {

RecordDefTable orders() {
    RecordDefTable table;
    table.reset(2);
    table[0].Name = "受注";
    table[0].Delimiter = "\\t";
    table[1].Name = "H";
    table[1].Size = 6;
    table[1].Fields.push_back(FieldDef{"NO", "9", 1, 6, 0, -1, "", false});
    return table;
}

TEST(UnsavedChanges, EveryStoredMemberCountsTheWorkingMemoryDoesNot) {
    const RecordDefTable saved = orders();
    DefinitionBaseline baseline;
    baseline.markSaved(saved);
    EXPECT_FALSE(baseline.hasUnsavedChanges(saved));

    // What a conversion or a refill of the list leaves behind is no change.
    RecordDefTable used = saved;
    used[1].Data = {'H', '0', '0'};
    used[0].Delimiter = "\t";
    EXPECT_FALSE(baseline.hasUnsavedChanges(used));
    RecordDefTable loaded = saved;
    loaded[1].Fields[0].Check = 1;  // shown ticked, stored as -1
    DefinitionBaseline fromFile;
    fromFile.markSaved(loaded);
    EXPECT_FALSE(fromFile.hasUnsavedChanges(saved));

    using Edit = void (*)(RecordDefTable&);
    const Edit edits[] = {
        [](RecordDefTable& t) { t[0].Name = "受注2"; },
        [](RecordDefTable& t) { t[0].TitleLine = true; },
        [](RecordDefTable& t) { t[0].Delimiter = ","; },
        [](RecordDefTable& t) { t[1].Size = 7; },
        [](RecordDefTable& t) { t[1].Class = "H"; },
        [](RecordDefTable& t) { t[1].Fields[0].Check = 0; },
        [](RecordDefTable& t) { t[1].Fields[0].Memo = "x"; },
        [](RecordDefTable& t) { t[1].Fields[0].leadingSign = true; },
        [](RecordDefTable& t) { t[1].Fields.push_back(FieldDef{}); },
        [](RecordDefTable& t) { t.entries.push_back(RecordDef{}); },
        [](RecordDefTable& t) { t.output.encoding = CsvEncoding::Utf8; },
    };
    for (std::size_t i = 0; i < std::size(edits); ++i) {
        RecordDefTable edited = saved;
        edits[i](edited);
        EXPECT_TRUE(baseline.hasUnsavedChanges(edited)) << "edit " << i;
    }
}

// A definition for which the writer writes every key it knows; `other` gives every stored value
// another value, with the same records and fields.
RecordDefTable everyKey(bool other) {
    RecordDefTable t;
    t.reset(3);
    RecordDef& file = t[0];
    file.Name = other ? "受注2" : "受注";
    file.Size = other ? 0 : 30;
    file.Class = other ? "2" : "1";
    file.Delimiter = other ? "," : "\\t";
    file.TitleLine = !other;
    file.codePage = other ? InputCodePage::Ibm939 : InputCodePage::Ibm930;
    file.recordFormat = other ? RecordFormat::V : RecordFormat::VB;
    file.descriptorWords =
        other ? DescriptorWords{DescriptorByteOrder::Little, DescriptorLength::Inclusive}
              : DescriptorWords{DescriptorByteOrder::Big, DescriptorLength::Exclusive};
    for (int i = 1; i <= 2; ++i) {
        RecordDef& r = t[static_cast<std::size_t>(i)];
        r.Name = (other ? "種別" : "kind") + std::to_string(i);
        r.Size = other ? 31 : 30;
        r.Class = (i == 1) != other ? "H" : "D";
        r.Parent = (i == 2) != other ? 1 : 0;
        r.Child = (i == 1) != other ? 2 : 0;
        FieldDef text{other ? "区分" : "KBN", "X",  1, 1, 0, other ? 0 : -1,
                      other ? "m" : "",       false};
        text.width = other ? CharacterWidth::SingleUpper : CharacterWidth::Single;
        text.leadingSign = other;
        FieldDef zoned{"N", other ? "P" : "9", other ? 3 : 2, other ? 4 : 5, other ? 2 : 0, -1,
                       "",  i == 1 || other};
        zoned.sign = other ? SignPosition::LeadingSeparate : SignPosition::Trailing;
        zoned.scale = other ? -2 : 3;
        zoned.total =
            other ? ControlTotal{TotalKind::Sum, 1, 2, 0} : ControlTotal{TotalKind::Count, 2, 0, 1};
        FieldDef binary{"B", "BIN", 7, other ? 2 : 4, 0, -1, "", false};
        binary.signedBinary = !other;
        binary.byteOrder = other ? ByteOrder::Native : ByteOrder::Big;
        r.Fields = {text, zoned, binary};
        r.varying = VaryingTable{other ? 2 : 3, other ? 12 : 11, other ? 2 : 4, other ? 1 : 0,
                                 other ? 4 : 5};
    }
    t.output =
        other
            ? CsvOutputOptions{CsvEncoding::Utf8Bom, CsvQuoting::All,  false, ZonedSign::Leading,
                               InvalidPacked::Fail,  CsvLineEnd::CrLf, false}
            : CsvOutputOptions{CsvEncoding::Utf8,    CsvQuoting::Minimal, true, ZonedSign::Trailing,
                               InvalidPacked::Empty, CsvLineEnd::Lf,      true};
    return t;
}

// "section/key" -> value, of the lines of a definition file's text.
std::map<std::string, std::string> storedKeys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && line.front() == '[') {
            section = line.substr(1, line.size() - 2);
        } else if (const std::size_t eq = line.find('='); eq != std::string::npos) {
            keys[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return keys;
}

// Every key the writer stores, changed alone in the file and read back, leaves a definition that
// holds unsaved changes: no setting can be added to the file and forgotten here.
TEST(UnsavedChanges, EachKeyTheWriterStoresCountsOnItsOwn) {
    const RecordDefTable saved = everyKey(false);
    const auto keys = storedKeys(trdFileText(saved));
    const auto others = storedKeys(trdFileText(everyKey(true)));
    DefinitionBaseline baseline;
    baseline.markSaved(saved);
    std::map<std::string, std::string> all = keys;
    all.insert(others.begin(), others.end());
    for (const char* wanted :
         {"File Property/CodePage", "File Property/RecordFormat", "File Property/RdwByteOrder",
          "File Property/RdwLength", "CSV Output/SplitKinds", "CSV Output/LeadingSign_1",
          "Field Format/Field_1_1", "Field Totals/Field_1_1", "Character Width/Field_2_0",
          "Varying Tables/Record_2"}) {
        EXPECT_TRUE(all.count(wanted)) << wanted << " is not written";
    }
    int changed = 0;
    for (const auto& [key, value] : all) {
        if (key.ends_with("/Function") || key.ends_with("/MaxRecordIndex") ||
            key.ends_with("/MaxFieldIndex")) {
            continue;  // the shape of the definition, changed by adding records and fields
        }
        const auto mine = keys.find(key);
        const auto theirs = others.find(key);
        const std::string before = mine == keys.end() ? "" : mine->second;
        const std::string after = theirs == others.end() ? "" : theirs->second;
        ASSERT_NE(before, after) << key << ": the other definition must change every key";
        IniDocument doc = IniDocument::parseText(trdFileText(saved));
        const std::size_t slash = key.find('/');
        doc.set(key.substr(0, slash), key.substr(slash + 1), after);
        RecordDefTable read;
        ASSERT_TRUE(readTrdDocument("x.trd", doc, read)) << key << " = " << after;
        EXPECT_TRUE(baseline.hasUnsavedChanges(read)) << key << ": " << before << " -> " << after;
        ++changed;
    }
    EXPECT_GT(changed, 40);
    // And the file read back unchanged holds none.
    RecordDefTable same;
    ASSERT_TRUE(readTrdDocument("x.trd", IniDocument::parseText(trdFileText(saved)), same));
    EXPECT_FALSE(baseline.hasUnsavedChanges(same));
}

TEST(UnsavedChanges, NothingToLoseWithoutADefinitionAndANewOneIsUnsaved) {
    DefinitionBaseline baseline;  // the page started without a definition
    EXPECT_FALSE(baseline.hasUnsavedChanges(RecordDefTable{}));
    EXPECT_TRUE(baseline.hasUnsavedChanges(orders()));
    baseline.markSaved(orders());
    EXPECT_FALSE(baseline.hasUnsavedChanges(RecordDefTable{})) << "an erased definition";
}

TEST(UnsavedChanges, QuestionNamesTheDefinition) {
    EXPECT_EQ("レコード定義「受注」の変更が保存されていません。\n保存しますか？",
              unsavedQuestion(orders()));
}

}  // namespace
}  // namespace sorvek::testing
