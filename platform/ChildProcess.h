#pragma once
// Runs a helper program (the backup tool, a batch's workers) without a window: waits for it keeping the
// caller alive, or starts it and lets the caller poll.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz {

struct TChildProcess {
    std::filesystem::path Program{};                               // a path, or a bare name looked up on PATH
    std::vector<std::string> Arguments{};
    std::vector<std::pair<std::string, std::string>> Environment{}; // added to (or replacing in) ours
    std::optional<std::filesystem::path> OutputFile{};              // standard output and error; else discarded
    std::optional<std::filesystem::path> ErrorFile{};               // standard error apart from the output
    std::vector<int> InheritedDescriptors{};                        // our descriptors the child keeps open
    std::function<void()> WhileWaiting{};                           // called between polls, e.g. to process events
    std::chrono::milliseconds PollInterval{50};
};

// A started child process. One still running when the object goes away is killed and reaped, so none is
// left behind.
class TRunningChild {
public:
    // Throws std::runtime_error with a Japanese message when it cannot be started.
    static TRunningChild Start(const TChildProcess& child);

    // The exit status once the process has ended (128 + signal number when it was killed), else nothing.
    std::optional<int> Poll();
    int Pid() const { return pid_; }
    void Kill(int signal);

    TRunningChild(TRunningChild&& other) noexcept;
    TRunningChild& operator=(TRunningChild&& other) noexcept;
    TRunningChild(const TRunningChild&) = delete;
    TRunningChild& operator=(const TRunningChild&) = delete;
    ~TRunningChild();

private:
    TRunningChild(int pid, std::string program) : pid_(pid), program_(std::move(program)) {}
    void Release() noexcept;
    int pid_ = -1;
    std::string program_;
    std::optional<int> status_;
};

// Starts the process and waits for it. Returns its exit status (128 + signal number when it was killed).
// Throws std::runtime_error with a Japanese message when it cannot be started.
int RunChildProcess(const TChildProcess& child);

// The program in the given folder when present there, else the bare name for a PATH lookup.
std::filesystem::path ProgramInFolderOrPath(const std::filesystem::path& folder, const std::string& name);

}  // namespace qz
