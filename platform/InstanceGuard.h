#pragma once
// Named locks standing in for the Windows mutexes of the product family: advisory lock files in
// $XDG_RUNTIME_DIR (else the temp folder). "KELDARO000" is held by the running target program,
// "KELDARO_TOOLS" by every tool of the family, this one included.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qz {

inline constexpr std::string_view kTargetProgramLock = "KELDARO000";
inline constexpr std::string_view kToolsLock = "KELDARO_TOOLS";
// Names the descriptor of the held "KELDARO_TOOLS" that a batch hands to its own worker processes.
inline constexpr std::string_view kInheritedToolsLockVariable = "QZ_TOOLS_LOCK_FD";

std::filesystem::path NamedLockDir();

// An exclusively held named lock, released when the object goes away.
class TNamedLock {
public:
    // Nothing when another holder has it.
    static std::optional<TNamedLock> TryAcquire(std::string_view name);
    static bool IsHeldElsewhere(std::string_view name);
    // The lock held through a descriptor this process inherited: nothing unless the descriptor is open on
    // the lock's own file and its lock is ours (the holder's open file shared with us, or a free lock).
    static std::optional<TNamedLock> AdoptInherited(std::string_view name, int fd);

    // For handing the lock to a child process (TChildProcess::InheritedDescriptors).
    int Descriptor() const { return fd_; }

    TNamedLock(TNamedLock&& other) noexcept;
    TNamedLock& operator=(TNamedLock&& other) noexcept;
    TNamedLock(const TNamedLock&) = delete;
    TNamedLock& operator=(const TNamedLock&) = delete;
    ~TNamedLock();

private:
    explicit TNamedLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// The start-up guard: refuses to run beside the target program or a second tool, otherwise holds
// "KELDARO_TOOLS" for the life of the program. A worker of a batch holds the batch's lock through the
// descriptor named by kInheritedToolsLockVariable.
class TInstanceGuard {
public:
    static TInstanceGuard Acquire();

    // The held tools lock (null when refused).
    const TNamedLock* ToolsLock() const { return lock_ ? &*lock_ : nullptr; }

    bool Refused() const { return !refusal_.empty(); }
    // "Quorvel 財務が起動しています。" or "アプリケーションは既に起動しています。"
    const std::string& RefusalText() const { return refusal_; }

private:
    std::optional<TNamedLock> lock_;
    std::string refusal_;
};

}  // namespace qz
