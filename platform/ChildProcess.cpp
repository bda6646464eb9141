#include "platform/ChildProcess.h"

#include "common/Format.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace qz {
namespace {

// Our environment with the child's additions; an added name replaces an inherited one.
std::vector<std::string> ChildEnvironment(const TChildProcess& child)
{
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view text(*entry);
        const std::string_view name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& [addedName, value] : child.Environment)
            replaced = replaced || name == addedName;
        if (!replaced)
            entries.emplace_back(text);
    }
    for (const auto& [name, value] : child.Environment)
        entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> PointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

class TSpawnActions {
public:
    TSpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~TSpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    TSpawnActions(const TSpawnActions&) = delete;
    TSpawnActions& operator=(const TSpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

}  // namespace

int RunChildProcess(const TChildProcess& child)
{
    std::vector<std::string> arguments{child.Program.string()};
    arguments.insert(arguments.end(), child.Arguments.begin(), child.Arguments.end());
    std::vector<std::string> environment = ChildEnvironment(child);
    std::vector<char*> argv = PointersTo(arguments);
    std::vector<char*> envp = PointersTo(environment);

    TSpawnActions actions;
    posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string output = child.OutputFile ? child.OutputFile->string() : "/dev/null";
    posix_spawn_file_actions_addopen(actions.Get(), STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(actions.Get(), STDOUT_FILENO, STDERR_FILENO);

    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, child.Program.c_str(), actions.Get(), nullptr, argv.data(), envp.data());
    if (failed != 0)
        throw std::runtime_error(Format("プログラムを起動できません。<%s> %s", child.Program.string(), std::strerror(failed)));

    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status))
                return WEXITSTATUS(status);
            return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        }
        if (done < 0 && errno != EINTR)
            throw std::runtime_error(Format("プログラムの終了を確認できません。<%s> %s", child.Program.string(),
                                            std::strerror(errno)));
        if (child.WhileWaiting)
            child.WhileWaiting();
        std::this_thread::sleep_for(child.PollInterval);
    }
}

std::filesystem::path ProgramInFolderOrPath(const std::filesystem::path& folder, const std::string& name)
{
    const std::filesystem::path local = folder / name;
    if (::access(local.c_str(), X_OK) == 0)
        return local;
    return name;
}

}  // namespace qz
