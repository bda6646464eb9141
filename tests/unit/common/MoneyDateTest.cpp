#include "common/Date.h"
#include "common/Money.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>

namespace qz {
namespace {

TEST(Money, ParsesDecimalTextExactly)
{
    EXPECT_EQ(TMoney::Parse("1234")->Raw(), 12340000);
    EXPECT_EQ(TMoney::Parse(" -12.5 ")->Raw(), -125000);
    EXPECT_EQ(TMoney::Parse("+0.0001")->Raw(), 1);
    EXPECT_EQ(TMoney::Parse(".5")->Raw(), 5000);
    EXPECT_EQ(TMoney::Parse("922337203685477.5807")->Raw(), std::numeric_limits<std::int64_t>::max());
    // Beyond four decimals the value rounds half to even.
    EXPECT_EQ(TMoney::Parse("0.00005")->Raw(), 0);
    EXPECT_EQ(TMoney::Parse("0.00015")->Raw(), 2);
    EXPECT_EQ(TMoney::Parse("0.000051")->Raw(), 1);
}

TEST(Money, RefusesWhatIsNoAmount)
{
    for (const char* bad : {"", " ", "-", "1,000", "12a", "1.2.3", "１２", "922337203685477.5808", "99999999999999999999"})
        EXPECT_FALSE(TMoney::Parse(bad).has_value()) << bad;
}

TEST(Money, TextRoundTripsAndYenRounding)
{
    for (const char* text : {"0", "1", "-1", "1234.5", "0.0001", "-99999999999.9999", "100000000"})
        EXPECT_EQ(TMoney::Parse(text)->ToText(), text);
    EXPECT_EQ(TMoney::FromRaw(std::numeric_limits<std::int64_t>::min()).ToText(), "-922337203685477.5808");
    EXPECT_EQ(TMoney::Parse("10.5")->RoundedYen(), 11);
    EXPECT_EQ(TMoney::Parse("-10.5")->RoundedYen(), -11);
    EXPECT_EQ(TMoney::Parse("10.4999")->RoundedYen(), 10);
    EXPECT_TRUE(TMoney::FromYen(7).IsWholeYen());
}

TEST(Date, SerialsMatchTheCivilCalendar)
{
    using namespace std::chrono;
    EXPECT_EQ(TDate::Ymd(1899, 12, 30).Serial(), 0);
    EXPECT_TRUE(TDate().IsZero());
    // std::chrono's civil calendar is the oracle for every day of four centuries.
    const sys_days epoch = year{1899} / December / 30;
    for (sys_days day = year{1850} / January / 1; day <= sys_days(year{2250} / December / 31); day += days{1}) {
        const year_month_day ymd{day};
        const auto date = TDate::FromYmd(int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
        ASSERT_TRUE(date);
        ASSERT_EQ(date->Serial(), (day - epoch).count());
        int y, m, d;
        date->Decode(y, m, d);
        ASSERT_EQ(y, int(ymd.year()));
        ASSERT_EQ(m, int(unsigned(ymd.month())));
        ASSERT_EQ(d, int(unsigned(ymd.day())));
    }
}

TEST(Date, RejectsImpossibleDates)
{
    EXPECT_FALSE(TDate::FromYmd(2009, 2, 29));
    EXPECT_TRUE(TDate::FromYmd(2008, 2, 29));
    EXPECT_FALSE(TDate::FromYmd(2009, 13, 1));
    EXPECT_FALSE(TDate::FromYmd(0, 1, 1));
    EXPECT_FALSE(TDate::FromYmd(10000, 1, 1));
}

TEST(Date, ParsesTheSystemsDateTexts)
{
    EXPECT_EQ(TDate::Parse("2009/04/01"), TDate::Ymd(2009, 4, 1));
    EXPECT_EQ(TDate::Parse("2009/4/1"), TDate::Ymd(2009, 4, 1));
    EXPECT_EQ(TDate::Parse("2009-04-01"), TDate::Ymd(2009, 4, 1));
    EXPECT_EQ(TDate::Parse("09/04/01"), TDate::Ymd(2009, 4, 1));
    EXPECT_EQ(TDate::Parse("2009/04/01 13:45"), TDate::Ymd(2009, 4, 1));
    for (const char* bad : {"", "2009/02/30", "2009/04", "20090401", "2009/04/01/02", "abcd/01/01"})
        EXPECT_FALSE(TDate::Parse(bad)) << bad;
    EXPECT_EQ(TDate::Ymd(2009, 4, 1).ToText(), "2009/04/01");
}

}  // namespace
}  // namespace qz
