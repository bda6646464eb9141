// The whole import run on a real local installation: each sample extract with its three years, and
// extracts written for the ways a run drops a past year, clears the past data or fails. What the target
// must hold is worked out from the extract's own description.

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/PeriodCalendar.h"
#include "common/TextHelpers.h"
#include "convert/uQZ_ZaimuIO.h"
#include "db/DataModule.h"
#include "platform/ShellFolders.h"
#include "platform/SystemDef.h"
#include "tests/support/InstallationFixture.h"
#include "tests/support/PastAmounts.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/SampleTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace qz {
namespace {

namespace fs = std::filesystem;
using test::TExtractDescription;
using test::TExtractYear;

constexpr std::string_view kErrorLog = "Quorvel_ConvertError.log";
const std::string kOsaka = "00000002";   // the corporation sample's branch with the most business

TExtractDescription Sample(std::string_view name)
{
    for (auto& [folder, description] : test::SampleExtracts())
        if (folder == name)
            return description;
    throw std::invalid_argument("no sample " + std::string(name));
}

// Whole yen with thousands separators, as the mismatch lines show amounts.
std::string Yen(std::int64_t yen)
{
    const std::string digits = std::to_string(std::abs(yen));
    std::string text = yen < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i)
        text += (i > 0 && (digits.size() - i) % 3 == 0 ? "," : "") + std::string(1, digits[i]);
    return text;
}

// Drops the lines of an extract file whose year code and second column match (the account of ZMKANJYO).
void RemoveLines(const fs::path& file, int year, std::string_view second)
{
    const std::string bytes = test::ReadBytes(file);
    std::string kept;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find("\r\n", start), bytes.size());
        const std::string line = bytes.substr(start, end - start);
        const std::vector<std::string_view> columns = SplitAt(line, ",");
        if (!(columns.size() > 2 && columns[1] == std::to_string(year) && columns[2] == second))
            kept += line + "\r\n";
        start = end + 2;
    }
    test::WriteBytes(file, kept);
}

class ImportRunTest : public ::testing::Test {
protected:
    test::TTempFolder root;
    test::TScopedEnv env;
    test::TRecordingUi ui;
    test::TRecordingLines lines{2};
    TQZaimuIO io;
    TExtractDescription d = Sample("corporation");

    void TearDown() override
    {
        DM().AccDatDisconnect("", false, false);
        DM().AccDefDisconnect();
    }

    // Writes the extract (below a folder with a Japanese name), makes the choices of the wizard, creates an
    // installation with the chart's template and attaches its data set, as the execute step leaves it.
    void Prepare(const std::function<void(const fs::path&)>& adjustExtract = {})
    {
        const fs::path extract = root.Path() / "抽出データ（髙橋会計）" / "関与先①";
        test::WriteExtract(d, extract);
        if (adjustExtract)
            adjustExtract(extract);
        io.SetCsvDir(extract);
        ASSERT_TRUE(io.ReadErrors.empty()) << io.ReadErrorText();
        test::ChooseMostRecentYear(io, d);
        test::MakeLocalInstallation(root.Path(), env, test::TemplateFileOf(io.ChartKind()));
        ResetDbFatalForTests();
        ASSERT_TRUE(DM().fnAccDatConnected("", "", false));
        ASSERT_TRUE(DM().fnGetAccInfo());
        io.LogMemo = &lines;
        io.StatusPanel = &lines;
        DM().IBTransactionDAT.StartIfInactive();
    }

    bool Run()
    {
        const bool succeeded = io.RunImport();
        if (succeeded)
            DM().IBTransactionDAT.Commit();
        return succeeded;
    }

    std::string Memo() const
    {
        std::string text;
        for (const std::string& line : lines.Lines)
            text += line + "\n";
        return text + "--- read errors:\n" + io.ReadErrorText();
    }
    // The index of the first memo line that starts with the text, or the line count.
    std::size_t LineStarting(std::string_view text) const
    {
        return static_cast<std::size_t>(
            std::find_if(lines.Lines.begin(), lines.Lines.end(), [&](const std::string& line) { return line.starts_with(text); }) -
            lines.Lines.begin());
    }
    bool HasLine(std::string_view text) const
    {
        return std::find(lines.Lines.begin(), lines.Lines.end(), text) != lines.Lines.end();
    }

    fb::TTransaction& Data() { return DM().IBTransactionDAT; }
    std::int64_t Query(std::string_view sql)
    {
        fb::TTransactionScope scope(Data());
        return test::QueryInt(Data(), sql);
    }
    // The operator's documents folder, where the journal import's own folder lies too.
    fs::path ErrorLog() const { return fs::path(ShellFolderPath(CSIDL_PERSONAL)) / std::string(kErrorLog); }
    bool TriggerActive()
    {
        return Query("SELECT COUNT(*) FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME = 'SIWAKE_AFTER_INSERT' "
                     "AND COALESCE(RDB$TRIGGER_INACTIVE, 0) = 0") == 1;
    }
    std::int64_t TemporaryTables()
    {
        return Query("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN ('ONETIME', 'ONETIME_SIWAKE')");
    }

    // The selected year's trial balance, per target branch and account: the opening balances and the debit
    // and credit movements of every month.
    void ExpectCurrentTrialBalance(const TExtractYear& year)
    {
        const std::map<int, test::TSums> journals = test::ExpectedJournals(d, year);
        EXPECT_EQ(test::Grouped(Data(), "SELECT SCODE, KCODE, SUM(KISHU_KOMI) FROM KAMOKU_SZ GROUP BY SCODE, KCODE"),
                  test::ExpectedOpening(d, year));
        EXPECT_EQ(test::Grouped(Data(), "SELECT SCODE, KCODE, SUM(KAR_NUK + KAR_TAX) FROM KAMOKU_MS GROUP BY SCODE, KCODE"),
                  journals.at(1));
        EXPECT_EQ(test::Grouped(Data(), "SELECT SCODE, KCODE, SUM(KAS_NUK + KAS_TAX) FROM KAMOKU_MS GROUP BY SCODE, KCODE"),
                  journals.at(2));
    }

    // The journals of a past year in its past-journal table: the entries, and the sums per account and side.
    void ExpectPastJournals(std::string_view table, const TExtractYear& year)
    {
        EXPECT_EQ(Query(Format("SELECT COUNT(*) FROM %s WHERE TAISHAKU = 1", table)), static_cast<std::int64_t>(year.Entries.size()))
            << table;
        const std::map<int, test::TSums> journals = test::ExpectedJournals(d, year);
        for (const int side : {1, 2})
            EXPECT_EQ(test::Grouped(Data(), Format("SELECT SCODE, KCODE, SUM(KINGAKU) FROM %s WHERE TAISHAKU = %d GROUP BY SCODE, KCODE",
                                                   table, side)),
                      journals.at(side))
                << table << " side " << side;
    }

    // Nothing of a past year anywhere: no past journals, no past balances, no closed year's figures.
    void ExpectNoPastData()
    {
        EXPECT_EQ(Query("SELECT COUNT(*) FROM KAKOSIWAKE1"), 0);
        EXPECT_EQ(Query("SELECT COUNT(*) FROM KAKOSIWAKE2"), 0);
        EXPECT_EQ(test::NonZeroMoneyColumns(Data(), "KAKOZAN"), std::vector<std::string>{});
        EXPECT_EQ(test::NonZeroMoneyColumns(Data(), "KAMOKU_MS", "BYOSAN <> 0"), std::vector<std::string>{});
    }
};

// ---------------------------------------------------------------------------------------------
// The samples

class SampleImportRun : public ImportRunTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(SampleImportRun, AllThreeYearsArriveAndTheCurrentYearBalancesToTheYen)
{
    d = Sample(GetParam());
    ASSERT_NO_FATAL_FAILURE(Prepare());
    test::WriteBytes(ErrorLog(), "an old run's log");

    ASSERT_TRUE(Run()) << Memo();
    EXPECT_FALSE(io.PastJournalsSkipped);
    const char* const labels[] = {"当期", "前期", "前々期"};
    for (std::size_t y = 0; y < d.Years.size(); ++y)
        EXPECT_TRUE(HasLine(Format("%s仕訳\"%d件\"を取り込みました。", labels[y], d.Years[y].Entries.size()))) << labels[y] << Memo();
    ExpectCurrentTrialBalance(d.Years[0]);
    ExpectPastJournals("KAKOSIWAKE1", d.Years[1]);
    ExpectPastJournals("KAKOSIWAKE2", d.Years[2]);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM SIWAKE WHERE TAISHAKU = 1"), static_cast<std::int64_t>(d.Years[0].Entries.size()));

    EXPECT_FALSE(fs::exists(ErrorLog()));
    EXPECT_TRUE(TriggerActive());
    EXPECT_EQ(TemporaryTables(), 0);
    EXPECT_EQ(Query("SELECT TAXDEFUH FROM ACCDEF1"), io.TaxDefault);
    EXPECT_EQ(Query("SELECT KAISINO FROM ACCDEF1"), 1);
    if (!d.Summaries.empty()) {
        EXPECT_EQ(Query("SELECT COUNT(DISTINCT SCODE) FROM TEKDIC"), Query("SELECT COUNT(*) FROM SISETUMST"));   // every branch
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleImportRun, ::testing::Values("corporation", "individual-general", "individual-realestate"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

// ---------------------------------------------------------------------------------------------
// A past year dropped

// A past year uses an account the selected year's chart no longer has: that year is dropped with every past
// figure, and the run completes.
class DroppedPastYear : public ImportRunTest, public ::testing::WithParamInterface<int> {
protected:
    void Prepare()
    {
        d.Accounts.push_back({.Code = "65900", .UserCode = "659", .Level1 = "50", .Name = "雑費"});
        TExtractYear& year = d.Years[static_cast<std::size_t>(GetParam())];
        year.Entries.push_back({.Date = AddMonthsClamped(2, year.Start), .Debit = "65900", .Credit = "10100", .Amount = 5000,
                                .Text = "雑費", .Branch = kOsaka});
        const int selected = d.Years.front().Code;
        ImportRunTest::Prepare([&](const fs::path& extract) { RemoveLines(extract / "ZM" / "ZMKANJYO.CSV", selected, "65900"); });
    }
};

TEST_P(DroppedPastYear, TheRunCompletesWithoutAnyFigureOfTheDroppedYear)
{
    ASSERT_NO_FATAL_FAILURE(Prepare());
    ASSERT_TRUE(Run()) << Memo();
    EXPECT_TRUE(io.PastJournalsSkipped);
    const std::size_t refused = LineStarting(GetParam() == 2 ? "前々期仕訳の取込を中止しました。" : "前期仕訳の取込を中止しました。");
    ASSERT_LT(refused + 2, lines.Lines.size()) << Memo();
    EXPECT_EQ(lines.Lines[refused + 1], "MendalⅢの当期科目に登録されていません。");
    EXPECT_EQ(lines.Lines[refused + 2], "  [\"659\"]");
    ExpectCurrentTrialBalance(d.Years[0]);
    if (GetParam() == 2) {
        // The prior year opens with its own balances and is rolled forward alone.
        ExpectPastJournals("KAKOSIWAKE1", d.Years[1]);
        EXPECT_EQ(Query("SELECT COUNT(*) FROM KAKOSIWAKE2"), 0);
        EXPECT_EQ(test::NonZeroMoneyColumns(Data(), "KAKOZAN", "NENDO = 2"), std::vector<std::string>{});
    } else {
        ExpectNoPastData();
    }
    EXPECT_TRUE(TriggerActive());
    EXPECT_EQ(TemporaryTables(), 0);
}

INSTANTIATE_TEST_SUITE_P(Years, DroppedPastYear, ::testing::Values(2, 1),
                         [](const auto& info) { return info.param == 2 ? std::string("PriorPrior") : std::string("Prior"); });

// ---------------------------------------------------------------------------------------------
// Continuity, a late start, a refused current year

TEST_F(ImportRunTest, ABalanceMismatchClearsThePastDataAndTheYearOpensWithItsOwnBalances)
{
    // The current year opens with 1,000 more cash in Osaka than the prior year closed with (the retained
    // earnings, which the year update recomputes, balance it).
    TExtractYear& current = d.Years.front();
    current.Opening[{kOsaka, "10100", test::kNoSubAccount}] += 1000;
    current.Opening[{kOsaka, "85300", test::kNoSubAccount}] += 1000;
    const std::int64_t closing = test::ClosingBalance(d, d.Years[1], kOsaka, "10100", "");
    ASSERT_NO_FATAL_FAILURE(Prepare());

    ASSERT_TRUE(Run()) << Memo();
    EXPECT_FALSE(io.PastJournalsSkipped);
    const std::size_t head = LineStarting("前期末残高と期首残高が一致しません。");
    ASSERT_LT(head + 2, lines.Lines.size()) << Memo();
    EXPECT_EQ(lines.Lines[head + 1], "過年度残高をクリアしました。");
    EXPECT_TRUE(lines.Lines[head + 2].starts_with("  [01:大阪支店][現金:")) << lines.Lines[head + 2];
    EXPECT_TRUE(lines.Lines[head + 2].ends_with(Format("期末[%s] 期首[%s]", Yen(closing), Yen(closing + 1000))))
        << lines.Lines[head + 2];
    EXPECT_EQ(std::count_if(lines.Lines.begin(), lines.Lines.end(), [](const std::string& line) { return line.starts_with("  ["); }), 1)
        << Memo();
    ExpectNoPastData();
    ExpectCurrentTrialBalance(current);
}

TEST_F(ImportRunTest, AYearEnteredFromALaterMonthImportsNoPastYear)
{
    // No opening balances; the first journals in the third month.
    TExtractYear& current = d.Years.front();
    current.Opening.clear();
    const TDate third = AddMonthsClamped(2, current.Start);
    std::erase_if(current.Entries, [&](const test::TExtractEntry& entry) { return entry.Date < third; });
    ASSERT_NO_FATAL_FAILURE(Prepare());
    // What the confirmation page shows before any database exists is what the run then takes.
    const int previewed = io.FirstInputMonthOfExtract(io.SentakuNendoCode, io.Kisyu.Month());

    ASSERT_TRUE(Run()) << Memo();
    EXPECT_EQ(previewed, 3);
    EXPECT_EQ(io.KaisiTukiNo, 3);
    EXPECT_EQ(io.KaisiTuki, third);
    EXPECT_EQ(Query("SELECT KAISINO FROM ACCDEF1"), 3);
    EXPECT_FALSE(io.PastJournalsSkipped);
    EXPECT_EQ(LineStarting("前期仕訳"), lines.Lines.size()) << Memo();
    ExpectNoPastData();
    EXPECT_EQ(Query("SELECT COUNT(*) FROM SIWAKE WHERE TAISHAKU = 1"), static_cast<std::int64_t>(current.Entries.size()));
}

TEST_F(ImportRunTest, AFourAndAHalfPercentTaxInTheCurrentYearFailsTheRunWithTheErrorLog)
{
    d.Years.front().Entries[3].DebitTax = "0211";
    ASSERT_NO_FATAL_FAILURE(Prepare());

    EXPECT_FALSE(Run());
    const std::size_t head = LineStarting("当期仕訳に4.5％または、6.0％の消費税が含まれています。");
    ASSERT_LT(head + 1, lines.Lines.size()) << Memo();
    EXPECT_EQ(lines.Lines[head - 1], "コンバートを中止しました。");
    EXPECT_EQ(lines.Lines[head - 2], "");
    EXPECT_EQ(lines.Lines[head + 1], "  日付       借方(借消) 貸方(貸消) 金額          摘要");
    EXPECT_NE(lines.Lines[head + 2].find("(0211)"), std::string::npos) << lines.Lines[head + 2];

    ASSERT_TRUE(fs::exists(ErrorLog()));
    const std::string log = DecodeCp932(test::ReadBytes(ErrorLog()));
    EXPECT_NE(log.find("当期仕訳に4.5％または、6.0％の消費税が含まれています。\r\n"), std::string::npos);
    EXPECT_EQ(lines.StatusText, "マイドキュメントに\"Quorvel_ConvertError.log\"を作成しました。");
    // The sort table goes in any case; the data set, with its trigger still off, is the execute step's to discard.
    EXPECT_EQ(TemporaryTables(), 0);
    EXPECT_FALSE(TriggerActive());
}

}  // namespace
}  // namespace qz
