#include "common/Cp932.h"

#include "common/SjisText.h"
#include "common/Utf8.h"

#include <fmt/format.h>
#include <iconv.h>

#include <array>
#include <memory>
#include <vector>

namespace qz {
namespace {

constexpr char32_t kNoChar = 0xFFFFFFFF;

// Lookup tables filled once from glibc iconv, so that decoding and encoding large files
// costs a table access per character instead of an iconv call.
struct TCp932Tables {
    std::array<char32_t, 256> single{};
    std::vector<char32_t> pairs = std::vector<char32_t>(65536, kNoChar);   // index lead << 8 | trail
    std::vector<std::uint16_t> encode = std::vector<std::uint16_t>(65536, 0); // BMP code point -> CP932, 0 = none

    TCp932Tables()
    {
        iconv_t toUcs = iconv_open("UTF-32LE", "CP932");
        iconv_t fromUcs = iconv_open("CP932", "UTF-32LE");
        if (toUcs == reinterpret_cast<iconv_t>(-1) || fromUcs == reinterpret_cast<iconv_t>(-1))
            throw TEncodingError("iconv に CP932 の変換がありません。");

        for (int b = 0; b < 256; ++b) {
            const char in[1] = {static_cast<char>(b)};
            single[b] = DecodeWith(toUcs, in, 1);
        }
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsSjisLead(static_cast<unsigned char>(lead)))
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (!IsSjisTrail(static_cast<unsigned char>(trail)))
                    continue;
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                pairs[(lead << 8) | trail] = DecodeWith(toUcs, in, 2);
            }
        }
        for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF)
                continue;
            encode[cp] = EncodeWith(fromUcs, cp);
        }
        iconv_close(toUcs);
        iconv_close(fromUcs);
    }

    static char32_t DecodeWith(iconv_t cd, const char* bytes, std::size_t length)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        std::size_t inLeft = length;
        unsigned char out[8];
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t outLeft = sizeof out;
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
            sizeof out - outLeft != 4)
            return kNoChar;
        return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
    }

    static std::uint16_t EncodeWith(iconv_t cd, char32_t cp)
    {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        unsigned char in[4] = {static_cast<unsigned char>(cp), static_cast<unsigned char>(cp >> 8),
                               static_cast<unsigned char>(cp >> 16), 0};
        char* inPtr = reinterpret_cast<char*>(in);
        std::size_t inLeft = 4;
        unsigned char out[4];
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t outLeft = sizeof out;
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return 0;
        const std::size_t written = sizeof out - outLeft;
        if (written == 1)
            return out[0];
        if (written == 2)
            return static_cast<std::uint16_t>(out[0] << 8 | out[1]);
        return 0;
    }
};

const TCp932Tables& Tables()
{
    static const TCp932Tables tables;
    return tables;
}

// The CP932 code of a character, or 0 when there is none (U+0000 is handled by the callers).
std::uint16_t CodeOf(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<std::uint16_t>(cp);
    if (cp > 0xFFFF)
        return 0;
    return Tables().encode[cp];
}

}  // namespace

std::string DecodeCp932(std::string_view bytes)
{
    const TCp932Tables& tables = Tables();
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (IsSjisLead(b)) {
            if (i + 1 >= bytes.size()) {
                out += ' ';
                ++i;
                continue;
            }
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            const char32_t cp = tables.pairs[(b << 8) | trail];
            if (cp == kNoChar)
                out += "  ";
            else
                AppendUtf8(out, cp);
            i += 2;
            continue;
        }
        const char32_t cp = tables.single[b];
        if (cp == kNoChar)
            out += ' ';
        else
            AppendUtf8(out, cp);
        ++i;
    }
    return out;
}

namespace {

// Encodes character by character; unencodable(start, end, cp) decides what becomes of a character CP932
// cannot hold (cp empty: a malformed byte) and returns the bytes written for it.
template <typename Unencodable>
std::string EncodeWith(std::string_view utf8, Unencodable unencodable)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t start = pos;
        const auto cp = NextCodePoint(utf8, pos);
        if (cp && *cp < 0x80) {
            out += static_cast<char>(*cp);
            continue;
        }
        const std::uint16_t code = cp ? CodeOf(*cp) : 0;
        if (code == 0) {
            out += unencodable(start, pos, cp);
            continue;
        }
        if (code > 0xFF)
            out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }
    return out;
}

}  // namespace

std::string EncodeCp932(std::string_view utf8)
{
    return EncodeWith(utf8, [&](std::size_t start, std::size_t end, std::optional<char32_t> cp) -> std::string {
        if (!cp)
            throw TEncodingError(fmt::format("文字コードが正しくありません（{} バイト目）。", start + 1));
        throw TEncodingError(fmt::format("Shift-JIS で表せない文字があります（U+{:04X}「{}」）。",
                                         static_cast<std::uint32_t>(*cp), utf8.substr(start, end - start)));
    });
}

std::string EncodeCp932Escaped(std::string_view utf8)
{
    return EncodeWith(utf8, [&](std::size_t start, std::size_t, std::optional<char32_t> cp) {
        if (!cp)
            return fmt::format("<x{:02X}>", static_cast<unsigned char>(utf8[start]));
        return fmt::format("<U+{:04X}>", static_cast<std::uint32_t>(*cp));
    });
}

bool IsCp932Encodable(char32_t cp)
{
    return cp < 0x80 || CodeOf(cp) != 0;
}

int SjisWidth(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xFF61 && cp <= 0xFF9F))
        return 1;
    const std::uint16_t code = CodeOf(cp);
    return (code != 0 && code <= 0xFF) ? 1 : 2;
}

int Cp932Compare(std::string_view a, std::string_view b)
{
    // Walk both texts character by character and compare the CP932 codes' bytes; a character
    // without a code sorts after every encodable one so the order stays total.
    std::size_t pa = 0, pb = 0;
    while (pa < a.size() && pb < b.size()) {
        const auto ca = NextCodePoint(a, pa).value_or(0xFFFD);
        const auto cb = NextCodePoint(b, pb).value_or(0xFFFD);
        if (ca == cb)
            continue;
        // Single-byte codes are shifted into the lead-byte position, so keys compare as the bytes do.
        const auto key = [](char32_t cp) -> std::uint32_t {
            const std::uint16_t code = CodeOf(cp);
            if (cp != 0 && code == 0)
                return 0x10000u + cp;
            return code <= 0xFF ? static_cast<std::uint32_t>(code) << 8 : code;
        };
        const std::uint32_t ka = key(ca), kb = key(cb);
        if (ka != kb)
            return ka < kb ? -1 : 1;
    }
    if (pa < a.size())
        return 1;
    if (pb < b.size())
        return -1;
    return 0;
}

bool Cp932Less(std::string_view a, std::string_view b)
{
    return Cp932Compare(a, b) < 0;
}

}  // namespace qz
