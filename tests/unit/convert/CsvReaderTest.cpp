// The extract readers: the unquoting rule with its quirks, column counts and their messages, typed
// columns, the ordering of branches and departments, and bad input.

#include "common/Cp932.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "tests/support/ExtractWriter.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

using test::TExtractDescription;

TEST(UnquoteLine, RemovesTheQuotesAndHidesTheCommas)
{
    EXPECT_EQ(UnquoteLine("1,2,\"a,b\",c"), "1,2,a;b,c");
    // No quote followed by a comma closes the field: only the opening quote goes.
    EXPECT_EQ(UnquoteLine("1,\"a,b,c\""), "1,a,b,c\"");
    EXPECT_EQ(UnquoteLine("1,\"abc,d"), "1,abc,d");
    EXPECT_EQ(UnquoteLine("\"a,b\",c"), "\"a,b\",c");        // a quote at the very start is not recognised
    // A quoted text holding a quote followed by a comma is cut there.
    EXPECT_EQ(UnquoteLine("x,\"say \"\"hi\"\",there\",y"), "x,say \"\"hi\",there\",y");
    EXPECT_EQ(UnquoteLine("no quotes,here"), "no quotes,here");
}

class ExtractReading : public ::testing::Test {
protected:
    test::TTempFolder folder;
    TExtractDescription extract;
    std::vector<std::string> errors;

    void SetUp() override
    {
        extract.Years = {{.Code = 7, .Start = TDate::Ymd(2025, 4, 1), .End = TDate::Ymd(2026, 3, 31)}};
        extract.Accounts = {{.Code = "10100", .UserCode = "101", .Level1 = "10", .Name = "現金"},
                            {.Code = "41100", .UserCode = "411", .Level1 = "40", .Name = "売上高,雑収入", .Side = "2"}};
    }

    void Write() { test::WriteExtract(extract, folder.Path()); }
};

TEST_F(ExtractReading, AQuotedNameKeepsItsCommaAfterReading)
{
    Write();
    const auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(accounts[1].Text(12), "売上高,雑収入");
    EXPECT_EQ(accounts[1].Text(2), "41100");
    EXPECT_EQ(accounts[1].YearCode(), 7);
    EXPECT_EQ(accounts[1].WorkFlag, 0);
}

TEST_F(ExtractReading, ColumnCountsAndTheirMessages)
{
    const std::string base24 = "1,7,10200,102,10,,,,,,,,預金,1,,,,9901,,9901,,,,0";  // 24 columns
    extract.ExtraLines = {{"ZMKANJYO.CSV", EncodeCp932(base24 + ",x,y")},        // 26: rejected silently
                          {"ZMKANJYO.CSV", EncodeCp932(base24 + ",x,y,z")},      // 27: too many
                          {"ZMKANJYO.CSV", EncodeCp932("1,7,10300,103")},        // 4: too few
                          {"ZMKANJYO.CSV", EncodeCp932(base24)}};
    Write();
    const auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    ASSERT_EQ(accounts.size(), 6u);
    EXPECT_TRUE(accounts[2].Empty());
    EXPECT_TRUE(accounts[3].Empty());
    EXPECT_TRUE(accounts[4].Empty());
    EXPECT_EQ(accounts[2].YearCode(), 0);  // an empty slot matches no year
    EXPECT_EQ(accounts[5].Text(12), "預金");
    EXPECT_EQ(accounts[5].Text(24), "");   // the optional last column of the smaller count
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "ZM勘定科目（項目数>26）：" + base24 + ",x,y,z");
    EXPECT_EQ(errors[1], "ZM勘定科目（項目数<25）：1,7,10300,103");
}

TEST_F(ExtractReading, TrailingQuotedFieldDiffersBetweenAbbreviationsAndAssociations)
{
    extract.ExtraLines = {{"ZMRYAKU.CSV", EncodeCp932("1,7,ｱｲｳ,振込,\"手数,料\"")},
                          {"ZMRENSOU.CSV", EncodeCp932("1,7,0001,10100,41100,\"振込,手数料\"")}};
    Write();
    const auto abbreviations = ReadExtract<TZMRYAKU>(folder.Path(), extract::Zmryaku, errors);
    ASSERT_EQ(abbreviations.size(), 1u);
    EXPECT_TRUE(abbreviations[0].Empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ZM略号摘要（項目数>5）：1,7,ｱｲｳ,振込,\"手数,料\"");
    errors.clear();
    const auto associations = ReadExtract<TZMRENSOU>(folder.Path(), extract::Zmrensou, errors);
    ASSERT_EQ(associations.size(), 1u);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(associations[0].Text(5), "振込,手数料");
}

TEST_F(ExtractReading, BranchesComeOutByYearThenOrderKey)
{
    extract.Years.push_back({.Code = 6, .Start = TDate::Ymd(2024, 4, 1), .End = TDate::Ymd(2025, 3, 31)});
    extract.Branches = {{"00000000", "B", "本店"}, {"00000002", "A", "大阪支店"}, {"00000003", "ｱ", "名古屋支店"},
                        {"00000004", "亜", "髙松支店"}};
    Write();
    const auto branches = ReadExtract<Tcmhonten>(folder.Path(), extract::Cmhonten, errors);
    ASSERT_EQ(branches.size(), 8u);
    // Year 6 first; within a year the CP932 bytes of column 3: "A" < "B" < 亜 (0x88) < ｱ (0xB1).
    std::vector<std::string> order;
    for (const auto& branch : branches)
        order.push_back(std::to_string(branch.YearCode()) + branch.Text(3));
    EXPECT_EQ(order, (std::vector<std::string>{"6A", "6B", "6亜", "6ｱ", "7A", "7B", "7亜", "7ｱ"}));
}

TEST_F(ExtractReading, MissingAndEmptyFiles)
{
    extract.OmittedFiles = {"ZMRYAKU.CSV"};
    Write();
    const auto missing = ReadExtract<TZMRYAKU>(folder.Path(), extract::Zmryaku, errors);
    EXPECT_TRUE(missing.empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "ZM略号摘要[ZMRYAKU.CSV]ファイルが無い");
    errors.clear();
    const auto empty = ReadExtract<TZMHONKAN>(folder.Path(), extract::Zmhonkan, errors);  // written empty
    EXPECT_TRUE(empty.empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(ExtractReading, TypedColumnsAndBrokenBytes)
{
    // An amount that is no number reads 0; broken Shift-JIS bytes become blanks instead of stopping the read.
    std::string line = "1,7,00000000,10100,00000,1,abc";
    for (int i = 0; i < 32; ++i)
        line += ",5";
    extract.ExtraLines = {{"ZMUCHZAN.CSV", line}, {"ZMKANJYO.CSV", "1,7,10400,104,10,,,,,,,,\x82!\x88\x9F,1,,,,9901,,9901,,,,0"}};
    Write();
    const auto balances = ReadExtract<TZMUCHZAN>(folder.Path(), extract::Zmuchzan, errors);
    ASSERT_FALSE(balances.empty());
    const auto& last = balances.back();
    EXPECT_EQ(last.Amount(6).Raw(), 0);
    EXPECT_EQ(last.Amount(7), TMoney::FromYen(5));
    EXPECT_EQ(last.Amount(38), TMoney::FromYen(5));
    const auto accounts = ReadExtract<TZMKANJYO>(folder.Path(), extract::Zmkanjyo, errors);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(accounts.back().Text(12), "  亜");

    const auto management = ReadExtract<Ttadatama>(folder.Path(), extract::Tadatama, errors);
    ASSERT_EQ(management.size(), 1u);
    EXPECT_EQ(management[0].Date(2), TDate::Ymd(2025, 4, 1));
    EXPECT_EQ(management[0].Date(3), TDate::Ymd(2026, 3, 31));
}

TEST(ExtractFiles, NamesMatchWithoutRegardToCase)
{
    test::TTempFolder folder;
    test::WriteBytes(folder.Path() / "cm" / "CmKanSig.csv", "1,7,,2,0,0\r\n");
    std::vector<std::string> errors;
    const auto resources = ReadExtract<Tcmkansig>(folder.Path(), extract::Cmkansig, errors);
    ASSERT_EQ(resources.size(), 1u);
    EXPECT_EQ(resources[0].Text(3), "2");
    EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace qz
