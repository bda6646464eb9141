#include "platform/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <thread>

namespace qz {
namespace {

using test::ReadBytes;
using test::TTempFolder;

TEST(ChildProcess, ReturnsTheExitStatus)
{
    EXPECT_EQ(RunChildProcess({.Program = "sh", .Arguments = {"-c", "exit 3"}}), 3);
    EXPECT_EQ(RunChildProcess({.Program = "/bin/true"}), 0);
    EXPECT_EQ(RunChildProcess({.Program = "sh", .Arguments = {"-c", "kill -9 $$"}}), 128 + 9);
}

TEST(ChildProcess, HandsOverTheEnvironmentNotTheCommandLine)
{
    TTempFolder folder;
    const auto output = folder.Path() / "out.txt";
    // The child prints its own command line and the secret from its environment.
    const int status = RunChildProcess({.Program = "sh",
                                        .Arguments = {"-c", "tr '\\0' ' ' < /proc/$$/cmdline; echo; echo \"$ISC_PASSWORD\""},
                                        .Environment = {{"ISC_PASSWORD", "vostar"}},
                                        .OutputFile = output});
    EXPECT_EQ(status, 0);
    const std::string text = ReadBytes(output);
    const std::string commandLine = text.substr(0, text.find('\n'));
    EXPECT_EQ(commandLine.find("vostar"), std::string::npos);
    EXPECT_NE(text.find("\nvostar\n"), std::string::npos);
}

TEST(ChildProcess, KeepsTheCallerAliveWhileWaiting)
{
    int calls = 0;
    RunChildProcess({.Program = "sleep", .Arguments = {"0.3"}, .WhileWaiting = [&] { ++calls; },
                     .PollInterval = std::chrono::milliseconds(20)});
    EXPECT_GE(calls, 3);
}

TEST(ChildProcess, HandsOnlyTheNamedDescriptorsToTheChild)
{
    TTempFolder folder;
    const int fd = ::open((folder.Path() / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    const std::vector<std::string> isOpen = {"-c", "[ -e /proc/self/fd/" + std::to_string(fd) + " ]"};
    EXPECT_EQ(RunChildProcess({.Program = "sh", .Arguments = isOpen}), 1);
    EXPECT_EQ(RunChildProcess({.Program = "sh", .Arguments = isOpen, .InheritedDescriptors = {fd}}), 0);
    ::close(fd);
}

TEST(ChildProcess, AStartedChildIsPolledKilledAndNeverOutlivesItsObject)
{
    TTempFolder folder;
    const auto output = folder.Path() / "out.txt", errors = folder.Path() / "err.txt";
    int pid = 0;
    {
        TRunningChild child = TRunningChild::Start(
            {.Program = "sh", .Arguments = {"-c", "echo out; echo err >&2; exec sleep 30"}, .OutputFile = output, .ErrorFile = errors});
        pid = child.Pid();
        while (ReadBytes(errors).empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(child.Poll());
        TRunningChild moved = std::move(child);
        EXPECT_FALSE(moved.Poll());
    }
    EXPECT_NE(::kill(pid, 0), 0);   // killed and reaped with its object
    EXPECT_EQ(ReadBytes(output), "out\n");
    EXPECT_EQ(ReadBytes(errors), "err\n");

    TRunningChild child = TRunningChild::Start({.Program = "sleep", .Arguments = {"30"}});
    child.Kill(SIGKILL);
    std::optional<int> status;
    while (!(status = child.Poll()))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(*status, 128 + SIGKILL);
}

TEST(ChildProcess, MissingProgramIsAnError)
{
    EXPECT_THROW(RunChildProcess({.Program = "/nonexistent/gbak"}), std::runtime_error);
    TTempFolder folder;
    EXPECT_EQ(ProgramInFolderOrPath(folder.Path(), "gbak"), std::filesystem::path("gbak"));
}

}  // namespace
}  // namespace qz
