#include "common/Ui.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace qz {
namespace {

TEST(Ui, WithoutAFrontEndMessagesGoToStandardErrorAndEndingThrows)
{
    SetUserInterface(nullptr);
    testing::internal::CaptureStderr();
    ShowLinedMessage("一行目,二行目", TMessageKind::Error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "一行目\n二行目\n");
    EXPECT_THROW(Ui().EndApplication(), std::runtime_error);
}

TEST(Ui, ALinedMessageHasAtMostFiftyOneLines)
{
    SetUserInterface(nullptr);
    std::string text, expected;
    for (int i = 0; i < 60; ++i) {
        text += (i ? "," : "") + std::to_string(i);
        expected += (i == 0 ? "" : i <= 50 ? "\n" : ",") + std::to_string(i);
    }
    testing::internal::CaptureStderr();
    ShowLinedMessage(text, TMessageKind::Information);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected + "\n");
}

}  // namespace
}  // namespace qz
