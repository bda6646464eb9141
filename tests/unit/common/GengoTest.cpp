// Era dates are checked against ICU's Japanese calendar for every day since the start of Meiji.

#include "common/Gengo.h"

#include <gtest/gtest.h>
#include <unicode/calendar.h>
#include <unicode/smpdtfmt.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>

#include <memory>

namespace qz {
namespace {

std::string Utf8(const icu::UnicodeString& text)
{
    std::string out;
    text.toUTF8String(out);
    return out;
}

TEST(Gengo, AgreesWithIcuJapaneseCalendarEveryDay)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale japanese("ja_JP@calendar=japanese");
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), japanese, status));
    ASSERT_TRUE(U_SUCCESS(status));
    // The era's name as ICU writes it in Japanese ("GGGG" is the full name, e.g. 平成).
    icu::SimpleDateFormat eraFormat(icu::UnicodeString("GGGG"), japanese, status);
    eraFormat.adoptCalendar(calendar->clone());
    ASSERT_TRUE(U_SUCCESS(status));

    int days = 0;
    for (TDate date = TDate::Ymd(1868, 9, 8); date <= TDate::Ymd(2030, 12, 31); date = TDate(date.Serial() + 1)) {
        if (date.IsZero())
            continue;  // 1899/12/30 is the system's "no date", which has no era by design
        int y, m, d;
        date.Decode(y, m, d);
        calendar->clear();
        // Set the instant through the Gregorian fields, then read the Japanese era fields back.
        const UDate millis = (static_cast<double>(date.Serial()) - 25569.0) * 86400000.0;
        calendar->setTime(millis, status);
        const int32_t eraYear = calendar->get(UCAL_YEAR, status);
        ASSERT_TRUE(U_SUCCESS(status));
        icu::UnicodeString eraName;
        eraFormat.format(millis, eraName);

        const TWarekiRec wareki = ToWareki(date);
        ASSERT_EQ(wareki.Name, Utf8(eraName)) << date.ToText();
        ASSERT_EQ(wareki.Year, eraYear) << date.ToText();
        ASSERT_EQ(wareki.Month, m);
        ASSERT_EQ(wareki.Day, d);
        ++days;
    }
    EXPECT_EQ(days, 59284 - 1);  // every day of the range but the zero date
}

TEST(Gengo, EraBoundaries)
{
    const TWarekiRec lastShowa = ToWareki(TDate::Ymd(1989, 1, 7));
    EXPECT_EQ(lastShowa.Name, "昭和");
    EXPECT_EQ(lastShowa.Letter, 'S');
    EXPECT_EQ(lastShowa.Year, 64);
    const TWarekiRec firstHeisei = ToWareki(TDate::Ymd(1989, 1, 8));
    EXPECT_EQ(firstHeisei.Name, "平成");
    EXPECT_EQ(firstHeisei.Year, 1);
    // A program used in 2026 shows 令和 8, never 平成 38.
    const TWarekiRec now = ToWareki(TDate::Ymd(2026, 12, 8));
    EXPECT_EQ(now.Name, "令和");
    EXPECT_EQ(now.Letter, 'R');
    EXPECT_EQ(now.Year, 8);
}

TEST(Gengo, DatesWithoutAnEraKeepTheCalendarYear)
{
    const TWarekiRec zero = ToWareki(TDate());
    EXPECT_EQ(zero.Name, "");
    EXPECT_EQ(zero.Year, 1899);
    const TWarekiRec beforeMeiji = ToWareki(TDate::Ymd(1868, 9, 7));
    EXPECT_EQ(beforeMeiji.Name, "");
    EXPECT_EQ(beforeMeiji.Year, 1868);
}

TEST(Gengo, TablesAreNewestFirstAndAgree)
{
    const auto table = GengoTable();
    const auto& list = GengoList();
    ASSERT_EQ(table.size(), list.size());
    EXPECT_EQ(table.front().Name, "令和");
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(list[i].Name, table[i].Name);
        EXPECT_EQ(list[i].StartDate.ToText(), table[i].StartDate);
        EXPECT_EQ(list[i].FirstYear, list[i].StartDate.Year());
        if (i > 0) {
            EXPECT_LT(list[i].StartDate, list[i - 1].StartDate);
        }
    }
}

}  // namespace
}  // namespace qz
