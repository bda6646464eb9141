#include "common/Ui.h"

#include <gtest/gtest.h>

#include <stdexcept>

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

}  // namespace
}  // namespace qz
