// The next-year update on a data database restored from the corporation template, with opening balances
// and a year of journals posted through the writer as the import run posts them: what the new year opens
// with is checked against sums the test works out from the journals, and a failure must leave nothing.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/LineBlock.h"
#include "common/PeriodCalendar.h"
#include "convert/ZaimuIO_Statements.h"
#include "db/AccInfo.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/JournalLine.h"
#include "writer/uQZ_DataKakikomi.h"
#include "yearupdate/NendoKousin_Steps.h"
#include "yearupdate/z5NendoKousin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace qz {
namespace {

namespace fs = std::filesystem;
using yearupdate::NextFiscalPeriod;

// ---------------------------------------------------------------------------------------------
// The rules

TEST(NextFiscalPeriod, FollowsTheClosingDay)
{
    const auto next = [](int y, int m, int d) {
        const yearupdate::TNextPeriod period = NextFiscalPeriod(TDate::Ymd(y, m, d));
        return period.Kishu.ToText() + "-" + period.Kimatu.ToText() + "/" + std::to_string(period.ClosingDay);
    };
    EXPECT_EQ(next(2026, 3, 31), "2026/04/01-2027/03/31/99");
    EXPECT_EQ(next(2025, 6, 20), "2025/06/21-2026/06/20/20");
    EXPECT_EQ(next(2023, 2, 28), "2023/03/01-2024/02/29/99");  // a month-end February closes at month ends
    EXPECT_EQ(next(2025, 9, 30), "2025/10/01-2026/09/30/99");
    // The 28th of a longer month is a closing day of its own: the year keeps twelve months.
    EXPECT_EQ(next(2025, 3, 28), "2025/03/29-2026/03/28/28");
    EXPECT_EQ(next(2024, 2, 28), "2024/02/29-2025/02/28/28");
    EXPECT_THROW(NextFiscalPeriod(TDate()), std::runtime_error);
}

TEST(NextAssetYear, DepreciatesFromTheOldClosingValue)
{
    using namespace yearupdate;
    const auto year = [](int method, int life, std::string_view rate, std::int64_t base, std::int64_t closing,
                         TDepreciationSettings settings = {}) {
        return NextAssetYear({1, method, life, *TMoney::Parse(rate), TMoney::FromYen(base), TMoney::FromYen(closing)}, settings);
    };
    // Straight line on the base: 1/3 is 0.334 in the tables.
    EXPECT_EQ(year(kStraightLine, 3, "0", 900000, 600000).Depreciation, 300600);
    // The memorandum yen stays on the books.
    EXPECT_EQ(year(kStraightLine, 3, "0", 900000, 250000).Depreciation, 249999);
    EXPECT_EQ(year(kStraightLine, 3, "0", 900000, 1).Depreciation, 0);
    // Declining balance on the opening value: its own rate, else 2/6 rounded to 0.333; yen are cut.
    EXPECT_EQ(year(kDeclining200, 6, "0.4", 1000000, 360000).Depreciation, 144000);
    EXPECT_EQ(year(kDeclining200, 6, "0", 1000000, 100001).Depreciation, 33300);
    // A transitional measure moves the asset to the other multiplier, whatever rate it stored.
    EXPECT_EQ(year(kDeclining200, 6, "0.4", 1000000, 100000, {.DecliningAt250 = true}).Depreciation, 41700);
    EXPECT_EQ(year(kDeclining250, 8, "0.313", 1000000, 100000, {.DecliningAt200 = true}).Depreciation, 25000);
    const TAssetYear land = year(kNotDepreciated, 0, "0", 5000000, 5000000);
    EXPECT_EQ(land.Opening, 5000000);
    EXPECT_EQ(land.Closing, 5000000);
    EXPECT_THROW(year(kStraightLine, 0, "0", 100, 100), std::runtime_error);
    EXPECT_THROW(year(9, 5, "0", 100, 100), std::runtime_error);
}

// ---------------------------------------------------------------------------------------------
// The update on a data database

struct TOutcome {
    bool Succeeded = false;
    std::string Context, Code, Message, Detail;
};

struct TAccount {
    std::string KCode;
    int Sign = 1;  // 1 debit side, -1 credit side
    bool ProfitAndLoss = false;
};

class YearUpdateTest : public test::TInstallationFixture {
protected:
    static constexpr std::string_view kCompany = "株式会社髙橋商店";
    static constexpr std::string_view kLastStep = "処理履歴の更新中、しばらくお待ちください…";
    THxzMakeData writer;
    test::TRecordingLines lines{3};

    void SetUp() override
    {
        TInstallationFixture::SetUp();
        ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
        {
            // The journal file names the company; 髙 goes as a parameter, a literal cannot carry it.
            fb::TTransactionScope scope(DM().IBTransactionDAT);
            fb::TStatement update(DM().IBTransactionDAT);
            update.Prepare("UPDATE ACCDEF1 SET SHOUGOU = :SHOUGOU");
            update.SetString("SHOUGOU", kCompany).Execute();
            scope.Commit();
        }
        ExecData(convert::sql::kJournalTriggerInactive);
        ASSERT_TRUE(DM().fnGetAccInfo());
        writer.SetTransaction(DM().IBTransactionDAT);
        writer.AllNineCode = "999";
        writer.ProgressList = &lines;
        writer.StatusControl = &lines;
    }

    // Opening balances (account, amount, side) and journals, written as the import run writes a year.
    void WriteYear(std::initializer_list<std::tuple<std::string_view, std::string_view, std::string_view>> openings,
                   const std::vector<test::TJournalLine>& entries)
    {
        TLineBlockBuilder block;
        for (const auto& [kcode, amount, side] : openings)
            block.AddLine({{"SCODE", " "}, {"KCODE", kcode}, {"HCODE", " "}, {"BCODE", " "}, {"KAISIZAN", amount}, {"TAISHAKU", side}});
        ASSERT_EQ(writer.WriteOpeningBalances(block.Text(), " "), 0) << writer.GetErrorText();
        std::string text = std::string(kCompany) + "\r\n";
        for (const test::TJournalLine& entry : entries)
            text += entry.Text() + "\r\n";
        const fs::path file = root.Path() / "SIWAKE.TXT";
        test::WriteBytes(file, EncodeCp932(text));
        ASSERT_EQ(writer.PostJournals(file, "", "当期"), 0) << writer.GetErrorText();
    }

    // As the import run calls it: its transaction committed, the past journals kept, the dialog open; the
    // balances seen tax-included.
    TOutcome RunUpdate(bool pollTerminated = false)
    {
        if (DM().IBTransactionDAT.Active())
            DM().IBTransactionDAT.Commit();
        AccInfo().KakoMeisai = 1;
        const std::unique_ptr<TProgressDialog> dialog = ui.OpenProgress("期末残高の更新");
        TNendoKousinThread update(DM(), dialog.get(), 0);
        update.Resume();
        if (pollTerminated) {
            while (!update.Terminated()) {
                update.ForwardProgress();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        } else {
            update.WaitFor();
        }
        return {update.Succeeded(), update.ErrorContext(), update.ErrorCode(), update.ErrorMessage(), update.ErrorDetail()};
    }

    TAccount AccountOf(std::string_view userCode)
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::TStatement query(DM().IBTransactionDAT);
        query.Prepare("SELECT KCODE, DAC, BPFLG FROM KAMOKUMST WHERE USERCODE = :CODE");
        query.SetString("CODE", userCode);
        query.Open();
        EXPECT_TRUE(query.Fetch()) << userCode;
        const std::int64_t dac = query.AsInt("DAC");
        return {query.AsString("KCODE"), dac == 1 || dac == 4 ? 1 : -1, query.AsString("BPFLG") == "P"};
    }

    std::int64_t Amount(const std::string& sql) { return QueryData(sql); }

    std::int64_t Past(std::string_view column, std::string_view kcode, int nendo = 1)
    {
        return Amount(Format("SELECT %s FROM KAKOZAN WHERE NENDO = %d AND SCODE = ' ' AND BCODE = ' ' AND HCODE = ' ' AND KCODE = '%s'",
                             column, nendo, kcode));
    }
    std::int64_t Opening(std::string_view column, std::string_view kcode)
    {
        return Amount(Format("SELECT %s FROM KAMOKU_SZ WHERE SCODE = ' ' AND BCODE = ' ' AND HCODE = ' ' AND KCODE = '%s'", column, kcode));
    }

    // Every row of a table as text, sorted; the time stamps of the last change left out.
    std::vector<std::string> Rows(std::string_view table)
    {
        static const std::vector<std::string> kTimeStamps = {"UPDATED", "CTIME", "UTIME", "OPTIME"};
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        fb::TStatement query(DM().IBTransactionDAT);
        query.Prepare("SELECT * FROM " + std::string(table));
        query.Open();
        std::vector<std::string> rows;
        while (query.Fetch()) {
            std::string row;
            for (int column = 0; column < query.ColumnCount(); ++column)
                if (std::find(kTimeStamps.begin(), kTimeStamps.end(), query.ColumnName(column)) == kTimeStamps.end())
                    row += (query.IsNull(column) ? "NULL" : query.AsString(column)) + "|";
            rows.push_back(row);
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

// The year's movement of an account in one slot, on the account's own side: tax-included and tax-excluded.
std::pair<std::int64_t, std::int64_t> Movement(const test::TJournalMix& year, std::string_view userCode, int slot,
                                               const TAccount& account)
{
    const auto found = year.Accounts.find({std::string(userCode), slot});
    if (found == year.Accounts.end())
        return {0, 0};
    const auto& [debitNet, debitTax, creditNet, creditTax] = found->second;
    return {account.Sign * ((debitNet + debitTax) - (creditNet + creditTax)), account.Sign * (debitNet - creditNet)};
}

TEST_F(YearUpdateTest, AYearRollsIntoTheNext)
{
    const test::TJournalMix year = test::MixedYear(60);
    WriteYear({{"10100", "500000", "1"}, {"13100", "300000", "1"}, {"85300", "800000", "2"}}, year.Lines);
    const int nendo = AccInfo().NENDO;
    ASSERT_GT(Amount("SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), 0);

    const TOutcome outcome = RunUpdate();
    ASSERT_TRUE(outcome.Succeeded) << outcome.Detail;
    EXPECT_EQ(ui.ProgressTexts.back(), kLastStep);

    // The closed year in its past-year row and in the budgets, month by month; the new opening at its close.
    std::int64_t profitKomi = 0, profitNuki = 0;
    for (const std::string_view userCode : {"101", "411", "673", "900"}) {
        const TAccount account = AccountOf(userCode);
        std::int64_t closingKomi = account.ProfitAndLoss ? 0 : Past("KISHU", account.KCode);
        std::int64_t closingNuki = closingKomi;
        for (int slot = 1; slot <= 16; ++slot) {
            const auto [komi, nuki] = Movement(year, userCode, slot, account);
            EXPECT_EQ(Past(Format("KOMIZAN_%d", slot), account.KCode), komi) << userCode << " " << slot;
            EXPECT_EQ(Past(Format("NUKIZAN_%d", slot), account.KCode), nuki) << userCode << " " << slot;
            EXPECT_EQ(Amount(Format("SELECT BYOSAN FROM KAMOKU_MS WHERE SCODE = ' ' AND BCODE = ' ' AND HCODE = ' ' "
                                    "AND KCODE = '%s' AND MNUM = %d", account.KCode, slot)), komi);
            closingKomi += komi;
            closingNuki += nuki;
            if (account.ProfitAndLoss) {
                profitKomi -= account.Sign * komi;
                profitNuki -= account.Sign * nuki;
            }
        }
        EXPECT_EQ(Opening("KISHU_KOMI", account.KCode), account.ProfitAndLoss ? 0 : closingKomi) << userCode;
        EXPECT_EQ(Opening("KISHU_NUKI", account.KCode), account.ProfitAndLoss ? 0 : closingNuki) << userCode;
    }
    EXPECT_EQ(Past("KISHU", "10100"), 500000);
    // The tax stands in the tax accounts only when the balances are seen without it.
    std::int64_t receivedTax = 0, paidTax = 0;
    for (const auto& [key, amounts] : year.Taxes) {
        const auto [debit, credit] = amounts;
        if (key.first == "1")
            receivedTax += credit - debit;
        else
            paidTax += debit - credit;
    }
    EXPECT_EQ(Opening("KISHU_NUKI", "33700"), receivedTax);
    EXPECT_EQ(Opening("KISHU_NUKI", "18000"), paidTax);
    EXPECT_EQ(Opening("KISHU_KOMI", "33700"), 0);
    EXPECT_EQ(Opening("KISHU_KOMI", "85300"), 800000 + profitKomi);
    EXPECT_EQ(Opening("KISHU_NUKI", "85300"), 800000 + profitNuki);
    // The books open balanced in both views, with every profit-and-loss account at nothing.
    EXPECT_EQ(Amount("SELECT SUM(IIF(K.DAC IN (1, 4), Z.KISHU_KOMI, -Z.KISHU_KOMI)) FROM KAMOKU_SZ Z "
                     "JOIN KAMOKUMST K ON K.KCODE = Z.KCODE"), 0);
    EXPECT_EQ(Amount("SELECT SUM(IIF(K.DAC IN (1, 4), Z.KISHU_NUKI, -Z.KISHU_NUKI)) FROM KAMOKU_SZ Z "
                     "JOIN KAMOKUMST K ON K.KCODE = Z.KCODE"), 0);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAMOKU_SZ Z JOIN KAMOKUMST K ON K.KCODE = Z.KCODE "
                     "WHERE K.BPFLG = 'P' AND (Z.KISHU_KOMI <> 0 OR Z.KISHU_NUKI <> 0)"), 0);
    // The year being worked on starts empty.
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAMOKU_MS WHERE KAR_NUK <> 0 OR KAR_TAX <> 0 OR KAS_NUK <> 0 OR KAS_TAX <> 0"), 0);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAMOKU_TAX WHERE KAR <> 0 OR KAS <> 0"), 0);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAKOZAN WHERE NENDO = 0 AND (KISHU <> 0 OR KOMIZAN_5 <> 0 OR NUKIZAN_16 <> 0)"), 0);

    // Journals, numbers and the period.
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM SIWAKE"), 0);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAKOSIWAKE1"), 120);
    EXPECT_EQ(Amount("SELECT SUM(SIWAKECOUNT) FROM SISETUMST"), 0);
    EXPECT_EQ(Amount("SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), 0);
    EXPECT_EQ(Amount("SELECT GEN_ID(SIWAKE00_GEN, 0) FROM RDB$DATABASE"), 0);
    EXPECT_EQ(AccInfo().NENDO, nendo + 1);  // read again
    EXPECT_EQ(AccInfo().KISHU.ToText(), "2026/04/01");
    EXPECT_EQ(AccInfo().KIMATU.ToText(), "2027/03/31");
    EXPECT_EQ(AccInfo().zKISHU.ToText(), "2025/04/01");
    EXPECT_EQ(AccInfo().KAISINO, 1);
    EXPECT_EQ(AccInfo().SIME, 99);
}

TEST_F(YearUpdateTest, TheOtherRecordsStartTheNewYear)
{
    ExecData("INSERT INTO KS_SISAN (REC, SCODE, SISANNAME, GSHOUHOU, TAIYOUYY, KISOKIN, MATUMISYOUKIN) "
             "VALUES (1, ' ', '除却済', 1, 5, 500000, 0)");
    ExecData("INSERT INTO KS_SISAN (REC, SCODE, SISANNAME, GSHOUHOU, TAIYOUYY, KISOKIN, MATUMISYOUKIN) "
             "VALUES (2, ' ', '車両', 1, 5, 1000000, 600000)");
    const int newYear = AccInfo().NENDO + 1;
    ExecData(Format("INSERT INTO KS_DAICHO (REC, SISANREC, NENDO, KISYUBOKA, SYOUKYAKU, KIMATUBOKA) VALUES (7, 2, %d, 1, 1, 1)",
                    newYear - 1));
    for (int month = -15; month <= 16; ++month)
        ExecData(Format("INSERT INTO ACCDEF5 (SCODE, BCODE, MNUM, NUM1) VALUES (' ', ' ', %d, %d)", month, 100 + month));
    ExecData("INSERT INTO OPINF (JOBNAME) VALUES ('翌年度更新')");
    ExecData("UPDATE KESSAN SET KANSAHIDUKE = '2026-05-20'");
    ExecData("UPDATE ACCREG SET ATEXT = '1' WHERE AGROUP = '基本設定' AND ACODE = '印刷用期間使用区分'");

    ASSERT_TRUE(RunUpdate().Succeeded);
    // The written-off asset leaves; the other opens at its old closing value and loses a fifth of its cost.
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KS_SISAN"), 1);
    EXPECT_EQ(Amount("SELECT KISYUBOKA FROM KS_SISAN WHERE REC = 2"), 600000);
    EXPECT_EQ(Amount("SELECT SYOUKYAKU FROM KS_SISAN WHERE REC = 2"), 200000);
    EXPECT_EQ(Amount("SELECT MATUMISYOUKIN FROM KS_SISAN WHERE REC = 2"), 400000);
    EXPECT_EQ(Amount(Format("SELECT KIMATUBOKA FROM KS_DAICHO WHERE SISANREC = 2 AND NENDO = %d", newYear)), 400000);
    EXPECT_EQ(Amount(Format("SELECT COUNT(*) FROM KS_DAICHO WHERE SISANREC = 2 AND NENDO = %d", newYear)), 1);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KS_DAICHO WHERE REC = 7"), 1);  // another year's line stays
    // Employees: the year moves to the year before; the new year starts at the twelfth month's number.
    EXPECT_EQ(Amount("SELECT NUM1 FROM ACCDEF5 WHERE MNUM = -15"), 101);
    EXPECT_EQ(Amount("SELECT NUM1 FROM ACCDEF5 WHERE MNUM = 0"), 116);
    EXPECT_EQ(Amount("SELECT MIN(NUM1) * 1000 + MAX(NUM1) FROM ACCDEF5 WHERE MNUM BETWEEN 1 AND 16"), 115 * 1000 + 115);
    // Tax, settlement, settings and history.
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM TAX_KAZEIHOUSIKI WHERE KIKAN_KAISI = '2026-04-01' AND KIKAN_SYURYO = '2027-03-31'"), 1);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KESSAN WHERE KANSAHIDUKE = '1899-12-30'"), 1);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM ACCREG WHERE AGROUP = '基本設定' AND ACODE = '印刷用期間使用区分' AND ATEXT = '0'"), 1);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM OPINF WHERE JOBNAME <> '翌年度更新'"), 0);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM OPINF"), 1);
}

TEST_F(YearUpdateTest, ASecondUpdateMovesThePastOnAndDropsWhatIsNotLive)
{
    WriteYear({{"10100", "500000", "1"}, {"85300", "500000", "2"}}, test::MixedYear(30).Lines);
    ASSERT_TRUE(RunUpdate().Succeeded);
    const std::vector<std::string> firstYear = Rows("KAKOZAN WHERE NENDO = 1");
    ASSERT_NE(Past("KOMIZAN_1", "10100"), 0);

    // The closed year's entries come back as the next year's: one deleted, one of a month past the year.
    ExecData("INSERT INTO SIWAKE SELECT * FROM KAKOSIWAKE1");
    ExecData("UPDATE SIWAKE SET DELFLG = 1 WHERE SWKREC = (SELECT MIN(SWKREC) FROM SIWAKE)");
    ExecData("UPDATE SIWAKE SET MNUM = 17 WHERE SWKREC = (SELECT MAX(SWKREC) FROM SIWAKE)");
    ASSERT_TRUE(RunUpdate().Succeeded);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAKOSIWAKE2"), 60);
    EXPECT_EQ(Amount("SELECT COUNT(*) FROM KAKOSIWAKE1"), 56);
    std::vector<std::string> movedYear = Rows("KAKOZAN WHERE NENDO = 2");
    for (std::string& row : movedYear)
        row.replace(0, 1, "1");  // NENDO is the first column
    std::sort(movedYear.begin(), movedYear.end());
    EXPECT_EQ(movedYear, firstYear);
    EXPECT_EQ(AccInfo().KIMATU.ToText(), "2028/03/31");
}

TEST_F(YearUpdateTest, AYearWhoseBalancesBeginLaterKeepsTheMonthsBefore)
{
    // Input from July: the balances at the end of June are the opening, sales of the months before included.
    AccInfo().KAISINO = 4;
    AccInfo().KAISI = TDate::Ymd(2025, 7, 1);
    test::TJournalLine interest;
    interest.Date = "2025/07/10";
    interest.Credit = "900";
    WriteYear({{"10100", "1000000", "1"}, {"41100", "200000", "2"}, {"85300", "800000", "2"}}, {interest});
    const TAccount sales = AccountOf("411");
    ASSERT_EQ(sales.KCode, "41100");

    ASSERT_TRUE(RunUpdate().Succeeded);
    const int july = SlotOfMonth(4) + 1, june = july - 1;
    EXPECT_EQ(Past("KISHU", "10100"), 0);
    EXPECT_EQ(Past(Format("KOMIZAN_%d", june), "10100"), 1000000);
    EXPECT_EQ(Past(Format("KOMIZAN_%d", july), "10100"), 1000);
    EXPECT_EQ(Past(Format("KOMIZAN_%d", june), "41100"), 200000);
    EXPECT_EQ(Opening("KISHU_KOMI", "10100"), 1001000);
    // The profit of the months before reaches the retained earnings with the year's.
    EXPECT_EQ(Opening("KISHU_KOMI", "85300"), 800000 + 200000 + 1000);
    EXPECT_EQ(Opening("KISHU_KOMI", "41100"), 0);
    EXPECT_EQ(AccInfo().KAISINO, 1);
}

TEST_F(YearUpdateTest, AFailureLeavesEveryTableAsItWas)
{
    WriteYear({{"10100", "500000", "1"}, {"85300", "500000", "2"}}, test::MixedYear(30).Lines);
    ExecData("INSERT INTO KS_SISAN (REC, SCODE, GSHOUHOU, TAIYOUYY, KISOKIN, MATUMISYOUKIN) VALUES (1, ' ', 1, 5, 1000, 0)");
    // The journal step, near the end, is refused after every balance has been rewritten.
    ExecData("CREATE EXCEPTION E_YEAR_UPDATE_TEST '仕訳の移動を拒否します'");
    ExecData("CREATE TRIGGER KAKOSIWAKE1_REFUSE FOR KAKOSIWAKE1 ACTIVE BEFORE INSERT POSITION 0 AS "
             "BEGIN EXCEPTION E_YEAR_UPDATE_TEST; END");
    const std::vector<std::string_view> tables = {"KAKOZAN", "KAMOKU_SZ", "KAMOKU_MS", "KAMOKU_TAX", "SIWAKE",
                                                  "KAKOSIWAKE1", "KAKOSIWAKE2", "ACCDEF1", "ACCREG", "TAX_KAZEIHOUSIKI",
                                                  "KESSAN", "KS_SISAN", "KS_DAICHO", "OPINF", "SISETUMST"};
    std::vector<std::vector<std::string>> before;
    for (const std::string_view table : tables)
        before.push_back(Rows(table));
    const std::int64_t numbers = Amount("SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE");
    const int nendo = AccInfo().NENDO;
    const std::size_t messages = ui.Messages.size();

    const TOutcome outcome = RunUpdate(true);
    EXPECT_FALSE(outcome.Succeeded);
    EXPECT_EQ(outcome.Context, "TNendoKousinThread.Execute");
    EXPECT_EQ(outcome.Message, "翌年度への更新に失敗しました。");
    EXPECT_FALSE(outcome.Code.empty());
    EXPECT_NE(outcome.Detail.find("仕訳の移動を拒否します"), std::string::npos) << outcome.Detail;
    EXPECT_EQ(ui.ProgressTexts.back(), "RollBack中、しばらくお待ちください…");
    EXPECT_EQ(ui.Messages.size(), messages);  // the caller tells the failure
    for (std::size_t i = 0; i < tables.size(); ++i)
        EXPECT_EQ(Rows(tables[i]), before[i]) << tables[i];
    EXPECT_EQ(Amount("SELECT GEN_ID(SIWAKE_REC_GEN, 0) FROM RDB$DATABASE"), numbers);
    EXPECT_EQ(AccInfo().NENDO, nendo);
}

}  // namespace
}  // namespace qz
