#include "common/Cp932.h"
#include "common/LineReader.h"
#include "common/TextHelpers.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace qz {
namespace {

TEST(TextHelpers, BooleanTexts)
{
    EXPECT_TRUE(TextToBool("true"));
    EXPECT_TRUE(TextToBool("TRUE"));
    EXPECT_FALSE(TextToBool("yes"));
    EXPECT_FALSE(TextToBool(" TRUE"));
    EXPECT_EQ(BoolToText(true), "TRUE");
    EXPECT_EQ(BoolToText(false), "FALSE");
    EXPECT_TRUE(IntToBool(-3));
    EXPECT_EQ(BoolToInt(true), 1);
}

TEST(TextHelpers, DateTextsByKind)
{
    const TDateTime stamp{TDate::Ymd(2009, 4, 1), 13 * 3600 + 5 * 60 + 9};
    EXPECT_EQ(FormatDateText(2, stamp), "09/04/01");
    EXPECT_EQ(FormatDateText(4, stamp), "2009/04/01");
    EXPECT_EQ(FormatDateText(0, stamp), "2009/04/01 13:05");
    EXPECT_EQ(FormatDateText(4, TDateTime{}), "");
    EXPECT_EQ(TextToDate("2009/13/01"), TDate());
    EXPECT_EQ(TextToMoney("12x").Raw(), 0);
    EXPECT_EQ(TextToMoney("-3.25").Raw(), -32500);
}

TEST(TextHelpers, RoundToIntTakesTheEvenNeighbourOnHalves)
{
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(2.51), 3);
}

TEST(TextHelpers, SplitAtKeepsEveryEmptyPart)
{
    using Parts = std::vector<std::string_view>;
    EXPECT_EQ(SplitAt("", ","), Parts{""});
    EXPECT_EQ(SplitAt(",a,,b,", ","), (Parts{"", "a", "", "b", ""}));
    EXPECT_EQ(SplitAt("a // b", "//"), (Parts{"a ", " b"}));  // no comment rule here
    EXPECT_EQ(SplitAt("2025/04/01-2026/03/31", "-"), (Parts{"2025/04/01", "2026/03/31"}));
    // A multi-byte separator is found whole, never by its first byte alone.
    EXPECT_EQ(SplitAt("あい、う、、え", "、"), (Parts{"あい", "う", "", "え"}));
    EXPECT_EQ(SplitAt("a::b:c", "::"), (Parts{"a", "b:c"}));
}

TEST(TextHelpers, IntegersAreDigitsWithAnOptionalMinus)
{
    EXPECT_EQ(TryTextToInt("-42"), -42);
    EXPECT_EQ(TryTextToInt("9223372036854775807"), INT64_MAX);
    for (const char* no : {"", " 1", "1 ", "+1", "1.0", "0x10", "9223372036854775808", "１"})
        EXPECT_EQ(TryTextToInt(no), std::nullopt) << no;
    EXPECT_EQ(TryTextToInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(TryTextToInt32("2147483648"), std::nullopt);
    EXPECT_EQ(TryTextToInt32("4294967297"), std::nullopt);  // not its low 32 bits
}

TEST(TextHelpers, SplitTextDropsTheCommentAndCountsSeparators)
{
    std::vector<std::string> parts;
    EXPECT_EQ(SplitText("a, b ,c // note, more", ",", parts), 2);
    EXPECT_EQ(parts, (std::vector<std::string>{"a", " b ", "c "}));
    EXPECT_EQ(SplitText("", ",", parts), 0);
    EXPECT_TRUE(parts.empty());
    EXPECT_EQ(SplitText("x\ty\t", "\t", parts), 2);
    EXPECT_EQ(parts.back(), "");
    EXPECT_EQ(SplitText("only", ",", parts), 0);
    EXPECT_EQ(parts, (std::vector<std::string>{"only"}));
}

TEST(TextHelpers, FieldOfTrimsAndIgnoresComments)
{
    EXPECT_EQ(FieldOf("10100, 現金 //comment", ",", 1), "現金");
    EXPECT_EQ(FieldOf("a,b", ",", 2), "");
    EXPECT_EQ(FieldOf("a,b", ",", -1), "");
    std::string many;
    for (int i = 0; i < 120; ++i)
        many += std::to_string(i) + ",";
    EXPECT_EQ(FieldOf(many, ",", 100), "100");
    EXPECT_EQ(FieldOf(many, ",", 101), "");
}

TEST(TextHelpers, SortNamedPairsOrdersByShiftJisBytes)
{
    std::vector<std::pair<std::string, int>> pairs = {
        {"ﾔﾏﾀﾞ", 1}, {"山田", 2}, {"ABC", 3}, {"あいう", 4}, {"ｱｲｳ", 5}, {"髙橋", 6}, {"高橋", 7}, {"123", 8}, {"", 9}};
    auto expected = pairs;
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
        const std::string ea = EncodeCp932(a.first), eb = EncodeCp932(b.first);
        return std::lexicographical_compare(ea.begin(), ea.end(), eb.begin(), eb.end(),
                                            [](char x, char y) { return (unsigned char)x < (unsigned char)y; });
    });
    SortNamedPairs(pairs);
    EXPECT_EQ(pairs, expected);
    // Numbers travel with their texts.
    EXPECT_EQ(std::find_if(pairs.begin(), pairs.end(), [](const auto& p) { return p.first == "山田"; })->second, 2);
}

}  // namespace
}  // namespace qz

namespace qz {
namespace {

TEST(LineReader, EveryLineEndEndsALineAndNoneIsPartOfIt)
{
    const test::TTempFolder folder;
    const std::filesystem::path file = folder.Path() / "行.txt";
    // A lead byte cut off by a line end (a broken pair) stays with its line.
    std::ofstream(file, std::ios::binary) << "a\r\nb\nc\rd\r\n\r\n\x82\re";
    EXPECT_EQ(LoadRawLines(file), (std::vector<std::string>{"a", "b", "c", "d", "", "\x82", "e"}));
    std::ofstream(file, std::ios::binary | std::ios::trunc) << "";
    EXPECT_TRUE(LoadRawLines(file).empty());
    EXPECT_THROW(TLineReader(folder.Path() / "無い.txt"), std::runtime_error);
}

TEST(LineReader, ALineBeyondTheLimitIsRefusedAndReadingGoesOnAfterIt)
{
    const test::TTempFolder folder;
    const std::filesystem::path file = folder.Path() / "行.txt";
    std::ofstream(file, std::ios::binary) << "12345678\r\n123456789\r\nok\n123456789";
    TLineReader reader(file, 8);
    std::string line;
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "12345678");   // a line of exactly the limit is taken
    try {
        reader.Next(line);
        ADD_FAILURE() << "a line of 9 bytes passed a limit of 8";
    } catch (const TLineTooLong& refused) {
        EXPECT_EQ(refused.LineNumber(), 2u);
        EXPECT_NE(std::string(refused.what()).find("2行目"), std::string::npos) << refused.what();
    }
    ASSERT_TRUE(reader.Next(line));
    EXPECT_EQ(line, "ok");
    // The last line, without a line end, is refused as well; the caller that passes over refusals hears of it.
    std::vector<std::size_t> refusedLines;
    EXPECT_FALSE(reader.NextWithin(line, [&](std::size_t number) { refusedLines.push_back(number); }));
    EXPECT_EQ(refusedLines, std::vector<std::size_t>{4});
}

}  // namespace
}  // namespace qz
