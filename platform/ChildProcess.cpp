#include "platform/ChildProcess.h"

#include "common/Format.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

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

TRunningChild TRunningChild::Start(const TChildProcess& child)
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
    if (child.ErrorFile) {
        const std::string errors = child.ErrorFile->string();
        posix_spawn_file_actions_addopen(actions.Get(), STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    } else {
        posix_spawn_file_actions_adddup2(actions.Get(), STDOUT_FILENO, STDERR_FILENO);
    }
    // A descriptor duplicated onto itself loses its close-on-exec flag in the child only.
    for (const int fd : child.InheritedDescriptors)
        posix_spawn_file_actions_adddup2(actions.Get(), fd, fd);

    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, child.Program.c_str(), actions.Get(), nullptr, argv.data(), envp.data());
    if (failed != 0)
        throw std::runtime_error(Format("プログラムを起動できません。<%s> %s", child.Program.string(), std::strerror(failed)));
    return TRunningChild(pid, child.Program.string());
}

std::optional<int> TRunningChild::Poll()
{
    if (status_ || pid_ < 0)
        return status_;
    int status = 0;
    pid_t done = 0;
    do
        done = ::waitpid(pid_, &status, WNOHANG);
    while (done < 0 && errno == EINTR);
    if (done < 0)
        throw std::runtime_error(Format("プログラムの終了を確認できません。<%s> %s", program_, std::strerror(errno)));
    if (done == pid_)
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    return status_;
}

void TRunningChild::Kill(int signal)
{
    if (!status_ && pid_ > 0)
        ::kill(pid_, signal);
}

TRunningChild::TRunningChild(TRunningChild&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)), program_(std::move(other.program_)), status_(other.status_)
{
}

TRunningChild& TRunningChild::operator=(TRunningChild&& other) noexcept
{
    if (this != &other) {
        Release();
        pid_ = std::exchange(other.pid_, -1);
        program_ = std::move(other.program_);
        status_ = other.status_;
    }
    return *this;
}

TRunningChild::~TRunningChild()
{
    Release();
}

void TRunningChild::Release() noexcept
{
    if (pid_ > 0 && !status_) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
}

int RunChildProcess(const TChildProcess& child)
{
    TRunningChild running = TRunningChild::Start(child);
    for (;;) {
        if (const std::optional<int> status = running.Poll())
            return *status;
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
