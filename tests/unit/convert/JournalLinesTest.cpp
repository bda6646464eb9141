// The pairing of the sorted journal rows into entries, without a database.

#include "convert/ZaimuIO_JournalLines.h"

#include <gtest/gtest.h>

#include <utility>

namespace qz::journal_lines {
namespace {

// A side of ZMSIWAKE.CSV: 25 columns, the year, the side and the voucher code given.
std::string Side(const std::string& year, const std::string& side, const std::string& voucher)
{
    std::vector<std::string> columns(25);
    columns[0] = "101", columns[1] = year, columns[2] = "00000000", columns[3] = voucher, columns[kSide] = side;
    columns[kDate] = columns[kSecondDate] = "20250410";
    columns[kAmount] = "100";
    std::string line = columns[0];
    for (std::size_t i = 1; i < columns.size(); ++i)
        line += "," + columns[i];
    return line;
}

TEST(JournalPairing, EveryRowOfTheYearIsAnEntryOrToldAsLeftOut)
{
    std::vector<std::string> pairs;
    std::vector<std::pair<TLineFault, std::string>> leftOut;
    TJournalPairing pairing(
        0, [&](TZMSIWAKE&& debit, TZMSIWAKE&& credit) { pairs.push_back(debit.Column(kVoucherCode) + "/" + credit.Column(kVoucherCode)); },
        [&](TLineFault fault, const std::string& row) { leftOut.emplace_back(fault, row); });
    const std::string lone = Side("0", "2", "2");
    const std::string shortLine = "101,0,00000000,3";
    // A quoted year column sorts as year 0 (its raw text is no number) but reads as year 5 once unquoted.
    const std::string quotedYear = Side("\"5", "1", "4");
    for (const std::string& row : {Side("0", "1", "1"), Side("0", "2", "1"), lone, shortLine, quotedYear})
        EXPECT_TRUE(pairing.Take(row));
    EXPECT_FALSE(pairing.Take(Side("9", "1", "5")));   // the rows of a later year end the year
    pairing.Finish();

    EXPECT_EQ(pairs, std::vector<std::string>{"1/1"});
    const std::vector<std::pair<TLineFault, std::string>> expected = {
        {TLineFault::WrongColumnCount, shortLine}, {TLineFault::UnreadableYear, quotedYear}, {TLineFault::Unpaired, lone}};
    EXPECT_EQ(leftOut, expected);
}

}  // namespace
}  // namespace qz::journal_lines
