#include "formats/rcdef_import.h"

#include <gtest/gtest.h>

#include "formats/trd_file.h"
#include "platform/codepage.h"
#include "support/temp_dir.h"

namespace sorvek::testing {
namespace {

using Lines = std::vector<std::string>;

// A line with a value between the tag's two leading and the line's two trailing characters.
std::string tagged(const std::string& tag, const std::string& value) {
    return tag + "=\"" + value + "\";";
}
std::string itemCount(int n) {
    char text[16];
    std::snprintf(text, sizeof text, "RNUM=%04d;", n);
    return text;
}
Lines header(int count, const std::string& name = "受注明細", int size = 40) {
    return {"HEAD=\"SEWB3\";", itemCount(count), tagged("JPNM", name), tagged("DTNM", "ORDER-LINE"),
            tagged("ADSZ", std::to_string(size))};
}
Lines field(const std::string& name, const std::string& type, int pos, int size) {
    return {tagged("JPNM", name), tagged("DTAT", type), tagged("BULO", std::to_string(pos)),
            tagged("ADSZ", std::to_string(size))};
}
Lines group(const std::string& name, int pos, int size, int count) {
    return {tagged("ANUM", std::to_string(count)), tagged("JPNM", name),
            tagged("BULO", std::to_string(pos)), tagged("ADSZ", std::to_string(size))};
}
Lines repeated(const std::string& name, const std::string& type, int pos, int size, int count) {
    Lines lines = field(name, type, pos, size);
    lines.insert(lines.begin(), tagged("ANUM", std::to_string(count)));
    return lines;
}
Lines join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

struct Expected {
    std::string name;
    int pos;
    int size;
};

class RcdefImportTest : public ::testing::Test {
  protected:
    // Writes the lines as a real file is written: Shift-JIS, CR LF after every line.
    bool import(const Lines& lines, const std::string& ending = "\r\n") {
        std::string text;
        for (const std::string& line : lines) text += line + ending;
        return importRcdef(dir.write("layout.rcdef", utf8ToCp932(text)), table).ok();
    }
    void expectFields(const std::vector<Expected>& expected) {
        ASSERT_EQ(2u, table.entries.size());
        const std::vector<FieldDef>& fields = table[1].Fields;
        ASSERT_EQ(expected.size(), fields.size()) << names();
        for (std::size_t j = 0; j < expected.size(); ++j) {
            EXPECT_EQ(expected[j].name, fields[j].Name) << j;
            EXPECT_EQ(expected[j].pos, fields[j].Pos) << fields[j].Name;
            EXPECT_EQ(expected[j].size, fields[j].Size) << fields[j].Name;
        }
    }
    std::string names() const {
        std::string all;
        for (const FieldDef& f : table[1].Fields) all += f.Name + "@" + std::to_string(f.Pos) + " ";
        return all;
    }

    TempDir dir;
    RecordDefTable table;
};

TEST_F(RcdefImportTest, ImportsTheRecordAndExpandsARepeatedGroup) {
    Lines lines = join({header(5, "受注明細", 15),
                        field("区分", "X", 1, 1),
                        group("明細群", 2, 12, 3),
                        field("品番", "X", 2, 2),
                        field("数量", "9", 4, 2),
                        field("備考", "X", 14, 2),
                        {"ENDT"}});
    lines.insert(lines.end() - 6, {tagged("DALE", "2,1"), tagged("DTNM", "QTY")});  // 数量
    ASSERT_TRUE(import(lines));

    EXPECT_EQ("受注明細", table[0].Name);
    EXPECT_EQ(15, table[0].Size);
    EXPECT_EQ("", table[0].Class);
    EXPECT_EQ(",", table[0].Delimiter);
    EXPECT_TRUE(table[0].TitleLine);
    EXPECT_EQ("受注明細", table[1].Name);
    EXPECT_EQ(15, table[1].Size);
    EXPECT_EQ("", table[1].Class);
    EXPECT_EQ(0, table[1].Parent);
    EXPECT_EQ(0, table[1].Child);
    expectFields({{"区分", 1, 1},
                  {"品番(1)", 2, 2},
                  {"数量(1)", 4, 2},
                  {"品番(2)", 6, 2},
                  {"数量(2)", 8, 2},
                  {"品番(3)", 10, 2},
                  {"数量(3)", 12, 2},
                  {"備考", 14, 2}});
    for (const FieldDef& f : table[1].Fields) EXPECT_EQ(-1, f.Check);
    EXPECT_EQ((FieldDef{"数量(2)", "9", 8, 2, 1, -1, "QTY"}), table[1].Fields[4]);
    EXPECT_EQ("X", table[1].Fields[0].Type);
    EXPECT_EQ("", table[1].Fields[0].Memo);
}

TEST_F(RcdefImportTest, SingleRepeatedItemBecomesOneFieldPerRepetition) {
    ASSERT_TRUE(import(join({header(3), field("区分", "X", 1, 1), repeated("金額", "9", 2, 20, 4),
                             field("終わり", "X", 22, 1)})));
    expectFields({{"区分", 1, 1},
                  {"金額(1)", 2, 5},
                  {"金額(2)", 7, 5},
                  {"金額(3)", 12, 5},
                  {"金額(4)", 17, 5},
                  {"終わり", 22, 1}});
}

TEST_F(RcdefImportTest, RedefinitionsAndGroupItemsAreNotKeptAndTheirSlotIsReused) {
    // The item after the redefinition has neither JPNM nor DTAT: in the slot the redefinition
    // left it keeps that name and type; its DTNM becomes its memo only.
    ASSERT_TRUE(import(join({header(5),
                             field("区分", "X", 1, 1),
                             field("コード", "X", 2, 4),
                             field("再定義", "9", 2, 4),  // overlays コード
                             {tagged("DTNM", "REMARK"), tagged("BULO", "6"), tagged("ADSZ", "2")},
                             group("グループ", 8, 3, 0),
                             field("名称", "X", 8, 3)})));
    expectFields({{"区分", 1, 1}, {"コード", 2, 4}, {"再定義", 6, 2}, {"名称", 8, 3}});
    EXPECT_EQ("9", table[1].Fields[2].Type);
    EXPECT_EQ("REMARK", table[1].Fields[2].Memo);

    // In a fresh slot the DTNM value is the name as well.
    ASSERT_TRUE(import(join({header(2),
                             {tagged("DTNM", "CODE"), tagged("DTAT", "X"), tagged("BULO", "1"),
                              tagged("ADSZ", "3")}})));
    expectFields({{"CODE", 1, 3}});
    EXPECT_EQ("CODE", table[1].Fields[0].Memo);
}

TEST_F(RcdefImportTest, HeaderNamesFollowTheirOrder) {
    ASSERT_TRUE(import(
        join({{itemCount(1), tagged("DTNM", "SECOND"), tagged("JPNM", "第一"), tagged("ADSZ", "1")},
              field("a", "X", 1, 1)})));
    EXPECT_EQ("第一", table[0].Name);
    EXPECT_EQ("SECOND", table[1].Name);

    ASSERT_TRUE(import(join(
        {{itemCount(1), tagged("JPNM", "第一"), tagged("ADSZ", "1")}, field("a", "X", 1, 1)})));
    EXPECT_EQ("第一", table[0].Name);
    EXPECT_EQ("", table[1].Name);
}

TEST_F(RcdefImportTest, OtherTagsAreIgnoredAnywhereAndTheFileMayEndWithoutEndt) {
    Lines lines = join({{"XXXX=\"1\";", "", "RN"},
                        header(3),
                        {"COMM=\"comment\";"},
                        field("a", "X", 1, 2),
                        {"ZZZZ", "JP"},
                        field("b", "X", 3, 2)});
    // between an item's lines; tags are told apart with their letter case
    lines.insert(lines.begin() + 11, {"REMK=\"note\";", "jpnm=\"lower\";", "Adsz=\"9\";"});
    ASSERT_TRUE(import(lines, "\n"));
    expectFields({{"a", 1, 2}, {"b", 3, 2}});

    lines.insert(lines.end() - 4, "ENDT");
    ASSERT_TRUE(import(lines, "\r"));
    expectFields({{"a", 1, 2}});
}

TEST_F(RcdefImportTest, NumbersAreReadFromTheFrontOfTheirText) {
    Lines lines = join({header(2), field("a", "9", 1, 12), field("b", "P", 13, 3)});
    lines[4] = tagged("ADSZ", " 2 5.5 ");  // 25.5: halves to even
    lines[7] = "BULO=\"  1  \";";
    lines.insert(lines.begin() + 8, "DALE=\"9,12\";");  // two digits: only the first counts
    lines.insert(lines.begin() + 13, {"DALE=\"9,3\";", "DALE=\"5\";"});  // no comma: none
    ASSERT_TRUE(import(lines));
    EXPECT_EQ(26, table[0].Size);
    expectFields({{"a", 1, 12}, {"b", 13, 3}});
    EXPECT_EQ(1, table[1].Fields[0].Dec);
    EXPECT_EQ(0, table[1].Fields[1].Dec);
}

TEST_F(RcdefImportTest, FailsOnFilesItCannotUse) {
    const Lines good = join({header(2), field("a", "X", 1, 2), field("b", "X", 3, 2)});
    ASSERT_TRUE(import(good));

    Lines noCount = good;
    noCount.erase(noCount.begin() + 1);
    EXPECT_FALSE(import(noCount));

    EXPECT_FALSE(import(join({header(2), {tagged("ANUM", "x")}, field("a", "X", 1, 2)})));
    EXPECT_FALSE(import(join({header(2), {tagged("ANUM", "-2")}, field("a", "X", 1, 2)})));
    // more items than the item count has slots for
    EXPECT_FALSE(import(join({header(1), field("a", "X", 1, 2), field("b", "X", 3, 2)})));
    // no field kept
    EXPECT_FALSE(import(join({header(0)})));
    EXPECT_FALSE(import(join({header(3), group("only groups", 1, 4, 2), group("g2", 1, 2, 0)})));
    EXPECT_FALSE(import(join({header(2), field("a", "X", 1, 2), {"BULO=\"99999999999\";"}})));
    EXPECT_FALSE(importRcdef(dir.file("missing.rcdef"), table));
}

TEST_F(RcdefImportTest, NamesEveryProblemAtItsLineInOneRefusal) {
    const Lines damaged =
        join({header(2),              // lines 1-5
              {tagged("ANUM", "x")},  // 6
              field("a", "X", 1, 2),  // 7-10
              {tagged("JPNM", "b"), tagged("DTAT", "X"), tagged("BULO", "99999999999"),  // 11-13
               tagged("ADSZ", "2")},                                                     // 14
              field("c", "X", 3, 2),                                                     // 15-18
              field("d", "X", 5, 2),    // 19-22: no slot
              field("e", "X", 7, 2)});  // said once
    std::string text;
    for (const std::string& line : damaged) text += line + "\r\n";
    Status status = importRcdefText(text, table);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(FailureKind::InvalidDefinition, status.error().kind);
    EXPECT_EQ(
        "行 6: 繰り返し回数 (ANUM) に誤りがあります: x\n"
        "行 13: 位置 (BULO) に誤りがあります: 99999999999\n"
        "行 19: 項目数 (RNUM) より多くの項目があります。",
        status.error().reason);

    // At most a hundred are listed, then how many more there are.
    text.clear();
    for (const std::string& line : header(1)) text += line + "\r\n";
    for (int k = 0; k < 105; ++k) text += tagged("ANUM", "-1") + "\r\n";
    status = importRcdefText(text, table);
    ASSERT_FALSE(status.ok());
    const std::string& reason = status.error().reason;
    EXPECT_EQ(0u, reason.find("行 6: 繰り返し回数 (ANUM) に誤りがあります: -1\n行 7: "));
    EXPECT_NE(std::string::npos, reason.find("\n行 105: "));
    EXPECT_EQ(std::string::npos, reason.find("\n行 106: "));
    EXPECT_TRUE(reason.ends_with("\nほかに 5 件の問題があります。")) << reason;

    // A file without any field has no line to name: only the caller's message.
    status = importRcdefText(join({header(0)}).front() + "\r\n", table);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ("", status.error().reason);
}

TEST_F(RcdefImportTest, FailureLeavesWhatWasFilled) {
    EXPECT_FALSE(import(join({header(1, "途中"), field("a", "X", 1, 2), field("b", "X", 3, 2)})));
    ASSERT_EQ(2u, table.entries.size());
    EXPECT_EQ("途中", table[0].Name);
    ASSERT_FALSE(table[1].Fields.empty());
    EXPECT_EQ("a", table[1].Fields[0].Name);
}

TEST_F(RcdefImportTest, ExpansionBeyondTheLimitsFails) {
    EXPECT_FALSE(import(join({header(2), repeated("a", "X", 1, 2000000, 1000000)})));
    EXPECT_FALSE(
        import(join({header(2), repeated(std::string(1000, 'n'), "X", 1, 100000, 100000)})));
    ASSERT_TRUE(import(join({header(2), repeated("a", "X", 1, 2000, 1000)})));
    EXPECT_EQ(1000u, table[1].Fields.size());
    EXPECT_EQ("a(1000)", table[1].Fields.back().Name);
    EXPECT_EQ(1999, table[1].Fields.back().Pos);
}

TEST_F(RcdefImportTest, ADamagedFileThatExpandsIntoLongNamesImportsAndSavesAtOnce) {
    // Found by fuzzing: its names grow to megabytes of characters the code page cannot hold,
    // which the conversion once took half a minute to save.
    const std::string path = std::string(std::getenv("SORVEK_SOURCE_DIR")) +
                             "/fuzz/corpus/rcdef_import_fuzz/rcdef-slow-save.rcdef";
    ASSERT_TRUE(importRcdef(path, table).ok());
    ASSERT_EQ(2u, table.entries.size());
    EXPECT_EQ(3256u, table[1].Fields.size());
    const std::string saved = dir.file("saved.trd");
    ASSERT_TRUE(writeTrdFile(saved, table).ok());
    RecordDefTable back;
    ASSERT_TRUE(readTrdFile(saved, back).ok());
    EXPECT_EQ(table[1].Fields.size(), back[1].Fields.size());
}

TEST_F(RcdefImportTest, AFileSavedAsUtf8ImportsAsTheSameLayout) {
    const Lines lines = join({header(2), field("品番", "X", 1, 4), field("数量", "9", 5, 3)});
    ASSERT_TRUE(import(lines));
    const RecordDefTable fromShiftJis = table;
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    ASSERT_TRUE(importRcdef(dir.write("utf8.rcdef", text), table).ok());
    EXPECT_EQ(fromShiftJis[0].Name, table[0].Name);
    EXPECT_EQ(fromShiftJis[1].Fields, table[1].Fields);
    EXPECT_EQ("品番", table[1].Fields[0].Name);
}

// Cases the layout leaves open.

TEST_F(RcdefImportTest, ARecordThatBeginsWithARepeatedGroupIsExpandedLikeAnyOther) {
    ASSERT_TRUE(import(join({header(3), group("g", 1, 8, 2), field("a", "X", 1, 1),
                             field("b", "9", 2, 3), field("c", "X", 9, 1)})));
    expectFields({{"a(1)", 1, 1}, {"b(1)", 2, 3}, {"a(2)", 5, 1}, {"b(2)", 6, 3}, {"c", 9, 1}});

    ASSERT_TRUE(import(join({header(2), repeated("r", "X", 1, 6, 3), field("c", "X", 7, 1)})));
    expectFields({{"r(1)", 1, 2}, {"r(2)", 3, 2}, {"r(3)", 5, 2}, {"c", 7, 1}});
}

TEST_F(RcdefImportTest, AGroupThatNeverAddsUpStaysAsReadAndLaterGroupsStillExpand) {
    // The group's second item has no type, so one repetition never reaches its 4 bytes: the
    // fields stay as read, and the field after the group, which does not continue the last
    // field kept, is dropped.
    ASSERT_TRUE(import(join({header(8),
                             field("a", "X", 1, 1),
                             group("g", 2, 8, 2),
                             field("b", "X", 2, 2),
                             {tagged("JPNM", "no type"), tagged("BULO", "4"), tagged("ADSZ", "2")},
                             field("after", "X", 10, 1)})));
    expectFields({{"a", 1, 1}, {"b", 2, 2}});

    // The group's items overshoot its 3 bytes; a repetition that begins outside the unfinished
    // group's first repetition gives it up and is expanded on its own.
    ASSERT_TRUE(
        import(join({header(8), field("a", "X", 1, 1), group("g", 2, 6, 2), field("b", "X", 2, 2),
                     field("d", "X", 4, 2), repeated("r", "X", 6, 4, 2), field("z", "X", 10, 1)})));
    expectFields(
        {{"a", 1, 1}, {"b", 2, 2}, {"d", 4, 2}, {"r(1)", 6, 2}, {"r(2)", 8, 2}, {"z", 10, 1}});

    // A repeated item that overlays others is dropped with its repetition: the fields after
    // it are not taken for its repetitions.
    ASSERT_TRUE(import(join({header(4), field("a", "X", 1, 4), repeated("x", "X", 1, 4, 2),
                             field("b", "X", 5, 2), field("c", "X", 7, 2)})));
    expectFields({{"a", 1, 4}, {"b", 5, 2}, {"c", 7, 2}});

    // So is a group item that overlays others, whose items are all dropped.
    ASSERT_TRUE(
        import(join({header(5), field("a", "X", 1, 4), group("gx", 1, 4, 2), field("x", "X", 1, 2),
                     field("b", "X", 5, 2), field("c", "X", 7, 2)})));
    expectFields({{"a", 1, 4}, {"b", 5, 2}, {"c", 7, 2}});
}

TEST_F(RcdefImportTest, NestedRepetitionExpandsInnerThenOuterGroups) {
    // outer: 2 x (a: 1 byte, inner: 3 x b: 2 bytes) = 2 x 7 bytes, then z
    ASSERT_TRUE(
        import(join({header(6), group("outer", 1, 14, 2), field("a", "X", 1, 1),
                     group("inner", 2, 6, 3), field("b", "9", 2, 2), field("z", "X", 15, 1)})));
    expectFields({{"a(1)", 1, 1},
                  {"b(1)(1)", 2, 2},
                  {"b(1)(2)", 4, 2},
                  {"b(1)(3)", 6, 2},
                  {"a(2)", 8, 1},
                  {"b(2)(1)", 9, 2},
                  {"b(2)(2)", 11, 2},
                  {"b(2)(3)", 13, 2},
                  {"z", 15, 1}});

    // A repeated item inside a group, at the group's end.
    ASSERT_TRUE(import(join({header(4), group("g", 1, 10, 2), field("k", "X", 1, 1),
                             repeated("v", "X", 2, 4, 2), field("z", "X", 11, 1)})));
    expectFields({{"k(1)", 1, 1},
                  {"v(1)(1)", 2, 2},
                  {"v(1)(2)", 4, 2},
                  {"k(2)", 6, 1},
                  {"v(2)(1)", 7, 2},
                  {"v(2)(2)", 9, 2},
                  {"z", 11, 1}});
}

}  // namespace
}  // namespace sorvek::testing
