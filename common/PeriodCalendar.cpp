#include "common/PeriodCalendar.h"

#include <algorithm>

namespace qz {
namespace {

bool IsClosingDay(int closingDay)
{
    return (closingDay >= 1 && closingDay <= 28) || closingDay == kMonthEndClosingDay;
}

}  // namespace

int YearOf(TDate date) { return date.Year(); }
int MonthOf(TDate date) { return date.Month(); }
int DayOf(TDate date) { return date.Day(); }

TDate AddDays(int days, TDate date)
{
    return TDate(date.Serial() + days);
}

TDate AddMonthsClamped(int months, TDate date)
{
    int year, month, day;
    date.Decode(year, month, day);
    const int monthsFromZero = year * 12 + (month - 1) + months;
    year = monthsFromZero / 12;
    month = monthsFromZero % 12 + 1;
    day = std::min(day, DaysInMonth(year, month));
    return TDate::FromYmd(year, month, day).value_or(date);
}

TDate ClosingDate(int monthOffset, int closingDay, TDate date)
{
    if (!IsClosingDay(closingDay))
        return date;
    const int extra = date.Day() > closingDay ? 1 : 0;
    const TDate moved = AddMonthsClamped(monthOffset + extra, date);
    const int day = closingDay == kMonthEndClosingDay ? DaysInMonth(moved.Year(), moved.Month()) : closingDay;
    return TDate::Ymd(moved.Year(), moved.Month(), day);
}

int MonthIndex(int closingDay, TDate date, TDate periodStart)
{
    const TDate d = ClosingDate(0, closingDay, date);
    const TDate s = ClosingDate(0, closingDay, periodStart);
    return (d.Year() - s.Year()) * 12 + d.Month() - s.Month();
}

int PeriodMonthNo(int closingDay, TDate date, TDate periodStart)
{
    const int index = MonthIndex(closingDay, date, periodStart);
    return index >= 0 && index <= 11 ? index + 1 : -1;
}

int SlotOfDate(int closingDay, int settlement, TDate date, TDate periodEnd, TDate periodStart)
{
    const int g = std::min(MonthIndex(closingDay, periodEnd, periodStart), MonthIndex(closingDay, date, periodStart));
    int k = settlement == 1 ? 1 : 0;
    if (k == 1) {
        if (date == periodEnd)
            return 16;
        if (g != 2 && g != 5 && g != 8 && g != 11)
            k = 0;
    }
    if (g >= 0 && g <= 2) return k + g + 1;
    if (g >= 3 && g <= 5) return k + g + 2;
    if (g >= 6 && g <= 8) return k + g + 3;
    if (g >= 9 && g <= 11) return k + g + 4;
    return -1;
}

int SlotOfMonth(int month)
{
    if (month >= 1 && month <= 3) return month - 1;
    if (month >= 4 && month <= 6) return month;
    if (month >= 7 && month <= 9) return month + 1;
    if (month >= 10 && month <= 12) return month + 2;
    return 0;
}

}  // namespace qz

