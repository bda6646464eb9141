#include "platform/SystemDef.h"

#include "common/ChartKind.h"
#include "common/SjisText.h"
#include "common/Ui.h"
#include "platform/FileOps.h"
#include "platform/IniFile.h"
#include "platform/ShellFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;

namespace qz {
namespace {

constexpr TEditionValues kBaseEdition{
    "QrvAcc11.600", "QrvAcc21.600", "QrvAcc22.600", QZ_BASE_EDITION_VERSION, 6, 0, 0, "14版", false, false};

constexpr TEditionValues kRevisedEdition{
    "QrvAcc11.610", "QrvAcc21.610", "QrvAcc22.610", QZ_REVISED_EDITION_VERSION, 6, 1, 0, "14消改版", true, true};

constexpr std::string_view kToolIniName = "QM3TOQZAIMU.INI";
constexpr std::string_view kConnectionIniName = "quorvelzaimu.ini";

std::string Join(std::string_view folder, std::string_view name)
{
    return (fs::path(std::string(folder)) / std::string(name)).string();
}

std::string WithoutTrailingSeparator(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string LogonName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return entry->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

// TEMP when it names an existing folder, else TMPDIR likewise, else the "temp" folder under settings.
std::string TempFolder(std::string_view settingsFolder)
{
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const char* value = std::getenv(name);
        std::error_code error;
        if (value && *value && fs::is_directory(value, error))
            return WithoutTrailingSeparator(value);
    }
    return Join(settingsFolder, "temp");
}

std::string DocumentsFolder()
{
    const std::string documents = GetSpecialFolder(CSIDL_PERSONAL, "");
    if (documents.empty())
        return {};  // never invent a folder at the file-system root
    const std::string folder = Join(documents, "quorvelzai");
    std::error_code error;
    fs::create_directories(folder, error);
    return folder;
}

void ReadConnectionFile(TSystemDef& system, TProgramValues& program)
{
    const std::string settingsFolder = Join(program.CommonDataPath, program.SettingsSubPath);
    std::optional<TIniFile> ini;
    try {
        ini.emplace(system.IniFilePath);
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
    program.ConnectionFileFound = ini && ini->FileExists();
    if (!program.ConnectionFileFound) {
        program.ConnectionMode = 0;
        system.SysDbDir = system.DataDir = Join(settingsFolder, "DATA");
        return;
    }
    system.DbHost.clear();
    if (Trim(ini->ReadString("APPLICATION", "CONNECT")) == "1") {
        program.ConnectionMode = 1;
        system.SysDbDir = system.DataDir = ini->ReadString("SERVER", "SYSDIR");
        program.ServerHost = ini->ReadString("SERVER", "HOSTNAME");
    } else {
        program.ConnectionMode = 0;
        system.SysDbDir = system.DataDir = ini->ReadString("LOCAL", "SYSDIR");
    }
}

}  // namespace

std::string_view TEditionValues::TemplateFor(int chartKind) const
{
    switch (chartKind) {
    case kChartCorporation: return TemplateCorporation;
    case kChartIndividualGeneral: return TemplateIndividualGeneral;
    case kChartIndividualRealEstate: return TemplateIndividualRealEstate;
    default: return {};
    }
}

const TEditionValues& EditionValues(bool revisedEdition)
{
    return revisedEdition ? kRevisedEdition : kBaseEdition;
}

TSystemDef& SystemDef()
{
    static TSystemDef systemDef;
    return systemDef;
}

TProgramValues& ProgramValues()
{
    static TProgramValues values;
    return values;
}

bool IsRevisedEditionExecutable(const fs::path& executable)
{
    std::string name = UpperAscii(executable.filename().string());
    if (name.ends_with(".EXE"))
        name.resize(name.size() - 4);
    return name == "QZCONVERT2";
}

fs::path CurrentExecutable()
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self;
}

void InitSystemPaths(const fs::path& executable)
{
    TProgramValues& program = ProgramValues();
    TSystemDef& system = SystemDef();
    program = TProgramValues{};
    system = TSystemDef{};

    program.SettingsSubPath = "QuorvelZAI/ZAIMU";
    program.SysDbFileName = "qrvaccdef.fdb";
    program.DataDbFileName = "qrvacc.fdb";
    program.IsRevisedEdition = IsRevisedEditionExecutable(executable);

    program.CommonDataPath = GetSpecialFolder(CSIDL_COMMON_APPDATA, "");
    const std::string settingsFolder = Join(program.CommonDataPath, program.SettingsSubPath);

    system.GroupId = 10000;
    system.WinUserName = LogonName();
    system.ComputerName = GetClientName();
    system.ProgramPath = WithoutTrailingSeparator(executable.parent_path().string());
    system.ProgramDir = UpperAscii(system.ProgramPath);
    system.InstallDir = WithoutTrailingSeparator(fs::path(system.ProgramPath).parent_path().string());
    system.PrintDir = Join(system.InstallDir, "print");
    system.HelpDir = Join(system.InstallDir, "help");
    system.SqlDir = Join(system.InstallDir, "sql");
    system.IniDir = Join(system.InstallDir, "ini");
    system.TempDir = TempFolder(settingsFolder);
    system.LogDir = settingsFolder;
    system.WinSystemDir = SystemDirectory();
    system.DocumentsDir = DocumentsFolder();
    system.DbHost.clear();
    system.SysDbDir = Join(settingsFolder, "DATA");
    system.DataDir.clear();
    system.DbUser = kProductDbUser;
    system.DbPassword = kProductDbPassword;
    system.DbCharset = kProductDbCharset;
    system.UserCode = system.GroupId * 10000 + 9999;
    system.UserLevel = 9;

    system.IniFilePath = Join(settingsFolder, kConnectionIniName);
    system.IniFileName = UpperAscii(system.IniFilePath);
    program.ToolIniPath = Join(settingsFolder, kToolIniName);

    ReadConnectionFile(system, program);
}

std::string ReadDefaultExtractDir()
{
    try {
        const TIniFile ini(ProgramValues().ToolIniPath);
        if (ini.FileExists()) {
            std::string drive = ini.ReadString("QM3CSV", "DRIVE");
            if (!drive.empty())
                return drive;
        }
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
    return SystemDef().DocumentsDir;
}

void SaveExtractDir(std::string_view extractDir)
{
    TIniFile ini(ProgramValues().ToolIniPath);
    ini.WriteString("QM3CSV", "DRIVE", extractDir);
}

}  // namespace qz
