#pragma once
// A Firebird server of the test's own: the installed server program, run as the test's user on a free
// port of 127.0.0.1 with its own configuration, security database (the user HOLDEX, an administrator),
// lock and temporary folders. The suite's shared server is never touched, so a test may stop this one
// hard in the middle of a run and start it again.

#include "platform/ChildProcess.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qz::test {

class TPrivateFirebirdServer {
public:
    // Sets the instance up below folder and starts it; throws std::runtime_error when it cannot.
    explicit TPrivateFirebirdServer(const std::filesystem::path& folder);

    // What the program's host setting takes: the server's name with its port.
    std::string Host() const;

    // Starts the server and returns once it takes connections.
    void Start();
    // Stops the server at once, as a crash or a power cut would (SIGKILL), and reaps it.
    void Kill();

private:
    void WriteConfiguration() const;
    void CreateSecurityDatabase() const;
    std::vector<std::pair<std::string, std::string>> Environment() const;

    std::filesystem::path root_;
    int port_ = 0;
    std::optional<TRunningChild> server_;
};

}  // namespace qz::test
