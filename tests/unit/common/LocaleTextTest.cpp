#include "common/LocaleText.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(LocaleText, TextsTakeTheLocalesSetAndWhatItCannotHoldIsSpeltOutOrAQuestionMark)
{
    // 現 and 金 in EUC-JP; ⑳ is no JIS X 0208 character and is spelt out, a face has no spelling.
    EXPECT_EQ(ToCodeset("現金⑳😀ok", "EUC-JP"), "\xB8\xBD\xB6\xE2(20)?ok");
    // 現 in Shift-JIS.
    EXPECT_EQ(ToCodeset("現", "SHIFT_JIS"), "\x8C\xBB");
    // A locale without a set of its own would leave nothing of a Japanese text: it gets UTF-8.
    for (const char* codeset : {"UTF-8", "ANSI_X3.4-1968", ""})
        EXPECT_EQ(ToCodeset("㈱髙橋", codeset), "㈱髙橋") << codeset;
}

}  // namespace
}  // namespace qz
