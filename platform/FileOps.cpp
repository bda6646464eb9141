#include "platform/FileOps.h"

#include "common/Date.h"
#include "common/Format.h"
#include "common/SjisText.h"
#include "common/Ui.h"
#include "platform/ShellFolders.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace qz {
namespace {

bool IsDriveRoot(std::string_view path)
{
    if (path.size() < 2 || path.size() > 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':')
        return false;
    return path.size() == 2 || path[2] == '\\' || path[2] == '/';
}

// The path without trailing separators, lexically normalised, for comparisons.
std::string Comparable(std::string_view path)
{
    std::string text = fs::path(std::string(path)).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

// The desktop trash of the freedesktop.org layout: files/ holds the item, info/ how to restore it.
bool MoveToTrash(const fs::path& folder, std::error_code& error)
{
    std::string dataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    if (dataHome.empty())
        dataHome = HomeDir() + "/.local/share";
    const fs::path trash = fs::path(dataHome) / "Trash";
    fs::create_directories(trash / "files", error);
    if (!error)
        fs::create_directories(trash / "info", error);
    if (error)
        return false;

    const std::string baseName = folder.filename().string();
    std::string name = baseName;
    for (int n = 2; fs::exists(trash / "files" / name) || fs::exists(trash / "info" / (name + ".trashinfo")); ++n)
        name = Format("%s.%d", baseName, n);

    const TDateTime now = TDateTime::Now();
    std::string stamp = now.ToText();
    for (char& c : stamp)
        if (c == '/')
            c = '-';
    stamp[10] = 'T';
    // Without its information record a trashed folder could not be put back: then nothing is moved.
    const fs::path infoFile = trash / "info" / (name + ".trashinfo");
    std::ofstream info(infoFile, std::ios::binary);
    info << "[Trash Info]\nPath=" << fs::absolute(folder).string() << "\nDeletionDate=" << stamp << "\n";
    info.close();
    if (!info) {
        std::error_code ignored;  // a half-written record is only tidied away
        fs::remove(infoFile, ignored);
        error = std::make_error_code(std::errc::io_error);
        return false;
    }
    fs::rename(folder, trash / "files" / name, error);
    if (error) {
        std::error_code ignored;  // the folder stays where it was; its stale record is only tidied away
        fs::remove(infoFile, ignored);
    }
    return !error;
}

bool CopyContents(const fs::path& source, const fs::path& target, std::error_code& error)
{
    if (!fs::is_directory(source, error)) {
        if (!error)
            error = std::make_error_code(std::errc::not_a_directory);
        return false;
    }
    fs::create_directories(target, error);
    if (error)
        return false;
    fs::copy(source, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    return !error;
}

bool MoveContents(const fs::path& source, const fs::path& target, std::error_code& error)
{
    if (!fs::exists(target, error)) {
        if (target.has_parent_path())
            fs::create_directories(target.parent_path(), error);
        fs::rename(source, target, error);
        if (!error)
            return true;
        error.clear();
    }
    // Across file systems or into an existing folder: copy, then remove the source.
    if (!CopyContents(source, target, error))
        return false;
    fs::remove_all(source, error);
    return !error;
}

}  // namespace

std::string SystemDirectory()
{
    return "/usr/bin";
}

std::string GetClientName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "PCNAME-ERROR";
    return name;
}

bool IsRemovableDir(std::string_view path)
{
    const std::string text = Trim(path);
    if (text.empty() || IsDriveRoot(text))
        return false;
    const std::string normal = Comparable(text);
    return normal != "/" && normal != Comparable(SystemDirectory());
}

bool ShellDeleteDir(std::string_view path, TShellOperation operation, bool allowUndo, bool showErrors,
                    std::string_view newPath)
{
    const bool renaming = operation == TShellOperation::Rename;
    if (!IsRemovableDir(path)) {
        ShowLinedMessage(Format(renaming ? "ルート・システムディレクトリは、変更できません。<%s> "
                                         : "ルート・システムディレクトリは、削除できません。<%s> ",
                                path),
                         TMessageKind::Error);
        return false;
    }
    const fs::path folder{std::string(path)};
    std::error_code error;
    bool done = false;
    if (renaming) {
        if (newPath.empty())
            error = std::make_error_code(std::errc::invalid_argument);
        else
            fs::rename(folder, fs::path(std::string(newPath)), error);
        done = !error;
    } else if (operation == TShellOperation::Delete) {
        if (!fs::exists(folder, error))
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        else if (allowUndo)
            done = MoveToTrash(folder, error);
        else
            done = fs::remove_all(folder, error) != static_cast<std::uintmax_t>(-1) && !error;
    } else {
        error = std::make_error_code(std::errc::operation_not_supported);
    }
    if (!done && showErrors)
        ShowError(Format(renaming ? "フォルダの名前を変更できません。<%s>\n%s" : "フォルダを削除できません。<%s>\n%s",
                         path, error.message()));
    return done;
}

bool ShellCopyDir(std::string_view source, std::string_view target, TShellOperation operation)
{
    if (!IsRemovableDir(source) || !IsRemovableDir(target)) {
        ShowLinedMessage(Format("指定ディレクトリ[%s->%s]の複写・移動はできません。 ", source, target),
                         TMessageKind::Error);
        return false;
    }
    const fs::path from{std::string(source)}, to{std::string(target)};
    std::error_code error;
    bool done = false;
    switch (operation) {
    case TShellOperation::Copy: done = CopyContents(from, to, error); break;
    case TShellOperation::Move: done = MoveContents(from, to, error); break;
    default: error = std::make_error_code(std::errc::operation_not_supported); break;
    }
    if (!done)
        ShowError(Format("フォルダを複写・移動できません。<%s->%s>\n%s", source, target, error.message()));
    return done;
}

std::optional<std::string> FileCreationRefusal(const std::string& folder)
{
    const fs::path probe = fs::path(folder) / Format(".qzconvert-write-test-%d", static_cast<int>(::getpid()));
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        // A file of that name (left by a crashed run of this process id) shows the folder takes files.
        return errno == EEXIST ? std::nullopt : std::optional<std::string>(std::strerror(errno));
    ::close(fd);
    ::unlink(probe.c_str());
    return std::nullopt;
}

}  // namespace qz
