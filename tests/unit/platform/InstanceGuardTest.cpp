#include "platform/InstanceGuard.h"
#include "platform/Startup.h"
#include "tests/support/RecordingUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qz {
namespace {

class InstanceGuardTest : public ::testing::Test {
protected:
    test::TTempFolder runtime;
    test::TScopedEnv env;
    void SetUp() override { env.Set("XDG_RUNTIME_DIR", runtime.Path().string()); }
};

TEST_F(InstanceGuardTest, StartsWhenNothingElseRuns)
{
    const TInstanceGuard guard = TInstanceGuard::Acquire();
    EXPECT_FALSE(guard.Refused());
    EXPECT_TRUE(std::filesystem::exists(runtime.Path() / "KELDARO_TOOLS"));
}

TEST_F(InstanceGuardTest, RefusesWhileTheTargetProgramRuns)
{
    const auto target = TNamedLock::TryAcquire(kTargetProgramLock);
    ASSERT_TRUE(target);
    const TInstanceGuard guard = TInstanceGuard::Acquire();
    EXPECT_TRUE(guard.Refused());
    EXPECT_EQ(guard.RefusalText(), "Quorvel 財務が起動しています。");
}

TEST_F(InstanceGuardTest, RefusesASecondCopyUntilTheFirstEnds)
{
    std::optional<TInstanceGuard> first = TInstanceGuard::Acquire();
    ASSERT_FALSE(first->Refused());
    const TInstanceGuard second = TInstanceGuard::Acquire();
    EXPECT_TRUE(second.Refused());
    EXPECT_EQ(second.RefusalText(), "アプリケーションは既に起動しています。");
    first.reset();
    EXPECT_FALSE(TInstanceGuard::Acquire().Refused());
}

TEST_F(InstanceGuardTest, SeesALockHeldByAnotherProcess)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        auto lock = TNamedLock::TryAcquire(kToolsLock);
        char byte = lock ? '1' : '0';
        (void)!::write(ready[1], &byte, 1);
        ::sleep(5);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, '1');
    EXPECT_TRUE(TInstanceGuard::Acquire().Refused());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(TInstanceGuard::Acquire().Refused());  // the lock dies with its holder
    ::close(ready[0]);
    ::close(ready[1]);
}

// A batch hands its lock to its workers through an inherited descriptor; naming any other descriptor in
// the variable gets a tool nothing.
TEST_F(InstanceGuardTest, OnlyADescriptorOfTheHeldLockLetsAWorkerRunUnderItsBatch)
{
    const std::optional<TNamedLock> batch = TNamedLock::TryAcquire(kToolsLock);
    ASSERT_TRUE(batch);
    const std::string variable(kInheritedToolsLockVariable);
    const int reopened = ::open((runtime.Path() / std::string(kToolsLock)).c_str(), O_RDWR | O_CLOEXEC);
    const int otherFile = ::open((runtime.Path() / std::string(kTargetProgramLock)).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(reopened, 0);
    ASSERT_GE(otherFile, 0);
    for (const std::string& forged : {std::to_string(reopened), std::to_string(otherFile), std::string("987"), std::string("x")}) {
        env.Set(variable, forged);
        EXPECT_TRUE(TInstanceGuard::Acquire().Refused()) << forged;
    }
    ::close(reopened);
    ::close(otherFile);

    env.Set(variable, std::to_string(batch->Descriptor()));
    const pid_t worker = ::fork();
    if (worker == 0)
        ::_exit(TInstanceGuard::Acquire().Refused() ? 1 : 0);
    int status = -1;
    ASSERT_EQ(::waitpid(worker, &status, 0), worker);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    // The worker's end does not release the batch's lock.
    env.Unset(variable);
    EXPECT_TRUE(TInstanceGuard::Acquire().Refused());
}

TEST_F(InstanceGuardTest, StartUpShowsTheRefusalAndRunsNothing)
{
    test::TRecordingUi ui;
    const auto target = TNamedLock::TryAcquire(kTargetProgramLock);
    bool ran = false;
    EXPECT_EQ(RunGuarded([&] { ran = true; return 0; }), 1);
    EXPECT_FALSE(ran);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Information);
    EXPECT_EQ(ui.Messages[0].Text, "Quorvel 財務が起動しています。");
}

TEST_F(InstanceGuardTest, StartUpHoldsTheToolsLockWhileRunning)
{
    bool secondRefused = false;
    EXPECT_EQ(RunGuarded([&] { secondRefused = TInstanceGuard::Acquire().Refused(); return 7; }), 7);
    EXPECT_TRUE(secondRefused);
    EXPECT_FALSE(TInstanceGuard::Acquire().Refused());  // released when the run ends
}

}  // namespace
}  // namespace qz
