// The codec is checked against ICU's windows-31j converter as an independent table, and against
// the byte values of characters that accounting data is known to contain.

#include "common/Cp932.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace qz {
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string Utf8Of(const UChar* units, int32_t length)
{
    std::string out;
    for (int32_t i = 0; i < length;) {
        UChar32 cp;
        U16_NEXT(units, i, length, cp);
        char32_t c = static_cast<char32_t>(cp);
        if (c < 0x80) out += static_cast<char>(c);
        else if (c < 0x800) { out += static_cast<char>(0xC0 | (c >> 6)); out += static_cast<char>(0x80 | (c & 0x3F)); }
        else if (c < 0x10000) { out += static_cast<char>(0xE0 | (c >> 12)); out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)); out += static_cast<char>(0x80 | (c & 0x3F)); }
        else { out += static_cast<char>(0xF0 | (c >> 18)); out += static_cast<char>(0x80 | ((c >> 12) & 0x3F)); out += static_cast<char>(0x80 | ((c >> 6) & 0x3F)); out += static_cast<char>(0x80 | (c & 0x3F)); }
    }
    return out;
}

struct TConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// ICU's decoding of a byte sequence, or nothing when ICU holds no character for it.
std::optional<std::string> IcuDecode(UConverter* converter, const std::string& bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    UChar units[8];
    ucnv_reset(converter);
    const int32_t length = ucnv_toUChars(converter, units, 8, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    return Utf8Of(units, length);
}

TEST(Cp932Codec, AgreesWithIcuOnEveryAssignedDoubleByteCode)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, TConverterCloser> icu(ucnv_open("windows-31j", &status));
    ASSERT_TRUE(U_SUCCESS(status));
    ucnv_setToUCallBack(icu.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ASSERT_TRUE(U_SUCCESS(status));

    int compared = 0;
    std::vector<int> differing;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const std::string bytes = Bytes({lead, trail});
            const auto expected = IcuDecode(icu.get(), bytes);
            if (!expected) {
                // A pair ICU holds no character for is no character for us either: two blanks.
                if (DecodeCp932(bytes) != "  ")
                    differing.push_back(lead << 8 | trail);
                continue;
            }
            ++compared;
            if (DecodeCp932(bytes) != *expected)
                differing.push_back(lead << 8 | trail);
        }
    }
    // ICU assigns the 7,915 codes of Microsoft's table: JIS X 0208, the NEC row 13 specials, the NEC-selected
    // and IBM extensions, plus the 1,880 user-defined codes F040-F9FC, which both map to the private use area.
    EXPECT_GT(compared, 9000);

    // The two tables agree on every double-byte code, assigned or not; a difference would be a character
    // changed on the way in.
    EXPECT_TRUE(differing.empty()) << "first differing code: " << std::hex << (differing.empty() ? 0 : differing[0])
                                   << " (" << std::dec << differing.size() << " codes)";
}

TEST(Cp932Codec, AgreesWithIcuOnSingleBytesButThreeControlCodes)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, TConverterCloser> icu(ucnv_open("windows-31j", &status));
    ASSERT_TRUE(U_SUCCESS(status));
    ucnv_setToUCallBack(icu.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);

    for (int b = 0; b < 256; ++b) {
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
            continue;  // lead bytes
        const std::string byte(1, static_cast<char>(b));
        const auto expected = IcuDecode(icu.get(), byte);
        const std::string ours = DecodeCp932(byte);
        if (b == 0x1A || b == 0x1C || b == 0x7F) {
            // Known difference: ICU's IBM-derived table swaps these control codes (0x1A <-> U+001C,
            // 0x1C <-> U+007F, 0x7F <-> U+001A); Windows keeps every ASCII byte as itself, and so do we.
            ASSERT_TRUE(expected.has_value());
            EXPECT_NE(*expected, ours) << b;
            EXPECT_EQ(ours, byte) << b;
        } else if (!expected) {
            EXPECT_EQ(ours, " ") << b;  // 0x80, 0xA0, 0xFD-0xFF are no character in either table
        } else {
            EXPECT_EQ(ours, *expected) << b;
        }
    }
}

TEST(Cp932Codec, ExtensionCharactersRoundTripByteForByte)
{
    // ㈱ ① Ⅲ 髙 ～ － ｱｲｳ as Windows writes them.
    const std::string bytes = Bytes({0x87, 0x8A, 0x87, 0x40, 0x87, 0x56, 0xFB, 0xFC, 0x81, 0x60, 0x81, 0x7C, 0xB1, 0xB2, 0xB3});
    const std::string text = DecodeCp932(bytes);
    EXPECT_EQ(text, "㈱①Ⅲ髙～－ｱｲｳ");
    EXPECT_EQ(EncodeCp932(text), bytes);
}

TEST(Cp932Codec, NecSelectedIbmCodesComeBackAsTheirIbmTwins)
{
    int checked = 0;
    for (int lead = 0xED; lead <= 0xEE; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string nec = Bytes({lead, trail});
            const std::string text = DecodeCp932(nec);
            if (text.find(' ') != std::string::npos)
                continue;
            const std::string back = EncodeCp932(text);
            ASSERT_EQ(back.size(), 2u);
            const int code = static_cast<unsigned char>(back[0]) << 8 | static_cast<unsigned char>(back[1]);
            // ￢ (0xEEF9) has a JIS X 0208 code, which Windows prefers to its IBM twin.
            const int expectedLow = (lead << 8 | trail) == 0xEEF9 ? 0x81CA : 0xFA40;
            const int expectedHigh = (lead << 8 | trail) == 0xEEF9 ? 0x81CA : 0xFC4B;
            EXPECT_GE(code, expectedLow) << std::hex << (lead << 8 | trail);
            EXPECT_LE(code, expectedHigh) << std::hex << (lead << 8 | trail);
            EXPECT_EQ(DecodeCp932(back), text);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 374);
}

TEST(Cp932Codec, JisLookAlikesEncodeToMicrosoftCodes)
{
    EXPECT_EQ(EncodeCp932("\u301C"), Bytes({0x81, 0x60}));  // WAVE DASH -> ～
    EXPECT_EQ(EncodeCp932("\u2014"), Bytes({0x81, 0x5C}));  // EM DASH
    EXPECT_EQ(EncodeCp932("\u2016"), Bytes({0x81, 0x61}));  // DOUBLE VERTICAL LINE
    EXPECT_EQ(EncodeCp932("\u2212"), Bytes({0x81, 0x7C}));  // MINUS SIGN -> －
    EXPECT_EQ(EncodeCp932("\u00AC"), Bytes({0x81, 0xCA}));  // NOT SIGN
    EXPECT_EQ(DecodeCp932(Bytes({0x81, 0x60})), "\uFF5E");
}

TEST(Cp932Codec, DecodingNeverFailsAndBlanksWhatIsNoCharacter)
{
    EXPECT_EQ(DecodeCp932(Bytes({'A', 0x82, 0x0D, 'B'})), "A  B");      // lead byte + non-trail: two blanks
    EXPECT_EQ(DecodeCp932(Bytes({'A', 0x85, 0x40, 'B'})), "A  B");      // unassigned pair: two blanks
    EXPECT_EQ(DecodeCp932(Bytes({'A', 'B', 0x82})), "AB ");             // lone lead byte at the end
    EXPECT_EQ(DecodeCp932(Bytes({0x80, 'x', 0xA0, 0xFD, 0xFF})), " x   "); // single bytes that are no character
    EXPECT_EQ(DecodeCp932(Bytes({0x5C, 0x7E, 0x1A, 0x7F})), "\\~\x1A\x7F");  // ASCII stays ASCII
    EXPECT_EQ(DecodeCp932(""), "");
}

TEST(Cp932Codec, EncodingRefusesWhatWouldBeLost)
{
    EXPECT_THROW(EncodeCp932("売上\U0001F600"), TEncodingError);  // emoji: no CP932 code
    EXPECT_THROW(EncodeCp932("\u00E9"), TEncodingError);          // é
    EXPECT_THROW(EncodeCp932(std::string("\xE3\x81", 2)), TEncodingError);  // truncated UTF-8
    EXPECT_FALSE(IsCp932Encodable(0x1F600));
    EXPECT_TRUE(IsCp932Encodable(U'髙'));
}

TEST(Cp932Codec, WidthsFollowShiftJisBytes)
{
    EXPECT_EQ(SjisWidth(U'A'), 1);
    EXPECT_EQ(SjisWidth(U'ｱ'), 1);
    EXPECT_EQ(SjisWidth(U'ﾞ'), 1);
    EXPECT_EQ(SjisWidth(U'ア'), 2);
    EXPECT_EQ(SjisWidth(U'㈱'), 2);
    EXPECT_EQ(SjisWidth(0x1F600), 2);
}

TEST(Cp932Codec, OrderingIsTheByteOrderOfTheEncodedTexts)
{
    std::vector<std::string> names = {"ｻﾄｳ", "佐藤", "Zeta", "ａｂ", "亜", "髙橋", "高橋", "①", "AB", "A", "", "ｱ", "あ", "ア"};
    std::vector<std::string> byCodec = names, byBytes = names;
    std::sort(byCodec.begin(), byCodec.end(), Cp932Less);
    std::sort(byBytes.begin(), byBytes.end(), [](const std::string& a, const std::string& b) {
        const std::string ea = EncodeCp932(a), eb = EncodeCp932(b);
        return std::lexicographical_compare(ea.begin(), ea.end(), eb.begin(), eb.end(), [](char x, char y) {
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
        });
    });
    EXPECT_EQ(byCodec, byBytes);
    EXPECT_EQ(Cp932Compare("高橋", "高橋"), 0);
}

}  // namespace
}  // namespace qz
