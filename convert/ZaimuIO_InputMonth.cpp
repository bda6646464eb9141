// The first month of a year whose data the target receives as journals, and the first day of an input
// month. A client who began with the source product during a year has no opening balances, only the
// running totals of the months before its first journal; those months reach the target as a balance.

#include "common/LineReader.h"
#include "common/PeriodCalendar.h"
#include "common/TextHelpers.h"
#include "convert/ZaimuIO_BalanceSeries.h"
#include "convert/ZaimuIO_JournalLines.h"
#include "convert/ZaimuIO_StepFailure.h"
#include "convert/ZaimuIO_Statements.h"
#include "convert/uQZ_ZaimuIO.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace qz {
namespace {

constexpr int kMonthsWithSeries = std::size(column::balance::kFirstSeriesOfMonth);

// 1 when a balance row of the year opens with an amount; else the month after the first month that has
// an amount in either series; 1 when no month has one.
int FirstMonthByBalances(const std::vector<TZMUCHZAN>& balances, int code, std::string_view kind)
{
    const auto ofYear = [&](const TZMUCHZAN& row) { return balance_series::IsOfYear(row, code, kind); };
    const auto opens = [&](const TZMUCHZAN& row) { return ofYear(row) && row.Amount(column::balance::kOpening) != TMoney(); };
    if (std::any_of(balances.begin(), balances.end(), opens))
        return 1;
    for (int month = 1; month <= kMonthsWithSeries; ++month) {
        const std::size_t first = column::balance::kFirstSeriesOfMonth[month - 1];
        const auto moves = [&](const TZMUCHZAN& row) {
            return ofYear(row) && (row.Amount(first) != TMoney() ||
                                   row.Amount(first + column::balance::kSecondSeriesOffset) != TMoney());
        };
        if (std::any_of(balances.begin(), balances.end(), moves))
            return month + 1;
    }
    return 1;
}

// The number 1-12 of a calendar month in a year whose first month is firstCalendarMonth.
int MonthNumberInYear(int calendarMonth, int firstCalendarMonth)
{
    return (calendarMonth - firstCalendarMonth + 12) % 12 + 1;
}

// The calendar month of a sort-table date "yyyymmdd", when it is one.
std::optional<int> CalendarMonthOf(std::string_view date)
{
    if (date.size() < 6)
        return std::nullopt;
    const std::optional<std::int64_t> month = TryTextToInt(date.substr(4, 2));
    if (!month || *month < 1 || *month > 12)
        return std::nullopt;
    return static_cast<int>(*month);
}

// Journals that begin before the balances say input began take precedence: the year's months from the
// first journal on come as journals.
int EarlierByFirstJournal(int base, std::optional<int> firstJournalMonth, int firstCalendarMonth)
{
    if (!firstJournalMonth)
        return base;
    const int number = MonthNumberInYear(*firstJournalMonth, firstCalendarMonth);
    return number < base ? number : base;
}

}  // namespace

int TQZaimuIO::FirstInputMonthOfExtract(int code, int firstCalendarMonth) const
{
    const int base = FirstMonthByBalances(Zmuchzan, code, std::to_string(ZandakaSyubetu));
    const std::filesystem::path file = JournalFile();
    if (base == 1 || file.empty())
        return base;
    // The earliest date the sort table would hand the run first: lines of the year with the sort key's
    // columns, dates with a month, in text order (a line beyond the reader's limit is not sorted either).
    std::string first;
    TLineReader reader(file);
    for (std::string line; reader.NextWithin(line);) {
        if (journal_lines::YearOf(line) != code)
            continue;
        const std::vector<std::string_view> columns = SplitAt(line, ",");
        if (columns.size() < journal_lines::kKeyColumns)
            continue;
        const std::string_view date = columns[journal_lines::kDate];
        if (CalendarMonthOf(date) && (first.empty() || date < first))
            first = date;
    }
    return EarlierByFirstJournal(base, CalendarMonthOf(first), firstCalendarMonth);
}

int TQZaimuIO::FirstInputMonth(int code, int firstCalendarMonth)
{
    const int base = FirstMonthByBalances(Zmuchzan, code, std::to_string(ZandakaSyubetu));
    if (base == 1)
        return base;
    try {
        fb::TStatement first(Transaction());
        first.Prepare(convert::sql::kSelectFirstJournalDateOfYear);
        first.SetInt("JigyounendoNaibuCD", code);
        first.Open();
        // A date whose month is no month cannot place the journal; the next date in order can.
        while (first.Fetch()) {
            const std::optional<int> month = CalendarMonthOf(first.AsString(0));
            if (month)
                return EarlierByFirstJournal(base, month, firstCalendarMonth);
        }
    } catch (...) {
        RecordStepFailure("開始月設定：", ReadErrors);
    }
    return base;
}

TDate TQZaimuIO::ClosingDate(int k, int closingDay, TDate start)
{
    return qz::ClosingDate(k, closingDay, start);
}

TDate TQZaimuIO::InputMonthStart(int n, int closingDay, TDate start)
{
    return AddDays(1, ClosingDate(n - 2, closingDay, start));
}

}  // namespace qz
