#include "platform/ChildProcess.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

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

TEST(ChildProcess, MissingProgramIsAnError)
{
    EXPECT_THROW(RunChildProcess({.Program = "/nonexistent/gbak"}), std::runtime_error);
    TTempFolder folder;
    EXPECT_EQ(ProgramInFolderOrPath(folder.Path(), "gbak"), std::filesystem::path("gbak"));
}

}  // namespace
}  // namespace qz
