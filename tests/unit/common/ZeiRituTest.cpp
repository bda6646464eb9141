#include "common/ZeiRitu.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(ZeiRitu, TablesHoldTheRatesNewestFirst)
{
    ASSERT_EQ(ZeiRitu8Table().size(), 3u);
    ASSERT_EQ(ZeiRitu5Table().size(), 2u);
    EXPECT_EQ(ZeiRitu8Table()[0].Rate, TMoney::FromYen(8));
    EXPECT_EQ(ZeiRitu8Table()[1].OldRateCode, 2);
    EXPECT_EQ(ZeiRitu5Table()[1].OldRateCode, 1);
    EXPECT_EQ(ZeiRitu8StartDate(), TDate::Ymd(2014, 4, 1));
    for (const auto& rate : ZeiRitu8Table())
        EXPECT_LE(rate.Rate, TMoney::FromYen(8));
}

TEST(ZeiRitu, ValidOldRateByEntryDate)
{
    EXPECT_EQ(ValidOldRate(2, TDate::Ymd(2013, 12, 1)), 0);
    EXPECT_EQ(ValidOldRate(1, TDate::Ymd(2013, 12, 1)), 1);
    EXPECT_EQ(ValidOldRate(0, TDate::Ymd(2013, 12, 1)), 0);
    EXPECT_EQ(ValidOldRate(2, TDate::Ymd(2015, 1, 1)), 2);
    EXPECT_EQ(ValidOldRate(1, TDate::Ymd(2015, 1, 1)), 1);
    EXPECT_EQ(ValidOldRate(5, TDate::Ymd(2015, 1, 1)), 0);
    EXPECT_EQ(ValidOldRate(2, TDate::Ymd(2014, 3, 31)), 0);
    EXPECT_EQ(ValidOldRate(2, TDate::Ymd(2014, 4, 1)), 2);
}

}  // namespace
}  // namespace qz
