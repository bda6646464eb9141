#include "common/Cp932.h"
#include "common/SjisText.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(SjisText, FixLeftPadsAndCutsByShiftJisBytes)
{
    EXPECT_EQ(FixLeft("ABC", 5), "ABC  ");
    EXPECT_EQ(FixLeft("ABCDEF", 4), "ABCD");
    EXPECT_EQ(FixLeft("売上高", 4), "売上");
    // The fourth byte would be the first half of 高: it becomes a blank instead of half a character.
    EXPECT_EQ(FixLeft("A売上高", 4), "A売 ");
    EXPECT_EQ(FixLeft("ｶﾌﾞｼｷ", 3), "ｶﾌﾞ");
    EXPECT_EQ(SjisLength(FixLeft("㈱山田商事", 9)), 9u);
    EXPECT_EQ(FixLeft("x", 0), "");
}

TEST(SjisText, FixRightKeepsTheLastBytes)
{
    EXPECT_EQ(FixRight("12", 5), "   12");
    EXPECT_EQ(FixRight("12345", 3), "345");
    EXPECT_EQ(FixRight("売上高", 4), "上高");
    EXPECT_EQ(FixRight("売上高", 3), " 高");  // the second half of 上 would be left over
}

TEST(SjisText, MidSjisTakesBytesAndBlanksACharacterCutAtEitherEnd)
{
    EXPECT_EQ(MidSjis("20250401", 4, 2), "04");
    EXPECT_EQ(MidSjis("A売上高", 2, 3), " 上");   // byte 2 is the second half of 売
    EXPECT_EQ(MidSjis("A売上高", 1, 3), "売 ");   // byte 4 is the first half of 上
    EXPECT_EQ(MidSjis("ｶﾌﾞ", 1, 5), "ﾌﾞ");       // the text ends first
    EXPECT_EQ(MidSjis("abc", 5, 2), "");
}

TEST(SjisText, SpaceStringHasAnUpperLimit)
{
    EXPECT_EQ(SpaceString(3), "   ");
    EXPECT_EQ(SpaceString(510).size(), 510u);
    EXPECT_EQ(SpaceString(511), "");
    EXPECT_EQ(SpaceString(-1), "");
}

TEST(SjisText, TrimWideRemovesBlanksAndFullWidthSpacesAtBothEnds)
{
    EXPECT_EQ(TrimWide("　 山田　商事 　"), "山田　商事");
    EXPECT_EQ(TrimWide("\t 　　x"), "x");
    EXPECT_EQ(TrimWide("　　"), "");
    EXPECT_EQ(StripAllSpaces(" 山 田　商　事 "), "山田商事");
}

TEST(SjisText, RepairSjisTextBlanksBrokenPairs)
{
    const std::string broken = std::string("A\x82", 2) + "\x0D" + "B\x88\x9F" + "\x88";
    EXPECT_EQ(RepairSjisText(broken), std::string("A  B\x88\x9F "));
    // A trail byte that is also ASCII ("\" after 0x95) belongs to its lead byte and is kept.
    EXPECT_EQ(RepairSjisText("\x95\x5C"), "\x95\x5C");
}

TEST(SjisText, HalfWidthFormOfKanaNames)
{
    EXPECT_EQ(ToHalfWidth("カブシキガイシャ　ヤマダショウジ"), "ｶﾌﾞｼｷｶﾞｲｼｬ ﾔﾏﾀﾞｼｮｳｼﾞ");
    EXPECT_EQ(ToHalfWidth("ＡＢＣ１２３"), "ABC123");
    EXPECT_EQ(ToHalfWidth("やまだ山田"), "やまだ山田");
    EXPECT_EQ(ToHalfWidth("ヴィーナス・パン「ポ」、。"), "ｳﾞｨｰﾅｽ･ﾊﾟﾝ｢ﾎﾟ｣､｡");
    // Every result is representable in the half-width range of CP932.
    for (char c : EncodeCp932(ToHalfWidth("アイウエオガギグゲゴパピプペポャュョッー")))
        EXPECT_GE(static_cast<unsigned char>(c), 0xA1);
}

TEST(SjisText, UpperAsciiLeavesMultibyteCharactersAlone)
{
    EXPECT_EQ(UpperAscii("c:/データ/abc"), "C:/データ/ABC");
    EXPECT_EQ(LowerAscii("C:/データ/ABC.FDB"), "c:/データ/abc.fdb");
}

}  // namespace
}  // namespace qz
