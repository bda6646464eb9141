// The sample extracts in samples/ are exactly what the generator writes, read without a single message,
// and their balances agree with their journals and from year to year.

#include "convert/ZaimuIO_CsvReader.h"
#include "convert/uQZ_ZaimuIO.h"
#include "tests/support/SampleExtracts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace qz {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = QZ_TEST_SAMPLES_DIR;

std::int64_t Yen(TMoney money)
{
    return money.RoundedYen();
}

// The closing balance of a balance row: its last cumulative debit and credit figures, on the account's side.
std::int64_t Closing(const TZMUCHZAN& row, const std::string& side)
{
    const std::int64_t debit = Yen(row.Amount(22)), credit = Yen(row.Amount(38));
    return side == "2" ? credit - debit : debit - credit;
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
            EXPECT_EQ(test::ReadBytes(entry.path()), test::ReadBytes(kSamples / relative))
                << relative << " differs: run qz_make_samples samples";
        }
    }
}

class SampleConsistency : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleConsistency, ReadsCleanlyAndBalancesAgree)
{
    TQZaimuIO context;
    context.SetCsvDir(kSamples / GetParam());
    EXPECT_EQ(context.ReadErrorText(), "");
    ASSERT_EQ(context.Dtmanage.NendoCount, 3);
    std::map<std::string, std::string> sides;
    std::set<std::string> balanceSheet;
    for (const TZMKANJYO& account : context.Zmkanjyo) {
        sides[account.Text(2)] = account.Text(13);
        if (account.Text(4) == "10" || account.Text(4) == "20" || account.Text(4) == "30")
            balanceSheet.insert(account.Text(2));
    }

    // Per year, account and sub-account: the journal movements.
    std::map<std::tuple<std::int64_t, std::string, std::string, std::string>, std::int64_t> moved;
    for (const TZMUCHZAN& row : context.Zmuchzan) {
        if (row.Text(5) != "1")
            continue;
        const std::string& account = row.Text(3);
        const std::int64_t movement = Closing(row, sides[account]) - Yen(row.Amount(6));
        moved[{row.YearCode(), row.Text(2), account, row.Text(4)}] = movement;
    }
    const fs::path journal = kSamples / GetParam() / "ZM" / "ZMSIWAKE.CSV";
    std::map<std::tuple<std::int64_t, std::string, std::string, std::string>, std::int64_t> journals;
    std::vector<std::string> errors;
    // The journal file read with the same splitting rules (25 columns, quoted summaries).
    static const TExtractFileSpec kJournal{"ZM", "ZMSIWAKE.CSV", "iittit" "ttttttttttt" "a" "ttttttt", 24, true, false, false,
                                           23, 26, "", "", "", ""};
    for (const TExtractRecord& line : ReadExtractFile(kSamples / GetParam(), kJournal, errors)) {
        const std::string& account = line.Text(13);
        const bool debitSide = sides[account] != "2";
        const bool debitLine = line.Text(5) == "1";
        journals[{line.YearCode(), line.Text(2), account, line.Text(15)}] +=
            (debitSide == debitLine ? 1 : -1) * Yen(line.Amount(17));
    }
    EXPECT_TRUE(errors.empty());
    for (const auto& [key, amount] : journals)
        EXPECT_EQ(moved[key], amount) << std::get<0>(key) << " " << std::get<2>(key) << "-" << std::get<3>(key);

    // Each balance-sheet row of a year opens with the previous year's closing balance.
    const int oldest = context.Dtmanage.Nendo[2].Code;
    std::map<std::tuple<std::int64_t, std::string, std::string, std::string>, std::int64_t> closing;
    for (const TZMUCHZAN& row : context.Zmuchzan)
        if (row.Text(5) == "1")
            closing[{row.YearCode(), row.Text(2), row.Text(3), row.Text(4)}] = Closing(row, sides[row.Text(3)]);
    int carried = 0;
    for (const TZMUCHZAN& row : context.Zmuchzan) {
        const std::string& account = row.Text(3);
        if (row.Text(5) != "1" || row.YearCode() == oldest || !balanceSheet.contains(account) ||
            account == "85300" || account == "80000")
            continue;  // profit-and-loss accounts start at zero; the equity accounts take the profit as well
        const auto previous = closing.find({row.YearCode() - 1, row.Text(2), account, row.Text(4)});
        if (previous == closing.end() || account == "28100" || account == "37300")
            continue;
        EXPECT_EQ(Yen(row.Amount(6)), previous->second) << row.YearCode() << " " << account << "-" << row.Text(4);
        ++carried;
    }
    EXPECT_GT(carried, 2);
}

INSTANTIATE_TEST_SUITE_P(AllSamples, SampleConsistency,
                         ::testing::Values("corporation", "individual-general", "individual-realestate"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace qz
