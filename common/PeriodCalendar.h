#pragma once
// The fiscal calendar: closing periods (締日) and the 16 balance slots of a fiscal year.
// Slots: 1-3 the first three months, 4 the first-quarter settlement, 5-7 months 4-6, 8 the second-quarter
// settlement, 9-11 months 7-9, 12 the third-quarter settlement, 13-15 months 10-12, 16 the year-end settlement.
// Closing day: 1-28 a day of the month, 99 the month end, anything else calendar months.

#include "common/Date.h"

namespace qz {

constexpr int kMonthEndClosingDay = 99;

int YearOf(TDate date);
int MonthOf(TDate date);
int DayOf(TDate date);
TDate AddDays(int days, TDate date);
// Moves by whole months; the day is reduced to the length of the target month.
TDate AddMonthsClamped(int months, TDate date);

// The closing date of the closing period that contains the date, moved by monthOffset periods.
TDate ClosingDate(int monthOffset, int closingDay, TDate date);
// Whole closing periods from the period start to the date.
int MonthIndex(int closingDay, TDate date, TDate periodStart);
// The month number 1-12 of the date within the period (MonthIndex + 1), or -1 outside the period's months.
int PeriodMonthNo(int closingDay, TDate date, TDate periodStart);
// The balance slot 1-16 of an entry, or -1; settlement is 1 for a settlement entry.
int SlotOfDate(int closingDay, int settlement, TDate date, TDate periodEnd, TDate periodStart);
// Slot number - 1 of month number 1-12 (0 for any other number).
int SlotOfMonth(int month);

}  // namespace qz
