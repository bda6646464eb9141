#include "app/MainFormPaths.h"

#include "common/SjisText.h"

#include <filesystem>

namespace qz {
namespace {

// The root key of a local installation: the settings folder, when the data lies below the common
// application data folder; the grid then shows the data folders relative to it.
std::string LocalRootKey(const TSystemDef& system, const TProgramValues& program, const std::string& commonDataDir)
{
    const std::string settingsFolder =
        UpperAscii((std::filesystem::path(program.CommonDataPath) / program.SettingsSubPath).string());
    if (!program.ConnectionFileFound)
        return settingsFolder;
    const bool insideCommonFolder =
        !commonDataDir.empty() && UpperAscii(system.SysDbDir).find(commonDataDir) != std::string::npos;
    return insideCommonFolder ? settingsFolder : std::string();
}

}  // namespace

TMainFormPaths MainFormPathsOf(const TSystemDef& system, const TProgramValues& program)
{
    TMainFormPaths form;
    form.CommonDataDir = UpperAscii(program.CommonDataPath);
    form.ServerMode = program.ConnectionMode == 1;
    form.SystemRootKey = form.ServerMode ? "QUORVELZAIMU" : LocalRootKey(system, program, form.CommonDataDir);
    form.ServerHost = form.ServerMode ? UpperAscii(program.ServerHost) : std::string();
    form.ToolIniFileName = UpperAscii(program.ToolIniPath);
    return form;
}

}  // namespace qz
