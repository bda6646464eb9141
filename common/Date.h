#pragma once
// Calendar dates counted in days since 1899-12-30, so that day 0 is the "zero date" that the
// system uses for "no date".

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class TDate {
public:
    constexpr TDate() = default;
    constexpr explicit TDate(std::int32_t serial) : serial_(serial) {}

    // Nothing for an impossible date or a year outside 1-9999.
    static std::optional<TDate> FromYmd(int year, int month, int day);
    // Same, but throws std::invalid_argument; for dates written in the code.
    static TDate Ymd(int year, int month, int day);
    static TDate Today();

    // Accepts "yyyy/m/d", "yy/m/d" and the same with "-"; a time after a blank is ignored.
    static std::optional<TDate> Parse(std::string_view text);

    constexpr std::int32_t Serial() const { return serial_; }
    constexpr bool IsZero() const { return serial_ == 0; }

    int Year() const;
    int Month() const;
    int Day() const;
    void Decode(int& year, int& month, int& day) const;

    std::string ToText() const;  // "yyyy/mm/dd"

    friend constexpr auto operator<=>(TDate, TDate) = default;

private:
    std::int32_t serial_ = 0;
};

// A date with a time of day, for time stamps and the formats that show one.
struct TDateTime {
    TDate Date;
    int SecondsOfDay = 0;

    static TDateTime Now();
    std::string ToText() const;  // "yyyy/mm/dd hh:nn:ss"
};

bool IsLeap(int year);
int DaysInMonth(int year, int month);

}  // namespace qz
