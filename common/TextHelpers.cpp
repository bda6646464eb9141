#include "common/TextHelpers.h"

#include "common/Cp932.h"
#include "common/Format.h"
#include "common/SjisText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qz {

bool TextToBool(std::string_view text)
{
    return UpperAscii(text) == "TRUE";
}

std::string BoolToText(bool value)
{
    return value ? "TRUE" : "FALSE";
}

int BoolToInt(bool value)
{
    return value ? 1 : 0;
}

bool IntToBool(int value)
{
    return value != 0;
}

std::int64_t RoundToInt(double value)
{
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::string FormatDateText(int kind, TDateTime value)
{
    if (value.Date.IsZero())
        return {};
    const std::string date = value.Date.ToText();
    if (kind == 2)
        return date.substr(2);
    if (kind == 4)
        return date;
    return Format("%s %02d:%02d", date, value.SecondsOfDay / 3600, value.SecondsOfDay / 60 % 60);
}

TDate TextToDate(std::string_view text)
{
    return TDate::Parse(text).value_or(TDate());
}

TMoney TextToMoney(std::string_view text)
{
    return TMoney::Parse(text).value_or(TMoney());
}

std::optional<std::int64_t> TryTextToInt(std::string_view text)
{
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<int> TryTextToInt32(std::string_view text)
{
    const auto value = TryTextToInt(text);
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

std::vector<std::string_view> SplitAt(std::string_view text, std::string_view separator)
{
    std::vector<std::string_view> parts;
    if (separator.empty())
        return {text};
    for (std::size_t start = 0;;) {
        const std::size_t next = text.find(separator, start);
        parts.push_back(text.substr(start, next == std::string_view::npos ? std::string_view::npos : next - start));
        if (next == std::string_view::npos)
            return parts;
        start = next + separator.size();
    }
}

int SplitText(std::string_view text, std::string_view separator, std::vector<std::string>& parts)
{
    parts.clear();
    if (const std::size_t comment = text.find("//"); comment != std::string_view::npos)
        text = text.substr(0, comment);
    if (text.empty())
        return 0;
    for (const std::string_view part : SplitAt(text, separator))
        parts.emplace_back(part);
    return static_cast<int>(parts.size()) - 1;
}

std::string FieldOf(std::string_view text, std::string_view separator, int index)
{
    constexpr int kMaxParts = 101;
    if (index < 0 || index >= kMaxParts)
        return {};
    std::vector<std::string> parts;
    SplitText(text, separator, parts);
    if (index >= static_cast<int>(parts.size()))
        return {};
    return Trim(parts[static_cast<std::size_t>(index)]);
}

namespace {

void QuickSortPairs(std::vector<std::pair<std::string, int>>& pairs, int left, int right)
{
    while (left < right) {
        int i = left, j = right;
        const std::string pivot = pairs[static_cast<std::size_t>((left + right) / 2)].first;
        while (i <= j) {
            while (Cp932Less(pairs[static_cast<std::size_t>(i)].first, pivot))
                ++i;
            while (Cp932Less(pivot, pairs[static_cast<std::size_t>(j)].first))
                --j;
            if (i <= j) {
                std::swap(pairs[static_cast<std::size_t>(i)], pairs[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (left < j)
            QuickSortPairs(pairs, left, j);
        left = i;
    }
}

}  // namespace

void SortNamedPairs(std::vector<std::pair<std::string, int>>& pairs)
{
    if (pairs.size() > 1)
        QuickSortPairs(pairs, 0, static_cast<int>(pairs.size()) - 1);
}

std::string JoinCrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\r\n") + lines[i];
    return text;
}

}  // namespace qz
