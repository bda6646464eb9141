#include "convert/ZaimuIO_BalanceSeries.h"

#include "common/Format.h"

#include <stdexcept>

namespace qz::balance_series {

namespace balance = column::balance;

bool IsOfYear(const TExtractRecord& record, int year, std::string_view kind)
{
    return !record.Empty() && record.YearCode() == year && record.Text(balance::kKind) == kind;
}

int SideOf(const std::vector<TZMKANJYO>& accounts, int year, std::string_view account)
{
    for (const TZMKANJYO& record : accounts)
        if (record.YearCode() == year && record.Text(column::zmkanjyo::kSystemCode) == account)
            return record.Text(column::zmkanjyo::kSide) == "2" ? 2 : 1;
    return 1;
}

TMoney AtSlotEnd(const TExtractRecord& record, int slot, int side)
{
    if (slot < 0 || slot > balance::kSlots)
        throw std::out_of_range(Format("残高の期間番号(%d)が正しくありません。", slot));
    if (slot == 0)
        return record.Amount(balance::kOpening);
    const std::size_t first = balance::kFirstSeriesOfSlot1 + static_cast<std::size_t>(slot - 1);
    const TMoney firstSeries = record.Amount(first);
    const TMoney secondSeries = record.Amount(first + balance::kSecondSeriesOffset);
    return side == 2 ? secondSeries - firstSeries : firstSeries - secondSeries;
}

TMoney AtMonthStart(const TExtractRecord& record, int month, int side)
{
    if (month == 1)
        return AtSlotEnd(record, 0, side);
    const std::size_t column = balance::kFirstSeriesOfMonth[month - 2];
    return AtSlotEnd(record, static_cast<int>(column - balance::kFirstSeriesOfSlot1) + 1, side);
}

}  // namespace qz::balance_series
