#include "common/PeriodCalendar.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TDate D(int y, int m, int d)
{
    return TDate::Ymd(y, m, d);
}

TEST(PeriodCalendar, AddMonthsClampsTheDay)
{
    EXPECT_EQ(AddMonthsClamped(1, D(2009, 1, 31)), D(2009, 2, 28));
    EXPECT_EQ(AddMonthsClamped(1, D(2008, 1, 31)), D(2008, 2, 29));
    EXPECT_EQ(AddMonthsClamped(-1, D(2009, 3, 31)), D(2009, 2, 28));
    EXPECT_EQ(AddMonthsClamped(13, D(2009, 12, 15)), D(2011, 1, 15));
    EXPECT_EQ(AddMonthsClamped(-12, D(2009, 1, 1)), D(2008, 1, 1));
    EXPECT_EQ(AddDays(1, D(2009, 12, 31)), D(2010, 1, 1));
    EXPECT_TRUE(IsLeap(2000));
    EXPECT_FALSE(IsLeap(1900));
    EXPECT_FALSE(IsLeap(0));
}

TEST(PeriodCalendar, ClosingDates)
{
    EXPECT_EQ(ClosingDate(0, 20, D(2009, 3, 25)), D(2009, 4, 20));
    EXPECT_EQ(ClosingDate(0, 20, D(2009, 3, 15)), D(2009, 3, 20));
    EXPECT_EQ(ClosingDate(0, 20, D(2009, 3, 20)), D(2009, 3, 20));
    EXPECT_EQ(ClosingDate(0, 99, D(2008, 2, 10)), D(2008, 2, 29));
    EXPECT_EQ(ClosingDate(1, 99, D(2009, 1, 31)), D(2009, 2, 28));
    EXPECT_EQ(ClosingDate(-1, 25, D(2009, 1, 26)), D(2009, 1, 25));
    EXPECT_EQ(ClosingDate(0, 0, D(2009, 3, 25)), D(2009, 3, 25));   // calendar months: unchanged
    EXPECT_EQ(ClosingDate(0, 31, D(2009, 3, 25)), D(2009, 3, 25));
}

TEST(PeriodCalendar, MonthIndexWithClosingDay)
{
    // A year running 2009/03/21 - 2010/03/20 with the 20th as closing day.
    EXPECT_EQ(MonthIndex(20, D(2009, 3, 21), D(2009, 3, 21)), 0);
    EXPECT_EQ(MonthIndex(20, D(2009, 4, 20), D(2009, 3, 21)), 0);
    EXPECT_EQ(MonthIndex(20, D(2009, 4, 21), D(2009, 3, 21)), 1);
    EXPECT_EQ(MonthIndex(20, D(2010, 3, 20), D(2009, 3, 21)), 11);
    EXPECT_EQ(PeriodMonthNo(20, D(2010, 3, 20), D(2009, 3, 21)), 12);
    EXPECT_EQ(PeriodMonthNo(20, D(2010, 3, 21), D(2009, 3, 21)), -1);
    EXPECT_EQ(PeriodMonthNo(0, D(2009, 4, 1), D(2009, 4, 1)), 1);
}

TEST(PeriodCalendar, SlotsOfAnAprilToMarchYear)
{
    const TDate start = D(2009, 4, 1), end = D(2010, 3, 31);
    EXPECT_EQ(SlotOfDate(0, 0, D(2009, 4, 15), end, start), 1);
    EXPECT_EQ(SlotOfDate(0, 0, D(2009, 7, 1), end, start), 5);
    EXPECT_EQ(SlotOfDate(0, 0, D(2009, 8, 31), end, start), 6);
    EXPECT_EQ(SlotOfDate(0, 1, D(2009, 6, 30), end, start), 4);
    EXPECT_EQ(SlotOfDate(0, 1, D(2009, 9, 30), end, start), 8);
    EXPECT_EQ(SlotOfDate(0, 1, D(2009, 8, 10), end, start), 6);    // settlement outside a quarter's end month
    EXPECT_EQ(SlotOfDate(0, 1, D(2010, 3, 31), end, start), 16);
    EXPECT_EQ(SlotOfDate(0, 1, D(2010, 3, 30), end, start), 16);   // last month closes the fourth quarter
    EXPECT_EQ(SlotOfDate(0, 1, D(2009, 12, 31), end, start), 12);
    EXPECT_EQ(SlotOfDate(0, 0, D(2010, 4, 12), end, start), 15);   // limited to the last month
    EXPECT_EQ(SlotOfDate(0, 0, D(2009, 3, 31), end, start), -1);   // before the period
}

TEST(PeriodCalendar, EveryOrdinaryMonthLandsInItsSlot)
{
    const TDate start = D(2009, 4, 1), end = D(2010, 3, 31);
    for (int month = 1; month <= 12; ++month) {
        const TDate day = AddMonthsClamped(month - 1, D(2009, 4, 10));
        EXPECT_EQ(SlotOfDate(99, 0, day, end, start), SlotOfMonth(month) + 1) << month;
    }
    EXPECT_EQ(SlotOfMonth(0), 0);
    EXPECT_EQ(SlotOfMonth(13), 0);
}

}  // namespace
}  // namespace qz
