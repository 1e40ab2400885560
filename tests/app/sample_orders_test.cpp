// The order sample shipped in samples/: its definition file describes the table built here,
// and converting its records gives the expected CSV file byte for byte.
#include <cstdlib>

#include "engine/tran_rec2csv.h"
#include "formats/ini_profile.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

FieldDef withMemo(FieldDef f, std::string memo) {
    f.Memo = std::move(memo);
    return f;
}

RecordDefTable ordersTable() {
    RecordDefTable t =
        makeTable(fileDefinition(0, "1", ",", true),
                  {recordDefinition("受注ヘッダ", 40, "H", 0, 2,
                                    {withMemo(unmarked("区分", "X", 1, 1), "H固定"),
                                     field("受注番号", "9", 2, 8),
                                     withMemo(field("受注日", "9", 10, 8), "YYYYMMDD"),
                                     withMemo(field("得意先名", "X", 18, 20), "全角・半角混在"),
                                     unmarked("予備", "X", 38, 3)}),
                   recordDefinition(
                       "受注明細", 36, "D", 1, 0,
                       {withMemo(unmarked("区分", "X", 1, 1), "D固定"), field("行番号", "9", 2, 3),
                        field("商品名", "X", 5, 16), field("数量", "9", 21, 4),
                        withMemo(field("単価", "P", 25, 4, 2), "S9(5)V99 COMP-3"),
                        withMemo(field("金額", "P", 29, 5), "S9(9) COMP-3"),
                        withMemo(field("値引率", "9", 34, 3, 1), "99V9")})});
    t[0].Name = "受注データ";
    return t;
}

std::string samplePath(const std::string& name) {
    const char* root = std::getenv("SORVEK_SOURCE_DIR");
    return std::string(root != nullptr ? root : ".") + "/samples/" + name;
}

TEST(SampleOrders, DefinitionFileDescribesTheTableOfTheTest) {
    const RecordDefTable table = ordersTable();
    const IniDocument doc = IniDocument::load(samplePath("orders.trd"));
    EXPECT_EQ("REC2CSV", doc.get("Sorvek Trd File", "Function"));
    EXPECT_EQ(std::to_string(table.maxIndex()), doc.get("File Property", "MaxRecordIndex"));
    EXPECT_EQ(table[0].Name, doc.get("File Property", "Name"));
    EXPECT_EQ("0", doc.get("File Property", "Size"));
    EXPECT_EQ(table[0].Class, doc.get("File Property", "ClassPos"));
    EXPECT_EQ(table[0].Delimiter, doc.get("File Property", "Delimiter"));
    EXPECT_EQ("True", doc.get("File Property", "TitleLine"));
    for (int i = 1; i <= table.maxIndex(); ++i) {
        const RecordDef& r = table[static_cast<std::size_t>(i)];
        const std::string section = "Record_" + std::to_string(i);
        EXPECT_EQ(r.Name, doc.get(section, "Name"));
        EXPECT_EQ(std::to_string(r.Size), doc.get(section, "Size"));
        EXPECT_EQ(r.Class, doc.get(section, "Class"));
        EXPECT_EQ(std::to_string(r.Parent), doc.get(section, "Parent"));
        EXPECT_EQ(std::to_string(r.Child), doc.get(section, "Child"));
        EXPECT_EQ(std::to_string(r.Fields.size() - 1), doc.get(section, "MaxFieldIndex"));
        for (std::size_t j = 0; j < r.Fields.size(); ++j) {
            const FieldDef& f = r.Fields[j];
            EXPECT_EQ(f.Name + "," + f.Type + "," + std::to_string(f.Pos) + "," +
                          std::to_string(f.Size) + "," + std::to_string(f.Dec) + "," +
                          std::to_string(f.Check) + "," + f.Memo,
                      doc.get(section, "Field_" + std::to_string(j)));
        }
    }
}

class SampleOrdersConversion : public EngineTest {};

TEST_F(SampleOrdersConversion, GivesTheExpectedCsvFile) {
    RecordDefTable table = ordersTable();
    EngineContext ctx = context();
    ASSERT_TRUE(tranRec2Csv(samplePath("orders.dat"), dir.file("orders.csv"), table, ctx));
    EXPECT_BYTES_EQ(readFile(samplePath("orders.csv")), readFile(dir.file("orders.csv")));
}

}  // namespace
}  // namespace sorvek::testing
