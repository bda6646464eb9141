#include "cli/DryRun.h"

#include "common/Format.h"
#include "db/DataModule.h"
#include "db/schema/Installation.h"
#include "platform/SystemDef.h"

#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

namespace qz::cli {
namespace {

constexpr int kScratchRec = 1;

// A new folder of its own under the system's temporary folder.
fs::path NewTemporaryFolder(std::string_view prefix)
{
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error(Format("一時フォルダを作成できません。<%s>", pattern));
    return pattern;
}

void DetachAll()
{
    DM().AccDatDisconnect("", false, false);
    DM().AccDefDisconnect();
}

}  // namespace

TScratchInstallation::TScratchInstallation(const fs::path& executable)
    : root_(NewTemporaryFolder("qzconvert-dryrun-")), officeSystem_(SystemDef()), officeProgram_(ProgramValues())
{
    try {
        const fs::path common = root_ / "common";
        fs::create_directories(root_ / "documents");
        fs::create_directories(root_ / "temp");
        schema::MakeInstallation({.CommonDataPath = common.string(), .FreeRows = kScratchRec});
        DetachAll();
        SetEnv("QZ_COMMON_APPDATA", common.string());
        SetEnv("QZ_DOCUMENTS", (root_ / "documents").string());
        SetEnv("TEMP", (root_ / "temp").string());
        InitSystemPaths(executable);
    } catch (...) {
        RestoreOfficePaths();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        throw;
    }
}

TScratchInstallation::~TScratchInstallation()
{
    RestoreOfficePaths();
    if (keep_)
        return;
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

TExecuteDestination TScratchInstallation::Destination() const
{
    return {kScratchRec, (fs::path(SystemDef().SysDbDir) / Format("%04d", kScratchRec)).string()};
}

void TScratchInstallation::SetEnv(const char* name, const std::string& value)
{
    const char* old = std::getenv(name);
    officeEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    setenv(name, value.c_str(), 1);
}

void TScratchInstallation::RestoreOfficePaths()
{
    if (restored_)
        return;
    restored_ = true;
    DetachAll();
    for (auto it = officeEnv_.rbegin(); it != officeEnv_.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
    SystemDef() = officeSystem_;
    ProgramValues() = officeProgram_;
}

std::optional<std::vector<TDataFolderRow>> ReadOfficeDataFolders(const TMainFormPaths& paths)
{
    // On a server the system database is not a file of this machine; reading it there is all that can be done.
    if (paths.ServerMode)
        return ReadDataFolders(paths);
    const fs::path copyFolder = NewTemporaryFolder("qzconvert-datalist-");
    const std::string officeFolder = SystemDef().SysDbDir;
    std::optional<std::vector<TDataFolderRow>> rows;
    try {
        fs::copy_file(fs::path(officeFolder) / ProgramValues().SysDbFileName, copyFolder / ProgramValues().SysDbFileName);
        SystemDef().SysDbDir = copyFolder.string();
        rows = ReadDataFolders(paths);
    } catch (const std::exception& error) {
        ShowError(Format("データフォルダの一覧を読めません。\n%s", error.what()));
    }
    DM().AccDefDisconnect();
    SystemDef().SysDbDir = officeFolder;
    std::error_code ignored;
    fs::remove_all(copyFolder, ignored);
    return rows;
}

}  // namespace qz::cli
