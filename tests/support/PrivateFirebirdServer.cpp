#include "tests/support/PrivateFirebirdServer.h"

#include "common/Format.h"
#include "tests/support/TempFolder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace qz::test {
namespace {

// The installed server, its root folder (plugins, character sets, messages) and the interactive tool.
constexpr const char* kServerProgram = QZ_FIREBIRD_SERVER;
constexpr const char* kServerRoot = QZ_FIREBIRD_ROOT;
constexpr const char* kIsqlProgram = QZ_FIREBIRD_ISQL;
// Starting takes well under a second; the limit only keeps a broken installation from hanging the test.
constexpr auto kStartLimit = std::chrono::seconds(30);

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A port nobody listens on now: the system's choice for a socket bound to port 0.
int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!bound)
        throw std::runtime_error("no free port on 127.0.0.1");
    return ntohs(address.sin_port);
}

bool Listening(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd);
    return connected;
}

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary);
    if (!(out << text) || !out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

TPrivateFirebirdServer::TPrivateFirebirdServer(const fs::path& folder) : root_(folder / "firebird"), port_(FreePort())
{
    WriteConfiguration();
    CreateSecurityDatabase();
    Start();
}

std::string TPrivateFirebirdServer::Host() const
{
    return Format("localhost/%d", port_);
}

// The installed root's files, with our own server settings and security database in place of its own.
void TPrivateFirebirdServer::WriteConfiguration() const
{
    fs::create_directories(root_ / "lock");
    fs::create_directories(root_ / "tmp");
    for (const fs::directory_entry& entry : fs::directory_iterator(kServerRoot)) {
        const fs::path name = entry.path().filename();
        // The engine refuses a character-set module reached through a link: that folder is copied.
        if (name == "intl")
            fs::copy(entry.path(), root_ / name);
        else if (name != "firebird.conf" && name != "databases.conf")
            fs::create_symlink(entry.path(), root_ / name);
    }
    const std::string security = (root_ / "security3.fdb").string();
    WriteText(root_ / "firebird.conf", Format("RemoteServicePort = %d\nRemoteBindAddress = 127.0.0.1\nUdfAccess = None\n"
                                              "SecurityDatabase = %s\n",
                                              port_, security));
    WriteText(root_ / "databases.conf", Format("security.db = %s\n{\n\tRemoteAccess = false\n}\n", security));
}

// The embedded engine of the tool, configured by our root, creates the security database and its users.
void TPrivateFirebirdServer::CreateSecurityDatabase() const
{
    const fs::path script = root_ / "security.sql";
    WriteText(script, Format("CREATE DATABASE '%s';\n"
                             "CREATE USER HOLDEX PASSWORD 'vostar' GRANT ADMIN ROLE USING PLUGIN Srp;\nCOMMIT;\n"
                             "CREATE GLOBAL MAPPING QZ_HOLDEX_ADMIN USING PLUGIN Srp FROM USER HOLDEX TO ROLE RDB$ADMIN;\n"
                             "COMMIT;\nGRANT CREATE DATABASE TO USER HOLDEX;\nCOMMIT;\n",
                             (root_ / "security3.fdb").string()));
    const fs::path output = root_ / "security.log";
    const int status = RunChildProcess({.Program = kIsqlProgram,
                                        .Arguments = {"-q", "-b", "-user", "SYSDBA", "-i", script.string()},
                                        .Environment = Environment(),
                                        .OutputFile = output});
    if (status != 0)
        throw std::runtime_error(Format("the security database could not be made (exit %d):\n%s", status,
                                        ReadBytes(output)));
}

std::vector<std::pair<std::string, std::string>> TPrivateFirebirdServer::Environment() const
{
    // The server hands UTF-8 file names to the file system through its locale's character type.
    return {{"FIREBIRD", root_.string()},
            {"FIREBIRD_LOCK", (root_ / "lock").string()},
            {"FIREBIRD_TMP", (root_ / "tmp").string()},
            {"LC_ALL", "C.UTF-8"}};
}

void TPrivateFirebirdServer::Start()
{
    server_ = TRunningChild::Start({.Program = kServerProgram, .Environment = Environment(), .OutputFile = root_ / "server.log"});
    const auto limit = std::chrono::steady_clock::now() + kStartLimit;
    while (!Listening(port_)) {
        if (server_->Poll() || std::chrono::steady_clock::now() > limit)
            throw std::runtime_error("the private Firebird server did not start; see " + (root_ / "server.log").string());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TPrivateFirebirdServer::Kill()
{
    server_->Kill(SIGKILL);
    while (!server_->Poll())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace qz::test
