// The error texts are checked against the code ranges the table must cover and against the Firebird
// client's own message table on this machine (the placeholders of each message must all be rendered).

#include "db/DbErrorText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

extern "C" int gds__msg_lookup(void*, unsigned short, unsigned short, unsigned short, char*, unsigned short*);

namespace qz {
namespace {

const std::vector<std::pair<std::int64_t, std::int64_t>> kCoveredRanges = {
    {335544321, 335544378}, {335544380, 335544384}, {335544386, 335544386}, {335544388, 335544397},
    {335544403, 335544416}, {335544418, 335544421}, {335544424, 335544439}, {335544441, 335544447},
    {335544450, 335544467}, {335544469, 335544504}, {335544506, 335544701}, {335544788, 335544788},
    {336330766, 336330766}, {336330817, 336330817}};

std::vector<std::int64_t> CoveredCodes()
{
    std::vector<std::int64_t> codes;
    for (auto [first, last] : kCoveredRanges)
        for (std::int64_t code = first; code <= last; ++code)
            codes.push_back(code);
    return codes;
}

// The English message of a status code from firebird.msg, or empty.
std::string FirebirdMessage(std::int64_t code)
{
    char buffer[1024] = {};
    unsigned short flags = 0;
    const auto facility = static_cast<unsigned short>((code >> 16) & 0xFF);
    const auto number = static_cast<unsigned short>(code & 0xFFFF);
    if (gds__msg_lookup(nullptr, facility, number, sizeof buffer, buffer, &flags) < 0)
        return {};
    return buffer;
}

int CountOf(const std::string& text, const std::string& what)
{
    int count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

TEST(DbErrorText, CoversExactlyTheListedCodes)
{
    const auto codes = CoveredCodes();
    EXPECT_EQ(codes.size(), 368u);
    EXPECT_EQ(DbErrorTextCount(), 368u);
    for (std::int64_t code : codes) {
        const std::string text(DbErrorText(code, code == 336330817 ? -902 : -901));
        EXPECT_TRUE(text.starts_with("（")) << code;
        EXPECT_EQ(text.find('@'), std::string::npos) << code;
    }
    for (std::int64_t code : {335544379, 335544385, 335544387, 335544398, 335544417, 335544440, 335544505, 335544702, 0})
        EXPECT_EQ(DbErrorText(code, -901), " ") << code;
}

TEST(DbErrorText, EveryPlaceholderOfTheServerMessageIsRendered)
{
    const std::vector<std::int64_t> fixedTexts = {335544321, 335544323, 335544333, 335544335, 335544336, 335544344,
                                                  335544345, 335544347, 335544349, 335544352, 335544375, 335544392,
                                                  335544397, 335544416, 335544579, 335544472, 335544558, 335544665,
                                                  335544689, 335544788, 336330766, 336330817};
    int compared = 0;
    for (std::int64_t code : CoveredCodes()) {
        if (std::find(fixedTexts.begin(), fixedTexts.end(), code) != fixedTexts.end())
            continue;
        const std::string english = FirebirdMessage(code);
        if (english.empty())
            continue;
        const std::string japanese(DbErrorText(code, -901));
        EXPECT_EQ(CountOf(japanese, "<long>") + CountOf(japanese, "<\"\">"), CountOf(english, "@")) << code << " " << english;
        ++compared;
    }
    EXPECT_GT(compared, 300);
}

TEST(DbErrorText, TellingEntries)
{
    EXPECT_EQ(DbErrorText(335544345, 0), "（NO WAIT トランザクションのロックが衝突しています）");
    EXPECT_EQ(DbErrorText(335544335, 0), "（データベースファイルが破損している可能性があります");
    EXPECT_EQ(DbErrorText(335544323, 0), "（ファイル<\"\"> は有効なデータベースではありません）");
    EXPECT_EQ(DbErrorText(335544579, 0), DbErrorText(335544392, 0));
    EXPECT_EQ(DbErrorText(335544665, -803), "（同じコードが登録されています。「PRIMARY KEY またはUNIQUE KEY 制約に違反」）");
}

TEST(DbErrorText, TwoCodesDependOnTheSqlCode)
{
    EXPECT_EQ(DbErrorText(335544788, -901),
              "（操作を実行することができません。データベースのSYSDBAか所有者のどちらかでなければなりません。）");
    EXPECT_EQ(DbErrorText(335544788, -902), " ");
    EXPECT_EQ(DbErrorText(336330817, -902), "（ディレクトリ名・データーベスに全角文字は使用できません。）");
    EXPECT_EQ(DbErrorText(336330817, -901), " ");
    EXPECT_EQ(DbErrorText(335544721, -902), " ");  // network error: no text of its own
}

}  // namespace
}  // namespace qz
