#include "platform/InstanceGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
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
    guard.lock_ = TNamedLock::TryAcquire(kToolsLock);
    if (!guard.lock_)
        guard.refusal_ = "アプリケーションは既に起動しています。";
    return guard;
}

}  // namespace qz
