#include "formats/trd_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "platform/codepage.h"
#include "support/bytes_equal.h"
#include "support/faulty_file_system.h"
#include "support/fresh_folder.h"
#include "support/recorders.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

// The definition of an order file: a header record with one detail record under it.
const char kOrderFile[] =
    "[Sorvek Trd File]\r\n"
    "Function=REC2CSV\r\n"
    "\r\n"
    "[File Property]\r\n"
    "MaxRecordIndex=2\r\n"
    "Name=受注データ\r\n"
    "Size=0\r\n"
    "ClassPos=1\r\n"
    "Delimiter=,\r\n"
    "TitleLine=True\r\n"
    "\r\n"
    "[Record_1]\r\n"
    "Name=ヘッダ\r\n"
    "Size=20\r\n"
    "Class=H\r\n"
    "Parent=0\r\n"
    "Child=2\r\n"
    "MaxFieldIndex=1\r\n"
    "Field_0=区分,X,1,1,0,0,\r\n"
    "Field_1=受注番号,9,2,19,0,-1,伝票の番号\r\n"
    "\r\n"
    "[Record_2]\r\n"
    "Name=明細\r\n"
    "Size=15\r\n"
    "Class=D\r\n"
    "Parent=1\r\n"
    "Child=0\r\n"
    "MaxFieldIndex=2\r\n"
    "Field_0=区分,X,1,1,0,0,\r\n"
    "Field_1=数量,9,2,9,0,-1,\r\n"
    "Field_2=金額,P,11,5,2,-1,\r\n";

RecordDefTable orderTable() {
    RecordDefTable t;
    t.reset(3);
    t[0].Name = "受注データ";
    t[0].Class = "1";
    t[0].Delimiter = ",";
    t[0].TitleLine = true;
    t[1] = RecordDef{"ヘッダ", 20, "H", 0, 2, {}, "", false, {}};
    t[1].Fields = {{"区分", "X", 1, 1, 0, 0, ""}, {"受注番号", "9", 2, 19, 0, -1, "伝票の番号"}};
    t[2] = RecordDef{"明細", 15, "D", 1, 0, {}, "", false, {}};
    t[2].Fields = {{"区分", "X", 1, 1, 0, 0, ""},
                   {"数量", "9", 2, 9, 0, -1, ""},
                   {"金額", "P", 11, 5, 2, -1, ""}};
    return t;
}

void expectTablesEqual(const RecordDefTable& expected, const RecordDefTable& actual) {
    ASSERT_EQ(expected.entries.size(), actual.entries.size());
    for (std::size_t i = 0; i < expected.entries.size(); ++i) {
        const RecordDef& e = expected[i];
        const RecordDef& a = actual[i];
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(e.Name, a.Name);
        EXPECT_EQ(e.Size, a.Size);
        EXPECT_EQ(e.Class, a.Class);
        if (i == 0) {
            EXPECT_EQ(e.Delimiter, a.Delimiter);
            EXPECT_EQ(e.TitleLine, a.TitleLine);
            EXPECT_EQ(e.codePage, a.codePage);
            EXPECT_EQ(e.recordFormat, a.recordFormat);
            EXPECT_TRUE(e.descriptorWords == a.descriptorWords);
            continue;
        }
        EXPECT_EQ(e.Parent, a.Parent);
        EXPECT_EQ(e.Child, a.Child);
        EXPECT_EQ(e.Fields, a.Fields);
        EXPECT_TRUE(e.varying == a.varying);
    }
}

class TrdFileTest : public ::testing::Test {
  protected:
    std::string writeDefinition(const std::string& utf8Text, const std::string& name = "def.trd") {
        return dir.write(name, utf8ToCp932(utf8Text));
    }
    // Reads into `table`; the failure's message, when there is one, goes to `notices`.
    bool read(const std::string& path) {
        const Status status = readTrdFile(path, table, files);
        if (!status && !status.error().reason.empty()) notices.push_back(status.error());
        return status.ok();
    }

    TempDir dir;
    std::vector<Failure> notices;
    FaultyFileSystem files;
    RecordDefTable table;
};

TEST_F(TrdFileTest, ExampleFileReadsIntoTheTableAndWritesBackByteForByte) {
    const std::string path = writeDefinition(kOrderFile);
    ASSERT_TRUE(read(path));
    EXPECT_TRUE(notices.empty());
    expectTablesEqual(orderTable(), table);

    const std::string out = dir.file("out.trd");
    ASSERT_TRUE(writeTrdFile(out, orderTable()));
    EXPECT_BYTES_EQ(readFile(path), readFile(out));
}

TEST_F(TrdFileTest, RandomTablesReadBackAsWritten) {
    std::mt19937 random(20240611);
    auto pick = [&](std::initializer_list<const char*> choices) {
        return std::string(*(choices.begin() + random() % choices.size()));
    };
    auto text = [&] {
        return pick({"", " ", "名前", " 前の空白", "後の空白 ", " 両方 ", "\tタブ", "\"引用\"",
                     "\"", "a=b", "[括弧]", "ｶﾅ", "x;y"}) +
               pick({"", "1", "コード"});
    };
    auto number = [&] { return static_cast<std::int32_t>(random()) % 100000; };
    for (int round = 0; round < 40; ++round) {
        RecordDefTable t;
        t.reset(1 + random() % 6);
        t[0] = RecordDef{text(),
                         number(),
                         pick({"", "1", "12"}),
                         0,
                         0,
                         {},
                         pick({",", "\\t", ";", "|", "", " ", "::"}),
                         random() % 2 == 0,
                         {}};
        for (int i = 1; i <= t.maxIndex(); ++i) {
            t[i] = RecordDef{text(), number(), text(), number(), number(), {}, "", false, {}};
            for (int j = 0, m = 1 + random() % 5; j < m; ++j) {
                t[i].Fields.push_back({text(), pick({"X", "9", "P", "", "Z"}), number(), number(),
                                       number(), random() % 2 == 0 ? -1 : 0, text()});
            }
        }
        const std::string path = dir.file("round.trd");
        ASSERT_TRUE(writeTrdFile(path, t));
        RecordDefTable back;
        ASSERT_TRUE(readTrdFile(path, back)) << hexDump(readFile(path));
        SCOPED_TRACE("round " + std::to_string(round));
        expectTablesEqual(t, back);
    }
}

TEST_F(TrdFileTest, AFileThatIsNoDefinitionFileIsRefusedWithANotice) {
    const std::string wrongCase = writeDefinition("[Sorvek Trd File]\r\nFunction=rec2csv\r\n");
    const std::string missing = dir.file("missing.trd");
    for (const std::string& path : {wrongCase, missing}) {
        notices.clear();
        EXPECT_FALSE(read(path));
        ASSERT_EQ(1u, notices.size());
        EXPECT_EQ(path + " はレコード定義ファイルではありません。", notices[0].reason);
        EXPECT_EQ(FailureKind::NotDefinitionFile, notices[0].kind);
    }
}

TEST_F(TrdFileTest, WhatCannotBeADefinitionFileIsRefusedWithoutBeingRead) {
    std::filesystem::create_directory(dir.file("folder.trd"));
    ASSERT_TRUE(makeFifo(dir.file("fifo.trd")));  // opening it would wait
    // Larger than any definition: a data file given by mistake (sparse, so the test is cheap).
    const std::string large = dir.file("large.trd");
    std::filesystem::resize_file(writeDefinition(kOrderFile, "large.trd"), 65 << 20);
    for (const std::string& path :
         {dir.file("folder.trd"), dir.file("fifo.trd"), large, std::string("/dev/zero")}) {
        notices.clear();
        EXPECT_FALSE(read(path)) << path;
        ASSERT_EQ(1u, notices.size());
        EXPECT_EQ(path + " はレコード定義ファイルではありません。", notices[0].reason);
    }
}

TEST_F(TrdFileTest, AFileSavedAsUtf8ReadsAsTheSameDefinitionAndIsSavedBackAsShiftJis) {
    for (const std::string& bom : {std::string(), std::string("\xEF\xBB\xBF")}) {
        const std::string path = dir.write("utf8.trd", bom + kOrderFile);
        ASSERT_TRUE(read(path));
        expectTablesEqual(orderTable(), table);
        ASSERT_TRUE(writeTrdFile(path, table));
        EXPECT_BYTES_EQ(utf8ToCp932(kOrderFile), readFile(path));
    }
}

TEST_F(TrdFileTest, SavingKeepsThePermissionBitsAndFollowsALink) {
    const std::string path = writeDefinition(kOrderFile);
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("def.trd", dir.file("link.trd"));
    RecordDefTable t = orderTable();
    t[0].Name = "新しい定義";
    ASSERT_TRUE(writeTrdFile(dir.file("link.trd"), t, files));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.trd")));
    EXPECT_EQ(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
              std::filesystem::status(path).permissions());
    ASSERT_TRUE(read(path));
    EXPECT_EQ("新しい定義", table[0].Name);
}

// A value that cannot be read is refused with the section, the key and the value, so that
// the user can find it in the file.
TEST_F(TrdFileTest, ValuesThatDoNotConvertAreNamedWithTheirSectionAndKey) {
    const std::string good = kOrderFile;
    const std::string bad = "レコード定義ファイルの値に誤りがあります。\n";
    const std::string missing = "レコード定義ファイルに値がありません。\n";
    const std::tuple<const char*, const char*, std::string> breaks[] = {
        {"MaxRecordIndex=2", "MaxRecordIndex=two", bad + "[File Property] MaxRecordIndex = two"},
        {"MaxRecordIndex=2", "MaxRecordIndex=-1", bad + "[File Property] MaxRecordIndex = -1"},
        {"Size=0", "Size=", missing + "[File Property] Size"},
        {"TitleLine=True", "TitleLine=yes", bad + "[File Property] TitleLine = yes"},
        {"Size=15", "Size=15.0", bad + "[Record_2] Size = 15.0"},
        {"Size=20", "Size=abc", bad + "[Record_1] Size = abc"},
        {"Size=20", "Size=99999999999", bad + "[Record_1] Size = 99999999999"},
        {"Parent=1", "Parent=x", bad + "[Record_2] Parent = x"},
        {"Child=2", "Child=", missing + "[Record_1] Child"},
        {"MaxFieldIndex=2", "MaxFieldIndex=-1", bad + "[Record_2] MaxFieldIndex = -1"},
        {"MaxFieldIndex=2", "MaxFieldIndex=3", missing + "[Record_2] Field_3"},
        {"Field_1=数量,9,2,9,0,-1,", "Field_1=数量,9,2,9,0",
         bad + "[Record_2] Field_1 = 数量,9,2,9,0"},  // five items
        {"Field_2=金額,P,11,5,2,-1,", "Field_2=金額,P,11,5,x,-1,",
         bad + "[Record_2] Field_2 = 金額,P,11,5,x,-1,"},
        {"Field_2=金額,P,11,5,2,-1,", "Field_2=金額,P,11,99999999999,2,-1,",
         bad + "[Record_2] Field_2 = 金額,P,11,99999999999,2,-1,"},
        {"Field_2=金額,P,11,5,2,-1,", "Field_2=金額,P,11,5,2,maybe,",
         bad + "[Record_2] Field_2 = 金額,P,11,5,2,maybe,"},
        {"[Record_2]", "[Record_3]", missing + "[Record_2] Size"},
    };
    for (const auto& [from, to, reason] : breaks) {
        std::string text = good;
        text.replace(text.find(from), std::string(from).size(), to);
        table.reset(2);
        notices.clear();
        EXPECT_FALSE(read(writeDefinition(text))) << to;
        ASSERT_EQ(1u, notices.size()) << to;
        EXPECT_EQ(reason, notices[0].reason) << to;
        EXPECT_EQ(FailureKind::InvalidDefinition, notices[0].kind) << to;
    }
}

TEST_F(TrdFileTest, FailureLeavesTheEntriesReadSoFar) {
    std::string text = kOrderFile;
    text.replace(text.find("Size=15"), 7, "Size=");
    EXPECT_FALSE(read(writeDefinition(text)));
    ASSERT_EQ(3u, table.entries.size());
    EXPECT_EQ("ヘッダ", table[1].Name);
    EXPECT_EQ(2u, table[1].Fields.size());
    EXPECT_EQ("明細", table[2].Name);
}

TEST_F(TrdFileTest, LenientFormsOfNumbersBooleansAndFieldLines) {
    ASSERT_TRUE(read(writeDefinition(
        "[sorvek trd file]\r\nfunction = REC2CSV\r\n[FILE PROPERTY]\r\nMaxRecordIndex= 1 \r\n"
        "Size=+80\r\nTitleLine=false\r\n[Record_1]\r\nSize=-3\r\nParent=0\r\nChild=0\r\n"
        "MaxFieldIndex=2\r\nField_0=六項目,X,1,2,0,1\r\n"
        "Field_1=八項目,9, 3 ,4,0,-1,メモ,続き\r\nField_2=真偽,X,7,1,0,TRUE,memo\r\n")));
    EXPECT_EQ(80, table[0].Size);
    EXPECT_FALSE(table[0].TitleLine);
    EXPECT_EQ("", table[0].Name);
    EXPECT_EQ(-3, table[1].Size);
    ASSERT_EQ(3u, table[1].Fields.size());
    EXPECT_EQ((FieldDef{"六項目", "X", 1, 2, 0, -1, ""}), table[1].Fields[0]);
    EXPECT_EQ((FieldDef{"八項目", "9", 3, 4, 0, -1, ""}), table[1].Fields[1]);
    EXPECT_EQ((FieldDef{"真偽", "X", 7, 1, 0, -1, "memo"}), table[1].Fields[2]);
}

TEST_F(TrdFileTest, FileDefinitionWithoutRecordsAndLongValues) {
    ASSERT_TRUE(read(writeDefinition(
        "[Sorvek Trd File]\r\nFunction=REC2CSV\r\n[File Property]\r\nMaxRecordIndex=0\r\n"
        "Name=空\r\nSize=0\r\nClassPos=\r\nDelimiter=\\t\r\nTitleLine=0\r\n")));
    ASSERT_EQ(1u, table.entries.size());
    EXPECT_EQ("\\t", table[0].Delimiter);

    RecordDefTable t = orderTable();
    t[1].Fields[1].Memo = std::string(3000, 'm');
    t[1].Name = std::string(1500, 'n');
    const std::string path = dir.file("long.trd");
    ASSERT_TRUE(writeTrdFile(path, t));
    ASSERT_TRUE(read(path));
    expectTablesEqual(t, table);
}

TEST_F(TrdFileTest, SavingReplacesTheWholeFile) {
    const std::string path = writeDefinition(kOrderFile);
    RecordDefTable t = orderTable();
    t.entries.pop_back();
    t[1].Child = 0;
    ASSERT_TRUE(writeTrdFile(path, t));
    const std::string text = cp932ToUtf8(readFile(path));
    EXPECT_EQ(std::string::npos, text.find("Record_2"));
    EXPECT_NE(std::string::npos, text.find("MaxRecordIndex=1\r\n"));
}

TEST_F(TrdFileTest, AFailedWriteLeavesThePreviousFileAsItWas) {
    const std::string path = writeDefinition(kOrderFile);
    const std::string before = readFile(path);
    RecordDefTable t = orderTable();
    t[1].Name = "新しい名前";

    files.writeLimit = 100;
    EXPECT_FALSE(writeTrdFile(path, t, files));
    files.writeLimit = std::numeric_limits<std::int64_t>::max();
    files.failClose = true;
    EXPECT_FALSE(writeTrdFile(path, t, files));
    files.failClose = false;
    files.failReplace = true;
    EXPECT_FALSE(writeTrdFile(path, t, files));
    files.failReplace = false;
    files.failSync = true;  // not yet on the disk: the rename must not happen
    EXPECT_FALSE(writeTrdFile(path, t, files));
    files.failSync = false;

    // A record without fields is refused before anything is written.
    files.bytesWritten = 0;
    t[2].Fields.clear();
    EXPECT_FALSE(writeTrdFile(path, t, files));
    EXPECT_EQ(0, files.bytesWritten);
    EXPECT_FALSE(writeTrdFile(path, RecordDefTable{}, files));

    EXPECT_BYTES_EQ(before, readFile(path));
    std::size_t entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(1u, entries);  // no temporary file left behind
}

TEST_F(TrdFileTest, ControlTotalsAndHalfWidthMarksHaveSectionsOfTheirOwn) {
    RecordDefTable marked = orderTable();
    marked[2].Fields[1].total = {TotalKind::Count, 2, 0, 1};
    marked[2].Fields[2].total = {TotalKind::Sum, 2, 3, 0};
    marked[1].Fields[0].width = CharacterWidth::SingleUpper;
    marked[2].Fields[0].width = CharacterWidth::Single;
    const std::string out = dir.file("marked.trd");
    ASSERT_TRUE(writeTrdFile(out, marked));
    const std::string expected = std::string(kOrderFile) +
                                 "\r\n"
                                 "[Field Totals]\r\n"
                                 "Field_2_1=count,record=Record_2,group=Record_1\r\n"
                                 "Field_2_2=sum,record=Record_2,field=Field_2\r\n"
                                 "\r\n"
                                 "[Character Width]\r\n"
                                 "Field_1_0=half-width,upper-case\r\n"
                                 "Field_2_0=half-width\r\n";
    EXPECT_BYTES_EQ(utf8ToCp932(expected), readFile(out));
    ASSERT_TRUE(read(out));
    expectTablesEqual(marked, table);

    for (const char* bad : {"[Field Totals]\r\nField_2_1=total,record=Record_2\r\n",
                            "[Field Totals]\r\nField_2_1=sum,record=Record_2\r\n",
                            "[Field Totals]\r\nField_2_1=count,field=Field_1\r\n",
                            "[Character Width]\r\nField_2_2=full-width\r\n"}) {
        SCOPED_TRACE(bad);
        notices.clear();
        ASSERT_FALSE(read(writeDefinition(std::string(kOrderFile) + bad)));
        ASSERT_EQ(1u, notices.size());
        EXPECT_NE(std::string::npos, notices[0].reason.find("の指定に誤りがあります。"));
    }
}

}  // namespace
}  // namespace sorvek::testing

namespace sorvek::testing {
namespace {

// The output options go to a section of their own after the others, which readers that do not
// know it pass over; without any option set the file is written as it always was.
TEST_F(TrdFileTest, OutputOptionsHaveASectionOfTheirOwn) {
    RecordDefTable options = orderTable();
    options.output = {CsvEncoding::Utf8Bom, CsvQuoting::Minimal, true,
                      ZonedSign::Trailing,  InvalidPacked::Fail, CsvLineEnd::Lf};
    options[2].Fields[1].leadingSign = true;
    const std::string out = dir.file("options.trd");
    ASSERT_TRUE(writeTrdFile(out, options));
    EXPECT_BYTES_EQ(utf8ToCp932(std::string(kOrderFile) + "\r\n"
                                                          "[CSV Output]\r\n"
                                                          "Encoding=utf-8-bom\r\n"
                                                          "Quote=minimal\r\n"
                                                          "TrimBlanks=True\r\n"
                                                          "ZonedSign=trailing\r\n"
                                                          "InvalidPacked=fail\r\n"
                                                          "LineEnd=lf\r\n"
                                                          "LeadingSign_2=1\r\n"),
                    readFile(out));
    ASSERT_TRUE(read(out));
    EXPECT_EQ(options.output, table.output);
    expectTablesEqual(options, table);

    // Reading a file without the section, or writing a table whose options are all off again,
    // gives the defaults and the file of old.
    ASSERT_TRUE(read(writeDefinition(kOrderFile)));
    EXPECT_TRUE(table.output.isDefault());
    EXPECT_FALSE(table[2].Fields[1].leadingSign);
    ASSERT_TRUE(writeTrdFile(out, table));
    EXPECT_BYTES_EQ(utf8ToCp932(kOrderFile), readFile(out));

    // A file per kind is the one option written only when it is on.
    table.output.splitKinds = true;
    ASSERT_TRUE(writeTrdFile(out, table));
    EXPECT_NE(std::string::npos, readFile(out).find("LineEnd=crlf\r\nSplitKinds=True\r\n"));
    ASSERT_TRUE(read(out));
    EXPECT_TRUE(table.output.splitKinds);
}

TEST_F(TrdFileTest, OutputOptionsReadInAnyLetterCaseAndRefuseUnknownValues) {
    ASSERT_TRUE(read(writeDefinition(std::string(kOrderFile) +
                                     "[csv output]\r\nENCODING=UTF-8\r\nquote=ALL\r\n")));
    EXPECT_EQ(CsvEncoding::Utf8, table.output.encoding);
    EXPECT_EQ(CsvQuoting::All, table.output.quoting);
    EXPECT_FALSE(table.output.trimBlanks);

    const std::pair<const char*, const char*> refused[] = {
        {"Encoding=utf-16", "出力形式の指定に誤りがあります。\nEncoding = utf-16"},
        {"TrimBlanks=perhaps", "出力形式の指定に誤りがあります。\nTrimBlanks = perhaps"},
        {"LeadingSign_2=3", "出力形式の指定に誤りがあります。\nLeadingSign_2 = 3"},
        {"LeadingSign_1=0,x", "出力形式の指定に誤りがあります。\nLeadingSign_1 = 0,x"},
    };
    for (const auto& [line, message] : refused) {
        notices.clear();
        EXPECT_FALSE(
            read(writeDefinition(std::string(kOrderFile) + "[CSV Output]\r\n" + line + "\r\n")));
        ASSERT_EQ(1u, notices.size()) << line;
        EXPECT_EQ(message, notices[0].reason);
    }
}

// The code page and the record format are keys of the file definition, the forms of host
// fields a section of their own; each is written only when it is set, so old readers read the
// rest as before and a definition without them is written as it always was.
TEST_F(TrdFileTest, HostDataKeysAreWrittenOnlyWhenSet) {
    RecordDefTable host = orderTable();
    host[0].codePage = InputCodePage::Ibm930;
    host[0].recordFormat = RecordFormat::VB;
    host[0].descriptorWords = {DescriptorByteOrder::Little, DescriptorLength::Exclusive};
    host[2].Fields[1].sign = SignPosition::LeadingSeparate;
    host[2].Fields[2].scale = -3;
    host[1].Fields[1] = FieldDef{"件数", "BIN", 2, 4, 2, -1, ""};
    host[1].Fields[1].signedBinary = true;
    host[1].Fields[1].byteOrder = ByteOrder::Native;
    host[2].varying = {1, 3, 4, 0, 2};
    const std::string out = dir.file("host.trd");
    ASSERT_TRUE(writeTrdFile(out, host));
    std::string expected = kOrderFile;
    const std::string title = "TitleLine=True\r\n";
    expected.replace(expected.find(title), title.size(),
                     title +
                         "CodePage=IBM930\r\nRecordFormat=vb\r\nRdwByteOrder=little\r\n"
                         "RdwLength=exclusive\r\n");
    const std::string field = "Field_1=受注番号,9,2,19,0,-1,伝票の番号";
    expected.replace(expected.find(field), field.size(), "Field_1=件数,BIN,2,4,2,-1,");
    expected +=
        "\r\n"
        "[Field Format]\r\n"
        "Field_1_1=signed,byte-order=native\r\n"
        "Field_2_1=sign=leading-separate\r\n"
        "Field_2_2=scale=-3\r\n"
        "\r\n"
        "[Varying Tables]\r\n"
        "Record_2=counter=Field_0,pos=3,size=4,min=0,max=2\r\n";
    EXPECT_BYTES_EQ(utf8ToCp932(expected), readFile(out));
    ASSERT_TRUE(read(out));
    expectTablesEqual(host, table);

    ASSERT_TRUE(read(writeDefinition(kOrderFile)));
    EXPECT_EQ(InputCodePage::Cp932, table[0].codePage);
    EXPECT_EQ(RecordFormat::Fixed, table[0].recordFormat);
    ASSERT_TRUE(writeTrdFile(out, table));
    EXPECT_BYTES_EQ(utf8ToCp932(kOrderFile), readFile(out));
}

TEST_F(TrdFileTest, HostDataKeysReadInAnyLetterCaseAndRefuseUnknownValues) {
    std::string text = kOrderFile;
    text.replace(text.find("TitleLine=True"), 14,
                 "TitleLine=True\r\ncodepage=ibm1047\r\nRECORDFORMAT=V");
    ASSERT_TRUE(read(writeDefinition(text + "[field format]\r\nfield_2_1=SIGN=Trailing\r\n")));
    EXPECT_EQ(InputCodePage::Ibm1047, table[0].codePage);
    EXPECT_EQ(RecordFormat::V, table[0].recordFormat);
    EXPECT_EQ(SignPosition::Trailing, table[2].Fields[1].sign);

    // File keys go after the title line, field forms into a section at the end.
    const std::pair<std::string, const char*> refused[] = {
        {"CodePage=EBCDIC", "文字コードの指定に誤りがあります。\nCodePage = EBCDIC"},
        {"RecordFormat=vbs", "レコード形式の指定に誤りがあります。\nRecordFormat = vbs"},
        {"RdwByteOrder=native", "記述語のバイト順の指定に誤りがあります。\nRdwByteOrder = native"},
        {"RdwLength=4", "記述語の長さの指定に誤りがあります。\nRdwLength = 4"},
        {"[Field Format]\r\nField_2_2=scale=x",
         "フィールド形式の指定に誤りがあります。\nField_2_2 = scale=x"},
        {"[Field Format]\r\nField_1_0=unsigned",
         "フィールド形式の指定に誤りがあります。\nField_1_0 = unsigned"},
        {"[Varying Tables]\r\nRecord_2=counter=2,pos=3,size=4,min=0,max=2",
         "表の回数の指定に誤りがあります。\nRecord_2 = counter=2,pos=3,size=4,min=0,max=2"},
        {"[Varying Tables]\r\nRecord_2=counter=Field_0,pos=3,size=4,max=2",
         "表の回数の指定に誤りがあります。\nRecord_2 = counter=Field_0,pos=3,size=4,max=2"},
    };
    for (const auto& [lines, message] : refused) {
        notices.clear();
        std::string file = kOrderFile;
        if (lines[0] == '[') {
            file += lines + "\r\n";
        } else {
            file.replace(file.find("TitleLine=True"), 14, "TitleLine=True\r\n" + lines);
        }
        EXPECT_FALSE(read(writeDefinition(file))) << lines;
        ASSERT_EQ(1u, notices.size()) << lines;
        EXPECT_EQ(message, notices[0].reason);
    }
}

}  // namespace
}  // namespace sorvek::testing
