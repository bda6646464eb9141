#pragma once
// Runs a helper program (the backup tool) without a window and waits for it, keeping the caller alive.

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
    std::function<void()> WhileWaiting{};                           // called between polls, e.g. to process events
    std::chrono::milliseconds PollInterval{50};
};

// Starts the process and waits for it. Returns its exit status (128 + signal number when it was killed).
// Throws std::runtime_error with a Japanese message when it cannot be started.
int RunChildProcess(const TChildProcess& child);

// The program in the given folder when present there, else the bare name for a PATH lookup.
std::filesystem::path ProgramInFolderOrPath(const std::filesystem::path& folder, const std::string& name);

}  // namespace qz
