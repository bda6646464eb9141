// The extract writer follows the source product's conventions, read back through the extract reader; the
// sample extracts in samples/ are exactly what the generator writes, read without a single message, their
// balances agree with their journals and from year to year, and they hold the cases the conversion treats
// apart.

#include "common/Format.h"
#include "convert/ZaimuIO_CsvReader.h"
#include "convert/uQZ_ZaimuIO.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>

namespace qz {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = QZ_TEST_SAMPLES_DIR;

// The journal file read with the same splitting rules (25 columns, quoted summaries).
const TExtractFileSpec kJournal{"ZM", "ZMSIWAKE.CSV", "iittit" "ttttttttttt" "a" "ttttttt", 24, true, false, false,
                                "", "", "", "", 100'000};
namespace journal {
constexpr std::size_t kBranch = 2, kVoucher = 3, kSide = 5, kDate = 7, kAccount = 13, kSubUserCode = 14, kSub = 15,
                      kAmount = 17;
}
namespace balance {
constexpr std::size_t kBranch = 2, kAccount = 3, kSub = 4, kKind = 5, kOpening = 6, kFirstSeries = 7, kSecondSeries = 23,
                      kLast = 38;
}

std::vector<TExtractRecord> ReadJournal(const fs::path& folder)
{
    std::vector<std::string> errors;
    std::vector<TExtractRecord> lines = ReadExtractFile(folder, kJournal, errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    return lines;
}

std::int64_t Yen(TMoney money)
{
    return money.RoundedYen();
}

// The closing balance of a balance row: its last running debit and credit totals, on the account's side.
std::int64_t Closing(const TExtractRecord& row, const std::string& side)
{
    const std::int64_t debit = Yen(row.Amount(balance::kSecondSeries - 1)), credit = Yen(row.Amount(balance::kLast));
    return side == "2" ? credit - debit : debit - credit;
}

// A small client: cash, a bank account with two sub-accounts, sales.
class ExtractWriterConventions : public ::testing::Test {
protected:
    test::TTempFolder folder;
    test::TExtractDescription extract;

    void SetUp() override
    {
        extract.Years = {{.Code = 7, .Start = TDate::Ymd(2025, 4, 1), .End = TDate::Ymd(2026, 3, 31)}};
        extract.Accounts = {{.Code = "10100", .UserCode = "101", .Level1 = "10", .Name = "現金"},
                            {.Code = "10300", .UserCode = "103", .Level1 = "10", .Name = "普通預金"},
                            {.Code = "41100", .UserCode = "411", .Level1 = "40", .Name = "売上高", .Side = "2"}};
        extract.SubAccounts = {{"10300", "00001", "011", "みずほ銀行"}, {"10300", "00002", "012", "りそな銀行"}};
    }

    // The kind-1 balance rows of an account by sub-account code.
    std::map<std::string, TZMUCHZAN> RowsOf(const std::string& account)
    {
        std::vector<std::string> errors;
        std::map<std::string, TZMUCHZAN> rows;
        for (const TZMUCHZAN& row : ReadExtract<TZMUCHZAN>(folder.Path(), extract::Zmuchzan, errors)) {
            if (row.Text(balance::kAccount) == account && row.Text(balance::kKind) == "1") {
                EXPECT_TRUE(rows.emplace(row.Text(balance::kSub), row).second) << "two rows for " << row.Text(balance::kSub);
            }
        }
        EXPECT_TRUE(errors.empty());
        return rows;
    }
};

TEST_F(ExtractWriterConventions, AJournalSideWithoutASubAccountLeavesItsSubAccountColumnsEmpty)
{
    // "00000" and an empty code both mean none in the description.
    extract.Years[0].Entries = {
        {.Date = TDate::Ymd(2025, 4, 10), .Debit = "10300", .Credit = "41100", .Amount = 300, .DebitSub = "00001"},
        {.Date = TDate::Ymd(2025, 5, 10), .Debit = "10100", .Credit = "10300", .Amount = 50, .DebitSub = "", .CreditSub = "00002"}};
    test::WriteExtract(extract, folder.Path());
    std::vector<std::string> sides;
    for (const TExtractRecord& line : ReadJournal(folder.Path()))
        sides.push_back(line.Text(journal::kAccount) + "[" + line.Text(journal::kSubUserCode) + "|" + line.Text(journal::kSub) + "]");
    EXPECT_EQ(sides, (std::vector<std::string>{"10300[011|00001]", "41100[|]", "10100[|]", "10300[012|00002]"}));
}

TEST_F(ExtractWriterConventions, TheNoSubAccountRowOfAnAccountCarriesItsTotal)
{
    test::TExtractYear& year = extract.Years[0];
    year.Opening = {{{test::kHeadOffice, "10300", "00001"}, 1000}, {{test::kHeadOffice, "10300", "00002"}, 500},
                    {{test::kHeadOffice, "10300", ""}, 200}};
    year.Entries = {{.Date = TDate::Ymd(2025, 4, 10), .Debit = "10300", .Credit = "41100", .Amount = 300, .DebitSub = "00001"},
                    {.Date = TDate::Ymd(2025, 5, 10), .Debit = "10100", .Credit = "10300", .Amount = 50},
                    {.Date = TDate::Ymd(2025, 7, 10), .Debit = "10300", .Credit = "10100", .Amount = 70, .DebitSub = "00002"}};
    test::WriteExtract(extract, folder.Path());
    std::map<std::string, TZMUCHZAN> rows = RowsOf("10300");
    ASSERT_EQ(rows.size(), 3u);
    const TZMUCHZAN &total = rows["00000"], &first = rows["00001"], &second = rows["00002"];
    EXPECT_EQ(Closing(first, "1"), 1300);
    EXPECT_EQ(Closing(second, "1"), 570);
    // What is left after the sub-accounts is what lies on none: the opening 200 (on the debit side, in every
    // running debit total) and the credit of 50 from the second month on.
    for (std::size_t c = balance::kOpening; c <= balance::kLast; ++c) {
        const std::int64_t rest = Yen(total.Amount(c)) - Yen(first.Amount(c)) - Yen(second.Amount(c));
        const std::int64_t expected = c < balance::kSecondSeries ? 200 : c == balance::kSecondSeries ? 0 : 50;
        EXPECT_EQ(rest, expected) << "column " << c;
    }
    // An account without sub-accounts has its one row.
    EXPECT_EQ(RowsOf("10100").size(), 1u);
}

TEST_F(ExtractWriterConventions, WithBranchesInUseNothingMayLieOnTheHeadOffice)
{
    test::TExtractYear& year = extract.Years[0];
    year.Opening = {{{test::kHeadOffice, "10100", ""}, 1000}};
    year.Entries = {{.Date = TDate::Ymd(2025, 4, 10), .Debit = "10100", .Credit = "41100", .Amount = 300}};
    EXPECT_NO_THROW(test::WriteExtract(extract, folder.Path()));  // the head office alone is the company

    extract.Branches.push_back({"00000002", "010", "大阪支店"});
    EXPECT_THROW(test::WriteExtract(extract, folder.Path()), std::invalid_argument);
    year.Opening = {{{"00000002", "10100", ""}, 1000}};
    EXPECT_THROW(test::WriteExtract(extract, folder.Path()), std::invalid_argument);
    year.Entries[0].Branch = "00000002";
    EXPECT_NO_THROW(test::WriteExtract(extract, folder.Path()));
    year.Opening = {{{test::kHeadOffice, "10100", ""}, 1000}};
    EXPECT_THROW(test::WriteExtract(extract, folder.Path()), std::invalid_argument);
}

TEST_F(ExtractWriterConventions, AClosingAdjustmentCarriesItsMonthAndLandsInTheSettlementSlot)
{
    test::TExtractEntry adjustment{.Date = TDate::Ymd(2026, 3, 31), .Debit = "10100", .Credit = "41100", .Amount = 100};
    adjustment.ClosingAdjustment = true;
    extract.Years[0].Entries = {{.Date = TDate::Ymd(2026, 3, 15), .Debit = "10100", .Credit = "41100", .Amount = 10},
                                adjustment};
    test::WriteExtract(extract, folder.Path());
    const std::vector<TExtractRecord> lines = ReadJournal(folder.Path());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[0].Text(journal::kVoucher).starts_with("1"));
    EXPECT_EQ(lines[2].Text(journal::kVoucher).substr(0, 3), "203");
    EXPECT_EQ(lines[2].Text(journal::kVoucher), lines[3].Text(journal::kVoucher));
    EXPECT_EQ(lines[2].Text(journal::kVoucher).size(), 8u);
    const TZMUCHZAN cash = RowsOf("10100")["00000"];
    EXPECT_EQ(Yen(cash.Amount(balance::kFirstSeries + 14)), 10);   // slot 15: the twelfth month
    EXPECT_EQ(Yen(cash.Amount(balance::kFirstSeries + 15)), 110);  // slot 16: the year-end settlement
}

TEST(SampleExtracts, TheCommittedSamplesAreWhatTheGeneratorWrites)
{
    test::TTempFolder fresh;
    for (const auto& [name, description] : test::SampleExtracts()) {
        test::WriteExtract(description, fresh.Path() / name);
        for (const auto& entry : fs::recursive_directory_iterator(fresh.Path() / name)) {
            if (!entry.is_regular_file())
                continue;
            const fs::path relative = fs::relative(entry.path(), fresh.Path());
            EXPECT_TRUE(test::ReadBytes(entry.path()) == test::ReadBytes(kSamples / relative))
                << relative << " differs: run qz_make_samples samples";
        }
    }
}

using TRowKey = std::tuple<std::int64_t, std::string, std::string, std::string>;  // year, branch, account, sub

class SampleExtract : public ::testing::TestWithParam<std::string> {
protected:
    TQZaimuIO context;
    std::map<std::string, std::string> sides;  // balance side per account
    std::map<std::string, std::string> names;
    std::set<std::string> balanceSheet;
    std::vector<TExtractRecord> journalLines;

    void SetUp() override
    {
        context.SetCsvDir(kSamples / GetParam());
        EXPECT_EQ(context.ReadErrorText(), "");
        ASSERT_EQ(context.Dtmanage.NendoCount, 3);
        for (const TZMKANJYO& account : context.Zmkanjyo) {
            sides[account.Text(2)] = account.Text(13);
            names[account.Text(2)] = account.Text(12);
            if (account.Text(4) == "10" || account.Text(4) == "20" || account.Text(4) == "30")
                balanceSheet.insert(account.Text(2));
        }
        journalLines = ReadJournal(kSamples / GetParam());
    }

    // The system code of the account with that name; empty when there is none.
    std::string AccountNamed(const std::string& name) const
    {
        for (const auto& [code, accountName] : names)
            if (accountName == name)
                return code;
        return "";
    }

    // Per row key of the kind-1 balance rows: a figure of the row.
    template <typename TFigure>
    std::map<TRowKey, std::int64_t> RowFigures(TFigure figure) const
    {
        std::map<TRowKey, std::int64_t> figures;
        for (const TZMUCHZAN& row : context.Zmuchzan)
            if (row.Text(balance::kKind) == "1")
                figures[{row.YearCode(), row.Text(balance::kBranch), row.Text(balance::kAccount), row.Text(balance::kSub)}] =
                    figure(row, sides.at(row.Text(balance::kAccount)));
        return figures;
    }
};

TEST_P(SampleExtract, JournalsAgreeWithTheBalanceRowsOfTheirSubAccountsAndAccountTotals)
{
    const auto moved = RowFigures([](const TZMUCHZAN& row, const std::string& side) {
        return Closing(row, side) - Yen(row.Amount(balance::kOpening));
    });
    std::map<TRowKey, std::int64_t> journals;
    for (const TExtractRecord& line : journalLines) {
        const std::string& account = line.Text(journal::kAccount);
        const std::string& sub = line.Text(journal::kSub);
        EXPECT_NE(sub, "00000") << "a side without a sub-account leaves the column empty";
        EXPECT_EQ(line.Text(journal::kSubUserCode).empty(), sub.empty());
        const bool ownSide = (sides[account] != "2") == (line.Text(journal::kSide) == "1");
        const std::int64_t amount = (ownSide ? 1 : -1) * Yen(line.Amount(journal::kAmount));
        const std::string& branch = line.Text(journal::kBranch);
        journals[{line.YearCode(), branch, account, "00000"}] += amount;  // the account's total row
        if (!sub.empty())
            journals[{line.YearCode(), branch, account, sub}] += amount;
    }
    for (const auto& [key, amount] : journals) {
        const auto row = moved.find(key);
        ASSERT_NE(row, moved.end()) << "no balance row for " << std::get<2>(key) << "-" << std::get<3>(key);
        EXPECT_EQ(row->second, amount) << std::get<0>(key) << " " << std::get<1>(key) << " " << std::get<2>(key) << "-"
                                       << std::get<3>(key);
    }
    for (const auto& [key, amount] : moved)
        if (!journals.contains(key)) {
            EXPECT_EQ(amount, 0) << std::get<2>(key) << "-" << std::get<3>(key);
        }
}

// Every balance-sheet row opens with the previous year's closing balance; the profit of a branch, the
// owner's drawings and contributions go to that branch's retained earnings or capital.
TEST_P(SampleExtract, BalancesCarryIntoTheNextYearBranchByBranch)
{
    const auto opening = RowFigures([](const TZMUCHZAN& row, const std::string&) { return Yen(row.Amount(balance::kOpening)); });
    const auto closing = RowFigures([](const TZMUCHZAN& row, const std::string& side) { return Closing(row, side); });
    const std::string equity = AccountNamed("繰越利益剰余金").empty() ? AccountNamed("元入金") : AccountNamed("繰越利益剰余金");
    const std::string drawings = AccountNamed("事業主貸"), contributions = AccountNamed("事業主借");
    ASSERT_FALSE(equity.empty());
    const auto figure = [](const std::map<TRowKey, std::int64_t>& figures, const TRowKey& key) {
        const auto found = figures.find(key);
        return found == figures.end() ? 0 : found->second;
    };
    const int oldest = context.Dtmanage.Nendo[2].Code;
    std::set<TRowKey> keys;
    for (const auto& [key, amount] : opening)
        if (std::get<0>(key) != oldest)
            keys.insert(key);
    for (const auto& [key, amount] : closing)
        if (std::get<0>(key) != context.Dtmanage.Nendo[0].Code)
            keys.insert({std::get<0>(key) + 1, std::get<1>(key), std::get<2>(key), std::get<3>(key)});
    int carried = 0;
    std::map<std::pair<std::int64_t, std::string>, std::int64_t> toEquity;  // (year, branch): the amount closed into equity
    for (const auto& [key, amount] : closing) {
        const auto& [year, branch, account, sub] = key;
        if (sub != "00000")
            continue;
        if (!balanceSheet.contains(account))
            toEquity[{year + 1, branch}] += sides[account] == "2" ? amount : -amount;
        else if (account == drawings)
            toEquity[{year + 1, branch}] -= amount;
        else if (account == contributions)
            toEquity[{year + 1, branch}] += amount;
    }
    for (const TRowKey& key : keys) {
        const auto& [year, branch, account, sub] = key;
        const TRowKey previous{year - 1, branch, account, sub};
        if (!balanceSheet.contains(account) || account == drawings || account == contributions)
            continue;  // profit-and-loss accounts, drawings and contributions start at zero
        const std::int64_t closed = account == equity && sub == "00000" ? toEquity[{year, branch}] : 0;
        EXPECT_EQ(figure(opening, key), figure(closing, previous) + closed) << year << " " << branch << " " << account << "-" << sub;
        ++carried;
    }
    EXPECT_GT(carried, 5);
}

TEST_P(SampleExtract, WithBranchesInUseNothingLiesOnTheHeadOffice)
{
    std::map<std::int64_t, int> branches;  // per year
    for (const Tcmhonten& branch : context.Cmhonten)
        ++branches[branch.YearCode()];
    const auto onHeadOffice = [&](const TExtractRecord& record) {
        return branches[record.YearCode()] > 1 && record.Text(2) == test::kHeadOffice;
    };
    EXPECT_EQ(std::count_if(context.Zmuchzan.begin(), context.Zmuchzan.end(), onHeadOffice), 0);
    EXPECT_EQ(std::count_if(context.Zmbumzan.begin(), context.Zmbumzan.end(), onHeadOffice), 0);
    EXPECT_EQ(std::count_if(journalLines.begin(), journalLines.end(), onHeadOffice), 0);
}

// Every year has a closing adjustment dated on its last day, and sides with sub-accounts the year lists.
TEST_P(SampleExtract, HoldsClosingAdjustmentsAndSubAccountsInUse)
{
    std::set<std::tuple<std::int64_t, std::string, std::string>> listed;  // year, account, sub-account
    for (const TZMUCHIWAK& sub : context.Zmuchiwa)
        listed.insert({sub.YearCode(), sub.Text(2), sub.Text(3)});
    for (int i = 0; i < context.Dtmanage.NendoCount; ++i) {
        const TJigyouNendo& year = context.Dtmanage.Nendo[static_cast<std::size_t>(i)];
        const std::string end = Format("%04d%02d%02d", year.End.Year(), year.End.Month(), year.End.Day());
        int adjustments = 0, withSubAccounts = 0;
        for (const TExtractRecord& line : journalLines) {
            if (line.YearCode() != year.Code)
                continue;
            const std::string& voucher = line.Text(journal::kVoucher);
            if (voucher.starts_with("2") && voucher.substr(1, 2) == Format("%02d", year.End.Month()) &&
                line.Text(journal::kDate) == end)
                ++adjustments;
            const std::string& sub = line.Text(journal::kSub);
            if (!sub.empty()) {
                EXPECT_TRUE(listed.contains({year.Code, line.Text(journal::kAccount), sub}))
                    << line.Text(journal::kAccount) << "-" << sub;
                ++withSubAccounts;
            }
        }
        EXPECT_GT(adjustments, 0) << "year " << year.Code;
        EXPECT_GT(withSubAccounts, 0) << "year " << year.Code;
    }
}

INSTANTIATE_TEST_SUITE_P(AllSamples, SampleExtract,
                         ::testing::Values("corporation", "individual-general", "individual-realestate"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// The corporation keeps its business on its branches and posts to an account the conversion merges into
// another (main code 114-130, or a branch-numbered account) without a sub-account.
TEST(CorporationSample, HasBranchesInUseAndAMergedAccountWithoutSubAccounts)
{
    TQZaimuIO context;
    context.SetCsvDir(kSamples / "corporation");
    std::set<std::string> branches;
    for (const Tcmhonten& branch : context.Cmhonten)
        branches.insert(branch.Text(2));
    EXPECT_GT(branches.size(), 1u);
    EXPECT_TRUE(branches.contains(test::kHeadOffice));
    const auto merged = [](const std::string& code) {
        const int main = std::atoi(code.substr(0, 3).c_str());
        return (main >= 114 && main <= 130) || code.substr(3) != "00";
    };
    int sides = 0;
    for (const TExtractRecord& line : ReadJournal(kSamples / "corporation"))
        if (merged(line.Text(journal::kAccount)) && line.Text(journal::kSub).empty())
            ++sides;
    EXPECT_GT(sides, 0);
}

}  // namespace
}  // namespace qz
