// The basic information derived from the selected year, the opening-balance lines and the check of the
// balances carried forward, on a data database restored from the corporation template. The extract's
// records are filled directly, typed as the reader types them.

#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/Settings.h"
#include "tests/support/ConversionFixture.h"
#include "tests/support/ExtractRecords.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace qz {
namespace {

constexpr int kYear = 5;

using TColumns = test::TColumnTexts;

TZMKANJYO Account(std::string_view code, std::string_view level, std::string_view side, std::string_view name)
{
    return test::AccountRecord(kYear, {.Code = code, .Level1 = level, .Name = name, .Side = side});
}

// A balance row: branch, account, sub-account (ZMUCHZAN) or department (ZMBUMZAN), and amounts by column.
template <typename TRecord = TZMUCHZAN>
TRecord Balance(std::string_view branch, std::string_view account, std::string_view sub, TColumns amounts,
                int year = kYear, std::string_view kind = "1")
{
    amounts.insert({{2, branch}, {3, account}, {4, sub}, {5, kind}});
    return test::MakeRecord<TRecord>(std::is_same_v<TRecord, TZMBUMZAN> ? extract::Zmbumzan : extract::Zmuchzan, year, amounts);
}

std::string Block(std::initializer_list<std::initializer_list<TBlockItem>> lines)
{
    TLineBlockBuilder builder;
    for (const auto& line : lines)
        builder.AddLine(line);
    return builder.Text();
}

class ConversionTest : public test::TConversionFixture {
protected:
    ConversionTest() : TConversionFixture(kYear) {}
    void SetUp() override { transaction.Start(); }
    void Exec(std::string_view sql) { fb::ExecuteImmediate(transaction, sql); }
    std::int64_t Setting(std::string_view key)
    {
        return ReadAccReg(transaction, "基本設定", key, kRegInt, "-1").Int;
    }
};

// ---------------------------------------------------------------------------------------------
// Basic information

class BasicInfoTest : public ConversionTest {
protected:
    TACCINF info;

    void SetUp() override
    {
        ConversionTest::SetUp();
        info.TAXU_HASUU = info.TAXH_HASUU = 7;   // as the template had them
        SpecialAccountCodes().Set("仮払消費税", {"30500", "191"});
        context.TokuteiKamoku = {"10100", "18000", "33700", "85300", "99900", "", ""};
        context.KamokuKetasu = 3;
        context.HojoKetasu = 4;
        context.BumonKetasu = 2;
    }
    static TZMKANNEN Year(std::string_view name, TColumns columns)
    {
        columns[5] = name;
        return test::MakeRecord<TZMKANNEN>(extract::Zmkannen, kYear, columns);
    }
};

TEST_F(BasicInfoTest, ACorporationTakesTheLastRecordOfTheYearAndCutsOnWholeCharacters)
{
    // 19 double-byte characters and one letter fill 39 bytes: the 40th is the first byte of "様".
    const std::string name = "山田商事東京本店営業部第一課販売係担当A様方";
    context.Zmkannen = {Year("旧商号", {{40, "3"}, {41, "3"}}),
                        Year(name, {{4, "カブシキガイシャ　ヤマダショウジ　トウキョウシテンデス"}, {40, "1"}, {41, "9"}, {59, "2"}}),
                        test::MakeRecord<TZMKANNEN>(extract::Zmkannen, kYear + 1, {{5, "翌年"}})};
    context.Zmkesan = {test::MakeRecord<TZMKESAN>(extract::Zmkesan, kYear - 1, {{4, "7"}})};   // another year's only
    context.Zmkanjyo = {Account("50100", "50", "1", "原材料仕入高")};
    context.JigyouKubun = "02";
    context.Kisyu = TDate::Ymd(2025, 4, 1);
    context.Kimatu = TDate::Ymd(2026, 3, 31);
    context.KaisiTuki = TDate::Ymd(2025, 6, 1);
    context.KaisiTukiNo = 3;
    context.Simebi = 20;
    context.SitenSu = 0;   // no branch record at all
    context.BumonSu = 3;

    ASSERT_EQ(context.DeriveBasicInfo(info), 0);
    EXPECT_EQ(info.ENTTEXT, "山田商事東京本店営業部第一課販売係担当A ");
    EXPECT_EQ(info.SKANA, "ｶﾌﾞｼｷｶﾞｲｼｬ ﾔﾏﾀﾞｼｮｳｼﾞ ﾄｳｷｮｳｼﾃﾝﾃ");
    EXPECT_EQ(info.DATATYPE * 10 + info.CODETYPE, 11);
    EXPECT_EQ(info.NENDO, 1);
    EXPECT_EQ(info.KISHU, context.Kisyu);
    EXPECT_EQ(info.KAISI, context.KaisiTuki);
    EXPECT_EQ(info.KAISINO * 100 + info.SIME, 320);
    EXPECT_EQ(info.TAXU_HASUU, 2);   // 1 → 2
    EXPECT_EQ(info.TAXH_HASUU, 7);   // 9 has no equivalent
    EXPECT_EQ(context.TaxDefault, 1);
    EXPECT_EQ(info.TAXJIGYOU, 1);
    EXPECT_EQ(info.GENKA_USE + info.GENKAPRINT, 2);
    EXPECT_EQ(info.SITEN, 0);
    EXPECT_EQ(info.BUMON, 2);
    EXPECT_EQ(SpecialAccountCodes().Get("仮払消費税").KCode, "18000");
    EXPECT_EQ(SpecialAccountCodes().Get("仮払消費税").UserCode, "191");   // only the system code changes
    EXPECT_EQ(SpecialAccountCodes().Get("仮受消費税").KCode, "33700");
    EXPECT_EQ(SpecialAccountCodes().Get("諸口").KCode, "99900");

    // A year record of its own for the selected year names the year.
    context.Zmkesan.push_back(test::MakeRecord<TZMKESAN>(extract::Zmkesan, kYear, {{4, "12"}}));
    context.SitenSu = 2;
    ASSERT_EQ(context.DeriveBasicInfo(info), 0);
    EXPECT_EQ(info.NENDO * 100 + context.NendoNo, 1212);
    EXPECT_EQ(info.SITEN, 1);
}

TEST_F(BasicInfoTest, AnIndividualKeepsTheCalendarYear)
{
    context.HoujinKojin = 2;
    context.JigyouKubun = "02";
    context.TokuteiKamoku = {"10100", "18000", "16000", "33700", "37000", "38000", "99900"};
    context.Kisyu = TDate::Ymd(2014, 4, 1);
    context.Kimatu = TDate::Ymd(2015, 3, 31);
    context.KaisiTukiNo = 1;
    context.Zmkannen = {Year("A山田太郎商店本舗東京", {{11, "大阪府大阪市北区梅田一丁目二番三号梅田ビル"}, {12, "三階"}})};
    context.Zmkanjyo = {Account("50100", "50", "1", "仕入")};

    ASSERT_EQ(context.DeriveBasicInfo(info), 0);
    EXPECT_EQ(info.KISHU, TDate::Ymd(2014, 1, 1));
    EXPECT_EQ(info.KIMATU, TDate::Ymd(2014, 12, 31));
    EXPECT_EQ(info.KAISI, TDate::Ymd(2014, 4, 1));
    EXPECT_EQ(info.KAISINO, 4);
    EXPECT_EQ(info.SIME, 99);
    EXPECT_EQ(info.NENDO, 26);   // 平成26年
    EXPECT_EQ(info.DATATYPE * 10 + info.CODETYPE, 21);
    EXPECT_EQ(info.AO_SIMEI, "A山田太郎商店本 ");   // 16 bytes, the 16th the first of "舗"
    EXPECT_EQ(info.AO_ADD1, "大阪府大阪市北区梅田一丁目二番");
    EXPECT_EQ(info.TAXJIGYOU, 5);
    EXPECT_EQ(info.TAXU_HASUU * 10 + info.TAXH_HASUU, 0);   // empty rounding columns read as 2 → 0
    EXPECT_EQ(context.TaxDefault, 0);   // an empty tax default reads as 1
    EXPECT_EQ(SpecialAccountCodes().Get("仮受消費税").KCode, "33700");

    // The real-estate chart has no cost accounts.
    context.JigyouKubun = "03";
    context.FudosanTaikei = 1;
    ASSERT_EQ(context.DeriveBasicInfo(info), 0);
    EXPECT_EQ(info.DATATYPE * 10 + info.CODETYPE, 22);
    EXPECT_EQ(info.GENKA_USE, 0);
}

TEST_F(BasicInfoTest, DigitSettingsAreStoredEvenWithoutAYearRecord)
{
    const TACCINF before = info;
    for (const auto& [department, stored] : {std::pair{2, 1}, std::pair{3, 2}, std::pair{4, 0}}) {
        context.BumonKetasu = department;
        ASSERT_EQ(context.DeriveBasicInfo(info), 0);
        EXPECT_EQ(Setting("部門コード桁数"), stored) << department;
    }
    EXPECT_EQ(Setting("科目コード桁数"), 2);   // 3 digits
    EXPECT_EQ(Setting("補助コード桁数"), 0);   // 5 digits, capped to 4 by the year selection
    EXPECT_EQ(info.ENTTEXT, before.ENTTEXT);
    EXPECT_EQ(info.TAXU_HASUU, before.TAXU_HASUU);

    // Free codes of five digits cut to the chosen width: the setting follows the width the codes have.
    context.KamokuKetasu = 5;
    context.FreeCodeSiyou = context.FreeCodeOver = true;
    for (const auto& [width, stored] : {std::pair{3, 2}, std::pair{4, 0}}) {
        context.FreeCodeKetasu = width;
        ASSERT_EQ(context.DeriveBasicInfo(info), 0);
        EXPECT_EQ(Setting("科目コード桁数"), stored) << width;
    }
}

// ---------------------------------------------------------------------------------------------
// Opening balances and the carry-over check

// Branches 01 and 02 beside the head office; 15200 has the sub-accounts 001 and 002 (and so 999);
// 15500 is an aggregated account with an account merged into it and a sub-account made for its own
// balance; 30700 is a credit-side account kept per department.
class BalancesTest : public ConversionTest {
protected:
    void SetUp() override
    {
        ConversionTest::SetUp();
        context.ZandakaSyubetu = 1;
        context.SitenSu = 3;
        context.BumonSu = 2;
        AccInfo().SITEN = 1;
        AccInfo().BUMON = 2;
        THxzMakeData& writer = context.Writer;
        writer.BranchCodes = {{"00000001", "01"}, {"00000002", "02"}};
        writer.DepartmentCodes = {{"001", "01"}, {"002", "02"}};
        for (const char* code : {"10100", "10200", "15200", "15500", "30700", "41100", "85300"})
            writer.AccountCodes.push_back({code, code});
        writer.SubAccountCodes = {{"15200", "00001", "001", "15200", "001"},
                                  {"15200", "00002", "002", "15200", "002"},
                                  {"15500", " ", "", "15500", "155"}};
        writer.Aggregations = {{"15500", 0, 1, 1}};
        ASSERT_EQ(writer.WriteBranches(Block({{{"SCODE", "01"}, {"SNAME", "大阪支店"}, {"BUMEX", "0"}},
                                              {{"SCODE", "02"}, {"SNAME", "名古屋支店"}, {"BUMEX", "0"}}})),
                  0)
            << writer.GetErrorText();
        ASSERT_EQ(writer.WriteSubAccounts(Block({
                      {{"KCODE", "15200"}, {"HCODE", "001"}, {"HNAME", "甲商店"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
                      {{"KCODE", "15200"}, {"HCODE", "002"}, {"HNAME", "乙商店"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
                      {{"KCODE", "15500"}, {"HCODE", "155"}, {"HNAME", "その他の営業債権"}, {"TAX_LCODE", "910"}, {"TAX_RCODE", "910"}, {"BPFLG", "B"}},
                  })),
                  0)
            << writer.GetErrorText();
        context.Zmkanjyo = {Account("10100", "10", "1", "現金"),       Account("10200", "10", "1", "当座預金"),
                            Account("15200", "10", "1", "売掛金（得意先）"), Account("15500", "10", "1", "その他債権"),
                            Account("30700", "20", "2", "買掛金"),     Account("41100", "40", "2", "雑売上"),
                            Account("85300", "30", "2", "繰越利益")};
        context.Zmuchiwa = {test::SubAccountRecord(kYear, "15200", "00001", "001", "甲商店"),
                            test::SubAccountRecord(kYear, "15200", "00002", "002", "乙商店")};
    }

    // The KAISIZAN values of a block of opening-balance lines, in order.
    static std::vector<std::string> Amounts(const std::string& block)
    {
        std::vector<std::string> amounts;
        for (const TBlockLine& line : ReadLineBlock(block))
            amounts.push_back(line.Value("KAISIZAN"));
        return amounts;
    }
};

TEST_F(BalancesTest, OpeningLinesTakeTheOpeningBalanceOrTheMonthBeforeOnTheAccountsSide)
{
    // Columns 11/27 are month 4 of the year; column 10 is the first quarter's settlement, never a month.
    context.Zmuchzan = {
        Balance("00000000", "10100", "00000", {{6, "999"}, {11, "999"}}),   // the head office stands for all branches
        Balance("00000001", "15200", "00000", {{6, "922337203685477"}, {10, "1"}, {11, "700000"}, {26, "2"}, {27, "150000"}}),
        Balance("00000001", "15200", "00001", {{6, "300000"}, {11, "400000"}, {27, "60000"}}),
        Balance("00000001", "15500", "00000", {{6, "40000"}, {11, "45000"}}),
        Balance("00000002", "30700", "00000", {{6, "800000"}, {11, "100000"}, {27, "900000"}}),
        Balance("00000002", "30700", "00000", {{6, "1"}}, kYear, "2"),      // the other balance kind
        Balance("00000001", "10100", "00000", {{6, "2"}}, kYear - 1),       // another year
    };
    context.Zmbumzan = {
        Balance<TZMBUMZAN>("00000002", "30700", "001", {{6, "200000"}, {11, "50000"}, {27, "260000"}}),
        Balance<TZMBUMZAN>("00000002", "30700", "002", {{6, "100000"}, {27, "120000"}}),
        Balance<TZMBUMZAN>("00000001", "30700", "001", {{6, "7"}}),         // another branch
    };
    const std::string opening = context.ReadKaisiZan(kYear, 1, 0);
    const std::vector<std::string> expected = {
        "SCODE=01\tKCODE=15200\tHCODE= \tBCODE=00\tTAISHAKU=1\tKAISIZAN=922337203685477.00",
        "SCODE=01\tKCODE=15200\tHCODE=001\tBCODE=00\tTAISHAKU=1\tKAISIZAN=300000.00",
        // The aggregated account's own balance also lands on the sub-account made for it.
        "SCODE=01\tKCODE=15500\tHCODE= \tBCODE=00\tTAISHAKU=1\tKAISIZAN=40000.00",
        "SCODE=01\tKCODE=15500\tHCODE=155\tBCODE=00\tTAISHAKU=1\tKAISIZAN=40000.00",
        "SCODE=02\tKCODE=30700\tHCODE= \tBCODE= \tTAISHAKU=2\tKAISIZAN=800000.00",
        "SCODE=02\tKCODE=30700\tHCODE= \tBCODE=01\tTAISHAKU=2\tKAISIZAN=200000.00",
        "SCODE=02\tKCODE=30700\tHCODE= \tBCODE=02\tTAISHAKU=2\tKAISIZAN=100000.00"};
    EXPECT_EQ(opening, JoinCrLf(expected));
    EXPECT_EQ(lines.Lines[0], "・開始残高を読込中です。");

    // Input from month 5: the balances at the end of month 4, debit side first minus second, credit side
    // second minus first.
    EXPECT_EQ(Amounts(context.ReadKaisiZan(kYear, 5, 0)),
              (std::vector<std::string>{"550000.00", "340000.00", "45000.00", "45000.00", "800000.00", "210000.00", "120000.00"}));
    EXPECT_THROW(context.ReadKaisiZan(kYear, 13, 0), std::out_of_range);
    EXPECT_EQ(context.Writer.AccountLookupError + context.Writer.SubAccountLookupError, 0);
}

TEST_F(BalancesTest, TheCarryOverCheckListsOnlyRealMismatches)
{
    SpecialAccountCodes().Set("繰越利益剰余金", {"85300", "853"});
    context.Zmkanjyo[1].WorkFlag = 1;   // 10200 has branch-numbered accounts merged into it
    const auto carry = [&](std::string_view branch, std::string_view account, std::string_view sub, std::string_view set) {
        Exec(Format("UPDATE KAKOZAN SET %s WHERE NENDO = 1 AND SCODE = '%s' AND KCODE = '%s' AND HCODE = '%s' AND BCODE = ' '",
                    set, branch, account, sub));
    };
    carry("01", "15200", "001", "KISHU = 100000, KOMIZAN_3 = 200000, NUKIZAN_3 = 180000");
    carry("01", "15200", "999", "KOMIZAN_16 = 150000, NUKIZAN_16 = 150000");
    carry("02", "30700", " ", "KISHU = -800000");
    context.Zmuchzan = {
        Balance("00000000", "10100", "00000", {{6, "999"}}),        // head office
        Balance("00000001", "15200", "00000", {{6, "500000"}}),     // the account's total: 450000 carried
        Balance("00000001", "15200", "00001", {{6, "300000"}}),     // agrees
        Balance("00000001", "15200", "00002", {{6, "20000"}}),      // nothing carried
        Balance("00000001", "15200", "00009", {{6, "70000"}}),      // a customer the selected year no longer has
        Balance("00000002", "30700", "00000", {{6, "800000"}}),     // kept with the opposite sign
        Balance("00000001", "85300", "00000", {{6, "5"}}),          // recomputed by the year update
        Balance("00000001", "15500", "00000", {{6, "6"}}),          // aggregated with a member
        Balance("00000001", "10200", "00000", {{6, "7"}}),          // work flag
        Balance("00000001", "41100", "00000", {{6, "8"}}),          // profit and loss
    };
    std::vector<std::string> list = {"old"};
    EXPECT_FALSE(context.CheckCarryOver(kYear, list));
    EXPECT_EQ(list, (std::vector<std::string>{"  [01:大阪支店][売掛金（得意先）:売掛金] 期末[450,000] 期首[500,000]",
                                              "  [01:大阪支店][売掛金（得意先）-乙商店:乙商店] 期末[0] 期首[20,000]"}));

    // Tax-excluded data carries its tax-excluded balances.
    AccInfo().TAXDEFUH = 1;
    EXPECT_FALSE(context.CheckCarryOver(kYear, list));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], "  [01:大阪支店][売掛金（得意先）:売掛金] 期末[430,000] 期首[500,000]");
    EXPECT_EQ(list[1], "  [01:大阪支店][売掛金（得意先）-甲商店:甲商店] 期末[280,000] 期首[300,000]");

    // Without branches every row is the whole company's; the lines name no branch.
    AccInfo().TAXDEFUH = 0;
    AccInfo().SITEN = 0;
    context.SitenSu = 1;
    context.Zmuchzan = {Balance("00000000", "10100", "00000", {{6, "1234567"}}),
                        Balance("00000000", "15200", "00001", {{6, "300000"}})};
    EXPECT_FALSE(context.CheckCarryOver(kYear, list));
    EXPECT_EQ(list, (std::vector<std::string>{"  [現金:現金] 期末[0] 期首[1,234,567]",
                                              "  [売掛金（得意先）-甲商店:甲商店] 期末[0] 期首[300,000]"}));

    context.Zmuchzan = {Balance("00000001", "15200", "00001", {{6, "300000"}})};
    AccInfo().SITEN = 1;
    context.SitenSu = 2;
    EXPECT_TRUE(context.CheckCarryOver(kYear, list));
    EXPECT_TRUE(list.empty());
}

// ---------------------------------------------------------------------------------------------
// The first input month of a year

TEST_F(ConversionTest, InputStartsAfterTheBalancesUnlessJournalsComeEarlier)
{
    context.ZandakaSyubetu = 1;
    context.CreateJournalSortTable();
    const auto journal = [&](int year, std::string_view date) {
        fb::TStatement insert(transaction);
        insert.Prepare(convert::sql::kInsertJournalSortRow);
        insert.SetInt("JigyounendoNaibuCD", year).SetString("TORIHIKIBI", date).SetString("HonsitenNaibuCD", "00000000");
        insert.SetString("DenpyouNaibuCD", "1").SetString("TaisyakuKubun", "1").SetString("TEXT", "");
        insert.Execute();
    };
    const auto first = [&](int calendarMonth) { return context.FirstInputMonth(kYear, calendarMonth); };

    // Nothing but an opening balance: input from the first month.
    context.Zmuchzan = {Balance("00000000", "10100", "00000", {{6, "1000"}, {8, "1000"}})};
    EXPECT_EQ(first(4), 1);
    // No opening: the month after the first one with an amount (month 3, its second series), whatever the
    // other balance kind and the other years hold.
    context.Zmuchzan = {Balance("00000000", "10100", "00000", {{9, "0"}, {25, "500"}}),
                        Balance("00000000", "10100", "00000", {{6, "1"}, {7, "1"}}, kYear, "2"),
                        Balance("00000000", "10100", "00000", {{6, "2"}, {7, "2"}}, kYear - 1)};
    EXPECT_EQ(first(4), 4);
    journal(kYear, "20250801");   // month 5 of a year from April
    journal(kYear - 1, "20250401");
    EXPECT_EQ(first(4), 4);
    journal(kYear, "20250510");   // month 2
    EXPECT_EQ(first(4), 2);
    // A year from October: January is its fourth month.
    context.Zmuchzan = {Balance("00000000", "10100", "00000", {{11, "9"}})};
    EXPECT_EQ(first(10), 5);
    journal(kYear, "20250115");
    EXPECT_EQ(first(10), 4);
    context.Zmuchzan.clear();
    EXPECT_EQ(first(4), 1);

    // Without the sort table the balances decide, and the failure is told.
    context.Zmuchzan = {Balance("00000000", "10100", "00000", {{9, "500"}})};
    context.DropJournalSortTable();
    EXPECT_EQ(first(4), 4);
    ASSERT_EQ(context.ReadErrors.size(), 3u);
    EXPECT_TRUE(context.ReadErrors[1].starts_with("開始月設定：")) << context.ReadErrors[1];
    EXPECT_TRUE(ui.LastText().starts_with("開始月設定：ErrCode<")) << ui.LastText();
}

}  // namespace
}  // namespace qz
