// The bank-transfer layouts that ship with the programs, and a definition named by a layout.
#include "app/shipped_layouts.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/startup.h"
#include "engine/rec2csv_definition_check.h"
#include "formats/trd_file.h"
#include "platform/paths.h"
#include "support/bytes_equal.h"
#include "support/recorders.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

std::string sourceLayouts() {
    return std::string(std::getenv("SORVEK_SOURCE_DIR")) + "/layouts";
}

// Every field of every record in one piece: they tile the 120 bytes in order, the record
// kind's class code comes first and is not written, text is marked half-width upper-case, the
// trailer's count and amount are the totals of the data records of their group.
void expectBankRecords(const std::string& name, const RecordDefTable& table) {
    ASSERT_EQ(4, table.maxIndex()) << name;
    EXPECT_EQ("1", table[0].Class);
    EXPECT_EQ(120, table[0].Size);
    const char* classes[] = {"1", "2", "8", "9"};
    for (int i = 1; i <= 4; ++i) {
        const RecordDef& record = table[static_cast<std::size_t>(i)];
        SCOPED_TRACE(name + " " + record.Name);
        EXPECT_EQ(120, record.Size);
        EXPECT_EQ(classes[i - 1], record.Class);
        std::int32_t next = 1;
        for (const FieldDef& f : record.Fields) {
            EXPECT_EQ(next, f.Pos) << f.Name;
            next = f.Pos + f.Size;
            EXPECT_TRUE(f.Type == "9" || f.Type == "X") << f.Name;
            EXPECT_EQ(f.Type == "X" ? CharacterWidth::SingleUpper : CharacterWidth::Any, f.width)
                << f.Name;
            const bool unwritten = f.Name == "データ区分" || f.Name == "ダミー" ||
                                   f.Name.starts_with("振替済") || f.Name.starts_with("振替不能");
            EXPECT_EQ(unwritten ? 0 : -1, f.Check) << f.Name;
        }
        EXPECT_EQ(121, next);
        EXPECT_EQ("データ区分", record.Fields[0].Name);
    }
    EXPECT_EQ(2, table[1].Child);
    EXPECT_EQ(1, table[2].Parent);
    const std::vector<FieldDef>& trailer = table[3].Fields;
    EXPECT_EQ((ControlTotal{TotalKind::Count, 2, 0, 1}), trailer[1].total);
    ASSERT_EQ(TotalKind::Sum, trailer[2].total.kind);
    EXPECT_EQ(2, trailer[2].total.record);
    EXPECT_EQ(1, trailer[2].total.group);
    const FieldDef& amount = table[2].Fields[static_cast<std::size_t>(trailer[2].total.field - 1)];
    EXPECT_TRUE(amount.Name.ends_with("金額") && amount.Size == 10) << amount.Name;
    EXPECT_EQ(CsvEncoding::Utf8Bom, table.output.encoding);
    EXPECT_TRUE(table.output.trimBlanks);
}

TEST(ShippedLayouts, EachLoadsPassesTheCheckTilesItsRecordsAndSavesBackByteForByte) {
    // From the build tree, the layouts are those of the sources.
    const std::string folder = shippedLayoutsFolder();
    ASSERT_EQ(sourceLayouts(), folder);
    ASSERT_EQ(3u, shippedLayouts().size());
    TempDir dir;
    for (const ShippedLayout& layout : shippedLayouts()) {
        const std::string path = shippedLayoutPath(layout, folder);
        ASSERT_FALSE(path.empty()) << layout.name;
        RecordDefTable table;
        table.reset(2);
        ASSERT_TRUE(readTrdFile(path, table).ok()) << layout.name;
        EXPECT_EQ(layout.title, table[0].Name);
        EXPECT_TRUE(checkRec2CsvDefinition(table).ok()) << layout.name;
        expectBankRecords(layout.name, table);
        const std::string saved = dir.file(std::string(layout.name) + ".trd");
        ASSERT_TRUE(writeTrdFile(saved, table).ok());
        EXPECT_BYTES_EQ(readFile(path), readFile(saved));
    }
}

// Changes the working folder for one test.
class InFolder {
  public:
    explicit InFolder(const std::string& folder) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(before_); }

  private:
    std::filesystem::path before_;
};

TEST(ShippedLayouts, ANameFindsTheInstalledLayoutButNeverHidesAFileOrAnotherPath) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("usr/bin"));
    std::filesystem::create_directories(dir.file("usr/share/sorvek/layouts"));
    const std::string installed = dir.file("usr/share/sorvek/layouts");
    const std::string sogo = dir.write("usr/share/sorvek/layouts/zengin-sogo.trd", "x");
    EXPECT_EQ(installed, shippedLayoutsFolder(dir.file("usr/bin")));
    // Neither installed nor in the build tree.
    std::filesystem::create_directories(dir.file("opt/bin"));
    EXPECT_EQ("", shippedLayoutsFolder(dir.file("opt/bin")));

    std::filesystem::create_directories(dir.file("work/sub"));
    InFolder work(dir.file("work"));
    EXPECT_EQ(sogo, definitionPathFor("zengin-sogo", installed));
    // Not a layout's name, or not a bare name, or a layout whose file is not there: the path.
    for (const char* typed : {"zengin-nothing", "zengin-sogo.trd", "sub/zengin-sogo",
                              "./zengin-sogo", "zengin-kyuyo", ""}) {
        EXPECT_EQ(getFullPath(typed), definitionPathFor(typed, installed)) << typed;
    }
    EXPECT_EQ(getFullPath("zengin-sogo"), definitionPathFor("zengin-sogo", ""));
    // Whatever is at the path wins, a folder too.
    std::filesystem::create_directories(dir.file("work/zengin-sogo"));
    EXPECT_EQ(dir.file("work/zengin-sogo"), definitionPathFor("zengin-sogo", installed));
}

TEST(ShippedLayouts, AJobLoadsALayoutByNameAndAnUnknownNameIsRefusedAsAMissingFile) {
    TempDir dir;
    InFolder work(dir.path());
    AppState state;
    RecordingMessages messages;
    ASSERT_TRUE(loadJobDefinition("zengin-furikae", state, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(sourceLayouts() + "/zengin-furikae.trd", state.definitionFile);
    EXPECT_EQ("口座振替", state.recordDefTable[0].Name);

    // The refusal of a name no layout has is that of any missing file.
    RecordingMessages unknown, missing;
    EXPECT_FALSE(loadJobDefinition("zengin-nothing", state, unknown));
    EXPECT_FALSE(loadJobDefinition(dir.file("zengin-nothing"), state, missing));
    ASSERT_FALSE(unknown.shown.empty());
    ASSERT_EQ(missing.shown.size(), unknown.shown.size());
    for (std::size_t i = 0; i < missing.shown.size(); ++i) {
        EXPECT_EQ(missing.shown[i].text, unknown.shown[i].text);
    }
}

}  // namespace
}  // namespace sorvek::testing
