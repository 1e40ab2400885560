#include "model/record_table_edit.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/sample_tables.h"

namespace sorvek::testing {
namespace {

struct Links {
    std::string name;
    std::int32_t parent;
    std::int32_t child;
    bool operator==(const Links&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Links& l) {
    return os << l.name << "(parent " << l.parent << ", child " << l.child << ")";
}

std::vector<Links> links(const RecordDefTable& table) {
    std::vector<Links> result;
    for (std::int32_t i = 1; i <= table.maxIndex(); ++i) {
        result.push_back({table[i].Name, table[i].Parent, table[i].Child});
    }
    return result;
}

TEST(DeleteRecordEntry, DeletingAnEarlierRecordRenumbersParentAndChild) {
    RecordDefTable table = abcTable();
    table[2].Fields = {field("b1", 1, 3)};
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 1));
    EXPECT_EQ((std::vector<Links>{{"B", 0, 2}, {"C", 1, 0}}), links(table));
    EXPECT_EQ(1u, table[1].Fields.size()) << "fields move with their record";
}

TEST(DeleteRecordEntry, RecordWithChildIsRefusedAndNothingChanges) {
    RecordDefTable table = abcTable();
    const RecordDefTable before = table;
    EXPECT_EQ(RecordDeletion::Refused, deleteRecordEntry(table, 2));
    EXPECT_EQ(links(before), links(table));
}

TEST(DeleteRecordEntry, ARecordNamedAsParentIsRefusedEvenWhenItsChildFieldIsZero) {
    // A file written elsewhere may hold Child 0 for a parent; deleting it would leave C
    // pointing at whatever record moves into index 2.
    RecordDefTable table = makeTable({{"A"}, {"B", 0, 0}, {"C", 2, 0}});
    EXPECT_EQ(RecordDeletion::Refused, deleteRecordEntry(table, 2));
    EXPECT_EQ(3, table.maxIndex());
}

TEST(DeleteRecordEntry, LastEntryShrinksTheTableAndTheParentLosesItsOnlyChild) {
    RecordDefTable table = abcTable();
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 3));
    EXPECT_EQ((std::vector<Links>{{"A", 0, 0}, {"B", 0, 0}}), links(table));
}

TEST(DeleteRecordEntry, ParentWithSeveralChildrenKeepsNamingARemainingOne) {
    // P (1) has children 2, 3 and 4; its Child names the last attached one, 4.
    RecordDefTable table = makeTable({{"P", 0, 4}, {"X", 1}, {"Y", 1}, {"Z", 1}});
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 4));
    EXPECT_EQ(3, table[1].Child) << "Y remains, renumbering unchanged";
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 2));
    EXPECT_EQ((std::vector<Links>{{"P", 0, 2}, {"Y", 1, 0}}), links(table));
    EXPECT_EQ(RecordDeletion::Refused, deleteRecordEntry(table, 1)) << "Y still hangs under P";
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 2));
    EXPECT_EQ(0, table[1].Child);
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 1));
    EXPECT_EQ(0, table.maxIndex());
}

TEST(DeleteRecordEntry, ParentAfterItsChildIsRenumberedToo) {
    // 1 X under 3 P; deleting 2 moves P to 2.
    RecordDefTable table = makeTable({{"X", 3}, {"Q"}, {"P", 0, 1}});
    EXPECT_EQ(RecordDeletion::RecordDeleted, deleteRecordEntry(table, 2));
    EXPECT_EQ((std::vector<Links>{{"X", 2, 0}, {"P", 0, 1}}), links(table));
}

TEST(DeleteRecordEntry, IndexZeroErasesTheDefinitionAndBadIndicesChangeNothing) {
    RecordDefTable table = abcTable();
    EXPECT_EQ(RecordDeletion::Invalid, deleteRecordEntry(table, 4));
    EXPECT_EQ(RecordDeletion::Invalid, deleteRecordEntry(table, -1));
    EXPECT_EQ(RecordDeletion::DefinitionErased, deleteRecordEntry(table, 0));
    EXPECT_FALSE(table.hasDefinition());
    EXPECT_EQ(RecordDeletion::Invalid, deleteRecordEntry(table, 0));
}

TEST(IsDescendant, FollowsParentLinksAndStopsOnCircles) {
    RecordDefTable table = makeTable({{"A"}, {"B", 1}, {"C", 2}, {"D"}});
    EXPECT_TRUE(isDescendant(table, 3, 1));
    EXPECT_TRUE(isDescendant(table, 2, 1));
    EXPECT_FALSE(isDescendant(table, 1, 3));
    EXPECT_FALSE(isDescendant(table, 4, 1));
    EXPECT_FALSE(isDescendant(table, 1, 1));
    RecordDefTable circle = makeTable({{"A", 2}, {"B", 1}, {"C", 9}});
    EXPECT_TRUE(isDescendant(circle, 1, 2));
    EXPECT_FALSE(isDescendant(circle, 1, 3));
    EXPECT_FALSE(isDescendant(circle, 3, 1));
}

// ---- Fields -------------------------------------------------------------------------------

TEST(DeleteFieldDef, SecondOfThreeRenumbersTheFieldsAfterIt) {
    RecordDef record = threeFields();
    ASSERT_TRUE(DeleteFieldDef(record, 1));
    EXPECT_EQ((std::vector<std::string>{"a", "c"}), names(record));
    EXPECT_EQ((std::vector<std::int32_t>{1, 11}), positions(record));
}

TEST(DeleteFieldDef, FirstStartsAtOneLastOnlyShrinksOnlyLeavesNoFields) {
    RecordDef record = threeFields();
    record.Fields[2].Pos = 40;  // a gap as a file may hold it
    RecordDef last = record;
    ASSERT_TRUE(DeleteFieldDef(last, 2));
    EXPECT_EQ((std::vector<std::int32_t>{1, 11}), positions(last));
    ASSERT_TRUE(DeleteFieldDef(record, 0));
    EXPECT_EQ((std::vector<std::int32_t>{1, 11}), positions(record));
    RecordDef one;
    one.Fields = {field("only", 5, 3)};
    ASSERT_TRUE(DeleteFieldDef(one, 0));
    EXPECT_TRUE(one.Fields.empty());
    EXPECT_FALSE(DeleteFieldDef(one, 0));
}

TEST(MoveFieldDef, SwapsTwoFieldsWithinTheBytesTheyShared) {
    RecordDef record;
    record.Fields = {field("f1", 1, 10), field("f2", 11, 4), field("f3", 15, 2)};
    ASSERT_TRUE(MoveFieldDef(record, 1, -1));
    EXPECT_EQ((std::vector<std::string>{"f2", "f1", "f3"}), names(record));
    EXPECT_EQ((std::vector<std::int32_t>{1, 5, 15}), positions(record));
    ASSERT_TRUE(MoveFieldDef(record, 0, +1));
    EXPECT_EQ((std::vector<std::string>{"f1", "f2", "f3"}), names(record));
    EXPECT_EQ((std::vector<std::int32_t>{1, 11, 15}), positions(record));
}

TEST(MoveFieldDef, RefusesMovesPastEitherEndAndSingleFields) {
    RecordDef record = threeFields();
    const RecordDef before = record;
    EXPECT_FALSE(MoveFieldDef(record, 0, -1));
    EXPECT_FALSE(MoveFieldDef(record, 2, +1));
    EXPECT_FALSE(MoveFieldDef(record, 1, 2));
    EXPECT_EQ(before.Fields, record.Fields);
    RecordDef one;
    one.Fields = {field("only", 1, 3)};
    EXPECT_FALSE(MoveFieldDef(one, 0, +1));
}

TEST(InsertFieldDef, AfterRowTwoShiftsOnlyTheLaterFields) {
    RecordDef record = threeFields();
    EXPECT_EQ(2, insertFieldDef(record, 2, field("new", 999, 4)));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "new", "c"}), names(record));
    EXPECT_EQ((std::vector<std::int32_t>{1, 11, 21, 25}), positions(record));
}

TEST(InsertFieldDef, IntoAnEmptyRecordAndInFrontWithoutSelection) {
    RecordDef record;
    EXPECT_EQ(0, insertFieldDef(record, 0, field("first", 0, 4)));
    EXPECT_EQ((std::vector<std::int32_t>{1}), positions(record));
    EXPECT_EQ(0, insertFieldDef(record, 0, field("front", 0, 2)));
    EXPECT_EQ((std::vector<std::int32_t>{1, 3}), positions(record));
    EXPECT_EQ(2, insertFieldDef(record, 7, field("end", 0, 1))) << "row past the end appends";
    EXPECT_EQ((std::vector<std::int32_t>{1, 3, 7}), positions(record));
}

TEST(ChangeFieldDef, NewSizeMovesEveryLaterFieldAndKeepsPosAndCheck) {
    RecordDef record = threeFields();
    record.Fields[0].Check = 0;
    FieldDef values = field("A2", 77, 6, "9", 2);
    values.Memo = "m";
    values.Check = -1;
    ASSERT_TRUE(changeFieldDef(record, 0, values));
    const FieldDef& changed = record.Fields[0];
    EXPECT_EQ((FieldDef{"A2", "9", 1, 6, 2, 0, "m"}), changed);
    EXPECT_EQ((std::vector<std::int32_t>{1, 7, 17}), positions(record));
    EXPECT_FALSE(changeFieldDef(record, 3, values));
}

// A varying table keeps its counter and its first field through every edit of the fields; it
// goes with the counter, or with the last field that was in it.
TEST(VaryingTable, FollowsItsCounterAndItsFirstFieldThroughEdits) {
    RecordDef base;
    base.Fields = {field("pre", 1, 2), field("count", 3, 2), field("a1", 5, 3), field("a2", 8, 3),
                   field("tail", 11, 2)};
    base.Size = 12;
    base.varying = {2, 5, 3, 0, 2};
    RecordDef r = base;
    ASSERT_TRUE(DeleteFieldDef(r, 0));  // before both
    EXPECT_TRUE((VaryingTable{1, 3, 3, 0, 2}) == r.varying);
    r = base;
    insertFieldDef(r, 2, field("new", 0, 4));  // between the counter and the table
    EXPECT_TRUE((VaryingTable{2, 9, 3, 0, 2}) == r.varying);
    r = base;
    FieldDef wider = base.Fields[0];
    wider.Size = 5;
    ASSERT_TRUE(changeFieldDef(r, 0, wider));
    EXPECT_TRUE((VaryingTable{2, 8, 3, 0, 2}) == r.varying);
    r = base;
    ASSERT_TRUE(MoveFieldDef(r, 1, -1));  // the counter first
    EXPECT_TRUE((VaryingTable{1, 5, 3, 0, 2}) == r.varying);
    r = base;
    ASSERT_TRUE(DeleteFieldDef(r, 2));  // the table's first field: it starts at the next
    EXPECT_TRUE((VaryingTable{2, 5, 3, 0, 2}) == r.varying);
    r = base;
    ASSERT_TRUE(DeleteFieldDef(r, 1));  // the counter: no table is left
    EXPECT_FALSE(r.varying.present());
}

TEST(FieldPositions, HugeSizesStopAtTheIntegerLimitInsteadOfOverflowing) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    RecordDef record;
    record.Fields = {field("a", 2, kMax), field("b", kMax, kMax)};
    EXPECT_EQ(kMax, positionAfter(record.Fields[0]));
    insertFieldDef(record, 1, field("c", 0, kMax));
    EXPECT_EQ((std::vector<std::int32_t>{2, kMax, kMax}), positions(record));
    ASSERT_TRUE(MoveFieldDef(record, 2, -1));
    ASSERT_TRUE(DeleteFieldDef(record, 0));
    EXPECT_EQ(1, record.Fields[0].Pos);
}

TEST(FieldChecks, SingleAndAll) {
    RecordDef record = threeFields();
    setFieldCheck(record, 1, false);
    setFieldCheck(record, 5, false);
    EXPECT_EQ(0, record.Fields[1].Check);
    setAllChecks(record, false);
    for (const FieldDef& f : record.Fields) EXPECT_EQ(0, f.Check);
    setAllChecks(record, true);
    for (const FieldDef& f : record.Fields) EXPECT_EQ(-1, f.Check);
}

}  // namespace
}  // namespace sorvek::testing
