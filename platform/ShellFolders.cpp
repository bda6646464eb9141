#include "platform/ShellFolders.h"

#include "common/Format.h"
#include "common/SjisText.h"
#include "common/Ui.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace qz {
namespace {

std::string EnvValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string RequireHome()
{
    std::string home = HomeDir();
    if (home.empty())
        throw std::runtime_error("ホームフォルダが取得できません。");
    return home;
}

// XDG_DOCUMENTS_DIR from the environment or from user-dirs.dirs ("$HOME/..." or an absolute path).
std::string XdgDocumentsDir()
{
    if (std::string fromEnv = EnvValue("XDG_DOCUMENTS_DIR"); !fromEnv.empty())
        return fromEnv;
    std::string configHome = EnvValue("XDG_CONFIG_HOME");
    if (configHome.empty()) {
        const std::string home = HomeDir();
        if (home.empty())
            return {};
        configHome = home + "/.config";
    }
    std::ifstream file(configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        const std::string prefix = "XDG_DOCUMENTS_DIR=\"";
        if (!line.starts_with(prefix) || line.size() <= prefix.size() || line.back() != '"')
            continue;
        std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
        if (value.starts_with("$HOME"))
            value = HomeDir() + value.substr(5);
        return value;
    }
    return {};
}

}  // namespace

std::string HomeDir()
{
    if (std::string home = EnvValue("HOME"); !home.empty())
        return home;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

std::string ShellFolderPath(int csidl)
{
    switch (csidl) {
    case CSIDL_COMMON_APPDATA:
        if (std::string dir = EnvValue("QZ_COMMON_APPDATA"); !dir.empty())
            return dir;
        if (std::string dir = EnvValue("XDG_DATA_HOME"); !dir.empty())
            return dir;
        return RequireHome() + "/.local/share";
    case CSIDL_PERSONAL:
        if (std::string dir = EnvValue("QZ_DOCUMENTS"); !dir.empty())
            return dir;
        if (std::string dir = XdgDocumentsDir(); !dir.empty())
            return dir;
        return RequireHome() + "/Documents";
    default:
        throw std::runtime_error(Format("シェルフォルダが取得できません。(CSIDL=%d)", csidl));
    }
}

std::string GetSpecialFolder(int csidl, std::string_view defaultPath)
{
    try {
        return ShellFolderPath(csidl);
    } catch (const std::exception& error) {
        ShowError(error.what());
        return std::string(defaultPath);
    }
}

}  // namespace qz
