#include "common/Money.h"

#include "common/SjisText.h"

#include <limits>

namespace qz {

std::optional<TMoney> TMoney::Parse(std::string_view input)
{
    const std::string text = Trim(input);
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    const std::size_t dot = rest.find('.');
    const std::string_view whole = rest.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    const auto allDigits = [](std::string_view s) {
        for (char c : s)
            if (c < '0' || c > '9')
                return false;
        return true;
    };
    if (!allDigits(whole) || !allDigits(fraction))
        return std::nullopt;

    // Accumulate as a non-negative magnitude with an explicit limit, so overflow is refused, not wrapped.
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    const auto push = [&](int digit) {
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
        return true;
    };
    for (char c : whole)
        if (!push(c - '0'))
            return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i)
        if (!push(i < fraction.size() ? fraction[i] - '0' : 0))
            return std::nullopt;

    if (fraction.size() > 4) {
        const int next = fraction[4] - '0';
        bool beyondHalf = false;
        for (std::size_t i = 5; i < fraction.size(); ++i)
            beyondHalf = beyondHalf || fraction[i] != '0';
        const bool roundUp = next > 5 || (next == 5 && (beyondHalf || magnitude % 2 == 1));
        if (roundUp) {
            if (magnitude == limit)
                return std::nullopt;
            ++magnitude;
        }
    }
    const auto value = static_cast<std::int64_t>(magnitude);
    return FromRaw(negative ? -value : value);
}

std::int64_t TMoney::RoundedYen() const
{
    const std::int64_t whole = value_ / kScale;
    const std::int64_t rest = value_ % kScale;
    if (rest >= kScale / 2)
        return whole + 1;
    if (rest <= -kScale / 2)
        return whole - 1;
    return whole;
}

std::string TMoney::ToText() const
{
    const bool negative = value_ < 0;
    // Work on the unsigned magnitude so the most negative value prints correctly.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value_) : static_cast<std::uint64_t>(value_);
    std::string text = std::to_string(magnitude / kScale);
    std::uint64_t fraction = magnitude % kScale;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += '.' + digits;
    }
    return negative ? '-' + text : text;
}

}  // namespace qz
