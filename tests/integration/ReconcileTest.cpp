// The reconciliation on real conversions: every sample converted by the import run agrees to the yen in
// every year; a target damaged on purpose is reported at the year, month and account of the damage with the
// amount of the damage; a past year the run dropped is told as dropped, with the run's reason.

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/SampleTargets.h"
#include "verify/Reconcile.h"
#include "verify/ReconcileReport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::TExtractDescription;

const std::string kOsaka = "00000002";   // the corporation sample's branch with the most business

TExtractDescription Sample(std::string_view name)
{
    for (auto& [folder, description] : test::SampleExtracts())
        if (folder == name)
            return description;
    throw std::invalid_argument("no sample " + std::string(name));
}

std::string Described(const TReconciliation& reconciliation)
{
    std::string text;
    for (const std::string& line : SummaryLines(reconciliation))
        text += line + "\n";
    for (const std::vector<std::string>& row : DifferenceTable(reconciliation, true).Rows) {
        for (const std::string& cell : row)
            text += cell + " | ";
        text += "\n";
    }
    return text;
}

std::int64_t Yen(TMoney amount)
{
    return amount.RoundedYen();
}

// An extract written below root, converted by the import run into folder 0001 of a fresh installation.
struct TConvertedSample {
    TExtractDescription Description;
    fs::path Extract;
    fs::path DataFolder;
    std::vector<TDroppedYear> Dropped;
    std::vector<std::string> Memo;
};

void Convert(TConvertedSample& sample, const fs::path& root, test::TScopedEnv& env,
             const std::function<void(const fs::path&)>& adjustExtract = {})
{
    sample.Extract = root / "抽出データ（髙橋会計）" / "関与先①";
    test::WriteExtract(sample.Description, sample.Extract);
    if (adjustExtract)
        adjustExtract(sample.Extract);
    TQZaimuIO io;
    io.SetCsvDir(sample.Extract);
    test::ChooseMostRecentYear(io, sample.Description);
    sample.DataFolder = test::MakeLocalInstallation(root, env, test::TemplateFileOf(io.ChartKind()));
    ResetDbFatalForTests();
    ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
    ASSERT_TRUE(DM().fnGetAccInfo());
    test::TRecordingLines lines{2};
    test::TRecordingUi ui;
    io.LogMemo = &lines;
    io.StatusPanel = &lines;
    DM().IBTransactionDAT.StartIfInactive();
    const bool converted = io.RunImport();
    sample.Memo = lines.Lines;
    ASSERT_TRUE(converted) << testing::PrintToString(sample.Memo) << io.ReadErrorText() << ui.LastText();
    DM().IBTransactionDAT.Commit();
    sample.Dropped = io.DroppedYears;
    DM().AccDatDisconnect("", false, false);
}

// The reconciliation as the verify command makes it: a context read afresh from the extract with the
// choices of the conversion, the data database of a folder.
TReconciliation ReconcileFolder(const TConvertedSample& sample, const fs::path& folder, const TReconcileOptions& options = {})
{
    TQZaimuIO io;
    io.SetCsvDir(sample.Extract);
    test::ChooseMostRecentYear(io, sample.Description);
    return ReconcileDataFolder(io, "", folder.string(), options);
}

class ReconcileTest : public ::testing::Test {
protected:
    test::TTempFolder root;
    test::TScopedEnv env;
    test::TRecordingUi ui;
    TConvertedSample sample;

    void TearDown() override
    {
        DM().AccDatDisconnect("", false, false);
        DM().AccDefDisconnect();
    }
};

// ---------------------------------------------------------------------------------------------
// The samples

class SampleReconciliation : public ReconcileTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(SampleReconciliation, EveryYearAgreesToTheYen)
{
    sample.Description = Sample(GetParam());
    ASSERT_NO_FATAL_FAILURE(Convert(sample, root.Path(), env));

    const TReconciliation result = ReconcileFolder(sample, sample.DataFolder);
    EXPECT_TRUE(result.Agrees()) << Described(result);
    ASSERT_EQ(result.Years.size(), sample.Description.Years.size());
    for (std::size_t y = 0; y < result.Years.size(); ++y) {
        const TReconciledYear& year = result.Years[y];
        const test::TExtractYear& described = sample.Description.Years[y];
        EXPECT_TRUE(year.Compared) << year.Name << " " << year.Reason;
        EXPECT_EQ(year.Code, described.Code);
        // Every entry of the description is counted on both sides, with its amount.
        std::int64_t amount = 0;
        for (const test::TExtractEntry& entry : described.Entries)
            amount += std::abs(entry.Amount);
        EXPECT_EQ(year.SourceEntries, static_cast<int>(described.Entries.size())) << year.Name;
        EXPECT_EQ(year.TargetEntries, static_cast<int>(described.Entries.size())) << year.Name;
        EXPECT_EQ(Yen(year.SourceAmount), amount) << year.Name;
        EXPECT_EQ(Yen(year.TargetAmount), amount) << year.Name;
        // Every account the year opens with, or moves, is compared.
        EXPECT_GE(year.Accounts, static_cast<int>(test::ExpectedOpening(sample.Description, described).size())) << year.Name;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReconciliation, ::testing::Values("corporation", "individual-general", "individual-realestate"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

// ---------------------------------------------------------------------------------------------
// A target damaged on purpose: the corporation sample converted once, each test damages its own copy.

class DamagedTarget : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        suiteRoot_ = std::make_unique<test::TTempFolder>();
        suiteEnv_ = std::make_unique<test::TScopedEnv>();
        converted_ = std::make_unique<TConvertedSample>();
        converted_->Description = Sample("corporation");
        test::TRecordingUi ui;
        Convert(*converted_, suiteRoot_->Path(), *suiteEnv_);
    }
    static void TearDownTestSuite()
    {
        DM().AccDatDisconnect("", false, false);
        DM().AccDefDisconnect();
        converted_.reset();
        suiteEnv_.reset();
        suiteRoot_.reset();
    }

    void SetUp() override
    {
        ASSERT_TRUE(converted_ && !converted_->DataFolder.empty()) << "the sample was not converted";
        fs::create_directories(folder_.Path() / "data");
        fs::copy_file(converted_->DataFolder / "qrvacc.fdb", Folder() / "qrvacc.fdb");
    }
    void TearDown() override { DM().AccDatDisconnect("", false, false); }

    fs::path Folder() const { return folder_.Path() / "data"; }

    // Runs the damage on the copy and returns what the reconciliation finds.
    TReconciliation Damaged(std::string_view sql)
    {
        EXPECT_TRUE(DM().fnAccDatConnected("", Folder().string(), false));
        fb::TTransaction& data = DM().IBTransactionDAT;
        {
            fb::TTransactionScope scope(data);
            fb::TStatement damage(data);
            damage.Prepare(sql);
            damage.Execute();
            EXPECT_EQ(damage.AffectedRows(), 1) << sql;
            scope.Commit();
        }
        DM().AccDatDisconnect("", false, false);
        return ReconcileFolder(*converted_, Folder());
    }

    // The first row a query finds in the copy, as texts.
    std::vector<std::string> Row(std::string_view sql)
    {
        EXPECT_TRUE(DM().fnAccDatConnected("", Folder().string(), false));
        fb::TTransaction& data = DM().IBTransactionDAT;
        fb::TTransactionScope scope(data);
        fb::TStatement query(data);
        query.Prepare(sql);
        query.Open();
        std::vector<std::string> row;
        if (query.Fetch())
            for (int i = 0; i < query.ColumnCount(); ++i)
                row.push_back(Trim(query.AsString(i)));
        query.Close();
        scope.Commit();
        DM().AccDatDisconnect("", false, false);
        EXPECT_FALSE(row.empty()) << sql;
        return row;
    }

    const std::string osaka_ = test::TargetBranchOf(Sample("corporation"), kOsaka);

private:
    test::TTempFolder folder_;
    static inline std::unique_ptr<test::TTempFolder> suiteRoot_;
    static inline std::unique_ptr<test::TScopedEnv> suiteEnv_;
    static inline std::unique_ptr<TConvertedSample> converted_;
};

TEST_F(DamagedTarget, OneYenMoreOnAMonthsDebitsOfCashIsReportedAtThatMonth)
{
    const std::vector<std::string> row = Row(Format(
        "SELECT HCODE, BCODE, MNUM FROM KAMOKU_MS WHERE SCODE = '%s' AND KCODE = '10100' AND KAR_NUK <> 0 ORDER BY MNUM DESC",
        osaka_));
    ASSERT_EQ(row.size(), 3u);
    const TReconciliation result = Damaged(
        Format("UPDATE KAMOKU_MS SET KAR_NUK = KAR_NUK + 1 WHERE SCODE = '%s' AND KCODE = '10100' AND HCODE = '%s' "
               "AND BCODE = '%s' AND MNUM = %s",
               osaka_, row[0].empty() ? " " : row[0], row[1].empty() ? " " : row[1], row[2]));

    // One difference: cash grows by the yen from that month on, told once.
    ASSERT_EQ(result.Differences.size(), 1u) << Described(result);
    const TReconcileDifference& difference = result.Differences.front();
    EXPECT_EQ(difference.Kind, TDifferenceKind::Balance);
    EXPECT_EQ(difference.Year, "当期");
    EXPECT_EQ(difference.Slot, std::stoi(row[2]));
    EXPECT_EQ(difference.Branch, osaka_);
    EXPECT_EQ(difference.AccountCode, "10100");
    EXPECT_EQ(difference.Difference(), TMoney::FromYen(1));
    EXPECT_EQ(result.Years[0].BalanceDifferences, 1);
    EXPECT_EQ(result.Years[0].JournalDifferences, 0);
}

TEST_F(DamagedTarget, TheDataSetOfAnotherClientIsRefusedNotCompared)
{
    try {
        Damaged("UPDATE ACCDEF1 SET SCODE1 = '000999'");
        ADD_FAILURE() << "another client's data set was compared";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "変換先のデータは別の関与先のものです。（データ：000999、抽出データ：000101）");
    }
}

TEST_F(DamagedTarget, AnEntryDeletedFromTheJournalIsMissingInItsMonth)
{
    const std::vector<std::string> row =
        Row("SELECT SWKREC, KINGAKU, EXTRACT(YEAR FROM HIZUKE), EXTRACT(MONTH FROM HIZUKE) FROM SIWAKE "
            "WHERE TAISHAKU = 1 AND DELFLG = 0 ORDER BY REC DESC");
    ASSERT_EQ(row.size(), 4u);
    const TReconciliation result = Damaged(Format("DELETE FROM SIWAKE WHERE SWKREC = %s AND TAISHAKU = 1", row[0]));
    // The credit row is the same entry's other half: the two go together, as an entry.
    const TReconciliation both = Damaged(Format("DELETE FROM SIWAKE WHERE SWKREC = %s", row[0]));

    // Only the debit row gone: the month's debit side lacks the entry.
    ASSERT_EQ(result.Differences.size(), 1u) << Described(result);
    EXPECT_EQ(result.Differences[0].Side, "借方");
    // The whole entry gone: one difference for the month, one entry and its amount less on both sides.
    ASSERT_EQ(both.Differences.size(), 1u) << Described(both);
    const TReconcileDifference& difference = both.Differences.front();
    EXPECT_EQ(difference.Kind, TDifferenceKind::Journals);
    EXPECT_EQ(difference.Year, "当期");
    EXPECT_EQ(difference.CalendarYear, std::stoi(row[2]));
    EXPECT_EQ(difference.CalendarMonth, std::stoi(row[3]));
    EXPECT_EQ(difference.TargetCount, difference.SourceCount - 1);
    EXPECT_EQ(difference.Difference(), -*TMoney::Parse(row[1]));
    EXPECT_EQ(both.Years[0].TargetEntries, both.Years[0].SourceEntries - 1);
    EXPECT_EQ(both.Years[0].BalanceDifferences, 0);
}

TEST_F(DamagedTarget, AJournalAmountOneYenOffIsReportedInItsMonthAndSide)
{
    const std::vector<std::string> row = Row(
        "SELECT SWKREC, EXTRACT(YEAR FROM HIZUKE), EXTRACT(MONTH FROM HIZUKE) FROM SIWAKE "
        "WHERE TAISHAKU = 2 AND DELFLG = 0 ORDER BY REC");
    ASSERT_EQ(row.size(), 3u);
    const TReconciliation result =
        Damaged(Format("UPDATE SIWAKE SET KINGAKU = KINGAKU + 1 WHERE SWKREC = %s AND TAISHAKU = 2", row[0]));

    ASSERT_EQ(result.Differences.size(), 1u) << Described(result);
    const TReconcileDifference& difference = result.Differences.front();
    EXPECT_EQ(difference.Kind, TDifferenceKind::Journals);
    EXPECT_EQ(difference.Year, "当期");
    EXPECT_EQ(difference.Side, "貸方");
    EXPECT_EQ(difference.CalendarYear, std::stoi(row[1]));
    EXPECT_EQ(difference.CalendarMonth, std::stoi(row[2]));
    EXPECT_EQ(difference.TargetCount, difference.SourceCount);
    EXPECT_EQ(difference.Difference(), TMoney::FromYen(1));
}

TEST_F(DamagedTarget, AChangedOpeningBalanceIsReportedAtTheYearsOpening)
{
    const std::vector<std::string> row = Row(Format(
        "SELECT HCODE, BCODE FROM KAMOKU_SZ WHERE SCODE = '%s' AND KCODE = '10100' AND KISHU_KOMI <> 0", osaka_));
    ASSERT_EQ(row.size(), 2u);
    const TReconciliation result = Damaged(Format(
        "UPDATE KAMOKU_SZ SET KISHU_KOMI = KISHU_KOMI - 2500 WHERE SCODE = '%s' AND KCODE = '10100' AND HCODE = '%s' AND BCODE = '%s'",
        osaka_, row[0].empty() ? " " : row[0], row[1].empty() ? " " : row[1]));

    ASSERT_EQ(result.Differences.size(), 1u) << Described(result);
    const TReconcileDifference& difference = result.Differences.front();
    EXPECT_EQ(difference.Year, "当期");
    EXPECT_EQ(difference.Slot, 0);
    EXPECT_EQ(difference.Period, "期首");
    EXPECT_EQ(difference.AccountCode, "10100");
    EXPECT_EQ(difference.Branch, osaka_);
    EXPECT_EQ(difference.Difference(), TMoney::FromYen(-2500));
    EXPECT_NE(difference.SourceAccounts.find("10100"), std::string::npos) << difference.SourceAccounts;
}

TEST_F(DamagedTarget, APastYearsBalanceIsReportedInThatYear)
{
    const std::vector<std::string> row = Row(Format(
        "SELECT HCODE, BCODE FROM KAKOZAN WHERE NENDO = 1 AND SCODE = '%s' AND KCODE = '10100' AND KOMIZAN_7 <> 0", osaka_));
    ASSERT_EQ(row.size(), 2u);
    const TReconciliation result = Damaged(Format(
        "UPDATE KAKOZAN SET KOMIZAN_7 = KOMIZAN_7 + 1000 WHERE NENDO = 1 AND SCODE = '%s' AND KCODE = '10100' "
        "AND HCODE = '%s' AND BCODE = '%s'",
        osaka_, row[0].empty() ? " " : row[0], row[1].empty() ? " " : row[1]));

    ASSERT_EQ(result.Differences.size(), 1u) << Described(result);
    const TReconcileDifference& difference = result.Differences.front();
    EXPECT_EQ(difference.Year, "前期");
    EXPECT_EQ(difference.Slot, 7);
    EXPECT_EQ(difference.AccountCode, "10100");
    EXPECT_EQ(difference.Difference(), TMoney::FromYen(1000));
    EXPECT_EQ(result.Years[1].BalanceDifferences, 1);
    EXPECT_EQ(result.Years[0].BalanceDifferences + result.Years[2].BalanceDifferences, 0);
}

// ---------------------------------------------------------------------------------------------
// A dropped past year

TEST_F(ReconcileTest, WhatTheRunLeavesOutIsToldNotCountedAsADifference)
{
    // The prior-prior year uses an account the selected year's chart does not have: the run drops it. The
    // current year has a total line with a balance, which the conversion does not carry.
    sample.Description = Sample("corporation");
    sample.Description.Accounts.push_back({.Code = "39000", .UserCode = "390", .Level1 = "10", .Name = "流動資産合計"});
    sample.Description.Years.front().Opening[{kOsaka, "39000", test::kNoSubAccount}] = 4321;
    sample.Description.Accounts.push_back({.Code = "65900", .UserCode = "659", .Level1 = "50", .Name = "雑費"});
    test::TExtractYear& oldest = sample.Description.Years[2];
    oldest.Entries.push_back({.Date = oldest.Start, .Debit = "65900", .Credit = "10100", .Amount = 5000, .Text = "雑費",
                              .Branch = kOsaka});
    const int selected = sample.Description.Years.front().Code;
    ASSERT_NO_FATAL_FAILURE(Convert(sample, root.Path(), env, [&](const fs::path& extract) {
        const fs::path file = extract / "ZM" / "ZMKANJYO.CSV";
        std::string kept;
        const std::string bytes = test::ReadBytes(file);
        for (const std::string_view line : SplitAt(bytes, "\r\n"))
            if (!line.empty() && !line.starts_with(Format("%d,%d,65900,", sample.Description.ClientNo, selected)))
                kept += std::string(line) + "\r\n";
        test::WriteBytes(file, kept);
    }));
    ASSERT_EQ(sample.Dropped.size(), 1u);

    const TReconciliation told = ReconcileFolder(sample, sample.DataFolder, {sample.Dropped});
    EXPECT_TRUE(told.Agrees()) << Described(told);
    ASSERT_EQ(told.Years.size(), 3u);
    EXPECT_TRUE(told.Years[0].Compared && told.Years[1].Compared);
    EXPECT_FALSE(told.Years[2].Compared);
    EXPECT_TRUE(told.Years[2].Reason.starts_with("前々期仕訳の取込を中止しました。")) << told.Years[2].Reason;
    EXPECT_NE(told.Years[2].Reason.find("[\"659\"]"), std::string::npos) << told.Years[2].Reason;
    ASSERT_EQ(told.LeftOut.size(), 1u);
    EXPECT_EQ(told.LeftOut[0].Code, "39000");
    EXPECT_EQ(told.LeftOut[0].Year, "当期");
    EXPECT_EQ(told.LeftOut[0].Closing, TMoney::FromYen(4321));

    // Without the run's account the year is still told as missing from the data set.
    const TReconciliation alone = ReconcileFolder(sample, sample.DataFolder);
    EXPECT_FALSE(alone.Years[2].Compared);
    EXPECT_FALSE(alone.Years[2].Reason.empty());
}

// ---------------------------------------------------------------------------------------------
// A year entered from a later month

TEST_F(ReconcileTest, AYearEnteredFromALaterMonthAgreesFromTheBalanceItStartsWith)
{
    // No opening balances, and no journals of the first month: the month comes over as a balance, the journals
    // from the second month on, and no past year is taken.
    sample.Description = Sample("corporation");
    test::TExtractYear& current = sample.Description.Years.front();
    current.Opening.clear();
    const std::string firstMonth = Format("%04d%02d", current.Start.Year(), current.Start.Month());
    int removed = 0;
    ASSERT_NO_FATAL_FAILURE(Convert(sample, root.Path(), env, [&](const fs::path& extract) {
        const fs::path file = extract / "ZM" / "ZMSIWAKE.CSV";
        const std::string bytes = test::ReadBytes(file);
        std::string kept;
        for (const std::string_view line : SplitAt(bytes, "\r\n")) {
            const std::vector<std::string_view> columns = SplitAt(line, ",");
            const bool ofFirstMonth = columns.size() > 7 && columns[1] == std::to_string(current.Code) &&
                                      columns[7].starts_with(firstMonth);
            removed += ofFirstMonth ? 1 : 0;
            if (!line.empty() && !ofFirstMonth)
                kept += std::string(line) + "\r\n";
        }
        test::WriteBytes(file, kept);
    }));
    ASSERT_GT(removed, 0);

    const TReconciliation result = ReconcileFolder(sample, sample.DataFolder);
    EXPECT_TRUE(result.Agrees()) << Described(result);
    ASSERT_EQ(result.Years.size(), 3u);
    EXPECT_TRUE(result.Years[0].Compared);
    EXPECT_EQ(result.Years[0].SourceEntries, static_cast<int>(current.Entries.size()) - removed / 2);
    EXPECT_FALSE(result.Years[1].Compared || result.Years[2].Compared);
    EXPECT_FALSE(result.Years[1].Reason.empty());

    // The balance the year starts with is compared: cash at the end of the first month, taken away again.
    ASSERT_TRUE(DM().fnAccDatConnected("", sample.DataFolder.string(), false));
    std::int64_t cash = 0;
    {
        fb::TTransactionScope scope(DM().IBTransactionDAT);
        cash = test::QueryInt(DM().IBTransactionDAT, "SELECT CAST(SUM(KISHU_KOMI) AS BIGINT) FROM KAMOKU_SZ WHERE KCODE = '10100'");
        fb::ExecuteImmediate(DM().IBTransactionDAT, "UPDATE KAMOKU_SZ SET KISHU_KOMI = 0 WHERE KCODE = '10100'");
        scope.Commit();
    }
    DM().AccDatDisconnect("", false, false);
    ASSERT_NE(cash, 0);
    const TReconciliation emptied = ReconcileFolder(sample, sample.DataFolder);
    ASSERT_FALSE(emptied.Differences.empty());
    TMoney missing;
    for (const TReconcileDifference& difference : emptied.Differences) {
        EXPECT_EQ(difference.AccountCode, "10100");
        EXPECT_EQ(difference.Slot, 1) << difference.Period;
        missing += difference.Difference();
    }
    EXPECT_EQ(missing, TMoney::FromYen(-cash));
}

}  // namespace
}  // namespace qz
