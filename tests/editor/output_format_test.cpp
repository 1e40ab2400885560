#include "editor/output_format.h"

#include <gtest/gtest.h>

#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

TEST(OutputFormat, FormListsTheMarkedZonedFieldsAndWritesBackOptionsAndSigns) {
    RecordDefTable table = makeTable(
        fileDefinition(0, "1", ",", true),
        {recordDefinition("H", 6, "H", 0, 2, {unmarked("K", "X", 1, 1), field("番号", "9", 2, 5)}),
         recordDefinition(
             "D", 9, "D", 1, 0,
             {unmarked("K", "X", 1, 1), field("数量", "9", 2, 3), unmarked("予備", "9", 5, 1),
              field("金額", "P", 6, 2), field("率", "9", 8, 2, 1)})});
    table[2].Fields[4].leadingSign = true;
    table.output.quoting = CsvQuoting::All;

    OutputFormatForm form = loadOutputFormat(table);
    EXPECT_EQ(CsvQuoting::All, form.options.quoting);
    ASSERT_EQ(3u, form.zonedFields.size());
    EXPECT_EQ("H / 番号", form.zonedFields[0].caption);
    EXPECT_EQ("D / 数量", form.zonedFields[1].caption);
    EXPECT_EQ("D / 率", form.zonedFields[2].caption);
    EXPECT_TRUE(form.zonedFields[2].leadingSign);
    EXPECT_FALSE(form.zonedFieldsEnabled());
    form.options.zonedSign = ZonedSign::Trailing;
    EXPECT_TRUE(form.zonedFieldsEnabled());

    form.options.encoding = CsvEncoding::Utf8Bom;
    form.zonedFields[1].leadingSign = true;
    form.zonedFields[2].leadingSign = false;
    const RecordDefTable before = table;
    applyOutputFormat(form, table);
    EXPECT_EQ(form.options, table.output);
    EXPECT_TRUE(table[2].Fields[1].leadingSign);
    EXPECT_FALSE(table[2].Fields[4].leadingSign);
    EXPECT_FALSE(table[1].Fields[1].leadingSign);
    // Nothing else of the definition changes.
    EXPECT_EQ(before[1].Fields, table[1].Fields);
    EXPECT_EQ(before[2].Fields[0], table[2].Fields[0]);
    EXPECT_EQ(before[0].TitleLine, table[0].TitleLine);

    // A form whose fields are gone from the table (the definition was edited meanwhile)
    // changes only what is still there.
    table[2].Fields.resize(2);
    applyOutputFormat(form, table);
    EXPECT_EQ(2u, table[2].Fields.size());
}

TEST(OutputFormat, AWorkbookIsChosenByTheDialogOrByAnOutputNamedXlsx) {
    OutputFormatForm form;
    EXPECT_TRUE(form.textOptionsEnabled());
    form.options.format = OutputFormat::Xlsx;
    EXPECT_FALSE(form.textOptionsEnabled());

    EXPECT_EQ(OutputFormat::Xlsx, outputFormatFor("/data/受注.xlsx", OutputFormat::Csv));
    EXPECT_EQ(OutputFormat::Xlsx, outputFormatFor("C:\\受注.XLSX", OutputFormat::Csv));
    EXPECT_EQ(OutputFormat::Csv, outputFormatFor("/data/受注.csv", OutputFormat::Csv));
    EXPECT_EQ(OutputFormat::Csv, outputFormatFor(".xlsx", OutputFormat::Csv));
    EXPECT_EQ(OutputFormat::Csv, outputFormatFor("受注.xlsx.csv", OutputFormat::Csv));
    EXPECT_EQ(OutputFormat::Xlsx, outputFormatFor("受注.csv", OutputFormat::Xlsx));
}

}  // namespace
}  // namespace sorvek::testing
