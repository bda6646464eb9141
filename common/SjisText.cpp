#include "common/SjisText.h"

#include "common/Cp932.h"
#include "common/Utf8.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace qz {
namespace {

constexpr char32_t kIdeographicSpace = 0x3000;
constexpr std::string_view kIdeographicSpaceUtf8 = "\u3000";

// Steps through a UTF-8 text as (character bytes, CP932 width) pieces; malformed bytes count as one
// byte each so that nothing is skipped.
template <typename Visit>
void ForEachChar(std::string_view text, Visit visit)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const auto cp = NextCodePoint(text, pos);
        const int width = cp ? SjisWidth(*cp) : 1;
        if (!visit(text.substr(start, pos - start), width))
            return;
    }
}

bool IsTrimmable(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

std::string RepairSjisText(std::string_view bytes)
{
    std::string out(bytes);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (!IsSjisLead(static_cast<unsigned char>(out[i])))
            continue;
        if (i + 1 >= out.size()) {
            out[i] = ' ';
        } else if (!IsSjisTrail(static_cast<unsigned char>(out[i + 1]))) {
            out[i] = ' ';
            out[i + 1] = ' ';
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

std::size_t SjisLength(std::string_view text)
{
    std::size_t length = 0;
    ForEachChar(text, [&](std::string_view, int width) {
        length += width;
        return true;
    });
    return length;
}

std::string SpaceString(int n)
{
    if (n < 0 || n > 510)
        return {};
    return std::string(static_cast<std::size_t>(n), ' ');
}

std::string FixLeft(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    std::string out;
    int used = 0;
    ForEachChar(text, [&](std::string_view piece, int width) {
        if (used + width > n) {
            return false;
        }
        out += piece;
        used += width;
        return used < n;
    });
    out.append(static_cast<std::size_t>(n - used), ' ');
    return out;
}

std::string CutSjis(std::string_view text, int n)
{
    return static_cast<int>(SjisLength(text)) <= n ? std::string(text) : FixLeft(text, n);
}

std::string MidSjis(std::string_view text, int start, int n)
{
    const int end = start + std::max(n, 0);
    std::string out;
    int position = 0;
    ForEachChar(text, [&](std::string_view piece, int width) {
        const int from = std::max(position, start), to = std::min(position + width, end);
        if (from < to)
            out += to - from == width ? std::string(piece) : std::string(static_cast<std::size_t>(to - from), ' ');
        position += width;
        return position < end;
    });
    return out;
}

std::string FixRight(std::string_view text, int n)
{
    if (n <= 0)
        return {};
    const int total = static_cast<int>(SjisLength(text));
    if (total <= n)
        return std::string(static_cast<std::size_t>(n - total), ' ') + std::string(text);

    const int skip = total - n;
    std::string out;
    int consumed = 0;
    ForEachChar(text, [&](std::string_view piece, int width) {
        if (consumed >= skip)
            out += piece;
        else if (consumed + width > skip)
            out.append(static_cast<std::size_t>(consumed + width - skip), ' ');
        consumed += width;
        return true;
    });
    return out;
}

std::string Trim(std::string_view text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && IsTrimmable(text[first]))
        ++first;
    while (last > first && IsTrimmable(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

std::string TrimWide(std::string_view text)
{
    std::string out = Trim(text);
    std::string_view view = out;
    for (bool changed = true; changed;) {
        changed = false;
        if (view.starts_with(' ')) { view.remove_prefix(1); changed = true; }
        if (view.ends_with(' ')) { view.remove_suffix(1); changed = true; }
        if (view.starts_with(kIdeographicSpaceUtf8)) { view.remove_prefix(kIdeographicSpaceUtf8.size()); changed = true; }
        if (view.ends_with(kIdeographicSpaceUtf8)) { view.remove_suffix(kIdeographicSpaceUtf8.size()); changed = true; }
    }
    return std::string(view);
}

std::string StripAllSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const auto cp = NextCodePoint(text, pos);
        if (cp && (*cp == ' ' || *cp == kIdeographicSpace))
            continue;
        out.append(text.substr(start, pos - start));
    }
    return out;
}

std::string UpperAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string LowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

namespace {

// Modelled on Windows' half-width mapping for Japanese text.
constexpr std::pair<std::string_view, std::string_view> kHalfWidthPairs[] = {
    {"ァ", "ｧ"}, {"ア", "ｱ"}, {"ィ", "ｨ"}, {"イ", "ｲ"}, {"ゥ", "ｩ"}, {"ウ", "ｳ"}, {"ェ", "ｪ"}, {"エ", "ｴ"},
    {"ォ", "ｫ"}, {"オ", "ｵ"}, {"カ", "ｶ"}, {"ガ", "ｶﾞ"}, {"キ", "ｷ"}, {"ギ", "ｷﾞ"}, {"ク", "ｸ"}, {"グ", "ｸﾞ"},
    {"ケ", "ｹ"}, {"ゲ", "ｹﾞ"}, {"コ", "ｺ"}, {"ゴ", "ｺﾞ"}, {"サ", "ｻ"}, {"ザ", "ｻﾞ"}, {"シ", "ｼ"}, {"ジ", "ｼﾞ"},
    {"ス", "ｽ"}, {"ズ", "ｽﾞ"}, {"セ", "ｾ"}, {"ゼ", "ｾﾞ"}, {"ソ", "ｿ"}, {"ゾ", "ｿﾞ"}, {"タ", "ﾀ"}, {"ダ", "ﾀﾞ"},
    {"チ", "ﾁ"}, {"ヂ", "ﾁﾞ"}, {"ッ", "ｯ"}, {"ツ", "ﾂ"}, {"ヅ", "ﾂﾞ"}, {"テ", "ﾃ"}, {"デ", "ﾃﾞ"}, {"ト", "ﾄ"},
    {"ド", "ﾄﾞ"}, {"ナ", "ﾅ"}, {"ニ", "ﾆ"}, {"ヌ", "ﾇ"}, {"ネ", "ﾈ"}, {"ノ", "ﾉ"}, {"ハ", "ﾊ"}, {"バ", "ﾊﾞ"},
    {"パ", "ﾊﾟ"}, {"ヒ", "ﾋ"}, {"ビ", "ﾋﾞ"}, {"ピ", "ﾋﾟ"}, {"フ", "ﾌ"}, {"ブ", "ﾌﾞ"}, {"プ", "ﾌﾟ"}, {"ヘ", "ﾍ"},
    {"ベ", "ﾍﾞ"}, {"ペ", "ﾍﾟ"}, {"ホ", "ﾎ"}, {"ボ", "ﾎﾞ"}, {"ポ", "ﾎﾟ"}, {"マ", "ﾏ"}, {"ミ", "ﾐ"}, {"ム", "ﾑ"},
    {"メ", "ﾒ"}, {"モ", "ﾓ"}, {"ャ", "ｬ"}, {"ヤ", "ﾔ"}, {"ュ", "ｭ"}, {"ユ", "ﾕ"}, {"ョ", "ｮ"}, {"ヨ", "ﾖ"},
    {"ラ", "ﾗ"}, {"リ", "ﾘ"}, {"ル", "ﾙ"}, {"レ", "ﾚ"}, {"ロ", "ﾛ"}, {"ワ", "ﾜ"}, {"ヲ", "ｦ"}, {"ン", "ﾝ"},
    {"ヴ", "ｳﾞ"}, {"ー", "ｰ"}, {"・", "･"}, {"「", "｢"}, {"」", "｣"}, {"、", "､"}, {"。", "｡"}, {"゛", "ﾞ"},
    {"゜", "ﾟ"}, {"\u3000", " "},
};

const std::unordered_map<char32_t, std::string_view>& HalfWidthMap()
{
    static const auto map = [] {
        std::unordered_map<char32_t, std::string_view> m;
        for (const auto& [full, half] : kHalfWidthPairs) {
            std::size_t pos = 0;
            m.emplace(*NextCodePoint(full, pos), half);
        }
        return m;
    }();
    return map;
}

}  // namespace

std::string ToHalfWidth(std::string_view text)
{
    const auto& map = HalfWidthMap();
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const auto cp = NextCodePoint(text, pos);
        if (cp && *cp >= 0xFF01 && *cp <= 0xFF5E) {
            out += static_cast<char>(*cp - 0xFF01 + 0x21);
            continue;
        }
        if (cp) {
            if (auto found = map.find(*cp); found != map.end()) {
                out += found->second;
                continue;
            }
        }
        out.append(text.substr(start, pos - start));
    }
    return out;
}

}  // namespace qz
