#pragma once
// Amounts are 64-bit fixed-point values with four decimal places (ten-thousandths of a yen).

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

class TMoney {
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr TMoney() = default;
    static constexpr TMoney FromRaw(std::int64_t tenThousandths) { return TMoney(tenThousandths); }
    static constexpr TMoney FromYen(std::int64_t yen) { return TMoney(yen * kScale); }

    // Parses "[-+]digits[.digits]" with surrounding blanks; more than four decimals round half to even.
    // Nothing on malformed text or a value beyond the 64-bit range.
    static std::optional<TMoney> Parse(std::string_view text);

    constexpr std::int64_t Raw() const { return value_; }
    // Whole yen, rounding half away from zero; the database works in whole yen.
    std::int64_t RoundedYen() const;
    constexpr bool IsWholeYen() const { return value_ % kScale == 0; }

    // Decimal text without separators and without trailing zero decimals ("1234.5", "-3", "0").
    std::string ToText() const;

    constexpr TMoney operator-() const { return TMoney(-value_); }
    constexpr TMoney& operator+=(TMoney other) { value_ += other.value_; return *this; }
    constexpr TMoney& operator-=(TMoney other) { value_ -= other.value_; return *this; }
    friend constexpr TMoney operator+(TMoney a, TMoney b) { return a += b; }
    friend constexpr TMoney operator-(TMoney a, TMoney b) { return a -= b; }
    friend constexpr auto operator<=>(TMoney, TMoney) = default;

private:
    constexpr explicit TMoney(std::int64_t v) : value_(v) {}
    std::int64_t value_ = 0;
};

}  // namespace qz
