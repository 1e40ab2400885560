// Fields of one-byte characters only (FieldDef::width): full-width text becomes half-width on
// the way into the records, and the inspection finds double-byte characters in them.
#include <gtest/gtest.h>

#include "engine/inspection.h"
#include "engine/tran_csv2rec.h"
#include "engine/tran_rec2csv.h"
#include "platform/codepage.h"
#include "support/engine_fixture.h"
#include "support/record_tables.h"

namespace sorvek::testing {
namespace {

// Transfer records "2": a payee's name of 10 half-width capitals, an amount, a memo as it is.
RecordDefTable transferTable(InputCodePage page) {
    FieldDef name = field("受取人名", "X", 2, 10);
    name.width = CharacterWidth::SingleUpper;
    RecordDefTable table =
        makeTable(fileDefinition(0, "1", ",", false),
                  {recordDefinition("データ", 20, "2", 0, 0,
                                    {field("区分", "X", 1, 1), name, field("金額", "9", 12, 5),
                                     field("摘要", "X", 17, 4)})});
    table[0].codePage = page;
    return table;
}

class HalfWidthFieldsTest : public EngineTest {
  protected:
    // The records `csv` makes, or "" with the failure kept.
    std::string toRecords(const std::string& csv, const RecordDefTable& table) {
        RecordDefTable t = table;
        EngineContext ctx = context();
        if (!ran(tranCsv2Rec(dir.write("in.csv", csv), dir.file("out.dat"), t, {}, ctx))) {
            return {};
        }
        return readFile(dir.file("out.dat"));
    }
    // The text the record-to-CSV conversion makes of `records` (CP932).
    std::string toText(const std::string& records, const RecordDefTable& table) {
        RecordDefTable t = table;
        EngineContext ctx = context();
        if (!ran(tranRec2Csv(dir.write("back.dat", records), dir.file("back.csv"), t, ctx))) {
            return {};
        }
        return readFile(dir.file("back.csv"));
    }
};

TEST_F(HalfWidthFieldsTest, FullWidthValuesComeInHalfWidthOnEveryPageFromEitherEncoding) {
    // The memo, a field without the mark, keeps its full-width character.
    const std::string typed =
        "2,ヤマダ　タロウ,100,メ\r\n"
        "2,ｶ)ガイシャ　パ,2500,\r\n"
        "2,ａｂｃ（ＤＥＦ）,3,a\r\n"
        "2,がっこう      ,0,\r\n";  // blanks at the end are padding
    const std::string half =
        "2,ﾔﾏﾀﾞ ﾀﾛｳ  ,00100,メ  \r\n"
        "2,ｶ)ｶﾞｲｼｬ ﾊﾟ,02500,    \r\n"
        "2,ABC(DEF)  ,00003,a   \r\n"
        "2,ｶﾞｯｺｳ     ,00000,    \r\n";
    for (const InputCodePage page : {InputCodePage::Cp932, InputCodePage::Ibm930}) {
        SCOPED_TRACE(inputCodePageName(page));
        const RecordDefTable table = transferTable(page);
        for (const std::string& csv : {"\xEF\xBB\xBF" + typed, utf8ToCp932(typed)}) {
            const std::string records = toRecords(csv, table);
            ASSERT_TRUE(failures.empty()) << failures.back().reason;
            if (page == InputCodePage::Cp932) {
                EXPECT_BYTES_EQ(utf8ToCp932("2ﾔﾏﾀﾞ ﾀﾛｳ  00100メ  2ｶ)ｶﾞｲｼｬ ﾊﾟ02500    "
                                            "2ABC(DEF)  00003a   2ｶﾞｯｺｳ     00000    "),
                                records);
            }
            EXPECT_BYTES_EQ(utf8ToCp932(half), toText(records, table));
        }
    }
}

TEST_F(HalfWidthFieldsTest, ACharacterWithoutHalfWidthFormOrATooLongNameIsRefusedByPlace) {
    const std::string good = "2,ﾔﾏﾀﾞ,1,\r\n";
    const std::string place =
        "CSV の値をフィールドに入れられません。\n行 = 2、列 = 2\n"
        "フィールド = 受取人名\n値 = ";
    const std::pair<std::string, std::string> refusals[] = {
        {"2,山田　タロウ,1,", place + "山田　タロウ\n半角にできない文字があります (「山」)。"},
        {"2,ヤマダ①,1,", place + "ヤマダ①\n半角にできない文字があります (「①」)。"},
        {"2,ガギグゲゴザ,1,",
         place + "ガギグゲゴザ\n半角にすると 12 バイトになり、フィールド長 (10) を超えます。"},
    };
    for (const InputCodePage page : {InputCodePage::Cp932, InputCodePage::Ibm930}) {
        for (const auto& [line, reason] : refusals) {
            for (const std::string& csv :
                 {"\xEF\xBB\xBF" + good + line + "\r\n", utf8ToCp932(good + line + "\r\n")}) {
                SCOPED_TRACE(line);
                failures.clear();
                EXPECT_EQ("", toRecords(csv, transferTable(page)));
                ASSERT_EQ(1u, failures.size());
                EXPECT_EQ(FailureKind::InvalidData, failures[0].kind);
                EXPECT_EQ(reason, failures[0].reason);
            }
        }
    }
}

// Records of the CP932 and the IBM930 page, each with the payee's name in one or two bytes a
// character; the memo's double-byte characters are no finding.
TEST(HalfWidthFindings, DoubleByteCharactersInHalfWidthFieldsAreFoundWithTheirPlaces) {
    struct Case {
        InputCodePage page;
        std::string sound, wide;
    };
    const std::string wideMemo = utf8ToCp932("メモ");
    const Case cases[] = {
        {InputCodePage::Cp932, utf8ToCp932("2ﾔﾏﾀﾞ ﾀﾛｳ  00100") + wideMemo,
         utf8ToCp932("2ﾔﾏﾀﾞ 太郎 00100") + wideMemo},
        // ﾔ, and a shift-out before a double-byte pair.
        {InputCodePage::Ibm930,
         std::string("\xF2") + std::string(10, '\x8A') + "\xF0\xF0\xF1\xF0\xF0\x0E\x45\x41\x0F",
         std::string("\xF2\x8A\x0E\x45\x41\x0F") + std::string(5, '\x40') + "\xF0\xF0\xF1\xF0\xF0" +
             std::string(4, '\x40')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(inputCodePageName(c.page));
        const RecordDefTable table = transferTable(c.page);
        Inspector inspector(&table);
        const std::string data = c.sound + c.wide + c.sound + c.wide;
        inspector.add(reinterpret_cast<const unsigned char*>(data.data()), data.size());
        const InspectionReport report = inspector.finish();
        ASSERT_EQ(1u, report.definition.fullWidthCharacters.size());
        const FieldFinding& f = report.definition.fullWidthCharacters[0];
        EXPECT_EQ(1, f.kind);
        EXPECT_EQ(1, f.field);
        EXPECT_EQ(2, f.places.count);
        EXPECT_EQ((std::vector<std::int64_t>{21, 61}), f.places.offsets);
        EXPECT_EQ((std::vector<std::int64_t>{2, 4}), f.places.recordNumbers);
        EXPECT_TRUE(report.hasProblems());
    }
}

}  // namespace
}  // namespace sorvek::testing
