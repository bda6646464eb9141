// The extract's journal file ZMSIWAKE.CSV without a database: each line as the sort table takes it, the
// rows in the table's key order, and the pairing of one year's rows into entries. Every row of the year is
// part of an entry or told as left out; every entry is a debit and its credit of the same year, branch,
// date and voucher.

#include "common/Cp932.h"
#include "common/LineReader.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <tuple>

using namespace qz;
using namespace qz::journal_lines;
using qz::fuzz::Check;

namespace {

std::vector<TJournalSortRow> SortRows(const std::filesystem::path& file)
{
    std::vector<TJournalSortRow> rows;
    TLineReader reader(file);
    for (std::string raw; reader.NextWithin(raw);) {
        if (Trim(raw).empty())
            continue;
        std::optional<TJournalSortRow> row = JournalSortRow(raw);
        if (!row || !FitsSortTable(*row))
            continue;   // told by the sorting, never inserted
        Check(fuzz::IsUtf8(row->Line), "the sort row's text is UTF-8", row->Line);
        // The row goes to the database as CP932: what was decoded encodes again, byte for byte as wide.
        Check(EncodeCp932(row->Line).size() == raw.size(), "the sort row's text is as wide as the line", row->Line);
        rows.push_back(std::move(*row));
    }
    // The table's primary key: one row per key (a second one is told by the sorting), in key order.
    const auto key = [](const TJournalSortRow& row) { return std::tie(row.Year, row.Date, row.Branch, row.VoucherCode, row.Side); };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    rows.erase(std::unique(rows.begin(), rows.end(), [&](const auto& a, const auto& b) { return key(a) == key(b); }), rows.end());
    return rows;
}

void CheckPair(int year, const TZMSIWAKE& debit, const TZMSIWAKE& credit)
{
    Check(debit.Column(kSide) == "1" && credit.Column(kSide) == "2", "an entry is a debit line, then a credit line");
    for (const std::size_t column : {kYear, kBranch, kDate, kVoucherCode})
        Check(debit.Column(column) == credit.Column(column), "both sides share year, branch, date and voucher");
    Check(TryTextToInt(debit.Column(kYear)).value_or(-1) == year, "an entry is of the year paired");
    for (const TZMSIWAKE* side : {&debit, &credit}) {
        Check(side->Columns.size() == 24 || side->Columns.size() == 25, "a side has 24 or 25 columns");
        for (const std::string& column : side->Columns)
            Check(fuzz::IsUtf8(column), "a side's columns are text", column);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path file = fuzz::PrivateFolder() / "ZMSIWAKE.CSV";
    fuzz::WriteFile(file, std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<TJournalSortRow> rows = SortRows(file);
    if (rows.empty())
        return 0;

    // The year of the first row, as a year code the run could ask for.
    const std::int64_t year64 = rows.front().Year;
    if (year64 < INT32_MIN || year64 > INT32_MAX)
        return 0;
    const int year = static_cast<int>(year64);
    std::size_t pairs = 0, leftOut = 0, taken = 0;
    TJournalPairing pairing(
        year,
        [&](TZMSIWAKE&& debit, TZMSIWAKE&& credit) {
            CheckPair(year, debit, credit);
            ++pairs;
        },
        [&](TLineFault, const std::string& row) {
            Check(YearOf(row) == year, "a line left out is of the year");
            ++leftOut;
        });
    for (const TJournalSortRow& row : rows) {
        if (!pairing.Take(row.Line))
            break;
        taken += row.Year == year;
    }
    pairing.Finish();
    Check(2 * pairs + leftOut == taken, "every line of the year is part of an entry or told as left out");
    return 0;
}
