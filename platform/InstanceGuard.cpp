#include "platform/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace qz {

std::filesystem::path NamedLockDir()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return runtime;
    return std::filesystem::temp_directory_path();
}

std::optional<TNamedLock> TNamedLock::TryAcquire(std::string_view name)
{
    const std::filesystem::path file = NamedLockDir() / std::string(name);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw std::runtime_error("起動確認用のロックファイルを作成できません。<" + file.string() + ">");
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    return TNamedLock(fd);
}

bool TNamedLock::IsHeldElsewhere(std::string_view name)
{
    return !TryAcquire(name).has_value();
}

std::optional<TNamedLock> TNamedLock::AdoptInherited(std::string_view name, int fd)
{
    const std::filesystem::path file = NamedLockDir() / std::string(name);
    struct stat inherited {}, named {};
    if (fd < 0 || ::fstat(fd, &inherited) != 0 || ::stat(file.c_str(), &named) != 0 ||
        inherited.st_dev != named.st_dev || inherited.st_ino != named.st_ino)
        return std::nullopt;
    // Locking again through the holder's own open file succeeds; through a file opened anew it fails.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return std::nullopt;
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);   // not handed on to our own children (the backup tool)
    return TNamedLock(fd);
}

TNamedLock::TNamedLock(TNamedLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TNamedLock& TNamedLock::operator=(TNamedLock&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

TNamedLock::~TNamedLock()
{
    if (fd_ >= 0)
        ::close(fd_);  // closing the descriptor releases the lock
}

TInstanceGuard TInstanceGuard::Acquire()
{
    TInstanceGuard guard;
    if (TNamedLock::IsHeldElsewhere(kTargetProgramLock)) {
        guard.refusal_ = "Quorvel 財務が起動しています。";
        return guard;
    }
    if (const char* inherited = std::getenv(std::string(kInheritedToolsLockVariable).c_str()); inherited && *inherited) {
        char* end = nullptr;
        const long fd = std::strtol(inherited, &end, 10);
        if (*end == '\0' && fd >= 0 && fd <= INT_MAX)
            guard.lock_ = TNamedLock::AdoptInherited(kToolsLock, static_cast<int>(fd));
    }
    if (!guard.lock_)
        guard.lock_ = TNamedLock::TryAcquire(kToolsLock);
    if (!guard.lock_)
        guard.refusal_ = "アプリケーションは既に起動しています。";
    return guard;
}

}  // namespace qz
