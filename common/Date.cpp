#include "common/Date.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/TextHelpers.h"

#include <chrono>
#include <ctime>
#include <stdexcept>

namespace qz {
namespace {

// Days from 1970-01-01 to 1899-12-30.
constexpr std::int32_t kUnixEpochSerial = 25569;

// Civil-date conversions on the proleptic Gregorian calendar (days relative to 1970-01-01).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

}  // namespace

bool IsLeap(int year)
{
    if (year < 1 || year > 9999)
        return false;
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

std::optional<TDate> TDate::FromYmd(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return TDate(static_cast<std::int32_t>(days + kUnixEpochSerial));
}

TDate TDate::Ymd(int year, int month, int day)
{
    if (auto date = FromYmd(year, month, day))
        return *date;
    throw std::invalid_argument(Format("invalid date %d/%d/%d", year, month, day));
}

TDate TDate::Today()
{
    return TDateTime::Now().Date;
}

std::optional<TDate> TDate::Parse(std::string_view input)
{
    std::string text = Trim(input);
    if (const auto blank = text.find(' '); blank != std::string::npos)
        text.resize(blank);
    const char separator = text.find('/') != std::string::npos ? '/' : '-';
    const std::size_t first = text.find(separator);
    const std::size_t second = first == std::string::npos ? first : text.find(separator, first + 1);
    if (second == std::string::npos || text.find(separator, second + 1) != std::string::npos)
        return std::nullopt;
    const std::string_view view = text;
    const auto year = TryTextToInt32(view.substr(0, first));
    const auto month = TryTextToInt32(view.substr(first + 1, second - first - 1));
    const auto day = TryTextToInt32(view.substr(second + 1));
    if (!year || !month || !day)
        return std::nullopt;
    int fullYear = *year;
    if (first <= 2)  // two-digit years fall in 1950-2049
        fullYear += *year < 50 ? 2000 : 1900;
    return FromYmd(fullYear, *month, *day);
}

int TDate::Year() const
{
    int y, m, d;
    Decode(y, m, d);
    return y;
}

int TDate::Month() const
{
    int y, m, d;
    Decode(y, m, d);
    return m;
}

int TDate::Day() const
{
    int y, m, d;
    Decode(y, m, d);
    return d;
}

void TDate::Decode(int& year, int& month, int& day) const
{
    CivilFromDays(static_cast<std::int64_t>(serial_) - kUnixEpochSerial, year, month, day);
}

std::string TDate::ToText() const
{
    int y, m, d;
    Decode(y, m, d);
    return Format("%04d/%02d/%02d", y, m, d);
}

TDateTime TDateTime::Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return TDateTime{TDate::Ymd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                     local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec};
}

std::string TDateTime::ToText() const
{
    return Format("%s %02d:%02d:%02d", Date.ToText(), SecondsOfDay / 3600, SecondsOfDay / 60 % 60, SecondsOfDay % 60);
}

}  // namespace qz
