#include "common/Utf8.h"

namespace qz {

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& pos)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byteAt(pos);
    if (first < 0x80) {
        ++pos;
        return first;
    }
    int length = 0;
    char32_t cp = 0;
    if ((first & 0xE0) == 0xC0) { length = 2; cp = first & 0x1F; }
    else if ((first & 0xF0) == 0xE0) { length = 3; cp = first & 0x0F; }
    else if ((first & 0xF8) == 0xF0) { length = 4; cp = first & 0x07; }
    else { ++pos; return std::nullopt; }

    if (pos + length > text.size()) { ++pos; return std::nullopt; }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byteAt(pos + i);
        if ((next & 0xC0) != 0x80) { ++pos; return std::nullopt; }
        cp = (cp << 6) | (next & 0x3F);
    }
    static constexpr char32_t minimumFor[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimumFor[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return std::nullopt;
    }
    pos += length;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t CodePointCount(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        NextCodePoint(text, pos);
    return count;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();)
        if (!NextCodePoint(text, pos))
            return false;
    return true;
}

}  // namespace qz
