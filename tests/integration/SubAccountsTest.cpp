// Sub-account code adjustment on a restored corporation template: the renumbering of colliding
// sub-accounts, merged accounts becoming sub-accounts, the master lines and the aggregated-accounts list.

#include "common/ChartKind.h"
#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/SjisText.h"
#include "tests/support/ConversionFixture.h"
#include "tests/support/ExtractRecords.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qz {
namespace {

constexpr int kYear = 7;

class SubAccountsTest : public test::TConversionFixture {
protected:
    SubAccountsTest() : TConversionFixture(kYear) {}

    void SetUp() override
    {
        context.KamokuKetasu = 3;
        context.HojoKetasu = 3;
        context.HojoKetasuMoto = 3;
        context.Writer.BuildAggregationTable(kChartCorporation);
    }

    // A classified source account and, unless it is its own, the target it maps to.
    void Account(std::string_view code, std::string_view user, std::string_view name, std::string_view target = {},
                 std::string_view debitTax = {}, std::string_view creditTax = {})
    {
        context.Zmkanjyo.push_back(
            test::AccountRecord(kYear, {.Code = code, .UserCode = user, .Name = name, .DebitTax = debitTax, .CreditTax = creditTax}));
        context.Writer.AccountCodes.push_back({std::string(code), std::string(target.empty() ? code : target), 0});
    }
    void SubAccount(std::string_view account, std::string_view code, std::string_view user, std::string_view name)
    {
        context.Zmuchiwa.push_back(test::SubAccountRecord(kYear, account, code, user, name));
    }

    // Sub-accounts colliding on one target account, merged accounts with and without sub-accounts, an
    // aggregated account without sub-accounts of its own, and a special account's sub-account.
    void CorporationWithMergedAccounts()
    {
        Account("10100", "101", "現金");
        SubAccount("10100", "00001", "005", "小口現金");
        SubAccount("10100", "00002", "007", "本社金庫");
        Account("10800", "108", "普通預金");
        Account("10805", "185", "別段預金", "10800");
        Account("11200", "112", "受取手形");
        SubAccount("11200", "00001", "009", "甲商事");
        SubAccount("11200", "00002", "003", "乙商店");
        Account("11205", "186", "割引手形", "11200");
        SubAccount("11205", "00001", "003", "丙産業");
        Account("11300", "113", "売掛金");
        SubAccount("11300", "00001", "001", "Ａ銀行");
        SubAccount("11300", "00002", "002", "Ｂ銀行");
        Account("11400", "114", "未収入金", "11300", "0111", "9151");
        SubAccount("11400", "00001", "001", "Ｃ信金");
        Account("11500", "115", "とても長い名前の未収収益勘定科目", "11300");   // 32 bytes
        Account("15500", "155", "建物");
        Account("15600", "156", "建物付属設備", "15500");
        Account("19000", "190", "仮払消費税");
        SubAccount("19000", "00001", "001", "輸入分");
        context.TokuteiKamoku[1] = "19000";
        ASSERT_TRUE(context.BuildHojoIndex()) << context.ReadErrorText();
    }

    std::vector<TCCTHCODE> EntriesOf(std::string_view target) const
    {
        std::vector<TCCTHCODE> entries;
        for (const TCCTHCODE& entry : context.Writer.SubAccountCodes)
            if (entry.NewKCode == target)
                entries.push_back(entry);
        return entries;
    }

    std::string Text(std::string_view sql)
    {
        fb::TStatement query(transaction);
        query.Prepare(sql);
        query.Open();
        return query.Fetch() ? query.AsString(0) : "(none)";
    }
};

TEST_F(SubAccountsTest, CollidingSubAccountsAreRenumberedPerTargetAccount)
{
    CorporationWithMergedAccounts();
    const THxzMakeData& writer = context.Writer;

    // No collision: the user codes stay.
    EXPECT_EQ(writer.FindSubAccountTarget("10100", "00001"), "005");
    EXPECT_EQ(writer.FindSubAccountTarget("10100", "00002"), "007");
    // "003" twice on 11200: every row of the account, the catch-all of 11205 included, is numbered afresh in
    // the order of source account and former code.
    EXPECT_EQ(writer.FindSubAccountTarget("11200", "00002"), "001");
    EXPECT_EQ(writer.FindSubAccountTarget("11200", "00001"), "002");
    EXPECT_EQ(writer.FindSubAccountTarget("11205", "00001"), "003");
    EXPECT_EQ(writer.FindSubAccountTarget("11205", "99999"), "004");
    // The aggregated account 11300 takes its own and the merged rows, numbered through.
    std::vector<std::string> codes;
    for (const TCCTHCODE& entry : EntriesOf("11300"))
        codes.push_back(entry.NewHCode);
    EXPECT_EQ(codes, (std::vector<std::string>{"001", "002", "003", "004", "005", "999"}));
    const auto aggregation = std::find_if(writer.Aggregations.begin(), writer.Aggregations.end(),
                                          [](const TSYUYAKU& a) { return a.SyuyakuCode == "11300"; });
    ASSERT_NE(aggregation, writer.Aggregations.end());
    EXPECT_EQ(std::tuple(aggregation->OwnRows, aggregation->MergedAccounts, aggregation->MergedMulti), std::tuple(2, 2, 0));

    // The branch-numbered account without sub-accounts: one row for the target account, one for itself.
    const std::vector<TCCTHCODE> deposits = EntriesOf("10800");
    ASSERT_EQ(deposits.size(), 3u);
    EXPECT_EQ(deposits[0].OldKCode + "[" + deposits[0].OldHCode + "]" + deposits[0].NewHCode, "10800[ ]001");
    EXPECT_EQ(deposits[1].OldKCode + "[" + deposits[1].OldHCode + "]" + deposits[1].NewHCode, "10805[ ]002");

    // Every target account ends with its "others" entry; the special account's sub-account keeps no code.
    std::string previous;
    for (std::size_t i = 0; i < writer.SubAccountCodes.size(); ++i) {
        const TCCTHCODE& entry = writer.SubAccountCodes[i];
        const bool last = i + 1 == writer.SubAccountCodes.size() || writer.SubAccountCodes[i + 1].NewKCode != entry.NewKCode;
        EXPECT_EQ(entry.NewHCode == "999", last) << i;
        if (last) {
            EXPECT_EQ(entry.OldHCode + entry.OldHUser, "") << i;
        }
    }
    EXPECT_EQ(writer.FindSubAccountTarget("19000", "00001"), " ");
    EXPECT_EQ(writer.SkipSubAccountCodes[0], "19000");
    EXPECT_EQ(context.HojoIndex.size(), writer.SubAccountCodes.size());
    EXPECT_EQ(context.HojoIndex[0], "補助No[0] OLD[10100-00001] NEW[10100-005]");

    EXPECT_EQ(test::QueryInt(transaction, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = 'ONETIME'"), 0);
    // The next imported year builds the table again in the same transaction.
    const std::vector<std::string> index = context.HojoIndex;
    ASSERT_TRUE(context.BuildHojoIndex()) << context.ReadErrorText();
    EXPECT_EQ(context.HojoIndex, index);
    EXPECT_EQ(lines.Lines[0], "補助科目の索引を作成中です。");
    EXPECT_TRUE(ui.Messages.empty()) << ui.LastText();
}

TEST_F(SubAccountsTest, EntriesWithoutSubAccountOfMergedAccountsConvert)
{
    CorporationWithMergedAccounts();
    THxzMakeData& writer = context.Writer;
    // The aggregated account that had no sub-accounts stands as its own sub-account, by its client code.
    EXPECT_EQ(writer.ConvertSubAccountCode("15500", "", false, "建物"), "155");
    EXPECT_EQ(writer.ConvertSubAccountCode("15600", "", false, "建物付属設備"), "156");
    EXPECT_EQ(writer.ConvertSubAccountCode("11500", "", false, "未収収益"), "005");
    EXPECT_EQ(writer.ConvertSubAccountCode("11400", "", false, "未収入金"), "003");
    EXPECT_EQ(writer.ConvertSubAccountCode("10805", "", false, "別段預金"), "002");
    EXPECT_EQ(writer.ConvertSubAccountCode("10800", "", false, "普通預金"), "001");
    EXPECT_EQ(writer.ConvertSubAccountCode("11300", "", false, "売掛金"), "999");
    EXPECT_EQ(writer.SubAccountLookupError, 0) << writer.MissingCodes;
}

TEST_F(SubAccountsTest, SixDigitSubAccountsAreNumberedByUserCodePerAccount)
{
    context.HojoKetasu = 4;
    context.HojoKetasuMoto = 6;
    context.KamokuKetasu = 4;
    context.Writer.AllNineCode = "9999";
    Account("10100", "1012", "現金");
    SubAccount("10100", "00001", "000300", "三");
    SubAccount("10100", "00002", "000100", "一");
    SubAccount("10100", "00003", "000200", "二");
    Account("10200", "1029", "当座預金");
    SubAccount("10200", "00001", "000050", "Ａ銀行");
    ASSERT_TRUE(context.BuildHojoIndex()) << context.ReadErrorText();
    EXPECT_EQ(context.Writer.FindSubAccountTarget("10100", "00002"), "0001");
    EXPECT_EQ(context.Writer.FindSubAccountTarget("10100", "00003"), "0002");
    EXPECT_EQ(context.Writer.FindSubAccountTarget("10100", "00001"), "0003");
    EXPECT_EQ(context.Writer.FindSubAccountTarget("10200", "00001"), "0001");
    EXPECT_EQ(EntriesOf("10200").back().NewHCode, "9999");
}

TEST_F(SubAccountsTest, MasterLinesAndTheAggregatedAccountsList)
{
    CorporationWithMergedAccounts();
    TKMKREC account;
    account.KCODE = "10800";
    account.KNAME = "普通預金";
    account.BPFLG = "B";
    context.Writer.Accounts.push_back(account);
    const std::vector<TBlockLine> master = ReadLineBlock(context.ReadHojo());
    EXPECT_EQ(lines.Lines[0], "・補助科目を読込中です。");
    std::vector<TBlockLine> merged;
    for (const TBlockLine& line : master) {
        EXPECT_NE(line.Value("KCODE"), "19000");   // the special account's sub-accounts are not written
        if (line.Value("KCODE") == "11300")
            merged.push_back(line);
    }
    ASSERT_EQ(merged.size(), 6u);
    // 11400's sub-account: its name, the merged account's side and tax categories.
    EXPECT_EQ(merged[3].Value("HNAME"), "Ｃ信金");
    EXPECT_EQ(merged[3].Value("HKANA"), "114");
    EXPECT_EQ(merged[3].Value("BPFLG"), "B");
    EXPECT_EQ(merged[3].Value("TAX_LCODE") + "/" + merged[3].Value("TAX_RCODE"), "110/511");
    EXPECT_EQ(merged[2].Value("HNAME"), "その他");   // 11400's entries without sub-account
    // The merged account's name is cut to the width of a sub-account's name.
    EXPECT_EQ(merged[4].Value("HNAME"), "とても長い名前の未収収益勘定");
    EXPECT_EQ(SjisLength(merged[4].Value("HNAME")), 28u);
    EXPECT_EQ(merged[5].Value("HNAME"), "その他");
    EXPECT_EQ(EntriesOf("19000")[0].NewHCode, " ");

    context.Writer.SetTransaction(transaction);
    ASSERT_EQ(context.Writer.WriteSubAccounts(context.ReadHojo()), 0) << context.Writer.GetErrorText();

    std::vector<TSyuyakuRow> rows;
    ASSERT_GE(context.FillSyuyakuList(rows), 5);
    const std::string deposits = Text("SELECT USERCODE FROM KAMOKUMST WHERE KCODE = '10800'");
    const std::string depositsName = Text("SELECT KNAME FROM KAMOKUMST WHERE KCODE = '10800'");
    const std::string notes = Text("SELECT USERCODE FROM KAMOKUMST WHERE KCODE = '11200'");
    const std::string notesName = Text("SELECT KNAME FROM KAMOKUMST WHERE KCODE = '11200'");
    using TCells = std::array<std::string, 9>;
    // Accounts repeated from the row before are left blank; unchanged sub-accounts and the all-nines
    // entries are not listed.
    EXPECT_EQ(rows[0].Cells, (TCells{"108", "普通預金", "", "", "", deposits, depositsName, "001", "普通預金"}));
    EXPECT_EQ(rows[1].Cells, (TCells{"185", "別段預金", "", "", "", "", "", "002", "別段預金"}));
    EXPECT_EQ(rows[2].Cells, (TCells{"112", "受取手形", "003", "乙商店", "", notes, notesName, "001", "乙商店"}));
    EXPECT_EQ(rows[3].Cells, (TCells{"", "", "009", "甲商事", "", "", "", "002", "甲商事"}));
    EXPECT_EQ(rows[4].Cells, (TCells{"186", "割引手形", "003", "丙産業", "", "", "", "003", "丙産業"}));
    for (const TSyuyakuRow& row : rows)
        EXPECT_TRUE(row.Cells[7] != "999" && row.Cells[2] != "005") << row.Cells[0] << row.Cells[7];
}

TEST_F(SubAccountsTest, FailuresAreLoggedAndShown)
{
    // The same sub-account twice: the table refuses the second row.
    Account("10100", "101", "現金");
    SubAccount("10100", "00001", "001", "小口現金");
    SubAccount("10100", "00001", "002", "小口現金");
    EXPECT_FALSE(context.BuildHojoIndex());
    ASSERT_EQ(context.ReadErrors.size(), 3u);
    EXPECT_TRUE(context.ReadErrors[0].starts_with("ErrCode<")) << context.ReadErrors[0];
    EXPECT_TRUE(context.ReadErrors[1].starts_with("補助科目コード調整：")) << context.ReadErrors[1];
    EXPECT_TRUE(ui.LastText().starts_with("補助科目コード調整：ErrCode<")) << ui.LastText();
}

TEST_F(SubAccountsTest, MoreSubAccountsThanCodesFailInsteadOfSharingCodes)
{
    // 999 sub-accounts in three digits: the last would take "999", the code of the account's "others".
    context.HojoKetasuMoto = 6;
    Account("10100", "101", "現金");
    for (int i = 1; i <= 999; ++i)
        SubAccount("10100", Format("%05d", i), Format("%06d", i), "得意先");
    EXPECT_FALSE(context.BuildHojoIndex());
    ASSERT_FALSE(context.ReadErrors.empty());
    EXPECT_EQ(context.ReadErrors.back(), "補助科目コード調整：補助科目が3桁のコードに収まりません。科目[10100]");
    EXPECT_EQ(ui.LastText(), context.ReadErrors.back());
}

}  // namespace
}  // namespace qz
